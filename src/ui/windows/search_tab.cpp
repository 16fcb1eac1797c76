#include "ui/windows/search_tab.h"

#include <QDoubleSpinBox>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent>
#include <cmath>

#include "ui/document/conditions_document.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/price_settings.h"
#include "ui/widgets/search_null_chart.h"
#include "ui/widgets/ui_services.h"

namespace tarnel {

namespace {

const QString kIntro = QStringLiteral(
    "在较早的开奖上逐条挑出最能提高命中的动态条件，再用最新的、没有参与挑选的开奖检验；"
    "并在纯随机的开奖上重复同样的寻优，看运气能否做到同样好。挑选时看起来好不算数，检验期和随机对照才算数。");

QString number(double v, int decimals) {
    return std::isfinite(v) ? QString::number(v, 'f', decimals) : QStringLiteral("-");
}

QString yuan(double v) {
    if (!std::isfinite(v)) return QStringLiteral("-");
    const qint64 fen = std::llround(v * 100);
    return (fen < 0 ? QStringLiteral("-") : QString()) + PriceSettings::amountText(double(fen < 0 ? -fen : fen) / 100);
}

// The rows of the figures table, training and holdout side by side.
enum Row { Scored, Hits, Chance, Z, BetCount, Cost, Win, ChanceWin, Net, RowCount };
const char* const kRowNames[RowCount] = {"计算的期数", "中奖期数",       "随机投注平均中",     "z 值（多出几个标准差）",
                                         "投注（直选）", "花费",         "奖金",             "随机投注平均奖金",
                                         "盈亏"};

}  // namespace

SearchTab::SearchTab(ConditionsDocument& document, QWidget* parent)
    : QWidget(parent), document_(document), services_(document.services()) {
    setObjectName(QStringLiteral("Frame_xunyou"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(kIntro, this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* controls = new QHBoxLayout;
    const auto labelled = [&](const QString& caption, QWidget* field) {
        controls->addWidget(new QLabel(caption, this));
        controls->addWidget(field);
    };
    holdout_ = new QDoubleSpinBox(this);
    holdout_->setObjectName(QStringLiteral("T_xunyou_jianyan"));
    holdout_->setRange(0.05, 0.95);
    holdout_->setSingleStep(0.05);
    holdout_->setDecimals(2);
    labelled(QStringLiteral("最新开奖留作检验的比例"), holdout_);
    maxRules_ = new QSpinBox(this);
    maxRules_->setObjectName(QStringLiteral("T_xunyou_tiaoshu"));
    maxRules_->setRange(1, kSearchMaxRules);
    labelled(QStringLiteral("最多条件数"), maxRules_);
    nullRuns_ = new QSpinBox(this);
    nullRuns_->setObjectName(QStringLiteral("T_xunyou_suiji"));
    nullRuns_->setRange(0, kSearchMaxNullRuns);
    labelled(QStringLiteral("随机对照次数"), nullRuns_);
    seed_ = new QSpinBox(this);
    seed_->setObjectName(QStringLiteral("T_xunyou_zhongzi"));
    seed_->setRange(0, 999999999);
    labelled(QStringLiteral("随机数种子"), seed_);
    startButton_ = new QPushButton(QStringLiteral("开始寻优"), this);
    startButton_->setObjectName(QStringLiteral("B_xunyou_kaishi"));
    cancelButton_ = new QPushButton(QStringLiteral("取消"), this);
    cancelButton_->setObjectName(QStringLiteral("B_xunyou_quxiao"));
    cancelButton_->setEnabled(false);
    controls->addWidget(startButton_);
    controls->addWidget(cancelButton_);
    controls->addStretch(1);
    layout->addLayout(controls);

    auto* progressRow = new QHBoxLayout;
    progress_ = new QProgressBar(this);
    progress_->setVisible(false);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("L_xunyou_zhuangtai"));
    progressRow->addWidget(status_, 1);
    progressRow->addWidget(progress_);
    layout->addLayout(progressRow);

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    rules_ = new QLabel(this);
    rules_->setObjectName(QStringLiteral("L_xunyou_tiaojian"));
    rules_->setWordWrap(true);
    rules_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    left->addWidget(rules_);
    figures_ = new QTableWidget(RowCount, 2, this);
    figures_->setObjectName(QStringLiteral("Grid_xunyou"));
    figures_->setHorizontalHeaderLabels({QStringLiteral("参与寻优的开奖"), QStringLiteral("未参与寻优的开奖（检验）")});
    for (int r = 0; r < RowCount; ++r) figures_->setVerticalHeaderItem(r, new QTableWidgetItem(QString::fromUtf8(kRowNames[r])));
    figures_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    figures_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    figures_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    figures_->setMinimumWidth(420);
    left->addWidget(figures_, 1);
    pValues_ = new QLabel(this);
    pValues_->setObjectName(QStringLiteral("L_xunyou_p"));
    pValues_->setWordWrap(true);
    left->addWidget(pValues_);
    body->addLayout(left, 1);
    chart_ = new SearchNullChart(this);
    chart_->setObjectName(QStringLiteral("Chart_xunyou"));
    body->addWidget(chart_, 1);
    layout->addLayout(body, 1);

    verdict_ = new QLabel(this);
    verdict_->setObjectName(QStringLiteral("L_xunyou_jielun"));
    verdict_->setWordWrap(true);
    verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = verdict_->font();
    bold.setBold(true);
    verdict_->setFont(bold);
    layout->addWidget(verdict_);
    auto* addRow = new QHBoxLayout;
    addButton_ = new QPushButton(QStringLiteral("添加到动态条件"), this);
    addButton_->setObjectName(QStringLiteral("B_xunyou_tianjia"));
    addButton_->setEnabled(false);
    addRow->addWidget(addButton_);
    addRow->addStretch(1);
    layout->addLayout(addRow);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    watcher_ = new QFutureWatcher<SearchResult>(this);
    connect(watcher_, &QFutureWatcherBase::finished, this, &SearchTab::searchDone);
    connect(progressTimer_, &QTimer::timeout, this, &SearchTab::showProgress);
    connect(startButton_, &QPushButton::clicked, this, &SearchTab::start);
    connect(cancelButton_, &QPushButton::clicked, this, &SearchTab::cancel);
    connect(addButton_, &QPushButton::clicked, this, &SearchTab::addRules);

    setSettings(SearchSettings{});
    status_->setText(QStringLiteral("按【开始寻优】在开奖历史上寻找动态条件。"));
    showResult();
}

SearchTab::~SearchTab() {
    // A search under way stops after its current null runs; its result is dropped.
    if (control_) control_->cancel = true;
    watcher_->disconnect(this);
    watcher_->waitForFinished();
}

void SearchTab::setSettings(const SearchSettings& s) {
    holdout_->setValue(s.holdout);
    maxRules_->setValue(s.maxRules);
    nullRuns_->setValue(s.nullRuns);
    seed_->setValue(int(std::min<std::uint64_t>(s.seed, std::uint64_t(seed_->maximum()))));
}

SearchSettings SearchTab::settings() const {
    return {holdout_->value(), maxRules_->value(), nullRuns_->value(), std::uint64_t(seed_->value())};
}

bool SearchTab::isRunning() const { return watcher_->isRunning(); }

void SearchTab::start() {
    if (isRunning()) return;
    std::vector<int> draws = document_.pastDraws();
    if (draws.empty()) {
        status_->setText(QStringLiteral("还没有开奖历史：请先在【开奖号码】页输入或打开开奖号码。"));
        return;
    }
    const SearchSettings s = settings();
    control_ = std::make_shared<SearchControl>();
    runningNullRuns_ = s.nullRuns;
    result_.reset();
    showResult();
    startButton_->setEnabled(false);
    cancelButton_->setEnabled(true);
    progress_->setRange(0, std::max(1, s.nullRuns));
    progress_->setValue(0);
    progress_->setVisible(true);
    status_->setText(QStringLiteral("正在 %1 期开奖上寻优…").arg(draws.size()));
    watcher_->setFuture(QtConcurrent::run([draws = std::move(draws), s, control = control_] {
        return searchRules(draws, s, 0, control.get());
    }));
    progressTimer_->start();
}

void SearchTab::cancel() {
    if (!control_ || !isRunning()) return;
    control_->cancel = true;
    cancelButton_->setEnabled(false);
    status_->setText(QStringLiteral("正在取消…"));
}

void SearchTab::showProgress() {
    if (!control_) return;
    const int done = control_->nullDone.load();
    progress_->setValue(done);
    if (!control_->cancel)
        status_->setText(QStringLiteral("正在寻优：纯随机开奖上的对照已完成 %1 / %2 次").arg(done).arg(runningNullRuns_));
}

void SearchTab::searchDone() {
    progressTimer_->stop();
    progress_->setVisible(false);
    startButton_->setEnabled(true);
    cancelButton_->setEnabled(false);
    SearchResult r = watcher_->result();
    control_.reset();
    if (r.cancelled) {
        status_->setText(QStringLiteral("寻优已取消，没有结果。"));
        result_.reset();
    } else {
        status_->setText(QStringLiteral("寻优完成：共 %1 期开奖，前 %2 期参与寻优，最新 %3 期留作检验。")
                             .arg(r.draws)
                             .arg(r.trainingDraws)
                             .arg(r.holdoutDraws));
        result_ = std::move(r);
    }
    showResult();
    emit finished();
}

void SearchTab::showResult() {
    addButton_->setEnabled(result_ && !result_->rules.empty());
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < 2; ++c) figures_->setItem(r, c, new QTableWidgetItem(QString()));
    if (!result_) {
        rules_->setText(QStringLiteral("找到的条件：（尚未寻优）"));
        pValues_->clear();
        verdict_->clear();
        chart_->clear();
        return;
    }
    const SearchResult& r = *result_;
    QStringList lines;
    for (std::size_t i = 0; i < r.rules.size(); ++i)
        lines << QStringLiteral("%1. %2").arg(i + 1).arg(fromStd(ruleSentence(r.rules[i])));
    rules_->setText(lines.isEmpty() ? QStringLiteral("找到的条件：没有（没有哪一条候选条件胜过随机投注）")
                                    : QStringLiteral("找到的条件：\n") + lines.join(QLatin1Char('\n')));

    const MoneyPrices prices = PriceSettings::prices();
    MoneySettings money;
    money.price = prices.price;
    money.direct = prices.direct;
    const SearchScore* scores[2] = {&r.training, &r.holdout};
    for (int c = 0; c < 2; ++c) {
        const SearchScore& s = *scores[c];
        const SearchMoney m = searchMoney(s, money);
        const auto set = [&](Row row, const QString& text) {
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            figures_->setItem(row, c, item);
        };
        set(Scored, QString::number(s.scored));
        set(Hits, QString::number(s.hits));
        set(Chance, QStringLiteral("%1 ±%2").arg(number(s.expectedHits(), 1), number(s.sdHits(), 1)));
        set(Z, number(s.z(), 2));
        set(BetCount, QString::number(s.bets));
        set(Cost, yuan(m.cost) + QStringLiteral("元"));
        set(Win, yuan(m.win) + QStringLiteral("元"));
        set(ChanceWin, QStringLiteral("%1元 ±%2元").arg(yuan(m.expectedWin), yuan(m.sdWin)));
        set(Net, yuan(m.net) + QStringLiteral("元"));
    }
    int done = 0;
    for (double z : r.nullHoldoutZ) done += std::isnan(z) ? 0 : 1;
    pValues_->setText(done == 0 ? QStringLiteral("没有做随机对照（随机对照次数为 0）。")
                                : QStringLiteral("随机对照 %1 次：参与寻优的开奖上有 %2 次不比这次差（p = %3），"
                                                 "检验期有 %4 次不比这次差（p = %5）。")
                                      .arg(done)
                                      .arg(r.nullAtLeastTraining)
                                      .arg(fromStd(pValueText(r.pTraining)))
                                      .arg(r.nullAtLeastHoldout)
                                      .arg(fromStd(pValueText(r.pHoldout))));
    verdict_->setText(fromStd(searchVerdict(r)));
    chart_->show(r.nullHoldoutZ, r.holdout.z());
}

void SearchTab::addRules() {
    if (!result_ || result_->rules.empty()) return;
    const SearchResult& r = *result_;
    if (r.pHoldout > 0.05) {
        const QString question = QStringLiteral("%1\n\n找到的条件在未参与寻优的开奖上与碰运气无异，仍然添加这 %2 条动态条件吗？")
                                     .arg(fromStd(searchVerdict(r)))
                                     .arg(r.rules.size());
        if (!services_.askYesNo(this, QStringLiteral("温情提示"), question)) {
            status_->setText(QStringLiteral("没有添加动态条件。"));
            return;
        }
    }
    std::vector<PastDrawRule> rules = document_.rules();
    rules.insert(rules.end(), r.rules.begin(), r.rules.end());
    document_.setRules(std::move(rules));
    status_->setText(QStringLiteral("已添加 %1 条动态条件到主窗口的【动态条件】页。").arg(r.rules.size()));
}

QString SearchTab::verdictText() const { return verdict_->text(); }
QString SearchTab::statusText() const { return status_->text(); }

}  // namespace tarnel
