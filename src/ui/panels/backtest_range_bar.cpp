#include "ui/panels/backtest_range_bar.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "core/files/csv.h"
#include "ui/widgets/atomic_file.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"

namespace tarnel {

BacktestRangeBar::BacktestRangeBar(const QString& baseName, QWidget* parent) : QWidget(parent) {
    setObjectName(baseName + QStringLiteral("_fanwei_lan"));
    // One line, so the table keeps its room on a small screen: the note
    // takes what the controls leave and wraps there.
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);

    auto* label = new QLabel(QStringLiteral("验证范围"), this);
    kind_ = new QComboBox(this);
    kind_->setObjectName(baseName + QStringLiteral("_fanwei"));
    kind_->addItems({QStringLiteral("全部开奖历史"), QStringLiteral("最近 N 期"), QStringLiteral("期号范围")});
    kind_->setToolTip(QStringLiteral("只验证一部分开奖号码：动态条件仍回看范围之前的开奖号码，盈亏只按范围计算"));
    label->setBuddy(kind_);
    auto field = [&](const QString& suffix, const QString& caption, const QString& tip, int digits, QLabel** shown) {
        *shown = new QLabel(caption, this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(baseName + suffix);
        edit->setMaxLength(24);
        edit->setToolTip(tip);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(digits, QLatin1Char('0'))) + 14);
        (*shown)->setBuddy(edit);
        row->addWidget(*shown);
        row->addWidget(edit);
        connect(edit, &QLineEdit::editingFinished, this, &BacktestRangeBar::takeEdit);
        return edit;
    };
    row->addWidget(label);
    row->addWidget(kind_);
    last_ = field(QStringLiteral("_fanwei_qishu"), QStringLiteral("最近"), QStringLiteral("验证最新的多少期"), 6,
                  &lastLabel_);
    last_->setText(QStringLiteral("100"));
    from_ = field(QStringLiteral("_fanwei_cong"), QStringLiteral("从"), QStringLiteral("起始期号；留空表示从最早一期起"), 9,
                  &fromLabel_);
    to_ = field(QStringLiteral("_fanwei_dao"), QStringLiteral("到"), QStringLiteral("结束期号；留空表示到最新一期"), 9,
                &toLabel_);
    note_ = new QLabel(this);
    note_->setObjectName(baseName + QStringLiteral("_fanwei_shuoming"));
    note_->setWordWrap(true);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    note_->hide();
    row->addSpacing(6);
    row->addWidget(note_, 1);
    row->addStretch(0);
    export_ = makeButton(baseName + QStringLiteral("_daochu"), QStringLiteral("导出CSV…"), colors::kLightGreen, this);
    export_->setToolTip(QStringLiteral("把下面的表格按显示的样子存为 CSV 文件（电子表格程序可以打开），最后几行是总结"));
    row->addWidget(export_);

    connect(kind_, &QComboBox::currentIndexChanged, this, [this] {
        showKind();
        takeEdit();
    });
    connect(export_, &QPushButton::clicked, this, &BacktestRangeBar::exportCsv);
    showKind();
}

void BacktestRangeBar::showKind() {
    const int kind = kind_->currentIndex();
    for (QWidget* w : std::initializer_list<QWidget*>{lastLabel_, last_}) w->setVisible(kind == 1);
    for (QWidget* w : std::initializer_list<QWidget*>{fromLabel_, from_, toLabel_, to_}) w->setVisible(kind == 2);
}

BacktestRange BacktestRangeBar::range() const {
    BacktestRange r;
    r.kind = static_cast<RangeKind>(std::clamp(kind_->currentIndex(), 0, 2));
    if (r.kind == RangeKind::Last) r.last = toStd(last_->text());
    if (r.kind == RangeKind::Issues) {
        r.from = toStd(from_->text());
        r.to = toStd(to_->text());
    }
    return r;
}

void BacktestRangeBar::setRange(const BacktestRange& range) {
    {
        const QSignalBlocker block(kind_);
        kind_->setCurrentIndex(int(range.kind));
    }
    if (range.kind == RangeKind::Last) last_->setText(fromStd(range.last));
    if (range.kind == RangeKind::Issues) {
        from_->setText(fromStd(range.from));
        to_->setText(fromStd(range.to));
    }
    showKind();
    takeEdit();
}

// A new range is announced once: leaving a field unchanged asks for nothing.
void BacktestRangeBar::takeEdit() {
    const BacktestRange now = range();
    if (now == taken_) return;
    taken_ = now;
    emit rangeChanged();
}

void BacktestRangeBar::showNote(const QString& note, bool refused) {
    note_->setText(note);
    note_->setStyleSheet(refused ? QStringLiteral("color: red;") : QStringLiteral("color: #205080;"));
    note_->setVisible(!note.isEmpty());
}

QString BacktestRangeBar::noteText() const { return note_->isHidden() ? QString() : note_->text(); }

void BacktestRangeBar::setExport(const QAbstractItemModel* model, std::function<QStringList()> summary) {
    model_ = model;
    summary_ = std::move(summary);
}

QByteArray BacktestRangeBar::csvBytes() const {
    CsvWriter csv;
    if (model_) {
        const int columns = model_->columnCount();
        std::vector<std::string> fields(std::size_t(std::max(columns, 0)));
        for (int c = 0; c < columns; ++c) fields[std::size_t(c)] = toStd(model_->headerData(c, Qt::Horizontal).toString());
        csv.row(fields);
        for (int r = 0, rows = model_->rowCount(); r < rows; ++r) {
            for (int c = 0; c < columns; ++c)
                fields[std::size_t(c)] = toStd(model_->data(model_->index(r, c), Qt::DisplayRole).toString());
            csv.row(fields);
        }
    }
    // The summary under the table, a blank line apart: one line a row.
    QStringList lines;
    if (!noteText().isEmpty()) lines << noteText();
    if (summary_) lines << summary_();
    lines.removeAll(QString());
    if (!lines.isEmpty()) csv.row({std::string_view()});
    for (const QString& line : lines) csv.row({toStd(line)});
    const std::string text = csv.take();
    return QByteArray(text.data(), qsizetype(text.size()));
}

QString BacktestRangeBar::writeCsv(const QString& path) const { return writeFileAtomically(path, csvBytes()); }

void BacktestRangeBar::exportCsv() {
    if (!services_) return;
    if (!model_ || model_->rowCount() == 0) {
        services_->showMessage(window(), kNoticeTitle, QStringLiteral("没有可以导出的验证结果。"));
        return;
    }
    QString path = services_->chooseSavePath(window(), QStringLiteral("导出验证结果"), QStringLiteral("历史验证.csv"),
                                             QStringLiteral("CSV 文件 (*.csv);;所有文件 (*)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
    const QString error = writeCsv(path);
    if (!error.isEmpty())
        services_->showMessage(window(), kErrorTitle,
                               QStringLiteral("验证结果没有导出到“%1”：%2。原有的文件没有改变。").arg(path, error));
}

}  // namespace tarnel
