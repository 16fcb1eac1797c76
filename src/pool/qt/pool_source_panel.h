#pragma once
// The pool-source controls: compound digit input (Check_fs_ip, T_dadi_in)
// and the base-number list frame (T_jichu_dadi).

#include <QObject>

#include "pool/pool_sources.h"

class QCheckBox;
class QGroupBox;
class QWidget;

namespace tarnel {

class LineBox;
class MultiLineBox;

inline const QString kBaseListInitialText = QStringLiteral("\r\n大底号码\r\n\r\n双击清空\r\n");

class PoolSourcePanel : public QObject {
    Q_OBJECT
public:
    // Builds the compound-input group into `sourceFrame` and the base-list frame.
    PoolSourcePanel(QWidget* sourceFrame, QObject* parent = nullptr);
    QGroupBox* baseListFrame() const { return baseFrame_; }
    PoolSourceInputs collect() const;

private:
    QCheckBox* compound_ = nullptr;
    LineBox* digits_[3] = {};
    MultiLineBox* baseList_ = nullptr;
    QGroupBox* baseFrame_ = nullptr;
};

}  // namespace tarnel
