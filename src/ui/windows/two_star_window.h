#pragma once
// The two-star window F2d: one at a time, modeless, opened from the main window.

#include <QPointer>
#include <QWidget>
#include <array>
#include <vector>

#include "ui/document/conditions_document.h"
#include "core/rules/pair_pool.h"
#include "core/state/condition_state.h"
#include "core/rules/pair_grids.h"
#include "core/rules/two_star_run.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace tarnel {

class MultiLineBox;
class ResultsView;
class ToggleButton;
class UiServices;

class TwoStarWindow : public QWidget {
    Q_OBJECT
public:
    // A separate window on top of `mainWindow`, destroyed when closed; its
    // conditions are the document's two-star part while it is open.
    TwoStarWindow(ConditionsDocument& document, QWidget* mainWindow);

    // The condition state as the controls show it now.
    const TwoStarConditions& conditions();
    // Shows a whole condition state in the controls. Starts no run.
    void applyConditions(const TwoStarConditions& state);
    // Closed by the player; the window goes away once control returns to the event loop.
    bool isClosing() const { return closing_; }
    // 查看结果: the results view of the result box (发送到大底 fills T_2d_dd[0]).
    ResultsView* openResults();

signals:
    void conditionsChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildBankerFrame();
    QWidget* buildSpanSumFrame();
    QWidget* buildPositionFrame(const QString& title, PairGrid grid, int firstRow);
    QWidget* buildShapeFrame();
    QWidget* buildRightColumn();
    ToggleButton* gridButton(PairGrid grid, int index, QWidget* parent);
    QPushButton* rowButton(int index, QWidget* parent);

    void bindAll();
    void run();              // the two-star run, result written to the window
    void convertToGroups();  // C_2d_ks[1]
    void copyResult();       // C_2d_ks[2]
    void clearConditions();  // C_2d_ks[3]
    void applyRow(int index);  // C_2d_lcs[index]
    void placeOverMainWindow();

    QPointer<QWidget> mainWindow_;
    ConditionsDocument& document_;
    UiServices& services_;
    ConditionsDocument::TwoStarPart& part_;
    PairPool pool_;
    TwoStarConditions& state_;  // the part's fields the controls are bound to
    StateBinding& binding_;
    bool closing_ = false;
    std::array<std::vector<ToggleButton*>, 9> grids_;
    std::array<QPushButton*, 22> rowButtons_{};
    QCheckBox* countRepeats_ = nullptr;
    std::array<MultiLineBox*, 3> boxes_{};  // base list, kill list, result
    QLabel* count_ = nullptr;
    MultiLineBox* helpText_ = nullptr;
    QPointer<ResultsView> results_;
};

}  // namespace tarnel
