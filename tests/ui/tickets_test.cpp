// The 投注单 tab of the results view: the slips read back as text give
// exactly the result, their bets and money add up to the single bets, and
// the PDF export, the print path without a printer and the preview give
// real pages. Also tarnel-cli tickets, through the program itself.

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <random>
#include <set>

#include "ui/widgets/results_view.h"
#include "ui/widgets/text_boxes.h"
#include "core/analysis/tickets.h"
#include "main_window_fixture.h"

namespace tarnel {
namespace {

QString numberQ(int n) { return QString::number(n).rightJustified(3, QLatin1Char('0')); }

std::vector<int> randomNumbers(std::mt19937& rng, int size) {
    std::vector<int> all(1000);
    for (int i = 0; i < 1000; ++i) all[std::size_t(i)] = i;
    std::shuffle(all.begin(), all.end(), rng);
    all.resize(std::size_t(size));
    return all;
}

// What a clerk would key in for one slip line, as the set of numbers it
// stands for: direct numbers for 直选, sorted digit strings for the group plays.
std::set<QString> numbersOfLine(const QString& line, int* bets) {
    std::set<QString> out;
    const QStringList parts = line.split(QLatin1Char(' '));
    EXPECT_GE(parts.size(), 4) << line.toStdString();
    if (parts.size() < 4) return out;
    *bets = parts[parts.size() - 2].chopped(1).toInt();
    const QString kind = parts[0];
    if (kind == QStringLiteral("直选复式")) {
        const QString h = parts[1].mid(3), t = parts[2].mid(3), u = parts[3].mid(3);
        EXPECT_TRUE(parts[1].startsWith(QStringLiteral("百位:")) && parts[2].startsWith(QStringLiteral("十位:")) &&
                    parts[3].startsWith(QStringLiteral("个位:")));
        for (QChar a : h)
            for (QChar b : t)
                for (QChar c : u) out.insert(QString(a) + b + c);
    } else if (kind == QStringLiteral("直选单式") || kind == QStringLiteral("组六单式") ||
               kind == QStringLiteral("组三单式")) {
        out.insert(parts[1]);
    } else if (kind == QStringLiteral("组六复式")) {
        const QString d = parts[1];
        for (int i = 0; i < d.size(); ++i)
            for (int j = i + 1; j < d.size(); ++j)
                for (int k = j + 1; k < d.size(); ++k) out.insert(QString(d[i]) + d[j] + d[k]);
    } else if (kind == QStringLiteral("组三复式")) {
        const QString d = parts[1];
        for (int i = 0; i < d.size(); ++i)
            for (int j = i + 1; j < d.size(); ++j) {
                out.insert(QString(d[i]) + d[i] + d[j]);
                out.insert(QString(d[i]) + d[j] + d[j]);
            }
    } else {
        ADD_FAILURE() << "unknown play in " << line.toStdString();
    }
    return out;
}

// Reads a copied slip text back: every number exactly once, bets and money add up.
std::set<QString> readBack(const QString& text, int priceFen, int* totalBets) {
    std::set<QString> all;
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    int bets = 0;
    for (int i = 0; i + 1 < lines.size(); ++i) {
        int lineBets = 0;
        const std::set<QString> mine = numbersOfLine(lines[i], &lineBets);
        EXPECT_EQ(int(mine.size()), lineBets) << lines[i].toStdString();
        for (const QString& n : mine) EXPECT_TRUE(all.insert(n).second) << "two slips hold " << n.toStdString();
        bets += lineBets;
    }
    *totalBets = bets;
    EXPECT_EQ(lines.last(), QStringLiteral("合计 %1注 %2元")
                                .arg(bets)
                                .arg(QString::fromStdString(slipMoneyText(std::int64_t(bets) * priceFen))));
    return all;
}

// The pages of a PDF file as pdftoppm renders them; where it is missing
// (Windows), its page objects as Qt writes them, uncompressed.
int pdfPages(const QString& pdf) {
    QTemporaryDir out;
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"), pdf,
                                          out.filePath(QStringLiteral("page"))});
    if (!p.waitForStarted(60000) && p.error() == QProcess::FailedToStart) {
        QFile file(pdf);
        if (!file.open(QIODevice::ReadOnly)) return -1;
        const QByteArray bytes = file.readAll();
        if (!bytes.startsWith("%PDF-") || !bytes.trimmed().endsWith("%%EOF")) return -1;
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
        return int(QString::fromLatin1(bytes).count(page));
    }
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return -1;
    return int(QDir(out.path()).entryList({QStringLiteral("page*.png")}).size());
}

// A page-sized device that keeps the text painted on each page.
class TextPages : public QPaintDevice {
public:
    QStringList pages{QString()};
    void newPage() { pages << QString(); }
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth: return 1654;  // A4 within margins at 240 dots an inch
            case PdmHeight: return 2526;
            case PdmWidthMM: return 180;
            case PdmHeightMM: return 267;
            case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 240;
            case PdmDepth: return 32;
            case PdmNumColors: return INT_MAX;
            case PdmDevicePixelRatio: return 1;
            case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextPages& device) : QPaintEngine(AllFeatures), device_(device) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawRects(const QRectF*, int) override {}
        void drawLines(const QLineF*, int) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { device_.pages.back() += item.text() + ' '; }
        Type type() const override { return User; }

    private:
        TextPages& device_;
    };
    mutable Engine engine_{*this};
};

class SlipTabTest : public MainWindowFixture {
protected:
    void TearDown() override { QSettings().remove(QStringLiteral("results")); }
    void runWithBase(const std::vector<int>& numbers) {
        QStringList parts;
        for (int n : numbers) parts << numberQ(n);
        get<MultiLineBox>("T_jichu_dadi")->setText(parts.join(QLatin1Char(' ')));
        get<QPushButton>("C_guolv_ks")->click();
    }
    ResultsView* openSlips() {
        ResultsView* view = w.openResults();
        auto* tabs = view->findChild<QTabWidget*>(QStringLiteral("Tab_jg"));
        EXPECT_NE(tabs, nullptr);
        if (tabs) tabs->setCurrentIndex(1);
        return view;
    }
    template <class T = QWidget>
    T* inView(ResultsView* view, const QString& name) {
        T* c = view->findChild<T*>(name);
        if (!c) ADD_FAILURE() << "no control " << name.toStdString() << " in the results view";
        return c;
    }
};

TEST_F(SlipTabTest, DirectSlipsHoldExactlyTheResultAndCostWhatTheSingleBetsCost) {
    std::mt19937 rng(2701);
    for (int size : {1, 7, 60, 150, 420, 1000}) {
        const std::vector<int> numbers = randomNumbers(rng, size);
        runWithBase(numbers);
        ResultsView* view = openSlips();
        EXPECT_EQ(view->slipMode(), ResultsView::SlipMode::Direct);
        auto* grid = inView<QTableWidget>(view, "Grid_jg_tzd");
        ASSERT_EQ(grid->rowCount(), int(view->slipLines().size()));
        int gridBets = 0;
        for (int row = 0; row < grid->rowCount(); ++row) gridBets += grid->item(row, 2)->text().chopped(1).toInt();
        EXPECT_EQ(gridBets, size);
        // Never more slips than the plain cut.
        TicketNumberSet set;
        for (int n : numbers) set.set(std::size_t(n));
        EXPECT_LE(grid->rowCount(), int(plainDirectCut(set).size()));

        inView<QPushButton>(view, "C_jg_tzd_copy")->click();
        EXPECT_EQ(services.takeNotices().size(), 1);
        const QString copied = QApplication::clipboard()->text();
        int bets = 0;
        const std::set<QString> back = readBack(copied, view->priceFen(), &bets);
        std::set<QString> want;
        for (int n : numbers) want.insert(numberQ(n));
        EXPECT_EQ(back, want) << "size " << size;
        EXPECT_EQ(bets, view->summary().direct);
        EXPECT_EQ(inView<QLabel>(view, "L_jg_tzd_heji")->text(),
                  QStringLiteral("共 %1 张投注单　直选 %2 注　合计 %3 元")
                      .arg(grid->rowCount())
                      .arg(size)
                      .arg(QString::fromStdString(slipMoneyText(std::int64_t(size) * view->priceFen()))));
    }
}

TEST_F(SlipTabTest, GroupResultsGetGroupSlipsThatHoldEveryGroupOnce) {
    std::mt19937 rng(2702);
    for (int size : {5, 80, 300, 1000}) {
        runWithBase(randomNumbers(rng, size));
        get<QPushButton>("C_zhi_zu")->click();
        ResultsView* view = openSlips();
        EXPECT_EQ(view->slipMode(), ResultsView::SlipMode::Group) << "a result of group numbers";
        std::set<QString> want;
        for (int n : view->numbers()) want.insert(numberQ(n));
        int bets = 0;
        const std::set<QString> back = readBack(view->slipText(), view->priceFen(), &bets);
        EXPECT_EQ(back, want);
        EXPECT_EQ(bets, view->summary().groups);
        EXPECT_LE(view->slipLines().size(), want.size());
    }
    // The player may still ask for direct slips of the same numbers.
    ResultsView* view = w.openResults();
    view->setSlipMode(ResultsView::SlipMode::Direct);
    int bets = 0;
    readBack(view->slipText(), view->priceFen(), &bets);
    EXPECT_EQ(bets, view->summary().direct);
}

TEST_F(SlipTabTest, AnEmptyResultSaysSoAndOffersNothingToPrint) {
    MultiLineBox box(QStringLiteral("T_test"));
    box.setText(QStringLiteral("没有符合条件的号码"));
    ResultsView view(&box, 3, services, nullptr);
    view.findChild<QTabWidget*>(QStringLiteral("Tab_jg"))->setCurrentIndex(1);
    EXPECT_EQ(inView<QLabel>(&view, "L_jg_tzd_heji")->text(), QStringLiteral("没有号码，无需投注单"));
    EXPECT_EQ(inView<QTableWidget>(&view, "Grid_jg_tzd")->rowCount(), 0);
    for (const char* name : {"C_jg_tzd_copy", "C_jg_tzd_print", "C_jg_tzd_yulan", "C_jg_tzd_pdf"})
        EXPECT_FALSE(inView<QPushButton>(&view, name)->isEnabled()) << name;
    view.exportSlipsPdf();
    view.printSlips();
    const auto messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].text, QStringLiteral("没有号码，无需投注单"));
    // The tab follows the box when numbers arrive.
    box.setText(QStringLiteral("132 142"));
    auto* grid = inView<QTableWidget>(&view, "Grid_jg_tzd");
    EXPECT_TRUE(QTest::qWaitFor([&] { return grid->rowCount() == 1; }, 2000));
    EXPECT_EQ(view.slipText(), QStringLiteral("直选复式 百位:1 十位:34 个位:2 2注 4元\r\n合计 2注 4元"));
    EXPECT_TRUE(inView<QPushButton>(&view, "C_jg_tzd_pdf")->isEnabled());
    // Sorted digits only: a result of group numbers, cut into group slips.
    box.setText(QStringLiteral("123 124"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return grid->rowCount() == 2; }, 2000));
    EXPECT_EQ(view.slipMode(), ResultsView::SlipMode::Group);
    EXPECT_EQ(view.slipText(), QStringLiteral("组六单式 123 1注 2元\r\n组六单式 124 1注 2元\r\n合计 2注 4元"));
}

TEST_F(SlipTabTest, TwoDigitResultsGetTwoPlaceSlips) {
    MultiLineBox box(QStringLiteral("T_test"));
    box.setText(QStringLiteral("12 13 22 23 99 12"));
    ResultsView view(&box, 2, services, nullptr);
    EXPECT_FALSE(inView<QComboBox>(&view, "Combo_jg_tzd_fangshi")->isVisibleTo(&view)) << "no group slips for pairs";
    EXPECT_EQ(view.slipMode(), ResultsView::SlipMode::Direct);
    EXPECT_EQ(view.slipText(),
              QStringLiteral("二星直选复式 十位:12 个位:23 4注 8元\r\n二星直选单式 99 1注 2元\r\n合计 5注 10元"));
}

// Every printed page carries the running head, the table's column names,
// and its number out of how many; and every slip is printed once.
TEST_F(SlipTabTest, EveryPrintedPageHasTheHeadingAndItsNumber) {
    std::mt19937 rng(4711);
    runWithBase(randomNumbers(rng, 600));
    ResultsView* view = openSlips();
    view->setSlipPaper(ResultsView::SlipPaper::A4);
    TextPages device;
    QPainter painter(&device);
    const int pages = view->paintSlipPages(painter, &device, QSizeF(device.width(), device.height()), [&] {
        device.newPage();
        return true;
    });
    painter.end();
    ASSERT_GE(pages, 2);
    ASSERT_EQ(device.pages.size(), pages);
    for (int p = 0; p < pages; ++p) {
        const QString& text = device.pages[p];
        SCOPED_TRACE(text.left(300).toStdString());
        EXPECT_TRUE(text.contains(QStringLiteral("第 %1 页，共 %2 页").arg(p + 1).arg(pages))) << "page " << p + 1;
        EXPECT_TRUE(text.contains(QStringLiteral("投注单"))) << "page " << p + 1;
        EXPECT_TRUE(text.contains(QStringLiteral("方案："))) << "page " << p + 1;
        for (const char* column : {"序号", "玩法", "号码", "注数", "金额"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(column))) << column << " on page " << p + 1;
    }
    // Each slip's kind is printed once in all.
    const QString all = device.pages.join(QLatin1Char(' '));
    int kinds = 0;
    for (const char* kind : {"直选复式", "直选单式", "组六复式", "组三复式", "组六单式", "组三单式"})
        kinds += int(all.count(QString::fromUtf8(kind)));
    EXPECT_EQ(kinds, int(view->slipLines().size()));
}

TEST_F(SlipTabTest, PdfExportGivesPagesOnA4AndOnAReceiptAndABadPathLosesNothing) {
    QTemporaryDir dir;
    std::mt19937 rng(2703);
    runWithBase(randomNumbers(rng, 600));
    ResultsView* view = openSlips();
    const std::size_t slips = view->slipLines().size();
    ASSERT_GT(slips, 40u);
    const QByteArray shots = qgetenv("TARNEL_SLIP_SHOTS");  // docs/ screenshots, when asked for

    const QString a4 = dir.filePath(QStringLiteral("a4"));  // no suffix: .pdf is added
    view->setSlipPaper(ResultsView::SlipPaper::A4);
    services.setNextPath(a4);
    inView<QPushButton>(view, "C_jg_tzd_pdf")->click();
    EXPECT_TRUE(services.takeMessages().isEmpty());
    ASSERT_TRUE(QFile::exists(a4 + QStringLiteral(".pdf")));
    const int a4Pages = pdfPages(a4 + QStringLiteral(".pdf"));
    EXPECT_GE(a4Pages, 2) << slips << " slips do not fit on one A4 page";

    const QString receipt = dir.filePath(QStringLiteral("receipt.pdf"));
    view->setSlipPaper(ResultsView::SlipPaper::Receipt);
    services.setNextPath(receipt);
    view->exportSlipsPdf();
    EXPECT_TRUE(services.takeMessages().isEmpty());
    EXPECT_GE(pdfPages(receipt), 1);
    EXPECT_EQ(QSettings().value(QStringLiteral("results/slipPaper")).toInt(), 1) << "the paper is remembered";

    // A path that cannot be written: a message naming it, the old file and the slips stay.
    const QString kept = dir.filePath(QStringLiteral("kept.pdf"));
    {
        QFile f(kept);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier");
    }
    const QString bad = dir.filePath(QStringLiteral("no/such/folder/slips.pdf"));
    services.setNextPath(bad);
    view->exportSlipsPdf();
    const auto messages = services.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, QStringLiteral("错误提示"));
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("投注单没有导出到“%1”：").arg(bad)));
    EXPECT_FALSE(QFile::exists(bad));
    EXPECT_EQ(view->slipLines().size(), slips);
    QFile f(kept);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("earlier"));

    if (!shots.isEmpty()) {
        // A result as a shrink leaves it: a few blocks and some strays.
        std::vector<int> shown;
        for (int n = 0; n < 1000; ++n) {
            const int h = n / 100, t = n / 10 % 10, u = n % 10;
            const bool first = (h == 0 || h == 1 || h == 2 || h == 5) && t == 3 && (u == 7 || u == 8 || u == 9);
            const bool second = h == 4 && (u == 1 || u == 2);
            const bool third = h >= 6 && h <= 8 && (t == 0 || t == 5) && u % 3 == 0;
            if (first || second || third || n == 999 || n == 246 || n == 135) shown.push_back(n);
        }
        runWithBase(shown);
        view = openSlips();
        view->setSlipPaper(ResultsView::SlipPaper::A4);
        view->resize(920, 600);
        const QString folder = QString::fromLocal8Bit(shots);
        view->grab().save(folder + QStringLiteral("/results-slips.png"));
        services.setNextPath(folder + QStringLiteral("/slips-a4.pdf"));
        view->exportSlipsPdf();
        view->setSlipPaper(ResultsView::SlipPaper::Receipt);
        services.setNextPath(folder + QStringLiteral("/slips-receipt.pdf"));
        view->exportSlipsPdf();
        EXPECT_TRUE(services.takeMessages().isEmpty());
    }
}

TEST_F(SlipTabTest, PrintingWithoutAPrinterOffersThePdfAndThePreviewHasPages) {
    runWithBase({123, 124, 125, 223, 224, 225, 999});
    ResultsView* view = openSlips();
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("offered.pdf"));
        services.setYesNoAnswer(false);
        services.setNextPath(pdf);
        inView<QPushButton>(view, "C_jg_tzd_print")->click();
        EXPECT_FALSE(QFile::exists(pdf)) << "declined";
        services.setYesNoAnswer(true);
        services.setNextPath(pdf);
        inView<QPushButton>(view, "C_jg_tzd_print")->click();
        const auto messages = services.takeMessages();
        ASSERT_EQ(messages.size(), 2);
        EXPECT_EQ(messages[1].text, QStringLiteral("没有找到可用的打印机。要把投注单导出为 PDF 文件吗？"));
        EXPECT_EQ(pdfPages(pdf), 1);
    }
    int previewPages = -1;
    QTimer::singleShot(0, view, [&] {
        auto* dialog = view->findChild<QPrintPreviewDialog*>(QStringLiteral("F_jg_tzd_yulan"));
        if (!dialog) return;
        auto* preview = dialog->findChild<QPrintPreviewWidget*>();
        if (preview) {
            const bool shown = QTest::qWaitFor([&] { return preview->pageCount() > 0; }, 5000);
            previewPages = shown ? preview->pageCount() : 0;
        }
        dialog->reject();
    });
    inView<QPushButton>(view, "C_jg_tzd_yulan")->click();
    EXPECT_EQ(previewPages, 1);
}

// ---- tarnel-cli tickets -------------------------------------------------------

struct CliRun {
    int exitCode = -1;
    QByteArray out, err;
};

CliRun cli(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(QStringLiteral(TARNEL_CLI), args);
    p.write(input);
    p.closeWriteChannel();
    CliRun r;
    if (!p.waitForFinished(60000)) return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

TEST(CliTickets, CutsAFileIntoOrderedDisjointTicketsAndNamesABadRun) {
    QTemporaryDir dir;
    std::mt19937 rng(2704);
    for (int size : {0, 1, 33, 250, 777, 1000}) {
        const std::vector<int> numbers = randomNumbers(rng, size);
        QByteArray text;
        for (int n : numbers) text += numberQ(n).toLatin1() + (rng() % 2 ? ", " : "\r\n");
        text += numberQ(numbers.empty() ? 5 : numbers[0]).toLatin1();  // a repeat counts once
        const QString file = dir.filePath(QStringLiteral("n%1.txt").arg(size));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        for (const bool viaStdin : {false, true}) {
            const CliRun r = viaStdin ? cli({QStringLiteral("tickets"), QStringLiteral("-")}, text)
                                      : cli({QStringLiteral("tickets"), file});
            ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
            ASSERT_TRUE(r.out.endsWith('\n'));
            ASSERT_EQ(r.out.count('\n'), 1);
            const QJsonObject o = QJsonDocument::fromJson(r.out).object();
            TicketNumberSet want;
            for (int n : numbers) want.set(std::size_t(n));
            if (numbers.empty()) want.set(5);
            EXPECT_EQ(o.keys(), (QStringList{QStringLiteral("count"), QStringLiteral("tickets")}));
            EXPECT_EQ(o.value(QStringLiteral("count")).toInt(), int(want.count()));
            TicketNumberSet got;
            std::vector<std::tuple<int, QString, QString, QString>> keys;
            for (const QJsonValue& v : o.value(QStringLiteral("tickets")).toArray()) {
                const QJsonObject t = v.toObject();
                const QString h = t.value(QStringLiteral("hundreds")).toString();
                const QString te = t.value(QStringLiteral("tens")).toString();
                const QString u = t.value(QStringLiteral("units")).toString();
                for (const QString& s : {h, te, u}) {
                    QString sorted = s;
                    std::sort(sorted.begin(), sorted.end());
                    EXPECT_EQ(s, sorted);
                    EXPECT_EQ(std::set<QChar>(s.begin(), s.end()).size(), std::size_t(s.size()));
                }
                EXPECT_EQ(t.value(QStringLiteral("bets")).toInt(), int(h.size() * te.size() * u.size()));
                for (QChar a : h)
                    for (QChar b : te)
                        for (QChar c : u) {
                            const int n = (QString(a) + b + c).toInt();
                            EXPECT_FALSE(got[std::size_t(n)]) << "tickets overlap";
                            got.set(std::size_t(n));
                        }
                keys.emplace_back(-t.value(QStringLiteral("bets")).toInt(), h, te, u);
            }
            EXPECT_EQ(got, want);
            EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
            EXPECT_LE(keys.size(), plainDirectCut(want).size());
        }
    }
    const CliRun bad = cli({QStringLiteral("tickets"), QStringLiteral("-")}, "123 456 78 999");
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.out.isEmpty());
    EXPECT_TRUE(bad.err.startsWith("tarnel-cli: ") && bad.err.contains("\"78\"")) << bad.err.toStdString();
    EXPECT_EQ(cli({QStringLiteral("tickets"), QStringLiteral("-")}, "1234").exitCode, 2);
    EXPECT_EQ(cli({QStringLiteral("tickets"), dir.filePath(QStringLiteral("missing.txt"))}).exitCode, 2);
    EXPECT_EQ(cli({QStringLiteral("tickets")}).exitCode, 2);
}

}  // namespace
}  // namespace tarnel
