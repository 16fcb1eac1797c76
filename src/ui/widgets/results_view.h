#pragma once
// 查看结果: the numbers of a result box laid out in a grid, with their
// straight and group counts, group forms, cost, a chart by sum, copy and
// export in a chosen layout, and buttons that send them to an input box.
// One view serves the main window (three digits) and the two-star window
// (two digits); it follows its result box while it is open. The tab 投注单
// cuts the numbers into compound tickets (bet slips) to copy, print or
// export as PDF.

#include <QDialog>
#include <QPointer>
#include <QSizeF>
#include <functional>
#include <vector>

#include "core/analysis/result_summary.h"
#include "core/analysis/tickets.h"
#include "core/files/draw_sources.h"

class QComboBox;
class QDoubleSpinBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPaintDevice;
class QPainter;
class QPrinter;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;
class QTextDocument;
class QTimer;

namespace tarnel {

class BarChart;
class MultiLineBox;
class UiServices;

// Marks the text a result box holds now as the group forms of a run (after
// 转为组选), or takes the mark away. The mark lasts while the box keeps that
// text; any other text, a run's or the player's, ends it.
void markGroupForms(MultiLineBox* box, bool groups);
// Whether the box holds the group forms it was last marked with.
bool holdsGroupForms(const MultiLineBox* box);

class ResultsView : public QDialog {
    Q_OBJECT
public:
    // `width` is 3 for the main window, 2 for the two-star window.
    ResultsView(MultiLineBox* resultBox, int width, UiServices& services, QWidget* parent);

    // A button "发送到…" that hands the numbers, space-separated, to `send`.
    QPushButton* addTarget(const QString& objectName, const QString& caption,
                           std::function<void(const QString&)> send);

    // Reads the result box again (the view does this by itself when the box changes).
    void refresh();

    const std::vector<int>& numbers() const { return numbers_; }
    const ResultSummary& summary() const { return summary_; }
    // True while the box holds group forms: the figures speak of group bets.
    bool groupForms() const { return groupForms_; }
    // The price of one bet in fen, as the price box shows it.
    int priceFen() const;
    // The numbers in the layout chosen for copying and export.
    QString formattedText() const;
    // Columns of the number grid.
    static constexpr int kGridColumns = 10;

    void copyNumbers();
    void exportNumbers();

    // ---- 投注单 ----
    inline static const QString kNoSlipsText = QStringLiteral("没有号码，无需投注单");
    // The name printed on the slips ("未保存的方案" when the source is unset or says nothing).
    void setSchemeNameSource(std::function<QString()> source);
    // The lottery the slips are for and the newest issue of its past draws
    // (empty when none has one). With a source the slip tab shows the
    // lottery and an issue field, and printed pages name both.
    struct SlipTarget {
        Lottery lottery = Lottery::Fc3d;
        std::string latestIssue;
    };
    void setSlipTargetSource(std::function<SlipTarget()> source);
    // The issue field: the one after the newest past draw until the player
    // changes it; a new past draw or another lottery suggests again.
    QString slipIssue();
    void setSlipIssue(const QString& issue);  // as the player types it
    // Why the issue typed cannot be printed (empty when it can).
    QString slipIssueMessage();
    // "福彩3D 第2026225期" ("福彩3D" with the field empty); empty without a source.
    QString slipHeading();
    // The slips as text under their heading (复制（含彩种期号）).
    QString headedSlipText();
    void copyHeadedSlips();
    // Direct tickets, or group tickets (main window only).
    enum class SlipMode { Direct = 0, Group = 1 };
    SlipMode slipMode() const;
    void setSlipMode(SlipMode mode);
    // A4, or a narrow till receipt 80 mm wide.
    enum class SlipPaper { A4 = 0, Receipt = 1 };
    SlipPaper slipPaper() const;
    void setSlipPaper(SlipPaper paper);
    // The tickets of the current numbers, cut when first asked for.
    const std::vector<SlipLine>& slipLines();
    // The slips as text: one ticket a line, then the total.
    QString slipText();
    // The printed page as rich text, in the chosen layout.
    QString slipHtml();
    void copySlips();
    // The print dialog, or, with no printer installed, the offer of a PDF.
    void printSlips();
    void previewSlips();
    void exportSlipsPdf();
    // Prints the slips through QPrinter into a PDF at `path`; the file is
    // replaced only when the whole PDF was written. False with the reason.
    bool writeSlipsPdf(const QString& path, QString* error);
    // Page size and margins of the chosen layout.
    void setUpPrinter(QPrinter& printer);
    // Prints the slips page by page; false when the printer could not be written.
    bool renderSlips(QPrinter& printer);
    // Paints the slips with `painter` (on `device`, laid out for its
    // resolution) in pages of `page` size, `newPage` starting each page after
    // the first: every page under a running head that repeats the slips'
    // heading, the table's column names at its top, and its number at its
    // foot. The pages painted; 0 when a page could not be started.
    int paintSlipPages(QPainter& painter, QPaintDevice* device, QSizeF page, const std::function<bool()>& newPage);

private:
    void showSummary();
    void showGrid();
    void showChart();
    void rememberChoices() const;
    void showSlips();
    void setUpSlipDocument(QTextDocument& document);
    QString schemeName() const;
    int slipBets() const;
    void showSlipTarget();
    // Says why the issue typed cannot go on a slip; false when it cannot.
    bool slipIssueUsable();

    QPointer<MultiLineBox> box_;
    int width_;
    UiServices& services_;
    std::vector<int> numbers_;
    ResultSummary summary_;
    bool groupForms_ = false;

    QLabel* counts_ = nullptr;
    QLabel* forms_ = nullptr;
    QLabel* cost_ = nullptr;
    QDoubleSpinBox* price_ = nullptr;
    QTableWidget* grid_ = nullptr;
    BarChart* chart_ = nullptr;
    QComboBox* separator_ = nullptr;
    QSpinBox* perLine_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* export_ = nullptr;
    QHBoxLayout* targetRow_ = nullptr;
    QList<QPushButton*> targets_;
    QTimer* followTimer_ = nullptr;

    QTabWidget* tabs_ = nullptr;
    QWidget* slipPage_ = nullptr;
    QComboBox* slipMode_ = nullptr;
    QComboBox* slipPaper_ = nullptr;
    QLabel* slipTotal_ = nullptr;
    QTableWidget* slipGrid_ = nullptr;
    QPushButton* slipCopy_ = nullptr;
    QPushButton* slipPrint_ = nullptr;
    QPushButton* slipPreview_ = nullptr;
    QPushButton* slipPdf_ = nullptr;
    std::vector<SlipLine> slips_;
    bool slipsStale_ = true;
    std::function<QString()> schemeName_;
    std::function<SlipTarget()> slipTarget_;
    QWidget* slipTargetRow_ = nullptr;
    QLabel* slipLottery_ = nullptr;
    QLineEdit* slipIssue_ = nullptr;
    QLabel* slipIssueNote_ = nullptr;
    QPushButton* slipCopyHeaded_ = nullptr;
    Lottery slipLotteryShown_ = Lottery::Fc3d;
    QString slipSuggested_;  // the issue last suggested
};

}  // namespace tarnel
