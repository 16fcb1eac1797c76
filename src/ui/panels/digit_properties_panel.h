#pragma once
// Controls of the digit-property conditions on Fmain: the sum tail, span and
// banker rows, the sum boxes, the AC row and the two position grids of
// Frame1 (middle left), the pattern and 012-road frames (middle right) and
// the special-exclusion frame (bottom right). The panel offers the three
// stacks of frames; the window places them.

#include <QObject>
#include <array>

#include "core/rules/digit_properties.h"

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace tarnel {

class LineBox;
class MultiLineBox;
class StateBinding;
class ToggleButton;

class DigitPropertyPanel : public QObject {
    Q_OBJECT
public:
    DigitPropertyPanel(DigitPropertyInputs& state, StateBinding& binding, QObject* parent = nullptr);
    QWidget* middleLeftFrames() const { return middleLeft_; }    // sum tail … AC, Frame1
    QWidget* middleRightFrames() const { return middleRight_; }  // patterns, 012 roads
    QWidget* bottomRightFrames() const { return bottomRight_; }  // 特别排除
    // Buttons whose behaviour the main window attaches: help texts and the tip.
    QPushButton* positionGridHelpButton() const { return positionHelp_; }
    QPushButton* formShapeHelpButton() const { return formHelp_; }
    QPushButton* tipButton() const { return tip_; }

private:
    QWidget* middleLeft_ = nullptr;
    QWidget* middleRight_ = nullptr;
    QWidget* bottomRight_ = nullptr;
    void buildMiddleLeft(QWidget* region);
    void buildPositionGrids(QWidget* region);
    void buildMiddleRight(QWidget* region);
    void buildBottomRight(QWidget* region);
    // One grid row button (C_..._all index 0..5): "全" or "清" of one position row.
    void setGridRow(std::array<ToggleButton*, 30>& grid, int rowButton);
    void bindAll(DigitPropertyInputs& state, StateBinding& binding);

    std::array<QCheckBox*, 10> sumTail_{};
    std::array<QCheckBox*, 10> span_{};
    std::array<QCheckBox*, 10> banker_{};
    std::array<QCheckBox*, 3> bankerCount_{};
    LineBox* sumLower_ = nullptr;
    LineBox* sumUpper_ = nullptr;
    MultiLineBox* sumList_ = nullptr;
    QHBoxLayout* sumListRow_ = nullptr;  // its label row, where its feedback line goes
    std::array<QCheckBox*, 3> ac_{};
    std::array<ToggleButton*, 30> compound_{};
    std::array<ToggleButton*, 30> position_{};
    std::array<QCheckBox*, 8> bigSmall_{};
    std::array<QCheckBox*, 8> oddEven_{};
    std::array<QCheckBox*, 8> primeComposite_{};
    std::array<QCheckBox*, kRoadBoxCount> road_{};
    std::array<QCheckBox*, 10> special_{};
    QPushButton* positionHelp_ = nullptr;
    QPushButton* formHelp_ = nullptr;
    QPushButton* tip_ = nullptr;
};

}  // namespace tarnel
