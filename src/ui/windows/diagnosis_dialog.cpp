#include "ui/windows/diagnosis_dialog.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <optional>

#include "ui/document/conditions_document.h"
#include "ui/widgets/controls.h"
#include "core/rules/text.h"
#include "core/state/input_feedback.h"

namespace tarnel {

namespace {

enum DiagnosisColumn { kNumberColumn, kVerdictColumn, kCountColumn, kRowsColumn, kLastRunColumn, kDiagnosisColumnCount };

// Whether two lists of rows added at run time rule out the same numbers by the same rows.
bool sameRows(const std::vector<ExtraRow>& a, const std::vector<ExtraRow>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ExtraRow& x, const ExtraRow& y) {
        return x.number == y.number && x.name == y.name && x.effectiveKills() == y.effectiveKills();
    });
}

const char* const kDiagnosisHeaders[kDiagnosisColumnCount] = {"号码", "结果", "条件数/容错", "排除它的条件", "上次缩水"};
const QString kPrompt = QStringLiteral("输入一个或多个三位数号码，用空格、逗号等任意符号隔开，然后按“诊断”。");

QString readingText(const NumberReading& r) {
    if (r.found == 0) {
        QString text = QStringLiteral("没有读到三位数的号码（每个号码写三位数字，如 035）");
        if (r.ignored > 0) text += QStringLiteral("；%1 段不是三位的数字已忽略").arg(r.ignored);
        if (r.fullWidth) text += QStringLiteral("；") + fromStd(kFullWidthDigitsWarning);
        return text + QStringLiteral("。");
    }
    QString text = QStringLiteral("读到 %1 个号码").arg(r.found);
    if (static_cast<int>(r.numbers.size()) < r.found)
        text += QStringLiteral("（重复的只诊断一次，共 %1 个）").arg(r.numbers.size());
    if (r.ignored > 0) text += QStringLiteral("；另有 %1 段不是三位的数字，已忽略").arg(r.ignored);
    if (r.fullWidth) text += QStringLiteral("；") + fromStd(kFullWidthDigitsWarning);
    return text + QStringLiteral("。");
}

// The rows that rule a number out by name: the pool sources that leave it
// out of the pool first, then the conditions.
QString rowNames(const NumberDiagnosis& d) {
    QStringList sources, conditions;
    for (const std::string& name : d.sourceNames) sources << fromStd(name);
    for (const std::string& name : d.conditionNames) conditions << fromStd(name);
    QString text;
    if (!sources.isEmpty()) text = QStringLiteral("不在大底内（%1）").arg(sources.join(QStringLiteral("、")));
    if (!conditions.isEmpty()) {
        if (!text.isEmpty()) text += QStringLiteral("；");
        text += conditions.join(QStringLiteral("、"));
    }
    return text.isEmpty() ? QStringLiteral("—") : text;
}

}  // namespace

DiagnosisDialog::DiagnosisDialog(ConditionsDocument& document, QWidget* parent)
    : QDialog(parent), document_(document) {
    connect(&document_, &ConditionsDocument::ran, this, [this] {
        if (isVisible()) refresh();
    });
    setObjectName(QStringLiteral("F_zhenduan"));
    setWindowTitle(QStringLiteral("号码诊断"));
    setModal(false);

    auto* label = new QLabel(QStringLiteral("号码"), this);
    numbers_ = new LineBox(QStringLiteral("T_zhenduan_haoma"), this);
    numbers_->setPlaceholderText(QStringLiteral("如 123 456 789"));
    label->setBuddy(numbers_);
    button_ = makeButton(QStringLiteral("C_zhenduan"), QStringLiteral("诊断"), colors::kLightGreen, this);
    button_->setDefault(true);
    button_->setMinimumWidth(72);
    connect(button_, &QPushButton::clicked, this, &DiagnosisDialog::diagnose);
    auto* inputRow = new QHBoxLayout;
    inputRow->addWidget(label);
    inputRow->addWidget(numbers_, 1);
    inputRow->addWidget(button_);

    reading_ = new QLabel(kPrompt, this);
    reading_->setObjectName(QStringLiteral("L_zhenduan_duqu"));
    reading_->setWordWrap(true);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("L_zhenduan_zongji"));
    QFont bold = summary_->font();
    bold.setBold(true);
    summary_->setFont(bold);
    basis_ = new QLabel(this);
    basis_->setObjectName(QStringLiteral("L_zhenduan_yiju"));
    basis_->setWordWrap(true);

    table_ = new QTableWidget(0, kDiagnosisColumnCount, this);
    table_->setObjectName(QStringLiteral("Grid_zhenduan"));
    for (int c = 0; c < kDiagnosisColumnCount; ++c)
        table_->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(kDiagnosisHeaders[c])));
    table_->horizontalHeaderItem(kCountColumn)
        ->setToolTip(QStringLiteral("排除这个号码的条件个数 / 容错；条件数不超过容错且在大底内的号码保留"));
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(true);
    table_->setColumnWidth(kNumberColumn, 56);
    table_->setColumnWidth(kVerdictColumn, 56);
    table_->setColumnWidth(kCountColumn, 88);
    table_->setColumnWidth(kLastRunColumn, 72);
    table_->horizontalHeaderItem(kLastRunColumn)
        ->setToolTip(QStringLiteral("结果框中上次缩水的结论；条件在那次缩水后改动过时才显示"));
    table_->setColumnHidden(kLastRunColumn, true);
    table_->horizontalHeader()->setSectionResizeMode(kRowsColumn, QHeaderView::Stretch);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(inputRow);
    layout->addWidget(reading_);
    layout->addWidget(summary_);
    layout->addWidget(basis_);
    layout->addWidget(table_, 1);
    resize(sizeHint());
}

QSize DiagnosisDialog::sizeHint() const { return QSize(720, 460); }

void DiagnosisDialog::diagnoseText(const QString& text) {
    numbers_->setText(text);
    diagnose();
}

void DiagnosisDialog::refresh() {
    if (diagnosed_) diagnose();
}

void DiagnosisDialog::diagnose() {
    const NumberReading reading = readNumbers(toStd(numbers_->text()));
    const MainConditions& state = document_.conditions();
    const int tolerance = state.tolerance;
    const RowKills kills = computeRowKills(shrinkInputs(state), document_.ruleRows());
    diagnosed_ = true;
    results_.clear();
    for (int n : reading.numbers) results_.push_back(diagnoseNumber(kills, n, tolerance));

    // The result box holds the last run; when the conditions changed since,
    // both answers are given, so a listed number said to be ruled out is explained.
    const MainRun* run = document_.lastRun() ? &*document_.lastRun() : nullptr;
    std::optional<RowKills> ranKills;
    if (run) {
        RowKills then = computeRowKills(run->inputs, run->extra);
        if (then.byRow != kills.byRow || !sameRows(then.extra, kills.extra) || run->tolerance != tolerance)
            ranKills = std::move(then);
    }
    if (!run)
        basis_->setText(QStringLiteral("按当前条件诊断（还没有缩水过）。"));
    else if (!ranKills)
        basis_->setText(QStringLiteral("按当前条件诊断，与结果框中上次缩水的条件相同。"));
    else
        basis_->setText(QStringLiteral("按当前条件诊断。条件在上次缩水后已改动，结果框中是上次缩水的结果；"
                                       "“上次缩水”一栏是那次的结论，与现在不同的以橙色标出，指针停在上面可看那次排除它的条件。"));
    table_->setColumnHidden(kLastRunColumn, !ranKills);

    reading_->setText(readingText(reading));
    int kept = 0;
    for (const NumberDiagnosis& d : results_) kept += d.survives ? 1 : 0;
    summary_->setText(results_.empty() ? QString()
                                       : QStringLiteral("保留 %1 个，排除 %2 个（容错 %3）")
                                             .arg(kept)
                                             .arg(static_cast<int>(results_.size()) - kept)
                                             .arg(tolerance));

    // Rows fit their contents; measured once the table is filled, not again
    // after every cell (which made a thousand numbers take most of a minute).
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->clearContents();
    table_->setRowCount(static_cast<int>(results_.size()));
    int line = 0;
    for (const NumberDiagnosis& d : results_) {
        auto* number = new QTableWidgetItem(fromStd(numberText(d.number, 3)));
        number->setTextAlignment(Qt::AlignCenter);
        auto* verdict = new QTableWidgetItem(d.survives ? QStringLiteral("保留") : QStringLiteral("排除"));
        verdict->setTextAlignment(Qt::AlignCenter);
        verdict->setForeground(d.survives ? QColor(0, 128, 0) : QColor(200, 0, 0));
        auto* count = new QTableWidgetItem(QStringLiteral("%1 / %2").arg(d.conditions).arg(tolerance));
        count->setTextAlignment(Qt::AlignCenter);
        if (ranKills) {
            const NumberDiagnosis then = diagnoseNumber(*ranKills, d.number, run->tolerance);
            auto* last = new QTableWidgetItem(then.survives ? QStringLiteral("保留") : QStringLiteral("排除"));
            last->setTextAlignment(Qt::AlignCenter);
            if (then.survives != d.survives) {
                last->setForeground(QColor(192, 88, 0));
                if (!then.survives) last->setToolTip(rowNames(then));
            }
            table_->setItem(line, kLastRunColumn, last);
        }
        table_->setItem(line, kNumberColumn, number);
        table_->setItem(line, kVerdictColumn, verdict);
        table_->setItem(line, kCountColumn, count);
        table_->setItem(line, kRowsColumn, new QTableWidgetItem(rowNames(d)));
        ++line;
    }
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

std::vector<int> numbersToDiagnose(const QPlainTextEdit* box, const QPoint& pos) {
    const QTextCursor selection = box->textCursor();
    if (selection.hasSelection()) {
        const NumberReading selected = readNumbers(toStd(selection.selectedText()));
        if (!selected.numbers.empty()) return selected.numbers;
    }
    const QTextCursor at = box->cursorForPosition(pos);
    const QString line = at.block().text();
    const auto digit = [&line](qsizetype i) {
        return i >= 0 && i < line.size() && line[i] >= QLatin1Char('0') && line[i] <= QLatin1Char('9');
    };
    qsizetype i = at.positionInBlock();
    // Over the right half of a character the cursor stands after it.
    if (!digit(i)) --i;
    if (!digit(i)) return {};
    qsizetype start = i, end = i + 1;
    while (digit(start - 1)) --start;
    while (digit(end)) ++end;
    if (end - start != 3) return {};
    return {line.mid(start, 3).toInt()};
}

void addDiagnoseAction(QMenu* menu, const QPlainTextEdit* box, const QPoint& pos,
                       const std::function<void(const QString&)>& diagnose) {
    const std::vector<int> numbers = numbersToDiagnose(box, pos);
    if (numbers.empty()) return;
    QStringList texts;
    for (int n : numbers) texts << fromStd(numberText(n, 3));
    const QString caption = numbers.size() == 1 ? QStringLiteral("诊断号码 %1").arg(texts.front())
                                                : QStringLiteral("诊断选中的 %1 个号码").arg(texts.size());
    menu->addSeparator();
    QAction* action = menu->addAction(caption);
    action->setObjectName(QStringLiteral("diagnose-number"));
    QObject::connect(action, &QAction::triggered, menu, [diagnose, text = texts.join(QLatin1Char(' '))] {
        diagnose(text);
    });
}

}  // namespace tarnel
