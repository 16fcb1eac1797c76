#pragma once
// The two-star window F2d: one at a time, modeless, opened from the main window.

#include <QPointer>
#include <QWidget>
#include <array>
#include <vector>

#include "twostar/pair_grids.h"
#include "twostar/pair_pool.h"
#include "twostar/two_star_run.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace tarnel {

class MultiLineBox;
class UiServices;

// Shows the two-star window, creating it on first use.
void openTwoStarWindow(QWidget* mainWindow, UiServices& services);

class TwoStarWindow : public QWidget {
    Q_OBJECT
public:
    // A separate window on top of `mainWindow`, destroyed when closed.
    TwoStarWindow(QWidget* mainWindow, UiServices& services);

    // Reads every condition control into the inputs of one run.
    TwoStarInputs collectInputs() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildBankerFrame();
    QWidget* buildSpanSumFrame();
    QWidget* buildPositionFrame(const QString& title, PairGrid grid, int firstRow);
    QWidget* buildShapeFrame();
    QWidget* buildRightColumn();
    QPushButton* gridButton(PairGrid grid, int index, QWidget* parent);
    QPushButton* rowButton(int index, QWidget* parent);

    void run();              // the two-star run, result written to the window
    void convertToGroups();  // C_2d_ks[1]
    void copyResult();       // C_2d_ks[2]
    void clearConditions();  // C_2d_ks[3]
    void applyRow(int index);  // C_2d_lcs[index]
    void placeOverMainWindow();

    QPointer<QWidget> mainWindow_;
    UiServices& services_;
    PairPool pool_;
    std::array<std::vector<QPushButton*>, 9> grids_;
    std::array<QPushButton*, 22> rowButtons_{};
    QCheckBox* countRepeats_ = nullptr;
    std::array<MultiLineBox*, 3> boxes_{};  // base list, kill list, result
    QLabel* count_ = nullptr;
    MultiLineBox* helpText_ = nullptr;
};

}  // namespace tarnel
