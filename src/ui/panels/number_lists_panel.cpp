#include "ui/panels/number_lists_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <climits>

#include "ui/widgets/controls.h"
#include "ui/widgets/state_binding.h"
#include "ui/widgets/feedback_line.h"

namespace tarnel {

namespace {

// Hint labels beside the boxes, top to bottom.
const char* const kDirectHints[] = {"输入您认为", "不出的号", "如123  557", "双击清空"};
const char* const kJunkHints[] = {"垃圾复式", "可多行", "12*78*56", "双击清空"};
const char* const kPairHints[] = {"输入格式", "12  35  48", "空格隔开", "双击清空"};
const char* const kPositionalHints[] = {"输入格式：", "12  45  38", "空格隔开", "双击清空"};
const char* const kPositionalLabels[] = {"【杀】百十", "【杀】百个", "【杀】十个"};

const char* const kPairValueRowLabels[kPairValueRows] = {"两码和保留：", "两码和排除：", "两码差保留：",
                                                         "两码差排除：", "两码合排除："};
const char* const kPairValueColumnLabels[kPairValueColumns] = {"百十", "百个", "十个"};

template <std::size_t N>
QVBoxLayout* hintColumn(const char* const (&hints)[N], QWidget* parent) {
    auto* column = new QVBoxLayout;
    for (const char* hint : hints) column->addWidget(new QLabel(QString::fromUtf8(hint), parent));
    column->addStretch(1);
    return column;
}

MultiLineBox* clearableBox(const QString& name, QWidget* parent) {
    auto* box = new MultiLineBox(name, parent);
    QObject::connect(box, &MultiLineBox::doubleClicked, box, [box] { box->clearUndoably(); });
    return box;
}

// A page with one list box over its feedback line, and its hint labels to the right.
MultiLineBox* listPage(QWidget* parent, const QString& name, const char* const (&hints)[4], ListBox kind,
                       std::string& field, StateBinding& binding) {
    auto* row = new QHBoxLayout;
    auto* box = clearableBox(name, parent);
    binding.bind(box, field);
    auto* column = new QVBoxLayout;
    column->addWidget(box, 1);
    column->addWidget(new FeedbackLine(kind, box, binding, field, parent));
    row->addLayout(column, 1);
    row->addLayout(hintColumn(hints, parent));
    static_cast<QBoxLayout*>(parent->layout())->addLayout(row);
    return box;
}

}  // namespace

NumberListPanel::NumberListPanel(NumberListInputs& state, StateBinding& binding, QObject* parent)
    : QObject(parent) {
    for (int page : {0, 1, 2, 3, 5}) pages_[std::size_t(page)] = makeStack();
    otherPage_ = makeStack(4);
    direct_ = listPage(pages_[0], QStringLiteral("T_main_shazhixuan"), kDirectHints, ListBox::DirectNumbers,
                       state.directNumbers, binding);
    junk_ = listPage(pages_[1], QStringLiteral("T_main_laji_fushi"), kJunkHints, ListBox::JunkCompounds,
                     state.junkCompounds, binding);
    killPairs_ = listPage(pages_[2], QStringLiteral("T_main_sha_2ma"), kPairHints, ListBox::KillPairs,
                          state.killPairs, binding);
    mustPairs_ = listPage(pages_[3], QStringLiteral("T_main_bichu_2ma"), kPairHints, ListBox::MustPairs,
                          state.mustPairs, binding);

    // 定位杀2码: three boxes under their position labels, hints to the right.
    {
        QWidget* page = pages_[5];
        auto* row = new QHBoxLayout;
        for (int i = 0; i < 3; ++i) {
            auto* column = new QVBoxLayout;
            column->addWidget(new QLabel(QString::fromUtf8(kPositionalLabels[i]), page));
            positionalKill_[static_cast<std::size_t>(i)] =
                clearableBox(indexedName(QStringLiteral("T_main_dw_sha"), i), page);
            auto* box = positionalKill_[static_cast<std::size_t>(i)];
            column->addWidget(box, 1);
            binding.bind(box, state.positionalKill[static_cast<std::size_t>(i)]);
            column->addWidget(new FeedbackLine(ListBox::PositionalKill, box, binding,
                                               state.positionalKill[static_cast<std::size_t>(i)], page));
            row->addLayout(column, 1);
        }
        row->addLayout(hintColumn(kPositionalHints, page));
        static_cast<QBoxLayout*>(page->layout())->addLayout(row);
    }

    // 其它, upper part: five rows of three boxes, each box after its column label.
    {
        QWidget* area = otherPage_;
        auto* grid = new QGridLayout;
        grid->setHorizontalSpacing(4);
        for (int row = 0; row < kPairValueRows; ++row) {
            grid->addWidget(new QLabel(QString::fromUtf8(kPairValueRowLabels[row]), area), row, 0);
            for (int col = 0; col < kPairValueColumns; ++col) {
                const int k = row * kPairValueColumns + col;
                grid->addWidget(new QLabel(QString::fromUtf8(kPairValueColumnLabels[col]), area), row,
                                1 + col * 2, Qt::AlignRight);
                auto* box = new LineBox(indexedName(QStringLiteral("T_lm_he"), k), area);
                box->setMinimumWidth(60);
                connect(box, &LineBox::doubleClicked, box, [box] { box->clearUndoably(); });
                grid->addWidget(box, row, 2 + col * 2);
                pairValues_[static_cast<std::size_t>(k)] = box;
            }
        }
        grid->setColumnStretch(2, 1);
        grid->setColumnStretch(4, 1);
        grid->setColumnStretch(6, 1);
        static_cast<QBoxLayout*>(area->layout())->addLayout(grid);
    }

    for (std::size_t k = 0; k < pairValues_.size(); ++k) binding.bind(pairValues_[k], state.pairValues[k]);
}

QList<QWidget*> NumberListPanel::guideHintBoxes() const { return {direct_, junk_, killPairs_}; }

void NumberListPanel::showCleanedValueLists(const std::array<std::string, kPairValueBoxes>& texts) {
    for (std::size_t k = 0; k < pairValues_.size(); ++k) {
        const QString shown = fromStd(texts[k]);
        if (pairValues_[k]->text() != shown) pairValues_[k]->setText(shown);
    }
}

}  // namespace tarnel
