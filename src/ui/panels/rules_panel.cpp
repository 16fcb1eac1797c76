#include "ui/panels/rules_panel.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "core/rules/text.h"
#include "core/state/past_draw_rules.h"
#include "ui/widgets/controls.h"

namespace tarnel {

namespace {

enum RuleColumn { kSentenceColumn, kValuesColumn, kRuleKillsColumn, kRuleColumnCount };
const char* const kRuleHeaders[kRuleColumnCount] = {"动态条件", "现在取值", "排除注数"};

const QString kNotReady = QStringLiteral("历史不足");

QString valuesText(std::uint32_t values) {
    const std::vector<int> list = valueList(values);
    if (list.empty()) return QStringLiteral("取值 无");
    QString text = QStringLiteral("取值");
    for (int v : list) text += QLatin1Char(' ') + QString::number(v);
    return text;
}

// A spin box whose text can be followed keystroke by keystroke: its own
// signals wait for a number, and an emptied box is no number.
class RuleSpinBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    QLineEdit* editor() const { return lineEdit(); }
};

QTableWidgetItem* cell(const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(align);
    return item;
}

}  // namespace

// ---- the editor of one rule ------------------------------------------------------------

RuleEditor::RuleEditor(const PastDrawRule& rule, bool adding, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("F_dongtai_guize"));
    setWindowTitle(adding ? QStringLiteral("添加动态条件") : QStringLiteral("修改动态条件"));

    measure_ = new QComboBox(this);
    measure_->setObjectName(QStringLiteral("Combo_dt_zhibiao"));
    for (const RuleMeasureInfo& m : kRuleMeasures)
        measure_->addItem(QString::fromUtf8(m.name.data(), qsizetype(m.name.size())));
    source_ = new QComboBox(this);
    source_->setObjectName(QStringLiteral("Combo_dt_laiyuan"));
    source_->addItem(QStringLiteral("最近出现"));
    source_->addItem(QStringLiteral("遗漏"));
    // Every keystroke counts: the sentence follows it, and a half-typed
    // number that makes no rule yet is said, never pushed into range.
    draws_ = new RuleSpinBox(this);
    draws_->setObjectName(QStringLiteral("Spin_dt_qishu"));
    draws_->setRange(1, kRuleMaxDraws);
    draws_->setSuffix(QStringLiteral(" 期"));
    min_ = new RuleSpinBox(this);
    min_->setObjectName(QStringLiteral("Spin_dt_zuishao"));
    max_ = new RuleSpinBox(this);
    max_->setObjectName(QStringLiteral("Spin_dt_zuiduo"));
    for (QSpinBox* spin : {min_, max_}) spin->setRange(0, kRuleMaxDraws);
    action_ = new QComboBox(this);
    action_->setObjectName(QStringLiteral("Combo_dt_caozuo"));
    action_->addItem(QStringLiteral("杀"));
    action_->addItem(QStringLiteral("保留"));
    sentence_ = new QLabel(this);
    sentence_->setObjectName(QStringLiteral("L_dt_juzi"));
    sentence_->setWordWrap(true);
    QFont bold = sentence_->font();
    bold.setBold(true);
    sentence_->setFont(bold);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("L_dt_tishi"));
    notice_->setWordWrap(true);
    notice_->setStyleSheet(QStringLiteral("color:#B00000"));
    notice_->hide();

    auto* omission = new QHBoxLayout;
    omission->addWidget(min_);
    omission->addWidget(new QLabel(QStringLiteral("到"), this));
    omission->addWidget(max_);
    omission->addWidget(new QLabel(QStringLiteral("期"), this));
    omission->addStretch(1);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QStringLiteral("指标"), measure_);
    form->addRow(QStringLiteral("取值方式"), source_);
    form->addRow(QStringLiteral("看最近"), draws_);
    form->addRow(QStringLiteral("遗漏期数"), omission);
    form->addRow(QStringLiteral("动作"), action_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* hint = new QLabel(QStringLiteral("遗漏：某个值最近一次开出后又过了几期。上一期就开出为 0，\n"
                                           "看的这些期里都没开出，就算作看的期数。"),
                            this);
    hint->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(notice_);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(sentence_);
    layout->addWidget(buttons);

    setRule(rule);
    connect(measure_, &QComboBox::currentIndexChanged, this, &RuleEditor::showSentence);
    connect(action_, &QComboBox::currentIndexChanged, this, &RuleEditor::showSentence);
    connect(source_, &QComboBox::currentIndexChanged, this, &RuleEditor::sourceChanged);
    connect(draws_, &QSpinBox::valueChanged, this, &RuleEditor::drawsChanged);
    // The bounds stay as typed: a minimum above the maximum is said, not swapped.
    for (QSpinBox* spin : {min_, max_}) connect(spin, &QSpinBox::valueChanged, this, &RuleEditor::showSentence);
    // A keystroke that leaves no number (the box emptied) changes no value.
    for (QSpinBox* spin : {draws_, min_, max_})
        connect(static_cast<RuleSpinBox*>(spin)->editor(), &QLineEdit::textChanged, this, &RuleEditor::showSentence);
}

void RuleEditor::setRule(const PastDrawRule& rule) {
    const QSignalBlocker blocks[] = {QSignalBlocker(measure_), QSignalBlocker(source_), QSignalBlocker(draws_),
                                     QSignalBlocker(min_),     QSignalBlocker(max_),    QSignalBlocker(action_)};
    measure_->setCurrentIndex(static_cast<int>(rule.measure));
    source_->setCurrentIndex(rule.from == RuleSource::Recent ? 0 : 1);
    draws_->setValue(rule.draws);
    if (rule.from == RuleSource::Omission) {
        max_->setValue(rule.max);
        min_->setValue(rule.min);
    } else {
        // What 遗漏 would start from: any omission in the window.
        min_->setValue(0);
        max_->setValue(draws_->value());
    }
    action_->setCurrentIndex(rule.action == RuleAction::Kill ? 0 : 1);
    lastDraws_ = draws_->value();
    sourceChanged();
}

PastDrawRule RuleEditor::rule() const {
    PastDrawRule r;
    r.measure = static_cast<RuleMeasure>(std::clamp(measure_->currentIndex(), 0, kRuleMeasureCount - 1));
    r.from = source_->currentIndex() == 1 ? RuleSource::Omission : RuleSource::Recent;
    r.draws = draws_->value();
    if (r.from == RuleSource::Omission) {
        r.min = min_->value();
        r.max = max_->value();
    }
    r.action = action_->currentIndex() == 1 ? RuleAction::Keep : RuleAction::Kill;
    return r;
}

QString RuleEditor::sentence() const { return sentence_->text(); }

namespace {

// A box's number as typed; nullopt when nothing that reads as one is there.
std::optional<int> typedNumber(const QSpinBox* spin) {
    bool ok = false;
    const int value = spin->cleanText().trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

QString RuleEditor::problem() const {
    const std::optional<int> draws = typedNumber(draws_);
    if (!draws || *draws < 1) return QStringLiteral("请填写要看最近多少期（1 到 %1 期）。").arg(kRuleMaxDraws);
    if (source_->currentIndex() != 1) return {};
    const std::optional<int> min = typedNumber(min_);
    const std::optional<int> max = typedNumber(max_);
    if (!min) return QStringLiteral("请填写遗漏期数的最少值。");
    if (!max) return QStringLiteral("请填写遗漏期数的最多值。");
    if (*min > *max)
        return QStringLiteral("遗漏期数的最少值 %1 大于最多值 %2：请改小最少值或改大最多值。").arg(*min).arg(*max);
    if (*max > *draws)
        return QStringLiteral("遗漏期数的最多值 %1 超过了看的 %2 期：遗漏最多只能算到看的期数。").arg(*max).arg(*draws);
    return {};
}

void RuleEditor::setNotice(const QString& notice) {
    notice_->setText(notice);
    notice_->setVisible(!notice.isEmpty());
}

QString RuleEditor::notice() const { return notice_->text(); }

void RuleEditor::done(int result) {
    if (result == QDialog::Accepted) {
        // What cannot make a rule stays as typed, and is said.
        showSentence();
        if (!problem().isEmpty()) return;
        // A number still being typed counts as the player left it.
        for (QSpinBox* spin : {draws_, min_, max_}) spin->interpretText();
    }
    QDialog::done(result);
}

void RuleEditor::sourceChanged() {
    const bool omission = source_->currentIndex() == 1;
    min_->setEnabled(omission);
    max_->setEnabled(omission);
    showSentence();
}

void RuleEditor::drawsChanged() {
    const int draws = draws_->value();
    // A range up to the whole window keeps reaching it.
    const bool maxAtWindow = max_->value() == lastDraws_;
    lastDraws_ = draws;
    if (maxAtWindow) {
        const QSignalBlocker block(max_);
        max_->setValue(draws);
    }
    showSentence();
}

void RuleEditor::showSentence() {
    const QString wrong = problem();
    sentence_->setStyleSheet(wrong.isEmpty() ? QString() : QStringLiteral("color:#B00000"));
    sentence_->setText(wrong.isEmpty() ? fromStd(ruleSentence(rule())) : wrong);
    if (ok_) ok_->setEnabled(wrong.isEmpty());
}

// ---- the page --------------------------------------------------------------------------

RulesPanel::RulesPanel(QObject* parent) : QObject(parent), frame_(makeStack()) {
    QWidget* page = frame_;
    note_ = new QLabel(page);
    note_->setObjectName(QStringLiteral("L_dt_lishi"));
    note_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* history = makeButton(QStringLiteral("C_dt_lishi"), QStringLiteral("开奖历史"), colors::kLightYellow, page);
    history->setToolTip(QStringLiteral("规则从开奖历史取值：打开开奖历史读入或修改开奖号码"));
    connect(history, &QPushButton::clicked, this, &RulesPanel::historyWanted);

    table_ = new QTableWidget(0, kRuleColumnCount, page);
    table_->setObjectName(QStringLiteral("Grid_dongtai"));
    for (int c = 0; c < kRuleColumnCount; ++c)
        table_->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(kRuleHeaders[c])));
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setSectionResizeMode(kSentenceColumn, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(kValuesColumn, QHeaderView::Interactive);
    table_->setColumnWidth(kValuesColumn, 150);
    table_->setColumnWidth(kRuleKillsColumn, 70);
    table_->setMinimumHeight(60);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { editRule(row); });
    connect(table_, &QTableWidget::itemSelectionChanged, this, &RulesPanel::updateButtons);

    const struct {
        QPushButton** button;
        const char* name;
        const char* caption;
        const char* tip;
    } commands[] = {
        {&add_, "C_dt_tianjia", "添加", "添加一条动态条件"},
        {&edit_, "C_dt_xiugai", "修改", "修改选中的动态条件（也可双击它）"},
        {&remove_, "C_dt_shanchu", "删除", "删除选中的动态条件"},
        {&up_, "C_dt_shangyi", "上移", "把选中的动态条件上移一行"},
        {&down_, "C_dt_xiayi", "下移", "把选中的动态条件下移一行"},
    };
    auto* buttons = new QHBoxLayout;
    for (const auto& c : commands) {
        *c.button = makeButton(QString::fromLatin1(c.name), QString::fromUtf8(c.caption), colors::kLightBlue, page);
        (*c.button)->setToolTip(QString::fromUtf8(c.tip));
        buttons->addWidget(*c.button);
    }
    buttons->addStretch(1);
    buttons->addWidget(history);
    connect(add_, &QPushButton::clicked, this, &RulesPanel::addRule);
    connect(edit_, &QPushButton::clicked, this, [this] { editRule(currentRule()); });
    connect(remove_, &QPushButton::clicked, this, &RulesPanel::removeRule);
    connect(up_, &QPushButton::clicked, this, [this] { moveRule(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { moveRule(1); });

    // The commands over the list, the history the rules read under it: the
    // page stays as low as the other pages.
    auto* layout = static_cast<QVBoxLayout*>(page->layout());
    layout->addLayout(buttons);
    layout->addWidget(table_, 1);
    layout->addWidget(note_);
    showRules({}, {}, {});
}

void RulesPanel::showRules(const std::vector<PastDrawRule>& rules, const std::vector<ExtraRow>& rows,
                           std::span<const int> past) {
    const int keep = wantedSelection_ >= 0 ? wantedSelection_ : currentRule();
    wantedSelection_ = -1;
    rules_ = rules;
    // The rule under the open editor changed or went (清空所有条件, another
    // window): the editor keeps what was typed and says where it will go.
    if (editor_ && editing_ >= 0 && !editedRuleStands())
        editor_->setNotice(QStringLiteral("正在修改的这条动态条件已在别处被改动或删除（例如“清空所有条件”）。"
                                          "这里填写的设置都还在：点“确定”会把它作为一条新的动态条件加在最后，点“取消”则放弃。"));

    if (past.empty())
        note_->setText(QStringLiteral("还没有开奖历史：规则按开奖历史为下一期取值，请先读入开奖号码。"));
    else
        note_->setText(QStringLiteral("按开奖历史 %1 期为下一期取值（最近一期 %2）。")
                           .arg(past.size())
                           .arg(fromStd(numberText(past.back(), 3))));
    note_->setToolTip(note_->text());

    const QSignalBlocker blocker(table_);
    table_->clearContents();
    table_->setRowCount(static_cast<int>(rules_.size()));
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const PastDrawRule& rule = rules_[i];
        const int line = static_cast<int>(i);
        const bool ready = ruleReady(rule, past.size());
        auto* sentence = cell(fromStd(ruleSentence(rule)));
        sentence->setToolTip(QStringLiteral("看最近 %1 期").arg(rule.draws));
        table_->setItem(line, kSentenceColumn, sentence);
        QTableWidgetItem* values = nullptr;
        if (ready) {
            values = cell(valuesText(ruleValues(rule, past)));
        } else {
            values = cell(kNotReady);
            values->setForeground(QColor(192, 88, 0));
            values->setToolTip(QStringLiteral("这条规则要看 %1 期，开奖历史只有 %2 期：暂不排除号码")
                                   .arg(rule.draws)
                                   .arg(past.size()));
        }
        table_->setItem(line, kValuesColumn, values);
        const int kills = i < rows.size() ? static_cast<int>(rows[i].effectiveKills().count()) : 0;
        table_->setItem(line, kRuleKillsColumn, cell(QString::number(kills), Qt::AlignRight | Qt::AlignVCenter));
    }
    selectRule(std::min(keep, static_cast<int>(rules_.size()) - 1));
    updateButtons();
}

int RulesPanel::currentRule() const {
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->row();
}

void RulesPanel::selectRule(int index) {
    if (index < 0 || index >= table_->rowCount()) {
        table_->clearSelection();
        table_->setCurrentItem(nullptr);
    } else {
        table_->selectRow(index);
    }
    updateButtons();
}

void RulesPanel::updateButtons() {
    const int at = currentRule();
    const int n = static_cast<int>(rules_.size());
    edit_->setEnabled(at >= 0);
    remove_->setEnabled(at >= 0);
    up_->setEnabled(at > 0);
    down_->setEnabled(at >= 0 && at + 1 < n);
}

void RulesPanel::propose(std::vector<PastDrawRule> rules, int select) {
    wantedSelection_ = select;
    emit rulesEdited(rules);
    // When the list comes back unchanged (nothing to change), the selection still moves.
    if (wantedSelection_ >= 0) {
        wantedSelection_ = -1;
        selectRule(select);
    }
}

void RulesPanel::addRule() {
    if (editor_) return;
    openEditor(new RuleEditor(lastAdded_, true, frame_->window()));
    connect(editor_, &QDialog::accepted, this, [this, editor = editor_.data()] {
        lastAdded_ = editor->rule();
        std::vector<PastDrawRule> next = rules_;
        next.push_back(lastAdded_);
        propose(std::move(next), static_cast<int>(rules_.size()));
    });
    editor_->open();
}

bool RulesPanel::editedRuleStands() const {
    return editing_ >= 0 && editing_ < static_cast<int>(rules_.size()) &&
           rules_[static_cast<std::size_t>(editing_)] == editingRule_;
}

void RulesPanel::openEditor(RuleEditor* editor) {
    editor_ = editor;
    editing_ = -1;
    editor->setAttribute(Qt::WA_DeleteOnClose);
    // Closed is done with, whenever the deletion comes.
    connect(editor, &QDialog::finished, this, [this, editor] {
        if (editor_ == editor) editor_ = nullptr;
    });
}

void RulesPanel::editRule(int index) {
    if (editor_ || index < 0 || index >= static_cast<int>(rules_.size())) return;
    const PastDrawRule before = rules_[static_cast<std::size_t>(index)];
    openEditor(new RuleEditor(before, false, frame_->window()));
    editing_ = index;
    editingRule_ = before;
    connect(editor_, &QDialog::accepted, this, [this, editor = editor_.data()] {
        // The list may have changed under the editor (清空所有条件, another
        // window): the edit goes to the same rule while it is still there,
        // and otherwise joins the list as a new rule, as the editor said.
        std::vector<PastDrawRule> next = rules_;
        if (editedRuleStands()) {
            next[static_cast<std::size_t>(editing_)] = editor->rule();
            propose(std::move(next), editing_);
        } else {
            next.push_back(editor->rule());
            propose(std::move(next), static_cast<int>(rules_.size()));
        }
    });
    editor_->open();
}

void RulesPanel::removeRule() {
    const int at = currentRule();
    if (at < 0) return;
    std::vector<PastDrawRule> next = rules_;
    next.erase(next.begin() + at);
    propose(std::move(next), std::min(at, static_cast<int>(next.size()) - 1));
}

void RulesPanel::moveRule(int by) {
    const int at = currentRule();
    const int to = at + by;
    if (at < 0 || to < 0 || to >= static_cast<int>(rules_.size())) return;
    std::vector<PastDrawRule> next = rules_;
    std::swap(next[static_cast<std::size_t>(at)], next[static_cast<std::size_t>(to)]);
    propose(std::move(next), to);
}

}  // namespace tarnel
