#pragma once
// Controls of the number-list conditions on the tab pages: 杀直选 (page 0),
// 垃圾复式 (1), 杀2码 (2), 必出2码 (3), 定位杀2码 (5) and the two-digit
// sum/difference grid T_lm_he in the upper part of 其它 (7). The panel
// offers one frame per page; the window places them.

#include <QList>
#include <QObject>
#include <QString>
#include <array>

#include "core/rules/number_lists.h"

class QWidget;

namespace tarnel {

class LineBox;
class MultiLineBox;
class StateBinding;

class NumberListPanel : public QObject {
    Q_OBJECT
public:
    NumberListPanel(NumberListInputs& state, StateBinding& binding, QObject* parent = nullptr);
    // What goes on tab page `page` (0, 1, 2, 3, 5), else null.
    QWidget* pageFrame(int page) const { return page >= 0 && page < 10 ? pages_[std::size_t(page)] : nullptr; }
    // The upper part of page 7 (其它): the T_lm_he grid.
    QWidget* otherPageFrame() const { return otherPage_; }
    // After a run: the T_lm_he boxes show their cleaned value lists.
    void showCleanedValueLists(const std::array<std::string, kPairValueBoxes>& texts);
    // The boxes whose opening hint sends the player to the guide: 杀直选, 垃圾复式, 杀2码.
    QList<QWidget*> guideHintBoxes() const;

private:
    std::array<QWidget*, 10> pages_{};
    QWidget* otherPage_ = nullptr;
    MultiLineBox* direct_ = nullptr;     // T_main_shazhixuan
    MultiLineBox* junk_ = nullptr;       // T_main_laji_fushi
    MultiLineBox* killPairs_ = nullptr;  // T_main_sha_2ma
    MultiLineBox* mustPairs_ = nullptr;  // T_main_bichu_2ma
    std::array<MultiLineBox*, 3> positionalKill_{};        // T_main_dw_sha 0..2
    std::array<LineBox*, kPairValueBoxes> pairValues_{};   // T_lm_he 0..14
};

}  // namespace tarnel
