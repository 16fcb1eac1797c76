#include "ui/widgets/bar_chart.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <cmath>

#include "ui/widgets/chart_axes.h"

namespace tarnel {
namespace {

// The groups' colours, in order.
QColor groupColor(int group) {
    static const QColor colors[] = {QColor(32, 159, 223), QColor(153, 202, 83), QColor(246, 166, 37),
                                    QColor(110, 84, 148)};
    return colors[group % 4];
}

bool breaksWell(QChar c) {
    return c.isSpace() || QStringLiteral("，、；：,;:）)》").contains(c);
}

}  // namespace

BarChart::BarChart(QWidget* parent) : Plot(parent) {
    xAxis2->setVisible(false);
    yAxis2->setVisible(false);
    build();
}

void BarChart::setDirection(Direction direction) {
    if (direction_ == direction) return;
    direction_ = direction;
    build();
}

void BarChart::setCountAxisOnTop(bool top) {
    countOnTop_ = top;
    build();
}

void BarChart::setValueLabels(bool shown) {
    valueLabels_ = shown;
    build();
}

void BarChart::setCaptionScale(double scale) {
    captionScale_ = scale;
    build();
}

void BarChart::setCaptionWidth(int pixels) {
    captionWidth_ = pixels;
    build();
}

void BarChart::setAxisTitles(const QString& categories, const QString& counts) {
    categoryTitle_ = categories;
    countTitle_ = counts;
    build();
}

void BarChart::setCaptionEvery(int step) {
    captionEvery_ = std::max(step, 1);
    build();
}

void BarChart::setSlotWidth(double share) {
    slotWidth_ = share;
    build();
}

void BarChart::setBars(const QStringList& categories, const QList<Group>& groups, int top) {
    categories_ = categories;
    groups_ = groups;
    top_ = std::max(top, 1);
    build();
}

void BarChart::clearBars() {
    categories_.clear();
    groups_.clear();
    top_ = 1;
    build();
}

QCPAxis* BarChart::captionAxis() const { return direction_ == Direction::Across ? yAxis : xAxis; }

QCPAxis* BarChart::countAxis() const {
    if (direction_ == Direction::Up) return yAxis;
    return countOnTop_ ? xAxis2 : xAxis;
}

void BarChart::applyFont() {
    Plot::applyFont();
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * captionScale_);
    captionAxis()->setTickLabelFont(small);
}

QString BarChart::wrapped(const QString& caption) const {
    if (captionWidth_ <= 0) return caption;
    const QFontMetrics metrics(captionAxis()->tickLabelFont());
    if (metrics.horizontalAdvance(caption) <= captionWidth_) return caption;
    QStringList lines;
    QString line;
    for (int i = 0; i < caption.size(); ++i) {
        // A surrogate pair stays together.
        const int length = caption.at(i).isHighSurrogate() && i + 1 < caption.size() ? 2 : 1;
        const QString piece = caption.mid(i, length);
        i += length - 1;
        if (!line.isEmpty() && metrics.horizontalAdvance(line + piece) > captionWidth_) {
            // Break after a space or a punctuation mark in the line's second half, if there is one.
            int cut = line.size();
            for (int k = line.size() - 1; k >= line.size() / 2; --k)
                if (breaksWell(line.at(k))) {
                    cut = k + 1;
                    break;
                }
            const QString done = line.left(cut).trimmed();
            if (!done.isEmpty()) lines << done;
            line = line.mid(cut);
        }
        line += piece;
    }
    if (!line.trimmed().isEmpty()) lines << line.trimmed();
    return lines.join(QLatin1Char('\n'));
}

QStringList BarChart::shownCaptions() const {
    QStringList shown;
    for (int i = 0; i < int(categories_.size()); i += captionEvery_) shown << wrapped(categories_[i]);
    return shown;
}

void BarChart::build() {
    clearItems();
    clearPlottables();
    bars_.clear();
    delete barsGroup_;
    barsGroup_ = nullptr;
    const bool across = direction_ == Direction::Across;
    xAxis->setVisible(!(across && countOnTop_));
    xAxis2->setVisible(across && countOnTop_);
    yAxis->setVisible(true);
    yAxis2->setVisible(false);
    for (QCPAxis* axis : {xAxis, yAxis, xAxis2, yAxis2}) {
        axis->setRangeReversed(false);
        axis->setLabel(QString());
    }
    applyFont();

    QCPAxis* key = captionAxis();
    QCPAxis* value = countAxis();
    const int n = int(categories_.size());
    QSharedPointer<QCPAxisTickerText> captions(new QCPAxisTickerText);
    for (int i = 0; i < n; i += captionEvery_) captions->addTick(i, wrapped(categories_[i]));
    key->setTicker(captions);
    key->setSubTicks(false);
    key->setTickLength(0, 4);
    key->grid()->setVisible(false);
    key->setRange(-0.5, std::max(n, 1) - 0.5);
    key->setRangeReversed(across);  // the first category on top
    key->setLabel(categoryTitle_);
    setCountAxis(value, top_);
    value->grid()->setVisible(true);
    value->setLabel(countTitle_);

    const int groups = int(groups_.size());
    if (n > 0 && groups > 1) {
        barsGroup_ = new QCPBarsGroup(this);
        barsGroup_->setSpacingType(QCPBarsGroup::stAbsolute);
        barsGroup_->setSpacing(1);
    }
    QVector<double> keys(n);
    for (int i = 0; i < n; ++i) keys[i] = i;
    for (int g = 0; n > 0 && g < groups; ++g) {
        auto* bars = new QCPBars(key, value);
        bars->setName(groups_[g].name);
        bars->setWidth(slotWidth_ / groups);
        const QColor color = groupColor(g);
        bars->setBrush(color);
        bars->setPen(QPen(color.darker(115), 1));
        QVector<double> values(n, 0.0);
        for (int i = 0; i < n && i < int(groups_[g].values.size()); ++i) values[i] = groups_[g].values[i];
        bars->setData(keys, values, true);
        if (barsGroup_) bars->setBarsGroup(barsGroup_);
        bars_ << bars;
        if (!valueLabels_) continue;
        for (int i = 0; i < n; ++i) {
            auto* label = new QCPItemText(this);
            label->setClipToAxisRect(false);
            label->position->setType(QCPItemPosition::ptPlotCoords);
            label->position->setAxes(key, value);
            label->position->setCoords(i, values[i]);
            label->setPositionAlignment(across ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignHCenter | Qt::AlignBottom);
            label->setPadding(QMargins(3, 0, 3, 1));
            label->setFont(font());
            label->setColor(palette().color(QPalette::Text));
            label->setText(QString::number(values[i], 'f', 0));
        }
    }
    replot();
}

double BarChart::countAxisEnd() const { return countAxis()->range().upper; }

double BarChart::countTickStep() const {
    const auto fixed = countAxis()->ticker().dynamicCast<QCPAxisTickerFixed>();
    return fixed ? fixed->tickStep() : 0;
}

QPoint BarChart::barCentre(int group, int category) const {
    if (group < 0 || group >= int(bars_.size()) || category < 0 || category >= bars_[group]->dataCount()) return {};
    const QPointF end = bars_[group]->dataPixelPosition(category);
    const double base = countAxis()->coordToPixel(0);
    return (direction_ == Direction::Across ? QPointF((end.x() + base) / 2, end.y()) : QPointF(end.x(), (end.y() + base) / 2))
        .toPoint();
}

std::pair<int, int> BarChart::barAt(const QPointF& pos) const {
    for (int g = 0; g < int(bars_.size()); ++g) {
        QVariant details;
        if (bars_[g]->selectTest(pos, false, &details) < 0) continue;
        const QCPDataSelection hit = details.value<QCPDataSelection>();
        if (hit.isEmpty()) continue;
        const int index = hit.dataRange().begin();
        return {g, int(std::lround((bars_[g]->data()->constBegin() + index)->key))};
    }
    return {-1, -1};
}

QString BarChart::barText(int group, int category) const {
    if (group < 0 || group >= int(groups_.size()) || category < 0 || category >= int(categories_.size())) return {};
    const double v = category < int(groups_[group].values.size()) ? groups_[group].values[category] : 0;
    const QString value = QString::number(v, 'f', 0);
    const QString& name = groups_[group].name;
    const QString& caption = categories_[category];
    QString text = caption.isEmpty() ? QString() : caption + QStringLiteral("　");
    return text + (name.isEmpty() ? value : QStringLiteral("%1：%2").arg(name, value));
}

bool BarChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const auto [group, category] = barAt(help->pos());
        if (group >= 0)
            QToolTip::showText(help->globalPos(), barText(group, category), this);
        else
            QToolTip::hideText();
        return true;
    }
    return Plot::event(event);
}

void BarChart::mouseDoubleClickEvent(QMouseEvent* event) {
    Plot::mouseDoubleClickEvent(event);
    const auto [group, category] = barAt(event->position());
    if (group >= 0) emit barDoubleClicked(group, category);
}

}  // namespace tarnel
