#pragma once
// Controls of the number-list conditions on the tab pages: 杀直选 (page 0),
// 垃圾复式 (1), 杀2码 (2), 必出2码 (3), 定位杀2码 (5) and the two-digit
// sum/difference grid T_lm_he in the upper part of 其它 (7).

#include <QObject>
#include <QString>
#include <array>

#include "conditions/number_lists.h"
#include "mainwindow/qt/main_regions.h"

namespace tarnel {

class LineBox;
class MultiLineBox;

// Opening texts of the boxes. None holds a digit, so none filters.
inline const QString kListTutorialHint = QStringLiteral("不懂使用请看软件教程\r\n");
inline const QString kPositionalKillHint = QStringLiteral("按右边提示格\r\n式输入可定位\r\n杀两码组合\r\n");
inline const QString kPairValueHint = QStringLiteral("用空格隔开");

class NumberListPanel : public QObject {
    Q_OBJECT
public:
    explicit NumberListPanel(const MainRegions& regions, QObject* parent = nullptr);
    // Reads the controls for a run. The T_lm_he boxes get their cleaned
    // value lists written back here (the other boxes are left untouched).
    NumberListInputs collect();

private:
    MultiLineBox* direct_ = nullptr;     // T_main_shazhixuan
    MultiLineBox* junk_ = nullptr;       // T_main_laji_fushi
    MultiLineBox* killPairs_ = nullptr;  // T_main_sha_2ma
    MultiLineBox* mustPairs_ = nullptr;  // T_main_bichu_2ma
    std::array<MultiLineBox*, 3> positionalKill_{};        // T_main_dw_sha 0..2
    std::array<LineBox*, kPairValueBoxes> pairValues_{};   // T_lm_he 0..14
};

}  // namespace tarnel
