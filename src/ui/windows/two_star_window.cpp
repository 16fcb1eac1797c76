#include "ui/windows/two_star_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/widgets/controls.h"
#include "ui/widgets/window_fit.h"
#include "ui/widgets/keyboard.h"
#include "ui/widgets/results_view.h"
#include "core/analysis/slip_heading.h"
#include "ui/widgets/ui_services.h"
#include "core/rules/text.h"
#include "ui/widgets/feedback_line.h"

namespace tarnel {

namespace {

const QString kWindowName = QStringLiteral("F2d");
const QString kWindowTitle = QStringLiteral("Tarnel  永久免费");
const QString kResultInitial = QStringLiteral("结果区\r\n");
const QString kHelpTitle = QStringLiteral("胆组说明");
const QString kBankerHint = QStringLiteral("建议新手只输入一行胆码，勿输入多行胆码，出胆个数可不选");

// The banker help text kept in the hidden box T_sm[0], every line ended by a line break.
QString bankerHelpText() {
    const QString lines[] = {
        QStringLiteral("建议新手只输入一行胆码，勿输入多行胆码"),
        QStringLiteral("如输入多行胆码则每行胆码都必须有号码开出才算中"),
        QString(51, QLatin1Char('-')),
        QStringLiteral("【出胆个数】表示您选择的胆码会开出多少个，可多点击几个"),
        QStringLiteral("如不选择个数将至少开出一个"),
        QString(49, QLatin1Char('-')),
        QStringLiteral("【胆码计重】比如选9为胆，如选择胆码计重，则99算两个胆码，"),
        QStringLiteral("如不选择胆码计重，则重复的的号码都算一胆，如99算一个胆码"),
    };
    QString text;
    for (const QString& line : lines) text += line + QStringLiteral("\r\n");
    return text;
}

const char* gridName(PairGrid grid) {
    switch (grid) {
        case PairGrid::BankerDigit: return "C_2d_dm";
        case PairGrid::BankerCount: return "C_2d_dm_rc";
        case PairGrid::Span: return "C_2d_kua";
        case PairGrid::Sum: return "C_2d_he";
        case PairGrid::Position: return "C_2d_dw";
        case PairGrid::Compound: return "C_2d_fs";
        case PairGrid::Shape: return "C_2d_xt";
        case PairGrid::Road: return "C_2d_012";
        case PairGrid::Kind: return "C_2d_duizi";
    }
    return "";
}

// Banker grids turn green when selected, every other grid magenta.
quint32 selectedColor(PairGrid grid) {
    return grid == PairGrid::BankerDigit || grid == PairGrid::BankerCount ? colors::kGreen : colors::kMagenta;
}

// What a "全"/"清" pair sets: buttons first..last of a grid and, for a banker
// row, its three count buttons after them.
struct GridRow {
    PairGrid grid;
    int first;
    int last;
    int firstCount;  // first C_2d_dm_rc index of a banker row, -1 otherwise
};

constexpr std::array<GridRow, 11> kGridRows = {{
    {PairGrid::BankerDigit, 0, 9, 0},
    {PairGrid::BankerDigit, 10, 19, 3},
    {PairGrid::BankerDigit, 20, 29, 6},
    {PairGrid::Span, 0, 9, -1},
    {PairGrid::Sum, 0, 18, -1},
    {PairGrid::Position, 0, 9, -1},
    {PairGrid::Position, 10, 19, -1},
    {PairGrid::Compound, 0, 9, -1},
    {PairGrid::Compound, 10, 19, -1},
    {PairGrid::Shape, 0, 11, -1},
    {PairGrid::Road, 0, 8, -1},
}};

constexpr int kPairCellWidth = 24;
constexpr int kPairCellHeight = 22;

// The font of the result box, or the nearest installed CJK font.
QFont resultFont() {
    const QStringList installed = QFontDatabase::families();
    QFont font;
    for (const char* family : {"宋体", "SimSun", "NSimSun", "Noto Serif CJK SC", "Noto Sans CJK SC",
                               "WenQuanYi Micro Hei", "Droid Sans Fallback"}) {
        const QString name = QString::fromUtf8(family);
        if (installed.contains(name)) {
            font = QFont(name);
            break;
        }
    }
    font.setPointSizeF(10.5);
    return font;
}

QLabel* rowLabel(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QGroupBox* makeFrame(const QString& title, QWidget* parent) {
    auto* frame = new QGroupBox(title, parent);
    return frame;
}

QString trimmedSpaces(const QString& text) { return fromStd(std::string(trimSpaces(toStd(text)))); }

}  // namespace

TwoStarWindow::TwoStarWindow(ConditionsDocument& document, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window),
      mainWindow_(mainWindow),
      document_(document),
      services_(document.services()),
      part_(document.beginTwoStar(this)),
      state_(part_.state),
      binding_(part_.binding) {
    setObjectName(kWindowName);
    setWindowTitle(kWindowTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    setBackColor(this, colors::kTwoStarNormal);

    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(buildBankerFrame());
    left->addWidget(buildSpanSumFrame());
    left->addWidget(buildPositionFrame(QStringLiteral("定位杀"), PairGrid::Position, 5));
    left->addWidget(buildPositionFrame(QStringLiteral("复试排除"), PairGrid::Compound, 7));
    left->addWidget(buildShapeFrame());
    auto* kinds = new QHBoxLayout;
    for (int i = 0; i < gridSize(PairGrid::Kind); ++i) {
        QPushButton* b = gridButton(PairGrid::Kind, i, this);
        b->setFixedWidth(64);
        kinds->addWidget(b);
    }
    kinds->addStretch(1);
    left->addLayout(kinds);
    left->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addLayout(left);
    layout->addWidget(buildRightColumn(), 1);

    // The banker help text lives in a box that is never shown.
    helpText_ = new MultiLineBox(indexedName(QStringLiteral("T_sm"), 0), this);
    helpText_->setText(bankerHelpText());
    helpText_->hide();

    bindAll();
    state_ = twoStarStartState();
    binding_.push();
    connect(&binding_, &StateBinding::changed, this, &TwoStarWindow::conditionsChanged);
    document_.watchTwoStar(part_);

    // As wide as the layout likes, as tall as the grids need; the boxes take what is left.
    resize(sizeHint().width(), minimumSizeHint().height());

    // One tick, 20 ms after the window is made, puts it over the main window.
    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setSingleShot(true);
    timer->setInterval(20);
    connect(timer, &QTimer::timeout, this, &TwoStarWindow::placeOverMainWindow);
    timer->start();
}

ToggleButton* TwoStarWindow::gridButton(PairGrid grid, int index, QWidget* parent) {
    auto* b = new ToggleButton(indexedName(QString::fromLatin1(gridName(grid)), index),
                               fromStd(gridCaption(grid, index)), selectedColor(grid), colors::kTwoStarNormal, parent);
    b->setFixedSize(grid == PairGrid::Shape ? 2 * kPairCellWidth - 4 : kPairCellWidth, kPairCellHeight);
    b->setFocusPolicy(Qt::TabFocus);
    auto& buttons = grids_[static_cast<std::size_t>(grid)];
    buttons.resize(static_cast<std::size_t>(gridSize(grid)));
    buttons[static_cast<std::size_t>(index)] = b;
    return b;
}

QPushButton* TwoStarWindow::rowButton(int index, QWidget* parent) {
    auto* b = makeButton(indexedName(QStringLiteral("C_2d_lcs"), index),
                         index % 2 == 0 ? QStringLiteral("全") : QStringLiteral("清"), colors::kTwoStarNormal,
                         parent);
    b->setFixedSize(kPairCellWidth, kPairCellHeight);
    b->setFocusPolicy(Qt::TabFocus);
    connect(b, &QPushButton::clicked, this, [this, index] { applyRow(index); });
    rowButtons_[static_cast<std::size_t>(index)] = b;
    return b;
}

QWidget* TwoStarWindow::buildBankerFrame() {
    auto* frame = makeFrame(QStringLiteral("胆组"), this);
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    grid->setContentsMargins(6, 10, 6, 4);

    auto* heading = new QLabel(QStringLiteral("出胆个数"), frame);
    heading->setObjectName(indexedName(QStringLiteral("Label8"), 1));
    heading->setAlignment(Qt::AlignCenter);
    grid->addWidget(heading, 0, 11, 1, 3);
    for (int row = 0; row < 3; ++row) {
        for (int k = 0; k < 10; ++k) grid->addWidget(gridButton(PairGrid::BankerDigit, 10 * row + k, frame), row + 1, k);
        grid->addWidget(rowButton(2 * row + 1, frame), row + 1, 10);
        for (int c = 0; c < 3; ++c) grid->addWidget(gridButton(PairGrid::BankerCount, 3 * row + c, frame), row + 1, 11 + c);
        grid->addWidget(rowButton(2 * row, frame), row + 1, 14);
    }
    auto* hint = new QLabel(kBankerHint, frame);
    hint->setObjectName(indexedName(QStringLiteral("Label8"), 0));
    hint->setWordWrap(true);
    grid->addWidget(hint, 4, 0, 1, 15);
    grid->setColumnMinimumWidth(10, kPairCellWidth + 6);

    // The repeat option and the help button sit on the frame's top edge, after its caption.
    countRepeats_ = makeCheck(QStringLiteral("Check_danma_jc"), QStringLiteral("胆码计重"), frame);
    auto* help = makeButton(indexedName(QStringLiteral("C_2d_shuoming"), 0), kHelpTitle,
                            colors::kTwoStarNormal, frame);
    help->setFixedHeight(kPairCellHeight - 2);
    help->setFixedWidth(help->fontMetrics().horizontalAdvance(kHelpTitle) + 16);
    connect(help, &QPushButton::clicked, this,
            [this] { services_.showMessage(this, kHelpTitle, helpText_->text()); });
    const int captionEnd = frame->fontMetrics().horizontalAdvance(frame->title()) + 20;
    countRepeats_->adjustSize();
    countRepeats_->move(captionEnd, 0);
    help->move(captionEnd + countRepeats_->width() + 8, 0);
    return frame;
}

QWidget* TwoStarWindow::buildSpanSumFrame() {
    auto* frame = makeFrame(QStringLiteral("杀[跨][和值]"), this);
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->addWidget(rowLabel(QStringLiteral("杀跨"), frame), 0, 0);
    for (int i = 0; i < 10; ++i) grid->addWidget(gridButton(PairGrid::Span, i, frame), 0, i + 1);
    grid->addWidget(rowButton(6, frame), 0, 11);
    grid->addWidget(rowButton(7, frame), 0, 12);
    grid->addWidget(rowLabel(QStringLiteral("杀和值"), frame), 1, 0, 2, 1);
    for (int i = 0; i < 19; ++i) grid->addWidget(gridButton(PairGrid::Sum, i, frame), 1 + i / 10, 1 + i % 10);
    grid->addWidget(rowButton(8, frame), 1, 11, 2, 1);
    grid->addWidget(rowButton(9, frame), 1, 12, 2, 1);
    grid->setColumnStretch(13, 1);
    return frame;
}

QWidget* TwoStarWindow::buildPositionFrame(const QString& title, PairGrid which, int firstRow) {
    auto* frame = makeFrame(title, this);
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    grid->setContentsMargins(6, 4, 6, 4);
    const QString rowCaptions[2] = {QStringLiteral("十"), QStringLiteral("个")};
    for (int row = 0; row < 2; ++row) {
        grid->addWidget(rowLabel(rowCaptions[row], frame), row, 0);
        for (int col = 0; col < 10; ++col) {
            // The position kill's units row runs from index 19 down so that it reads 0..9.
            const int index = row == 0 ? col : which == PairGrid::Position ? 19 - col : 10 + col;
            grid->addWidget(gridButton(which, index, frame), row, col + 1);
        }
        const int r = firstRow + row;
        grid->addWidget(rowButton(2 * r, frame), row, 11);
        grid->addWidget(rowButton(2 * r + 1, frame), row, 12);
    }
    grid->setColumnMinimumWidth(0, 36);
    grid->setColumnStretch(13, 1);
    return frame;
}

QWidget* TwoStarWindow::buildShapeFrame() {
    auto* frame = makeFrame(QStringLiteral("杀形态，杀012路"), this);
    auto* v = new QVBoxLayout(frame);
    v->setSpacing(4);
    v->setContentsMargins(6, 4, 6, 4);

    auto* shapes = new QHBoxLayout;
    shapes->setSpacing(10);
    for (int block = 0; block < 3; ++block) {
        auto* cell = new QGridLayout;
        cell->setSpacing(2);
        for (int k = 0; k < 4; ++k) cell->addWidget(gridButton(PairGrid::Shape, 4 * block + k, frame), k / 2, k % 2);
        shapes->addLayout(cell);
    }
    auto* pair = new QVBoxLayout;
    pair->setSpacing(2);
    pair->addWidget(rowButton(18, frame));
    pair->addWidget(rowButton(19, frame));
    shapes->addLayout(pair);
    shapes->addStretch(1);
    v->addLayout(shapes);

    auto* roads = new QHBoxLayout;
    roads->setSpacing(2);
    auto* roadLabel = rowLabel(QStringLiteral("012路"), frame);
    roadLabel->setMinimumWidth(36);
    roads->addWidget(roadLabel);
    for (int i = 0; i < gridSize(PairGrid::Road); ++i) roads->addWidget(gridButton(PairGrid::Road, i, frame));
    roads->addSpacing(4);
    roads->addWidget(rowButton(20, frame));
    roads->addWidget(rowButton(21, frame));
    roads->addStretch(1);
    v->addLayout(roads);
    return frame;
}

QWidget* TwoStarWindow::buildRightColumn() {
    auto* column = new QWidget(this);
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(4);

    // The title keeps its designed text, so the window names itself here,
    // where a player looks first.
    auto* heading = new QLabel(QStringLiteral("二星缩水 · 00–99 两位数"), column);
    heading->setObjectName(QStringLiteral("L_2d_biaoti"));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    heading->setFont(bold);
    v->addWidget(heading);

    const QString boxFrames[2] = {QStringLiteral("大底号码[双击清空]"), QStringLiteral("杀垃圾[双击清空]")};
    for (int i = 0; i < 2; ++i) {
        auto* frame = makeFrame(boxFrames[i], column);
        auto* fl = new QVBoxLayout(frame);
        fl->setContentsMargins(4, 4, 4, 4);
        auto* box = new MultiLineBox(indexedName(QStringLiteral("T_2d_dd"), i), frame);
        box->setMinimumWidth(190);
        connect(box, &MultiLineBox::doubleClicked, box, [box] { box->clearUndoably(); });
        fl->addWidget(box);
        std::string& field = i == 0 ? state_.baseList : state_.killList;
        fl->addWidget(new FeedbackLine(i == 0 ? ListBox::TwoStarBase : ListBox::TwoStarKill, box, binding_, field, frame));
        boxes_[static_cast<std::size_t>(i)] = box;
        v->addWidget(frame, 1);
    }

    auto* frame = makeFrame(QStringLiteral("结果区"), column);
    auto* fl = new QVBoxLayout(frame);
    fl->setContentsMargins(4, 4, 4, 4);
    fl->setSpacing(4);
    auto* result = new MultiLineBox(indexedName(QStringLiteral("T_2d_dd"), 2), frame);
    result->setText(kResultInitial);
    result->setFont(resultFont());
    boxes_[2] = result;
    fl->addWidget(result, 1);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("结果注数："), frame));
    count_ = new QLabel(QStringLiteral("0"), frame);
    count_->setObjectName(QStringLiteral("L_zhushu"));
    countRow->addWidget(count_, 1);
    auto* viewResults = makeButton(QStringLiteral("C_2d_chakan"), QStringLiteral("查看结果"), colors::kTwoStarNormal, frame);
    viewResults->setToolTip(QStringLiteral("分栏查看结果号码、注数、金额和和值分布（双击结果框也可打开）"));
    connect(viewResults, &QPushButton::clicked, this, &TwoStarWindow::openResults);
    connect(result, &MultiLineBox::doubleClicked, this, &TwoStarWindow::openResults);
    countRow->addWidget(viewResults);
    fl->addLayout(countRow);

    const QString captions[4] = {QStringLiteral("开始缩水"), QStringLiteral("转为组选"), QStringLiteral("复制号码"),
                                 QStringLiteral("清除条件")};
    // Two rows of two: start and copy above, group conversion and clearing below.
    const int cells[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    auto* buttons = new QGridLayout;
    buttons->setSpacing(4);
    for (int i = 0; i < 4; ++i) {
        auto* b = makeButton(indexedName(QStringLiteral("C_2d_ks"), i), captions[i], colors::kTwoStarNormal, frame);
        b->setMinimumHeight(28);
        buttons->addWidget(b, cells[i][0], cells[i][1]);
        switch (i) {
            case 0:
                connect(b, &QPushButton::clicked, this, &TwoStarWindow::run);
                addRunShortcuts(this, b);
                break;
            case 1: connect(b, &QPushButton::clicked, this, &TwoStarWindow::convertToGroups); break;
            case 2: connect(b, &QPushButton::clicked, this, &TwoStarWindow::copyResult); break;
            default: connect(b, &QPushButton::clicked, this, &TwoStarWindow::clearConditions); break;
        }
    }
    fl->addLayout(buttons);
    v->addWidget(frame, 2);
    return column;
}

void TwoStarWindow::bindAll() {
    const auto bindGrid = [this](PairGrid grid, auto& flags) {
        const auto& buttons = grids_[static_cast<std::size_t>(grid)];
        for (std::size_t i = 0; i < buttons.size() && i < flags.size(); ++i) binding_.bind(buttons[i], flags[i]);
    };
    bindGrid(PairGrid::BankerDigit, state_.bankerDigit);
    bindGrid(PairGrid::BankerCount, state_.bankerCount);
    bindGrid(PairGrid::Span, state_.span);
    bindGrid(PairGrid::Sum, state_.sum);
    bindGrid(PairGrid::Position, state_.position);
    bindGrid(PairGrid::Compound, state_.compound);
    bindGrid(PairGrid::Shape, state_.shape);
    bindGrid(PairGrid::Road, state_.road);
    bindGrid(PairGrid::Kind, state_.kind);
    binding_.bind(countRepeats_, state_.countRepeats);
    binding_.bind(boxes_[0], state_.baseList);
    binding_.bind(boxes_[1], state_.killList);
}

const TwoStarConditions& TwoStarWindow::conditions() {
    binding_.pull();
    return state_;
}

void TwoStarWindow::applyConditions(const TwoStarConditions& state) {
    // While the window is the document's two-star part, the state shown is a step the player can undo.
    if (!closing_ && document_.hasTwoStar()) {
        document_.applyTwoStar(state);
        return;
    }
    state_ = state;
    binding_.push();
}

void TwoStarWindow::run() {
    const TwoStarResult result = runTwoStar(pool_, conditions());
    const QString base = fromStd(result.baseList);
    if (boxes_[0]->text() != base) boxes_[0]->setText(base);
    boxes_[2]->setText(fromStd(result.text));
    markGroupForms(boxes_[2], false);  // straight numbers, even where the text is the same
    count_->setText(QString::number(result.count));
}

void TwoStarWindow::convertToGroups() {
    run();
    const TwoStarResult groups = pairGroups(pool_);
    boxes_[2]->setText(fromStd(groups.text));
    markGroupForms(boxes_[2], true);
    count_->setText(QString::number(groups.count));
}

void TwoStarWindow::copyResult() {
    services_.copyWithNotice(this, trimmedSpaces(boxes_[2]->text()));
}

void TwoStarWindow::clearConditions() {
    for (int i = 1; i < 22; i += 2) rowButtons_[static_cast<std::size_t>(i)]->click();
    for (ToggleButton* b : grids_[static_cast<std::size_t>(PairGrid::Kind)]) b->setSelected(false);
    boxes_[1]->setText(QString());
    run();
}

void TwoStarWindow::applyRow(int index) {
    if (index < 0 || index >= 2 * int(kGridRows.size())) return;
    const GridRow& row = kGridRows[static_cast<std::size_t>(index / 2)];
    const bool selected = index % 2 == 0;  // "全" selects, "清" clears
    auto set = [&](PairGrid grid, int first, int last) {
        const auto& buttons = grids_[static_cast<std::size_t>(grid)];
        for (int i = first; i <= last; ++i) buttons[static_cast<std::size_t>(i)]->setSelected(selected);
    };
    set(row.grid, row.first, row.last);
    if (row.firstCount >= 0) set(PairGrid::BankerCount, row.firstCount, row.firstCount + 2);
}

ResultsView* TwoStarWindow::openResults() {
    if (!results_) {
        results_ = new ResultsView(boxes_[2], 2, services_, this);
        results_->setSlipTargetSource([this] {
            return ResultsView::SlipTarget{document_.lottery(), latestIssue(*document_.history(), document_.lottery())};
        });
        results_->setSchemeNameSource([] { return QStringLiteral("二星"); });
        results_->addTarget(QStringLiteral("C_jg_fasong[0]"), QStringLiteral("发送到大底"), [this](const QString& text) {
            TwoStarConditions next = conditions();
            next.baseList = toStd(text);
            applyConditions(next);
        });
    } else {
        results_->refresh();
    }
    bringToFront(results_);
    return results_;
}

void TwoStarWindow::placeOverMainWindow() {
    if (mainWindow_) move(mainWindow_->pos());
}

void TwoStarWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // The window is deleted once control returns to the event loop; from now
    // on it no longer answers to its name, so the next opening makes a fresh one.
    if (event->isAccepted()) {
        closing_ = true;
        setObjectName(QString());
        document_.endTwoStar(part_);
    }
}

}  // namespace tarnel
