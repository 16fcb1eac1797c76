#pragma once
// Conditions out of sight: the mark on a tab button whose page holds a set
// condition, and the one-line summary of the set conditions under the
// result, whose names lead to their pages.

#include <QLabel>
#include <QPushButton>
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

class ConditionSummary : public QLabel {
    Q_OBJECT
public:
    explicit ConditionSummary(QWidget* parent = nullptr);

    void setConditions(std::vector<SetCondition> set);
    // The whole line as plain text, however much of it fits.
    QString summaryText() const;

signals:
    // A name was clicked whose controls are on tab page `page`.
    void pageRequested(int page);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();

    std::vector<SetCondition> set_;
};

}  // namespace tarnel
