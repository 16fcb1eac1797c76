// The two chart widgets against plain reference checks over random inputs:
// captions broken into lines give the caption back and fit their width;
// the bar under a bar's centre is that bar, in every direction and group;
// the money chart shows the points it is given and names the nearest draw
// under the pointer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <random>

#include "ui/widgets/bar_chart.h"
#include "ui/widgets/money_chart.h"

namespace tarnel {
namespace {

QString randomCaption(std::mt19937& rng) {
    static const QString pieces[] = {QStringLiteral("杀"), QStringLiteral("遗漏"), QStringLiteral("和尾"),
                                     QStringLiteral("，"), QStringLiteral(" "), QStringLiteral("0–8"),
                                     QStringLiteral("期的"), QStringLiteral("跨度"), QStringLiteral("AB")};
    QString s;
    const int n = 1 + int(rng() % 30);
    for (int i = 0; i < n; ++i) s += pieces[rng() % 9];
    return s.trimmed().isEmpty() ? QStringLiteral("杀") : s.trimmed();
}

TEST(BarChartTest, LongCaptionsBreakIntoLinesThatFitAndGiveTheCaptionBack) {
    std::mt19937 rng(37);
    BarChart chart;
    chart.setDirection(BarChart::Direction::Across);
    for (int round = 0; round < 60; ++round) {
        const int width = 40 + int(rng() % 200);
        chart.setCaptionWidth(width);
        QStringList captions;
        BarChart::Group g{QStringLiteral("排除期数"), {}};
        for (int i = 0; i < 1 + int(rng() % 6); ++i) {
            captions << randomCaption(rng);
            g.values << double(rng() % 50);
        }
        chart.setBars(captions, {g}, 50);
        const QStringList shown = chart.shownCaptions();
        ASSERT_EQ(shown.size(), captions.size());
        const QFontMetrics metrics(chart.captionAxis()->tickLabelFont());
        for (int i = 0; i < captions.size(); ++i) {
            QString joined = shown[i];
            joined.remove(QLatin1Char('\n')).remove(QLatin1Char(' '));
            QString want = captions[i];
            want.remove(QLatin1Char(' '));
            EXPECT_EQ(joined, want) << captions[i].toStdString();
            for (const QString& line : shown[i].split(QLatin1Char('\n'))) {
                EXPECT_FALSE(line.isEmpty()) << shown[i].toStdString();
                if (line.size() > 1) {
                    EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
                }
            }
        }
    }
}

TEST(BarChartTest, TheBarUnderABarsCentreIsThatBarAndItsTooltipSaysItsValue) {
    std::mt19937 rng(12);
    BarChart chart;
    chart.resize(600, 400);
    chart.setLegendShown(true);
    for (int round = 0; round < 24; ++round) {
        const bool across = round % 2;
        chart.setDirection(across ? BarChart::Direction::Across : BarChart::Direction::Up);
        const int categories = 1 + int(rng() % 12), groups = 1 + int(rng() % 3);
        QStringList captions;
        for (int i = 0; i < categories; ++i) captions << QString::number(i);
        QList<BarChart::Group> bars;
        int top = 1;
        for (int g = 0; g < groups; ++g) {
            BarChart::Group group{QStringLiteral("组%1").arg(g), {}};
            for (int i = 0; i < categories; ++i) {
                const int v = int(rng() % 40);
                group.values << v;
                top = std::max(top, v);
            }
            bars << group;
        }
        chart.setBars(captions, bars, top);
        chart.replot();
        EXPECT_GE(chart.countAxisEnd(), top);
        for (int g = 0; g < groups; ++g)
            for (int i = 0; i < categories; ++i) {
                if (bars[g].values[i] < 2) continue;  // too thin to point at
                const QPoint centre = chart.barCentre(g, i);
                EXPECT_EQ(chart.barAt(centre), std::make_pair(g, i)) << "round " << round;
                EXPECT_EQ(chart.barText(g, i),
                          QStringLiteral("%1　组%2：%3").arg(i).arg(g).arg(bars[g].values[i], 0, 'f', 0));
            }
        EXPECT_EQ(chart.barAt(QPointF(-5, -5)), std::make_pair(-1, -1));
    }
    chart.clearBars();
    EXPECT_EQ(chart.plottableCount(), 0);
    EXPECT_TRUE(chart.categories().isEmpty());
}

TEST(MoneyChartTest, ShowsItsPointsAndNamesTheNearestDrawUnderThePointer) {
    std::mt19937 rng(5);
    MoneyChart chart;
    chart.resize(640, 360);
    for (int round = 0; round < 10; ++round) {
        MoneyChart::Points p;
        const int n = 2 + int(rng() % 300);
        double net = 0, mean = 0;
        for (int k = 1; k <= n; ++k) {
            net += double(int(rng() % 2000)) - 1000;
            mean -= 48;
            p.draw << k;
            p.actual << net;
            p.mean << mean;
            p.upper << mean + 10 * std::sqrt(double(k));
            p.lower << mean - 10 * std::sqrt(double(k));
        }
        chart.setPoints(p, n);
        chart.replot();
        QCPGraph* actual = chart.line(MoneyChart::actualName());
        ASSERT_TRUE(actual);
        ASSERT_EQ(actual->dataCount(), n);
        EXPECT_EQ((actual->data()->constEnd() - 1)->value, net);
        const auto [upper, lower] = chart.band();
        ASSERT_TRUE(upper && lower);
        EXPECT_EQ(upper->channelFillGraph(), lower);
        // The pointer over draw k names draw k.
        for (int probe = 0; probe < 5; ++probe) {
            const int k = 1 + int(rng() % n);
            const QPointF at(chart.xAxis->coordToPixel(k), chart.axisRect()->center().y());
            const QString text = chart.pointText(at);
            EXPECT_TRUE(text.startsWith(QStringLiteral("第 %1 期：").arg(k))) << text.toStdString() << " n " << n;
        }
        EXPECT_TRUE(chart.pointText(QPointF(-10, -10)).isEmpty());
    }
    chart.clearPoints();
    EXPECT_TRUE(chart.isEmpty());
    EXPECT_EQ(chart.graphCount(), 0);
    EXPECT_EQ(chart.line(MoneyChart::actualName()), nullptr);
}

}  // namespace
}  // namespace tarnel
