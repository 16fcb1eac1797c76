#pragma once
// The frame every chart of the program shares: a plot with a title above
// it and, when asked for, its legend in a row below it, nothing to drag or
// zoom, and the window's font throughout.

#include <QString>
#include <qcustomplot.h>

namespace tarnel {

class Plot : public QCustomPlot {
    Q_OBJECT
public:
    explicit Plot(QWidget* parent = nullptr);

    // The title above the plot; an empty one takes no room.
    void setTitle(const QString& title);
    QString title() const;

    // The legend, in rows under the plot.
    void setLegendShown(bool shown);
    bool legendShown() const;

    // A modest size: layouts give a chart the room left by tables and text.
    QSize sizeHint() const override { return {360, 240}; }

protected:
    void changeEvent(QEvent* event) override;
    // Sets the window's font and colours on the axes, legend and title.
    virtual void applyFont();

private:
    QCPTextElement* title_ = nullptr;
    QString titleText_;
};

}  // namespace tarnel
