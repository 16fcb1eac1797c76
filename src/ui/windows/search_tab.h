#pragma once
// 条件寻优, a tab of 开奖历史: searches the past draws for rules that follow
// them, away from the window's thread with progress and a cancel button, and
// shows honestly what it found: the rules, the draws they were chosen on
// beside the draws they never saw, how the same search did on pure chance,
// and the verdict in one sentence.

#include <QWidget>
#include <memory>
#include <optional>

#include "core/analysis/rule_search.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QDoubleSpinBox;
class QTableWidget;
class QTimer;
template <typename T>
class QFutureWatcher;

namespace tarnel {

class ConditionsDocument;
class SearchNullChart;
class UiServices;

class SearchTab : public QWidget {
    Q_OBJECT
public:
    SearchTab(ConditionsDocument& document, QWidget* parent);
    ~SearchTab() override;

    // Starts a search on the document's past draws with the settings shown.
    void start();
    // Stops it after the null runs under way; the figures are not shown.
    void cancel();
    bool isRunning() const;
    // Adds the rules found to 动态条件; when they did no better than chance
    // on the draws they never saw, says the verdict again and asks first.
    void addRules();

    void setSettings(const SearchSettings& settings);
    SearchSettings settings() const;
    // The last search finished, if any.
    const std::optional<SearchResult>& result() const { return result_; }
    QString verdictText() const;
    QString statusText() const;
    QTableWidget* figures() const { return figures_; }
    SearchNullChart* nullChart() const { return chart_; }

signals:
    void finished();

private:
    void searchDone();
    void showResult();
    void showProgress();

    ConditionsDocument& document_;
    UiServices& services_;
    QDoubleSpinBox* holdout_;
    QSpinBox* maxRules_;
    QSpinBox* nullRuns_;
    QSpinBox* seed_;
    QPushButton* startButton_;
    QPushButton* cancelButton_;
    QPushButton* addButton_;
    QProgressBar* progress_;
    QLabel* status_;
    QLabel* rules_;
    QTableWidget* figures_;
    QLabel* pValues_;
    QLabel* verdict_;
    SearchNullChart* chart_;
    QTimer* progressTimer_;
    QFutureWatcher<SearchResult>* watcher_;
    std::shared_ptr<SearchControl> control_;
    int runningNullRuns_ = 0;
    std::optional<SearchResult> result_;
};

}  // namespace tarnel
