#include "ui/panels/pool_source_panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/widgets/controls.h"
#include "ui/widgets/state_binding.h"
#include "ui/widgets/feedback_line.h"

namespace tarnel {

PoolSourcePanel::PoolSourcePanel(PoolSourceInputs& state, StateBinding& binding, QObject* parent)
    : QObject(parent), compoundFrame_(makeStack()) {
    QWidget* sourceFrame = compoundFrame_;
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("号码选择方式"), sourceFrame), 0, 0, 1, 2);
    compound_ = makeCheck(QStringLiteral("Check_fs_ip"), QStringLiteral("复试输入"), sourceFrame);
    grid->addWidget(compound_, 0, 2, 1, 2);
    const QString labels[3] = {QStringLiteral("百位"), QStringLiteral("十位"), QStringLiteral("个位")};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(labels[i], sourceFrame);
        digits_[i] = new LineBox(indexedName(QStringLiteral("T_dadi_in"), i), sourceFrame);
        // The hidden boxes keep their room, so ticking 复试输入 moves nothing
        // else; they share the width the frame has rather than widen it.
        QSizePolicy keep = digits_[i]->sizePolicy();
        keep.setHorizontalPolicy(QSizePolicy::Ignored);
        keep.setRetainSizeWhenHidden(true);
        digits_[i]->setMinimumWidth(40);
        digits_[i]->setSizePolicy(keep);
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
    v->addWidget(baseList_);
    connect(baseList_, &MultiLineBox::doubleClicked, baseList_, [this] { baseList_->clearUndoably(); });

    binding.bind(compound_, state.compoundOn);
    for (std::size_t i = 0; i < 3; ++i) binding.bind(digits_[i], state.compoundDigits[i]);
    binding.bind(baseList_, state.baseList);
    v->addWidget(new FeedbackLine(ListBox::BaseList, baseList_, binding, state.baseList, baseFrame_));
}

}  // namespace tarnel
