#include "ui/windows/draws_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QVBoxLayout>
#include <set>

#include "core/files/draw_merge.h"
#include "core/files/history.h"
#include "data/draw_store.h"
#include "data/draw_update.h"
#include "ui/widgets/data_folder.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/settings.h"
#include "ui/windows/stored_draws.h"

namespace tarnel {

namespace {

QString& storePathOverride() {
    static QString path;
    return path;
}

Setting sourceSetting(Lottery lottery) { return lottery == Lottery::Fc3d ? Setting::DrawsSource3d : Setting::DrawsSourceP3; }


}  // namespace

QString DrawsPanel::storePath() {
    return storePathOverride().isEmpty() ? drawStorePath(dataFolder()) : storePathOverride();
}

void DrawsPanel::setStorePath(const QString& path) { storePathOverride() = path; }

DrawsPanel::DrawsPanel(QWidget* parent, bool ownChoice)
    : QWidget(parent), store_(std::make_unique<DrawStore>(storePath())), ownChoice_(ownChoice) {
    setObjectName(QStringLiteral("Frame_kaijiangku"));
    lotteryBox_ = new QComboBox(this);
    // Within 开奖历史 the window's own choice is the one shown (and named so).
    lotteryBox_->setObjectName(ownChoice ? QStringLiteral("Combo_caizhong") : QStringLiteral("Combo_caizhong_ku"));
    for (Lottery l : kLotteries) lotteryBox_->addItem(fromStd(std::string(lotteryName(l))));
    list_ = new QPlainTextEdit(this);
    list_->setObjectName(QStringLiteral("Text_kaijiangku"));
    list_->setReadOnly(true);
    list_->setLineWrapMode(QPlainTextEdit::NoWrap);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Label_kaijiangku"));
    status_->setWordWrap(true);
    updateButton_ = new QPushButton(QStringLiteral("更新开奖号码"), this);
    updateButton_->setObjectName(QStringLiteral("Command_gengxin"));
    cancelButton_ = new QPushButton(QStringLiteral("取消"), this);
    cancelButton_->setObjectName(QStringLiteral("Command_quxiao"));
    cancelButton_->setEnabled(false);
    auto* paste = new QPushButton(QStringLiteral("粘贴并入"), this);
    paste->setObjectName(QStringLiteral("Command_niantie"));
    auto* open = new QPushButton(QStringLiteral("打开并入…"), this);
    open->setObjectName(QStringLiteral("Command_dakai"));
    auto* exportButton = new QPushButton(QStringLiteral("导出…"), this);
    exportButton->setObjectName(QStringLiteral("Command_daochu"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("Progress_gengxin"));
    progress_->setVisible(false);
    checkAtStart_ = new QCheckBox(QStringLiteral("启动时检查新开奖"), this);
    checkAtStart_->setObjectName(QStringLiteral("Check_qidong"));
    checkAtStart_->setChecked(Settings::boolValue(Setting::DrawsCheckAtStart));

    auto* top = new QHBoxLayout;
    if (ownChoice) {
        top->addWidget(new QLabel(QStringLiteral("彩种："), this));
        top->addWidget(lotteryBox_);
    } else {
        lotteryBox_->hide();
    }
    top->addStretch(1);
    top->addWidget(checkAtStart_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {paste, open, exportButton}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(progress_);
    buttons->addWidget(updateButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    layout->addWidget(status_);

    connect(lotteryBox_, &QComboBox::currentIndexChanged, this, [this] {
        status_->clear();
        refresh();
    });
    connect(paste, &QPushButton::clicked, this, &DrawsPanel::pasteClipboard);
    connect(open, &QPushButton::clicked, this, &DrawsPanel::openFile);
    connect(exportButton, &QPushButton::clicked, this, &DrawsPanel::exportText);
    connect(updateButton_, &QPushButton::clicked, this, &DrawsPanel::startUpdate);
    connect(cancelButton_, &QPushButton::clicked, this, &DrawsPanel::cancelUpdate);
    connect(checkAtStart_, &QCheckBox::toggled, this,
            [](bool on) { Settings::set(Setting::DrawsCheckAtStart, on); });
    refresh();
}

DrawsPanel::~DrawsPanel() = default;

Lottery DrawsPanel::lottery() const { return kLotteries[std::max(0, lotteryBox_->currentIndex())]; }

void DrawsPanel::setLottery(Lottery lottery) { lotteryBox_->setCurrentIndex(lottery == Lottery::Fc3d ? 0 : 1); }

QString DrawsPanel::statusLine() const { return status_->text(); }

QString DrawsPanel::shownDraws() const { return list_->toPlainText(); }

void DrawsPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) refresh();
}

void DrawsPanel::refresh() {
    // Within 开奖历史 the page is read when it is shown: the window opens at once.
    if (!ownChoice_ && !isVisible()) {
        stale_ = true;
        return;
    }
    stale_ = false;
    const auto draws = store_->draws(lottery());
    if (!draws) {
        list_->clear();
        status_->setText(fromStd(store_->error()));
        return;
    }
    QString text;
    text.reserve(qsizetype(draws->size()) * 24);
    for (auto it = draws->rbegin(); it != draws->rend(); ++it)
        text += fromStd(it->issue) + QLatin1Char(' ') + (it->date.empty() ? QStringLiteral("-") : fromStd(it->date)) + QLatin1Char(' ') +
                fromStd(it->number) + QLatin1Char('\n');
    list_->setPlainText(text);
    if (status_->text().isEmpty())
        status_->setText(draws->empty() ? QStringLiteral("库中还没有%1的开奖号码。").arg(fromStd(std::string(lotteryName(lottery()))))
                                        : QStringLiteral("库中有 %1 期，最新一期 %2。").arg(draws->size()).arg(fromStd(draws->back().issue)));
}

void DrawsPanel::mergeText(const QString& text) {
    const DrawsMerged merged = mergeHistoryText(*store_, lottery(), text, [this](const QString& question) {
        return ask_ ? ask_(question)
                    : QMessageBox::question(this, QStringLiteral("号码不同"), question, QMessageBox::Yes | QMessageBox::Cancel) ==
                          QMessageBox::Yes;
    });
    status_->setText(merged.line);
    if (!merged.written) return;
    refresh();
    emit drawsChanged(lottery());
}

void DrawsPanel::pasteClipboard() { mergeText(QApplication::clipboard()->text()); }

void DrawsPanel::openFile() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("打开开奖历史"), QString(),
                                                      QStringLiteral("文本文件 (*.txt *.csv);;所有文件 (*)"));
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(kHistoryMaxBytes)) {
        status_->setText(QStringLiteral("无法读取 %1").arg(path));
        return;
    }
    const QByteArray bytes = file.readAll();
    mergeText(fromStd(decodeHistoryText(std::string_view(bytes.constData(), std::size_t(bytes.size())))));
}

void DrawsPanel::exportText() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出开奖号码"),
                                                      fromStd(std::string(lotteryName(lottery()))) + QStringLiteral(".txt"),
                                                      QStringLiteral("文本文件 (*.txt)"));
    if (path.isEmpty()) return;
    const auto draws = store_->draws(lottery());
    if (!draws) {
        status_->setText(fromStd(store_->error()));
        return;
    }
    QByteArray text;
    for (const StoredDraw& d : *draws)
        text += QByteArray::fromStdString(d.issue + ' ' + (d.date.empty() ? "-" : d.date) + ' ' + d.number[0] + ' ' +
                                          d.number[1] + ' ' + d.number[2] + "\r\n");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        status_->setText(QStringLiteral("无法写入 %1").arg(path));
        return;
    }
    status_->setText(QStringLiteral("已导出 %1 期到 %2。").arg(draws->size()).arg(path));
}

void DrawsPanel::startUpdate() {
    if (update_) return;
    update_ = new DrawUpdate(*store_, lottery(), this);
    const QString base = Settings::stringValue(sourceSetting(lottery()));
    if (!base.isEmpty()) update_->setBase(base);
    update_->setPageTimeout(pageTimeoutMs_);
    connect(update_, &DrawUpdate::pageStarted, this, [this](int page, int maxPages) {
        progress_->setRange(0, maxPages);
        progress_->setValue(page - 1);
        progress_->setFormat(QStringLiteral("第 %1 页").arg(page));
        status_->setText(QStringLiteral("正在取第 %1 页……").arg(page));
    });
    connect(update_, &DrawUpdate::finished, this, &DrawsPanel::updateDone);
    progress_->setVisible(true);
    updateButton_->setEnabled(false);
    cancelButton_->setEnabled(true);
    lotteryBox_->setEnabled(false);
    emit updateRunning(true);
    update_->start();
}

void DrawsPanel::cancelUpdate() {
    if (update_) update_->cancel();
}

void DrawsPanel::updateDone(const UpdateOutcome& outcome) {
    const Lottery l = lottery();
    status_->setText(fromStd(outcome.line(l)));
    progress_->setVisible(false);
    updateButton_->setEnabled(true);
    cancelButton_->setEnabled(false);
    lotteryBox_->setEnabled(true);
    update_->deleteLater();
    update_ = nullptr;
    emit updateRunning(false);
    if (outcome.ok()) {
        const QString line = status_->text();
        refresh();
        status_->setText(line);
        if (outcome.added > 0) emit drawsChanged(l);
    }
    emit updateFinished();
}

}  // namespace tarnel
