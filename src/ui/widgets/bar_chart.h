#pragma once
// Bars that count things: one slot per category, one bar in it per group
// (a legend names the groups when asked), a count axis with ticks on whole
// numbers only, the value of a bar in a tooltip, and captions that are
// never cut short: a caption too long for its room is broken into lines.

#include <QColor>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <utility>

#include "ui/widgets/plot.h"

namespace tarnel {

class BarChart : public Plot {
    Q_OBJECT
public:
    // Bars stand up from the bottom (categories left to right), or run
    // across from the left (categories top to bottom).
    enum class Direction { Up, Across };
    struct Group {
        QString name;
        QList<double> values;  // one per category
    };

    explicit BarChart(QWidget* parent = nullptr);

    void setDirection(Direction direction);
    Direction direction() const { return direction_; }
    // Across: the count axis above the bars instead of below (in sight while they scroll).
    void setCountAxisOnTop(bool top);
    // Each bar's value written at its end.
    void setValueLabels(bool shown);
    // The captions' font, as a share of the window's font.
    void setCaptionScale(double scale);
    // Captions wider than this many pixels are broken into lines (0: never).
    void setCaptionWidth(int pixels);
    void setAxisTitles(const QString& categories, const QString& counts);
    // Only every `step`th caption on the axis (0, step, 2 step, …); every bar's tooltip names it.
    void setCaptionEvery(int step);
    // The width of a slot's bars together, as a share of the slot.
    void setSlotWidth(double share);

    // Shows `groups` over `categories`, the count axis running from 0 to the
    // first whole step at or above `top`. Captions may be empty (no label).
    void setBars(const QStringList& categories, const QList<Group>& groups, int top);
    // No bars (the title stays).
    void clearBars();

    // What the chart shows.
    const QStringList& categories() const { return categories_; }
    const QList<Group>& groups() const { return groups_; }
    // The captions as drawn, with the line breaks of long ones.
    QStringList shownCaptions() const;
    // The axis of the captions and that of the counts.
    QCPAxis* captionAxis() const;
    QCPAxis* countAxis() const;
    double countAxisEnd() const;
    double countTickStep() const;
    // The middle of a bar in the chart's own coordinates (after a replot).
    QPoint barCentre(int group, int category) const;
    // The bar under `pos`: {group, category}, or {-1, -1}.
    std::pair<int, int> barAt(const QPointF& pos) const;
    // The text of a bar's tooltip.
    QString barText(int group, int category) const;

signals:
    void barDoubleClicked(int group, int category);

protected:
    bool event(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void applyFont() override;

private:
    void build();
    QString wrapped(const QString& caption) const;

    Direction direction_ = Direction::Up;
    bool countOnTop_ = false;
    bool valueLabels_ = false;
    double captionScale_ = 1.0;
    int captionWidth_ = 0;
    int captionEvery_ = 1;
    double slotWidth_ = 0.7;
    QString categoryTitle_, countTitle_;
    QStringList categories_;
    QList<Group> groups_;
    int top_ = 1;
    QList<QCPBars*> bars_;
    QCPBarsGroup* barsGroup_ = nullptr;
};

}  // namespace tarnel
