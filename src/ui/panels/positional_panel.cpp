#include "ui/panels/positional_panel.h"

#include <algorithm>

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "ui/widgets/controls.h"
#include "ui/widgets/state_binding.h"
#include "ui/widgets/ui_services.h"
#include "ui/widgets/feedback_line.h"

namespace tarnel {

namespace {

constexpr int kCellWidth = 24;
constexpr int kCellHeight = 22;

QBoxLayout* boxLayout(QWidget* region) { return static_cast<QBoxLayout*>(region->layout()); }

// A grid cell: a small toggle button, grey or green.
ToggleButton* makeCell(const QString& name, int index, const QString& caption, QWidget* parent) {
    auto* b = new ToggleButton(indexedName(name, index), caption, colors::kGreen, colors::kGrey, parent);
    b->setFixedSize(kCellWidth, kCellHeight);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QPushButton* makeSmallButton(const QString& name, int index, const QString& caption, QWidget* parent,
                             quint32 color = colors::kGrey) {
    auto* b = makeButton(indexedName(name, index), caption, color, parent);
    b->setFixedHeight(kCellHeight);
    b->setFixedWidth(std::max(kCellWidth + 10, b->fontMetrics().horizontalAdvance(caption) + 14));
    return b;
}

QLabel* namedLabel(const QString& name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

PositionalPanel::PositionalPanel(PositionalControls& state, StateBinding& binding, UiServices* services,
                                 QObject* parent)
    : QObject(parent), services_(services), bankerStack_(makeStack(4)), anyTwo_(makeStack(4)) {
    for (int page : {6, 8, 9}) pages_[std::size_t(page)] = makeStack();
    buildBankerFrame(bankerStack_);
    buildPairPage(pages_[6], state, binding);
    buildAnyTwoRow(anyTwo_);
    buildMatchPage(pages_[8]);
    buildGridPage(pages_[9]);
    fillMatchCombos();
    bindAll(state, binding);
}

void PositionalPanel::bindAll(PositionalControls& state, StateBinding& binding) {
    binding.bind(matchList_, state.matchRules);
    for (std::size_t i = 0; i < 3; ++i) binding.bind(matchCombos_[i], state.matchCombos[i]);
    for (std::size_t i = 0; i < state.hitGrid.size(); ++i) binding.bind(grid_[i], state.hitGrid[i]);
    for (std::size_t i = 0; i < state.anyTwoTails.size(); ++i) binding.bind(sumTails_[i], state.anyTwoTails[i]);
    binding.bind(bankerOn_, state.bankerOn);
    binding.bind(bankerRepeats_, state.bankerRepeats);
    for (std::size_t i = 0; i < state.bankerDigits.size(); ++i) binding.bind(bankerDigits_[i], state.bankerDigits[i]);
    for (std::size_t i = 0; i < state.bankerCounts.size(); ++i) binding.bind(bankerCounts_[i], state.bankerCounts[i]);
}

// ---- 胆组 ------------------------------------------------------------------

void PositionalPanel::buildBankerFrame(QWidget* region) {
    auto* frame = new QFrame(region);
    frame->setObjectName(QStringLiteral("Frame2"));
    frame->setFrameShape(QFrame::NoFrame);
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setHorizontalSpacing(1);
    grid->setVerticalSpacing(2);

    // Heading line: switch, repeat option, help, and the count heading.
    bankerOn_ = makeCheck(QStringLiteral("Check_danzu_sx0"), QStringLiteral("胆组"), frame);
    bankerRepeats_ = makeCheck(QStringLiteral("Check_danma_jc"), QStringLiteral("胆码计重"), frame);
    bankerHelp_ = makeButton(indexedName(QStringLiteral("C_shuoming"), 1), QStringLiteral("胆组说明"),
                             colors::kGrey, frame);
    bankerHelp_->setFixedHeight(kCellHeight);
    grid->addWidget(bankerOn_, 0, 0, 1, 3);
    grid->addWidget(bankerRepeats_, 0, 3, 1, 3);
    grid->addWidget(bankerHelp_, 0, 6, 1, 4);
    auto* countHeading = namedLabel(QStringLiteral("Label38"), QStringLiteral("胆码开出个数"), frame);
    countHeading->setAlignment(Qt::AlignCenter);
    grid->addWidget(countHeading, 0, 11, 1, 4);

    // Four rows: ten digits, 清, four counts, 全.
    for (int g = 0; g < kBankerGroupCount; ++g) {
        const int row = g + 1;
        for (int k = 0; k < 10; ++k) {
            const int index = 10 * g + k;
            auto* b = makeCell(QStringLiteral("C_danzu"), index, QString::number(index % 10), frame);
            bankerDigits_[index] = b;
            grid->addWidget(b, row, k);
        }
        auto* clear = makeSmallButton(QStringLiteral("C_danzu_cls"), g, QStringLiteral("清"), frame);
        grid->addWidget(clear, row, 10);
        connect(clear, &QPushButton::clicked, this, [this, g] { setBankerGroup(g, false); });
        for (int c = 0; c < 4; ++c) {
            const int index = 4 * g + c;
            auto* b = makeCell(QStringLiteral("C_danzu_gs"), index, QString::number(index % 4), frame);
            b->setFlipsOnClick(false);  // a count is checked against the group's digits first
            bankerCounts_[index] = b;
            grid->addWidget(b, row, 11 + c);
            connect(b, &QPushButton::clicked, this, [this, index] { clickBankerCount(index); });
        }
        auto* all = makeSmallButton(QStringLiteral("C_danzu_quan"), g, QStringLiteral("全"), frame);
        grid->addWidget(all, row, 15);
        connect(all, &QPushButton::clicked, this, [this, g] { setBankerGroup(g, true); });
    }

    connect(bankerOn_, &QCheckBox::toggled, this, &PositionalPanel::setBankerButtonsEnabled);
    setBankerButtonsEnabled(bankerOn_->isChecked());
    frame->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    boxLayout(region)->addWidget(frame, 0, Qt::AlignTop | Qt::AlignLeft);
}

void PositionalPanel::setBankerButtonsEnabled(bool enabled) {
    for (auto* b : bankerDigits_) b->setEnabled(enabled);
    for (auto* b : bankerCounts_) b->setEnabled(enabled);
}

void PositionalPanel::clickBankerCount(int index) {
    ToggleButton* button = bankerCounts_[index];
    if (bankerRepeats_->isChecked() || button->isSelected()) {
        button->flip();
        return;
    }
    const int group = index / 4;
    int chosen = 0;
    for (int k = 0; k < 10; ++k) chosen += bankerDigits_[10 * group + k]->isSelected() ? 1 : 0;
    const int count = button->text().toInt();
    if (count > chosen) {
        if (services_) services_->showMessage(bankerStack_->window(), kBankerCountErrorTitle, kBankerCountErrorText);
        return;
    }
    button->setSelected(true);
}

void PositionalPanel::setBankerGroup(int group, bool selected) {
    for (int k = 0; k < 10; ++k) bankerDigits_[10 * group + k]->setSelected(selected);
    for (int c = 0; c < 4; ++c) bankerCounts_[4 * group + c]->setSelected(selected);
}

// ---- 定位2码 ---------------------------------------------------------------

void PositionalPanel::buildPairPage(QWidget* page, PositionalControls& state, StateBinding& binding) {
    static const char* const kBoxLabels[3] = {"【定】百十", "【定】百个", "【定】十个"};
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* column = new QVBoxLayout;
        auto* box = new MultiLineBox(indexedName(QStringLiteral("T_main_dw2m"), i), page);
        box->setMinimumWidth(90);
        pairBoxes_[i] = box;
        column->addWidget(box, 1);
        auto* label = new QLabel(QString::fromUtf8(kBoxLabels[i]), page);
        label->setAlignment(Qt::AlignCenter);
        column->addWidget(label);
        binding.bind(box, state.pairLists[static_cast<std::size_t>(i)]);
        column->addWidget(new FeedbackLine(ListBox::PositionalPairs, box, binding,
                                           state.pairLists[static_cast<std::size_t>(i)], page));
        row->addLayout(column, 1);
        connect(box, &MultiLineBox::doubleClicked, box, [box] { box->clearUndoably(); });
    }

    auto* hints = new QVBoxLayout;
    for (const char* hint : {"输入格式：", "12  45  38", "空格隔开", "双击清空"})
        hints->addWidget(new QLabel(QString::fromUtf8(hint), page));
    hints->addStretch(1);
    row->addLayout(hints);
    boxLayout(page)->addLayout(row, 1);
}

// ---- 任意两码合保留 --------------------------------------------------------

void PositionalPanel::buildAnyTwoRow(QWidget* region) {
    auto* row = new QHBoxLayout;
    row->setSpacing(1);
    row->addWidget(namedLabel(indexedName(QStringLiteral("Label3"), 1), QStringLiteral("任意两码合保留"), region));
    row->addSpacing(4);
    for (int k = 0; k < 10; ++k) {
        auto* b = makeCell(QStringLiteral("C_ry2m_he"), k, QString::number(k), region);
        sumTails_[k] = b;
        row->addWidget(b);
    }
    row->addSpacing(4);
    auto* all = makeSmallButton(QStringLiteral("C_ry2m_cls"), 0, QStringLiteral("全"), region);
    auto* clear = makeSmallButton(QStringLiteral("C_ry2m_cls"), 1, QStringLiteral("清"), region);
    // Its help text is shown by the main window.
    anyTwoHelp_ = makeSmallButton(QStringLiteral("C_ry2m_cls"), 2, QStringLiteral("说明"), region);
    for (auto* b : {all, clear, anyTwoHelp_}) row->addWidget(b);
    row->addStretch(1);
    boxLayout(region)->addLayout(row);
    boxLayout(region)->addStretch(1);
    connect(all, &QPushButton::clicked, this, [this] {
        for (auto* b : sumTails_) b->setSelected(true);
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        for (auto* b : sumTails_) b->setSelected(false);
    });
}

// ---- 位置匹配 --------------------------------------------------------------

void PositionalPanel::buildMatchPage(QWidget* page) {
    auto* row = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* combos = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* combo = new QComboBox(page);
        combo->setObjectName(indexedName(QStringLiteral("C_wz_pp"), i));
        combo->setEditable(true);
        // Typed text is used as shown; it never becomes an item.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMinimumWidth(i == 1 ? 96 : 60);
        matchCombos_[i] = combo;
        combos->addWidget(combo, i == 1 ? 2 : 1);
    }
    left->addLayout(combos);
    matchList_ = new QListWidget(page);
    matchList_->setObjectName(QStringLiteral("L_wz_pp"));
    matchList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    matchList_->setUniformItemSizes(true);
    left->addWidget(matchList_, 1);
    row->addLayout(left, 1);

    auto* right = new QVBoxLayout;
    auto* add = makeButton(indexedName(QStringLiteral("C_wz_add"), 0), QStringLiteral("添加"), colors::kPaleGreen, page);
    auto* remove = makeButton(indexedName(QStringLiteral("C_wz_add"), 1), QStringLiteral("删除"),
                              colors::kLightYellow, page);
    right->addWidget(add);
    right->addWidget(remove);
    right->addSpacing(8);
    right->addWidget(namedLabel(QStringLiteral("Label50"), QStringLiteral("输入此条件表示号码将"), page));
    right->addWidget(namedLabel(QStringLiteral("Label51"), QStringLiteral("从此条件的范围内开出"), page));
    right->addStretch(1);
    row->addLayout(right);
    boxLayout(page)->addLayout(row, 1);

    connect(add, &QPushButton::clicked, this, &PositionalPanel::addMatchRule);
    connect(remove, &QPushButton::clicked, this, &PositionalPanel::deleteSelectedRules);
}

void PositionalPanel::fillMatchCombos() {
    const QStringList positions = {QStringLiteral("百"), QStringLiteral("十"), QStringLiteral("个")};
    QStringList relations;
    for (std::string_view word : kMatchRelations) relations << fromStd(word);
    const QStringList* items[3] = {&positions, &relations, &positions};
    const int defaults[3] = {0, 0, 2};
    for (int i = 0; i < 3; ++i) {
        QComboBox* combo = matchCombos_[i];
        combo->clear();
        combo->addItems(*items[i]);
        combo->setCurrentIndex(defaults[i]);
        combo->setEditText(combo->itemText(defaults[i]));
    }
}

void PositionalPanel::addMatchRule() {
    const std::string line = matchRuleLine(toStd(matchCombos_[0]->currentText()), toStd(matchCombos_[1]->currentText()),
                                           toStd(matchCombos_[2]->currentText()));
    matchList_->addItem(fromStd(line));
}

void PositionalPanel::deleteSelectedRules() {
    for (int row = matchList_->count() - 1; row >= 0; --row)
        if (matchList_->item(row)->isSelected()) delete matchList_->takeItem(row);
}

// ---- 定位容对 --------------------------------------------------------------

void PositionalPanel::buildGridPage(QWidget* page) {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(1);
    grid->setVerticalSpacing(2);
    static const char* const kRowLabels[3] = {"百", "十", "个"};
    for (int r = 0; r < 3; ++r) {
        grid->addWidget(new QLabel(QString::fromUtf8(kRowLabels[r]), page), r + 1, 0);
        for (int k = 0; k < 10; ++k) {
            const int index = 10 * r + k;
            grid_[index] = makeCell(QStringLiteral("C_3d_dwrd"), index, QString::number(k), page);
            grid->addWidget(grid_[index], r + 1, k + 1);
        }
    }
    grid->setColumnMinimumWidth(11, 12);
    auto* countLabel = new QLabel(QStringLiteral("出几个"), page);
    countLabel->setAlignment(Qt::AlignCenter);
    grid->addWidget(countLabel, 0, 12, 1, 2);
    for (int c = 0; c < 4; ++c) {
        const int index = 30 + c;
        grid_[index] = makeCell(QStringLiteral("C_3d_dwrd"), index, QString::number(c), page);
        grid->addWidget(grid_[index], 1 + c / 2, 12 + c % 2);
    }

    auto* all = makeSmallButton(QStringLiteral("C_3d_dw2m_cls"), 0, QStringLiteral("全"), page);
    auto* clear = makeSmallButton(QStringLiteral("C_3d_dw2m_cls"), 1, QStringLiteral("清"), page);
    grid->addWidget(all, 3, 12);
    grid->addWidget(clear, 3, 13);
    connect(all, &QPushButton::clicked, this, [this] {
        for (auto* b : grid_) b->setSelected(true);
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        for (auto* b : grid_) b->setSelected(false);
    });

    auto* row = new QHBoxLayout;
    row->addLayout(grid);
    row->addStretch(1);
    boxLayout(page)->addLayout(row);
    boxLayout(page)->addStretch(1);
}

// ---- after a run -----------------------------------------------------------

void PositionalPanel::showCleanedPairLists(const std::array<std::string, 3>& texts) {
    for (std::size_t i = 0; i < 3; ++i) {
        const QString shown = fromStd(texts[i]);
        if (pairBoxes_[i]->text() != shown) pairBoxes_[i]->setText(shown);
    }
}

}  // namespace tarnel
