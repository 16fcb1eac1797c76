#pragma once
// Conditions out of sight: the mark on a tab button whose page holds a set
// condition, and the summary of the set conditions (the rules that follow
// past draws among them) under the result, whose names lead to their pages.

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <vector>

#include "core/state/condition_marks.h"

namespace tarnel {

// A tab button of the main window, which can carry the mark of a set condition.
class TabButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

private:
    friend void setTabMarked(QPushButton* tab, bool marked);
    friend bool isTabMarked(const QPushButton* tab);
    QWidget* dot_ = nullptr;  // made when first marked
};

// Bold caption and a small dot in the corner while `marked`; the caption
// and the button's colours stay as they are. Only a TabButton takes a mark.
void setTabMarked(QPushButton* tab, bool marked);
bool isTabMarked(const QPushButton* tab);

// Every set condition by name, wrapped over as many lines as they take.
class ConditionSummary : public QLabel {
    Q_OBJECT
public:
    explicit ConditionSummary(QWidget* parent = nullptr);

    void setConditions(std::vector<SetCondition> set);
    // The whole summary as plain text.
    QString summaryText() const;

signals:
    // A name was clicked whose controls are on tab page `page`.
    void pageRequested(int page);
    // The names shown changed (the lines they take may have).
    void namesChanged();

private:
    std::vector<SetCondition> set_;
};

// Where the summary stands: as high as its lines up to `kMaxLines`, then it
// scrolls; when the window is short it gives way down to one line, so that
// the commands under it stay in sight.
class ConditionSummaryArea : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 4;
    explicit ConditionSummaryArea(QWidget* parent = nullptr);
    ConditionSummary* summary() const { return summary_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int lineHeight() const;
    ConditionSummary* summary_;
};

}  // namespace tarnel
