#pragma once
// Controls of the banker-group and positional conditions: the banker-group
// frame Frame2, the pages "定位2码" (6), "位置匹配" (8), "定位容对" (9) and
// the row "任意两码合保留" on page "其它" (7). The panel offers these frames;
// the window places them.

#include <QObject>
#include <QString>

#include <array>

#include "core/state/condition_state.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QWidget;

namespace tarnel {

class MultiLineBox;
class StateBinding;
class ToggleButton;
class UiServices;

inline const QString kBankerCountErrorTitle = QStringLiteral("错误提示");
inline const QString kBankerCountErrorText = QStringLiteral("出胆个数不能大于选胆个数");

class PositionalPanel : public QObject {
    Q_OBJECT
public:
    // `services` says why a banker count cannot be chosen (none: nothing is said).
    PositionalPanel(PositionalControls& state, StateBinding& binding, UiServices* services,
                    QObject* parent = nullptr);
    // What goes on tab page `page` (6, 8, 9), else null.
    QWidget* pageFrame(int page) const { return page >= 0 && page < 10 ? pages_[std::size_t(page)] : nullptr; }
    QWidget* bankerFrames() const { return bankerStack_; }  // Frame2, bottom left
    QWidget* anyTwoFrame() const { return anyTwo_; }        // lower part of page 7 (其它)
    // Puts exactly their items into the three C_wz_pp combos and selects 百, 大于, 个.
    void fillMatchCombos();
    // After a run: the T_main_dw2m boxes show their cleaned lists.
    void showCleanedPairLists(const std::array<std::string, 3>& texts);
    // Buttons whose help texts the main window attaches.
    QPushButton* bankerHelpButton() const { return bankerHelp_; }
    QPushButton* anyTwoHelpButton() const { return anyTwoHelp_; }

private:
    void buildBankerFrame(QWidget* region);
    void buildPairPage(QWidget* page, PositionalControls& state, StateBinding& binding);
    void buildAnyTwoRow(QWidget* region);
    void buildMatchPage(QWidget* page);
    void buildGridPage(QWidget* page);

    void bindAll(PositionalControls& state, StateBinding& binding);
    void setBankerButtonsEnabled(bool enabled);
    void clickBankerCount(int index);
    void setBankerGroup(int group, bool selected);
    void addMatchRule();
    void deleteSelectedRules();

    UiServices* services_ = nullptr;
    std::array<QWidget*, 10> pages_{};
    QWidget* bankerStack_ = nullptr;
    QWidget* anyTwo_ = nullptr;

    // 胆组
    QCheckBox* bankerOn_ = nullptr;
    QCheckBox* bankerRepeats_ = nullptr;
    ToggleButton* bankerDigits_[40] = {};
    ToggleButton* bankerCounts_[16] = {};
    QPushButton* bankerHelp_ = nullptr;
    // 定位2码
    MultiLineBox* pairBoxes_[3] = {};
    // 任意两码合保留
    ToggleButton* sumTails_[10] = {};
    QPushButton* anyTwoHelp_ = nullptr;
    // 位置匹配
    QComboBox* matchCombos_[3] = {};
    QListWidget* matchList_ = nullptr;
    // 定位容对
    ToggleButton* grid_[34] = {};
};

}  // namespace tarnel
