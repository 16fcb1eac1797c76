#pragma once
// Above a backtest table: which draws the backtest takes (all, the last N,
// or from one issue to another), what that range took or why it cannot be
// taken, and 导出CSV…, which writes the table as shown with its summary.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "core/analysis/backtest_range.h"

class QAbstractItemModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnel {

class UiServices;

class BacktestRangeBar : public QWidget {
    Q_OBJECT
public:
    // The controls are named after `baseName` (the backtest tab's name).
    BacktestRangeBar(const QString& baseName, QWidget* parent);

    BacktestRange range() const;
    void setRange(const BacktestRange& range);
    // What the range took, or (refused) why it cannot be taken; empty hides it.
    void showNote(const QString& note, bool refused);
    QString noteText() const;

    // The table 导出CSV… writes: every column of `model` as shown, then the
    // lines `summary` gives. Messages and the file dialog go through `services`.
    void setExport(const QAbstractItemModel* model, std::function<QStringList()> summary);
    void setServices(UiServices* services) { services_ = services; }
    // The CSV's bytes: UTF-8 with a byte order mark, CR LF line ends.
    QByteArray csvBytes() const;
    // Writes the CSV to `path` whole or not at all; empty when written, else why not.
    QString writeCsv(const QString& path) const;
    // 导出CSV…: asks where, writes, and says so when it could not.
    void exportCsv();

signals:
    void rangeChanged();

private:
    void showKind();
    void takeEdit();

    QComboBox* kind_;
    QLineEdit* last_;
    QLineEdit* from_;
    QLineEdit* to_;
    QLabel* lastLabel_;
    QLabel* fromLabel_;
    QLabel* toLabel_;
    QLabel* note_;
    QPushButton* export_;
    BacktestRange taken_;  // the range last announced
    UiServices* services_ = nullptr;
    const QAbstractItemModel* model_ = nullptr;
    std::function<QStringList()> summary_;
};

}  // namespace tarnel
