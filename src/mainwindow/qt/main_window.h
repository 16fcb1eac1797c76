#pragma once
// Fmain: the main window. It owns the pool, builds every region, gathers
// the inputs of a run from the condition panels and writes the result.

#include <QWidget>
#include <functional>

#include "mainwindow/qt/main_regions.h"
#include "pool/number_pool.h"
#include "pool/shrink.h"

class QPushButton;
class QScrollArea;

namespace tarnel {

class DigitPropertyPanel;
class MultiLineBox;
class LineBox;
class NumberListPanel;
class PoolSourcePanel;
class PositionalPanel;
class UiServices;

inline const QString kResultInitialText = QStringLiteral("这里显示最终过滤结果\r\n");

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(UiServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    UiServices& services() const { return services_; }
    const NumberPool& pool() const { return pool_; }
    int runCount() const { return runCount_; }
    // Called after each row of the stage table during a run (tests observe runs with it).
    void setStageObserver(std::function<void(int)> observer) { observer_ = std::move(observer); }

    // Reads every condition control into the inputs of one run.
    ShrinkInputs collectInputs();
    // Shows page `index` of the tab area and marks its tab button.
    void showTab(int index);
    // Start-up defaults: banker switch settled off, position-match combos filled.
    void applyDefaults();
    // C_all_cls: every condition back to neutral (does not run).
    void restoreAll();
    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing the main window ends the program: its other windows close with it.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void startShrink();      // C_guolv_ks
    void convertToGroup();   // C_zhi_zu
    void copyResult();       // C_copy
    void wireHelpAndHover();
    void orderFocusChain(const QList<QWidget*>& regionsInOrder);
    void press(const QString& name);
    void setBoxText(const QString& name, const QString& text);
    void setTick(const QString& name, bool on);

    UiServices& services_;
    NumberPool pool_;
    MainRegions regions_;
    int runCount_ = 0;
    std::function<void(int)> observer_;

    QPushButton* tabs_[10] = {};
    QPushButton* start_ = nullptr;
    MultiLineBox* output_ = nullptr;
    LineBox* count_ = nullptr;
    PoolSourcePanel* sources_ = nullptr;
    NumberListPanel* lists_ = nullptr;
    DigitPropertyPanel* digits_ = nullptr;
    PositionalPanel* positional_ = nullptr;
    QList<QWidget*> hoverButtons_;
    QScrollArea* scroll_ = nullptr;
};

}  // namespace tarnel
