#pragma once
// F_zhenduan, 号码诊断: the player types numbers; for each the dialog says
// whether it survives the current conditions with the current tolerance,
// which conditions rule it out, and how many against the tolerance.

#include <QDialog>
#include <functional>
#include <vector>

#include "core/analysis/condition_report.h"
#include "core/state/condition_state.h"
#include "core/state/shrink.h"

class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace tarnel {

class ConditionsDocument;
class LineBox;

class DiagnosisDialog : public QDialog {
    Q_OBJECT
public:
    // Diagnoses against the document's conditions as they are now and, when
    // they differ, against its last run (whose result the result box shows);
    // diagnoses again after each run while it is shown.
    DiagnosisDialog(ConditionsDocument& document, QWidget* parent);

    // Puts `text` into the number box and diagnoses it.
    void diagnoseText(const QString& text);
    // 诊断: the numbers of the box against the current conditions.
    void diagnose();
    // Diagnoses again if something was diagnosed (after a run).
    void refresh();

    const std::vector<NumberDiagnosis>& results() const { return results_; }
    QSize sizeHint() const override;

private:
    ConditionsDocument& document_;
    bool diagnosed_ = false;
    std::vector<NumberDiagnosis> results_;
    LineBox* numbers_ = nullptr;
    QPushButton* button_ = nullptr;
    QLabel* reading_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* basis_ = nullptr;  // which conditions the answers are for
    QTableWidget* table_ = nullptr;
};

// What a context menu on `box` at `pos` (viewport coordinates) offers to
// diagnose: the numbers of the selection when it holds any, else the
// three-digit number under the pointer, else none.
std::vector<int> numbersToDiagnose(const QPlainTextEdit* box, const QPoint& pos);
// Adds "诊断号码 123" (or "诊断选中的 N 个号码") to a context menu of `box`
// when there is something to diagnose; the action calls `diagnose` with
// the numbers as text.
void addDiagnoseAction(QMenu* menu, const QPlainTextEdit* box, const QPoint& pos,
                       const std::function<void(const QString&)>& diagnose);

}  // namespace tarnel
