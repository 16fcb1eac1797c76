#include "pool/qt/pool_source_panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "common/qt/controls.h"

namespace tarnel {

PoolSourcePanel::PoolSourcePanel(QWidget* sourceFrame, QObject* parent) : QObject(parent) {
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("号码选择方式"), sourceFrame), 0, 0, 1, 2);
    compound_ = makeCheck(QStringLiteral("Check_fs_ip"), QStringLiteral("复试输入"), sourceFrame);
    grid->addWidget(compound_, 0, 2, 1, 2);
    const QString labels[3] = {QStringLiteral("百位"), QStringLiteral("十位"), QStringLiteral("个位")};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(labels[i], sourceFrame);
        digits_[i] = new LineBox(indexedName(QStringLiteral("T_dadi_in"), i), sourceFrame);
        digits_[i]->setVisible(false);
        label->setBuddy(digits_[i]);
        grid->addWidget(label, 1, i * 2);
        grid->addWidget(digits_[i], 1, i * 2 + 1);
    }
    static_cast<QBoxLayout*>(sourceFrame->layout())->addLayout(grid);

    // The boxes follow the tick, also when the value is set from code.
    connect(compound_, &QCheckBox::toggled, this, [this](bool on) {
        for (auto* box : digits_) box->setVisible(on);
    });

    baseFrame_ = new QGroupBox(QStringLiteral("大底号码"));
    auto* v = new QVBoxLayout(baseFrame_);
    baseList_ = new MultiLineBox(QStringLiteral("T_jichu_dadi"), baseFrame_);
    baseList_->setText(kBaseListInitialText);
    v->addWidget(baseList_);
    connect(baseList_, &MultiLineBox::doubleClicked, baseList_, [this] { baseList_->setText(QString()); });
}

PoolSourceInputs PoolSourcePanel::collect() const {
    PoolSourceInputs in;
    in.compoundOn = compound_->isChecked();
    for (int i = 0; i < 3; ++i) in.compoundDigits[static_cast<std::size_t>(i)] = toStd(digits_[i]->text());
    in.baseList = toStd(baseList_->text());
    return in;
}

}  // namespace tarnel
