#pragma once
// Controls of the banker-group and positional conditions: the banker-group
// frame Frame2, the pages "定位2码" (6), "位置匹配" (8), "定位容对" (9) and
// the row "任意两码合保留" on page "其它" (7).

#include <QObject>
#include <QString>

#include "conditions/positional.h"
#include "mainwindow/qt/main_regions.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QWidget;

namespace tarnel {

class MultiLineBox;
class UiServices;

// Opening text of T_main_dw2m 0.
inline const QString kPairBoxHint = QStringLiteral("按右边提示格\r\n式输入可定位\r\n两码组合\r\n");
// The one-line form of that hint written back when every condition is restored.
inline const QString kPairBoxRestoreHint = QStringLiteral("按右边提示格式输入可定位两码组合");

inline const QString kBankerCountErrorTitle = QStringLiteral("错误提示");
inline const QString kBankerCountErrorText = QStringLiteral("出胆个数不能大于选胆个数");

class PositionalPanel : public QObject {
    Q_OBJECT
public:
    explicit PositionalPanel(const MainRegions& regions, QObject* parent = nullptr);
    // Reads the controls for a run; the T_main_dw2m boxes get their cleaned text here.
    PositionalInputs collect();
    // Puts exactly their items into the three C_wz_pp combos and selects 百, 大于, 个.
    void fillMatchCombos();

private:
    void buildBankerFrame(QWidget* region);
    void buildPairPage(QWidget* page);
    void buildAnyTwoRow(QWidget* region);
    void buildMatchPage(QWidget* page);
    void buildGridPage(QWidget* page);

    void setBankerButtonsEnabled(bool enabled);
    void clickBankerCount(int index);
    void setBankerGroup(int group, bool selected);
    void addMatchRule();
    void deleteSelectedRules();

    QWidget* window_ = nullptr;
    UiServices* services_ = nullptr;

    // 胆组
    QCheckBox* bankerOn_ = nullptr;
    QCheckBox* bankerRepeats_ = nullptr;
    QPushButton* bankerDigits_[40] = {};
    QPushButton* bankerCounts_[16] = {};
    // 定位2码
    MultiLineBox* pairBoxes_[3] = {};
    // 任意两码合保留
    QPushButton* sumTails_[10] = {};
    // 位置匹配
    QComboBox* matchCombos_[3] = {};
    QListWidget* matchList_ = nullptr;
    // 定位容对
    QPushButton* grid_[34] = {};
};

}  // namespace tarnel
