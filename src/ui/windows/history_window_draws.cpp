// The history window and the kept draws: the lottery choice, the 开奖号码 box
// showing the kept draws of the chosen lottery, and a text of the player's
// own merged into them.
#include <QComboBox>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimer>
#include <QTabWidget>

#include "data/draw_store.h"
#include "ui/document/conditions_document.h"
#include "ui/widgets/text_boxes.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/draws_panel.h"
#include "ui/windows/history_window.h"
#include "ui/windows/stored_draws.h"

namespace tarnel {

namespace {

int indexOf(Lottery lottery) { return lottery == Lottery::Fc3d ? 0 : 1; }

QString nameOf(Lottery lottery) { return QString::fromStdString(std::string(lotteryName(lottery))); }

}  // namespace

QWidget* HistoryWindow::buildLotteryChoice() {
    auto* corner = new QWidget(this);
    auto* row = new QHBoxLayout(corner);
    row->setContentsMargins(6, 0, 0, 0);
    lottery_ = new QComboBox(corner);
    lottery_->setObjectName(QStringLiteral("Combo_caizhong"));
    for (Lottery l : kLotteries) lottery_->addItem(nameOf(l));
    shownLottery_ = document_.lottery();
    lottery_->setCurrentIndex(indexOf(shownLottery_));
    lottery_->setToolTip(QStringLiteral("开奖号码、动态条件、历史验证、走势统计、方案组合和条件寻优都按所选彩种的开奖号码"));
    draws_->setLottery(shownLottery_);
    auto* label = new QLabel(QStringLiteral("彩种："), corner);
    label->setBuddy(lottery_);
    row->addWidget(label);
    row->addWidget(lottery_);
    connect(lottery_, &QComboBox::currentIndexChanged, this,
            [this](int index) { document_.setLottery(kLotteries[std::max(0, index)]); });
    connect(&document_, &ConditionsDocument::lotteryChanged, this, &HistoryWindow::lotteryChosen);
    connect(&document_, &ConditionsDocument::storedDrawsChanged, this, &HistoryWindow::storedDrawsChanged);
    connect(draws_, &DrawsPanel::drawsChanged, &document_, &ConditionsDocument::noteStoredDraws);
    // The lottery stays while its draws are being fetched.
    connect(draws_, &DrawsPanel::updateRunning, lottery_, [this](bool running) { lottery_->setEnabled(!running); });
    // No higher than the tab bar beside it.
    const int height = tabs_->tabBar()->sizeHint().height();
    lottery_->setMaximumHeight(height);
    label->setMaximumHeight(height);
    corner->setFixedHeight(height);
    return corner;
}

void HistoryWindow::showStoredDraws() {
    const Lottery lottery = document_.lottery();
    shownLottery_ = lottery;
    DrawStore store(DrawsPanel::storePath());
    const auto draws = store.draws(lottery);
    const QString text = storedDrawsText(draws ? *draws : std::vector<StoredDraw>{}, document_.drawsOfThisRun(lottery));
    drawsNote_ = draws ? QString() : QString::fromStdString(store.error());
    showsStore_ = true;
    setBoxShowsStore(true);
    {
        const QSignalBlocker block(text_);
        text_->setText(text);
    }
    rereadNow();
}

void HistoryWindow::leaveStoredDraws() {
    showsStore_ = false;
    setBoxShowsStore(false);
    drawsNote_.clear();
}

void HistoryWindow::lotteryChosen(Lottery lottery) {
    {
        const QSignalBlocker block(lottery_);
        lottery_->setCurrentIndex(indexOf(lottery));
    }
    draws_->setLottery(lottery);
    if (lottery == shownLottery_) return;
    if (!showsStore_) {
        // What was typed and not yet read goes in first, into the lottery it was typed for.
        if (rereadTimer_->isActive() || dirty_) {
            typed_ = true;
            rereadNow();
        }
        // The draws without an issue stay with their lottery for the rest of this run.
        document_.setDrawsOfThisRun(shownLottery_, drawsWithoutIssueText(historyText()));
    }
    showStoredDraws();
}

void HistoryWindow::storedDrawsChanged(Lottery lottery) {
    draws_->reload();
    if (lottery != document_.lottery()) return;
    if (showsStore_) {
        showStoredDraws();
        return;
    }
    drawsNote_ = QStringLiteral("开奖库中的%1开奖号码有了变化；框中是粘贴、打开或输入的开奖号码，仍按它分析"
                                "（点“清空历史”即按开奖库分析）。")
                     .arg(nameOf(lottery));
    showStatus();
}

namespace {
// A merge away from the window's thread, on a connection of its own. Asked
// first, a conflict merges nothing and comes back as the question to put.
DrawsMerged mergeAway(const QString& storePath, Lottery lottery, const QString& text, bool askFirst) {
    DrawStore store(storePath);
    ConflictQuestion ask;
    if (askFirst) ask = [](const QString&) { return false; };
    return mergeHistoryText(store, lottery, text, ask);
}
}  // namespace

void HistoryWindow::mergeRead(const QString& text, bool ask) {
    if (merging_) {
        // The newest text waits; a question owed to an earlier paste is still asked.
        pendingAsk_ = (mergePending_ && pendingAsk_) || ask;
        mergePending_ = true;
        pendingText_ = text;
        pendingLottery_ = shownLottery_;
        return;
    }
    startMerge(text, shownLottery_, ask);
}

void HistoryWindow::startMerge(const QString& text, Lottery lottery, bool ask) {
    if (!merger_) {
        merger_ = new QFutureWatcher<DrawsMerged>(this);
        connect(merger_, &QFutureWatcherBase::finished, this, &HistoryWindow::mergeDone);
    }
    mergeText_ = text;
    mergeLottery_ = lottery;
    merging_ = true;
    merger_->setFuture(QtConcurrent::run(mergeAway, DrawsPanel::storePath(), lottery, text, ask));
}

void HistoryWindow::mergeDone() {
    // A result taken already (finishMerging) leaves nothing for its late signal.
    if (!merging_ || !merger_->future().isValid() || !merger_->future().isFinished()) return;
    DrawsMerged merged = merger_->future().takeResult();
    merging_ = false;
    if (!merged.question.isEmpty() && services_.askYesNo(this, kNoticeTitle, merged.question)) {
        startMerge(mergeText_, mergeLottery_, false);  // the kept numbers stay, the rest goes in
        return;
    }
    mergeText_.clear();
    if (merged.added > 0) document_.noteStoredDraws(mergeLottery_);
    if (!showsStore_ && mergeLottery_ == shownLottery_) {
        drawsNote_ = merged.line;
        showStatus();
    }
    if (std::exchange(mergePending_, false)) startMerge(std::exchange(pendingText_, QString()), pendingLottery_, pendingAsk_);
}

void HistoryWindow::finishMerging() {
    // Each merge done may begin another (after the player's answer, or the text that waited).
    while (merging_) {
        merger_->waitForFinished();
        mergeDone();
    }
}

QString HistoryWindow::drawsStatus() const {
    QString text;
    if (showsStore_)
        text = QStringLiteral("框中是%1开奖库中的开奖号码%2；在框中粘贴、打开或输入的开奖号码，有期号的存入开奖库。")
                   .arg(nameOf(shownLottery_))
                   .arg(document_.drawsOfThisRun(shownLottery_).isEmpty()
                            ? QString()
                            : QStringLiteral("，其后是本次运行中给出的没有期号的开奖号码（只在本次运行中分析，不保存）"));
    return text + drawsNote_;
}

}  // namespace tarnel
