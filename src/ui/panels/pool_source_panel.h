#pragma once
// The pool-source controls: compound digit input (Check_fs_ip, T_dadi_in)
// and the base-number list frame (T_jichu_dadi).

#include <QObject>

#include "core/rules/pool_sources.h"

class QCheckBox;
class QGroupBox;
class QWidget;

namespace tarnel {

class LineBox;
class MultiLineBox;
class StateBinding;

class PoolSourcePanel : public QObject {
    Q_OBJECT
public:
    // Builds the compound-input group and the base-list frame, each control
    // bound to its field of `state`; the window places both.
    PoolSourcePanel(PoolSourceInputs& state, StateBinding& binding, QObject* parent = nullptr);
    QWidget* compoundFrame() const { return compoundFrame_; }
    QGroupBox* baseListFrame() const { return baseFrame_; }

private:
    QCheckBox* compound_ = nullptr;
    LineBox* digits_[3] = {};
    MultiLineBox* baseList_ = nullptr;
    QGroupBox* baseFrame_ = nullptr;
    QWidget* compoundFrame_ = nullptr;
};

}  // namespace tarnel
