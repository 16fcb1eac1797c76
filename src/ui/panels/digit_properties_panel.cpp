#include "ui/panels/digit_properties_panel.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

#include "ui/widgets/controls.h"
#include "ui/widgets/state_binding.h"
#include "ui/widgets/feedback_line.h"

namespace tarnel {

namespace {

// Texts of the controls, as the player sees them.
const QString kTickMeansDelete = QStringLiteral("(打钩表示删除)");
const QString kClickMeansDelete = QStringLiteral("(点击号码表示删除)");
const QString kAll = QStringLiteral("全");
const QString kClear = QStringLiteral("清");
const QString kHelp = QStringLiteral("说明");
const QString kRowLabels[3] = {QStringLiteral("百位"), QStringLiteral("十位"), QStringLiteral("个位")};

constexpr quint32 kGridSelected = colors::kLightYellow;  // 0x80FFFF
constexpr quint32 kGridNormal = colors::kGrey;


void fitSmall(QPushButton* b, int width) {
    b->setFixedSize(width, 22);
    b->setFocusPolicy(Qt::TabFocus);
}

QPushButton* smallButton(const QString& name, const QString& caption, QWidget* parent, int width = 24) {
    QPushButton* b = makeButton(name, caption, colors::kGrey, parent);
    fitSmall(b, width);
    return b;
}

// Check boxes NAME[0..N-1] captioned by `caption(i)`.
template <std::size_t N, class Caption>
void makeCheckRow(std::array<QCheckBox*, N>& row, const QString& name, Caption caption, QWidget* parent) {
    for (std::size_t i = 0; i < N; ++i) row[i] = makeCheck(indexedName(name, int(i)), caption(int(i)), parent);
}

template <std::size_t N>
void setRow(const std::array<QCheckBox*, N>& row, Qt::CheckState state) {
    for (QCheckBox* box : row) box->setCheckState(state);
}

// The "全" and "清" buttons of a check-box row.
template <std::size_t N>
std::pair<QPushButton*, QPushButton*> makeAllClear(const std::array<QCheckBox*, N>& row, const QString& allName,
                                                   const QString& clearName, QWidget* parent) {
    QPushButton* all = smallButton(allName, kAll, parent);
    QPushButton* clear = smallButton(clearName, kClear, parent);
    QObject::connect(all, &QPushButton::clicked, all, [row] { setRow(row, Qt::Checked); });
    QObject::connect(clear, &QPushButton::clicked, clear, [row] { setRow(row, Qt::Unchecked); });
    return {all, clear};
}

// A label, the row's boxes and its "全"/"清" on one line of a grid layout.
template <std::size_t N>
void addCheckRow(QGridLayout* grid, int line, const QString& label, const std::array<QCheckBox*, N>& row,
                 const std::pair<QPushButton*, QPushButton*>& allClear, QWidget* parent) {
    int col = 0;
    if (!label.isNull()) grid->addWidget(new QLabel(label, parent), line, col);
    ++col;
    for (QCheckBox* box : row) grid->addWidget(box, line, col++);
    grid->addWidget(allClear.first, line, col++);
    grid->addWidget(allClear.second, line, col++);
}

// Keeps a button on the top edge of a frame, at its right end.
class TopEdgePlacer : public QObject {
public:
    TopEdgePlacer(QWidget* frame, QWidget* button) : QObject(frame), frame_(frame), button_(button) {
        frame->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == frame_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
            button_->move(frame_->width() - button_->width() - 10, 0);
            button_->raise();
        }
        return false;
    }

private:
    QWidget* frame_;
    QWidget* button_;
};

QLayout* layoutOf(QWidget* region) { return region->layout(); }

}  // namespace

DigitPropertyPanel::DigitPropertyPanel(DigitPropertyInputs& state, StateBinding& binding, QObject* parent)
    : QObject(parent), middleLeft_(makeStack(4)), middleRight_(makeStack(4)), bottomRight_(makeStack(4)) {
    buildMiddleLeft(middleLeft_);
    buildMiddleRight(middleRight_);
    buildBottomRight(bottomRight_);
    bindAll(state, binding);
}

void DigitPropertyPanel::bindAll(DigitPropertyInputs& state, StateBinding& binding) {
    const auto bindRow = [&binding](const auto& controls, auto& flags) {
        for (std::size_t i = 0; i < controls.size(); ++i) binding.bind(controls[i], flags[i]);
    };
    bindRow(sumTail_, state.sumTailKill);
    bindRow(span_, state.spanKill);
    bindRow(banker_, state.bankerDigits);
    bindRow(bankerCount_, state.bankerCount);
    binding.bind(sumLower_, state.sumLower);
    binding.bind(sumUpper_, state.sumUpper);
    binding.bind(sumList_, state.sumKillList);
    // The range boxes' line sits right after them, before the sums-to-kill caption.
    sumListRow_->insertWidget(3,
                              new FeedbackLine(
                                  QStringLiteral("T_hezhi_fanwei.feedback"), {sumLower_, sumUpper_}, binding,
                                  [&state] { return sumRangeFeedback(state.sumLower, state.sumUpper); },
                                  sumList_->parentWidget()),
                              2);
    sumListRow_->addWidget(new FeedbackLine(ListBox::SumKillList, sumList_, binding, state.sumKillList,
                                            sumList_->parentWidget()),
                           1);
    bindRow(compound_, state.compoundExclude);
    bindRow(position_, state.positionKill);
    bindRow(ac_, state.acKill);
    bindRow(bigSmall_, state.bigSmall);
    bindRow(oddEven_, state.oddEven);
    bindRow(primeComposite_, state.primeComposite);
    bindRow(road_, state.road);
    bindRow(special_, state.special);
}

void DigitPropertyPanel::buildMiddleLeft(QWidget* region) {
    auto* box = new QWidget(region);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);

    // Sum tail, span and banker digit rows.
    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(2);
    rows->setVerticalSpacing(1);
    const auto digitCaption = [](int i) { return QString::number(i); };
    makeCheckRow(sumTail_, QStringLiteral("Check_hewei_sha"), digitCaption, box);
    makeCheckRow(span_, QStringLiteral("Check_kuadu_sha"), digitCaption, box);
    makeCheckRow(banker_, QStringLiteral("Check_danma_chu"), digitCaption, box);
    addCheckRow(rows, 0, QStringLiteral("杀和尾"), sumTail_,
                makeAllClear(sumTail_, QStringLiteral("C_hewei_sha_all"), QStringLiteral("C_hewei_sha_cls"), box), box);
    addCheckRow(rows, 1, QStringLiteral("杀跨度"), span_,
                makeAllClear(span_, QStringLiteral("C_kuadu_sha_all"), QStringLiteral("C_kuadu_sha_cls"), box), box);
    // The banker row's "清" leaves the count boxes alone.
    addCheckRow(rows, 2, QStringLiteral("胆  码"), banker_,
                makeAllClear(banker_, QStringLiteral("C_danma_chu_all"), QStringLiteral("C_danma_chu_cls"), box), box);
    v->addLayout(rows);

    auto* countRow = new QHBoxLayout;
    countRow->setSpacing(4);
    countRow->addWidget(new QLabel(QStringLiteral("至少出胆个数"), box));
    const QString countCaptions[3] = {QStringLiteral("1胆"), QStringLiteral("2胆"), QStringLiteral("3胆")};
    makeCheckRow(bankerCount_, QStringLiteral("Check_danma_chu_geshu"), [&](int i) { return countCaptions[i]; }, box);
    for (QCheckBox* c : bankerCount_) countRow->addWidget(c);
    countRow->addWidget(new QLabel(QStringLiteral("(重复号码算一胆)"), box));
    countRow->addStretch(1);
    v->addLayout(countRow);

    // Sum range and the sums to kill.
    auto* rangeRow = new QHBoxLayout;
    rangeRow->setSpacing(4);
    rangeRow->addWidget(new QLabel(QStringLiteral("和值范围："), box));
    sumLower_ = new LineBox(QStringLiteral("T_hezhi_fanwei_1"), box);
    sumUpper_ = new LineBox(QStringLiteral("T_hezhi_fanwei_2"), box);
    for (LineBox* bound : {sumLower_, sumUpper_}) {
        // A paste of any length is kept as typed (the default limit would cut it).
        bound->setMaxLength(std::numeric_limits<int>::max());
        bound->setFixedWidth(48);
        rangeRow->addWidget(bound);
    }
    rangeRow->addSpacing(12);
    rangeRow->addWidget(new QLabel(QStringLiteral("下框输入指定杀的和值"), box));
    sumListRow_ = rangeRow;
    v->addLayout(rangeRow);
    sumList_ = new MultiLineBox(QStringLiteral("T__hezhi_zhiding_sha"), box);
    sumList_->setFixedHeight(40);
    connect(sumList_, &MultiLineBox::doubleClicked, sumList_, [this] { sumList_->clearUndoably(); });
    v->addWidget(sumList_);

    // AC value.
    auto* acRow = new QHBoxLayout;
    acRow->setSpacing(4);
    acRow->addWidget(new QLabel(QStringLiteral("杀AC值:"), box));
    makeCheckRow(ac_, QStringLiteral("Check_ac"), [](int i) { return QString::number(i + 1); }, box);
    for (QCheckBox* c : ac_) acRow->addWidget(c);
    acRow->addWidget(new QLabel(kTickMeansDelete, box));
    acRow->addStretch(1);
    v->addLayout(acRow);

    layoutOf(region)->addWidget(box);
    buildPositionGrids(region);
}

void DigitPropertyPanel::buildPositionGrids(QWidget* region) {
    auto* frame = new QGroupBox(region);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(1);
    grid->setVerticalSpacing(1);

    // One grid: a heading line, then three position rows of ten digits and "全"/"清".
    // The two grids stand side by side, the second from column `col0`.
    const auto addGrid = [&](std::array<ToggleButton*, 30>& buttons, const QString& name, const QString& rowName,
                             QWidget* headingExtra, const QString& heading, int col0) {
        int line = 0;
        auto* head = new QHBoxLayout;
        head->addWidget(new QLabel(heading, frame));
        if (headingExtra) head->addWidget(headingExtra);
        head->addStretch(1);
        grid->addLayout(head, line++, col0, 1, 13);
        for (int pos = 0; pos < 3; ++pos, ++line) {
            grid->addWidget(new QLabel(kRowLabels[pos], frame), line, col0);
            for (int d = 0; d < 10; ++d) {
                const int index = pos * 10 + d;
                auto* b = new ToggleButton(indexedName(name, index), QString::number(d), kGridSelected,
                                           kGridNormal, frame);
                fitSmall(b, 22);
                buttons[static_cast<std::size_t>(index)] = b;
                grid->addWidget(b, line, col0 + d + 1);
            }
            for (int k = 0; k < 2; ++k) {
                const int rowButton = pos * 2 + k;  // 0 "全" hundreds, 1 "清" hundreds, ... 5 "清" units
                QPushButton* b = smallButton(indexedName(rowName, rowButton), k == 0 ? kAll : kClear, frame);
                connect(b, &QPushButton::clicked, this, [this, &buttons, rowButton] { setGridRow(buttons, rowButton); });
                grid->addWidget(b, line, col0 + 11 + k);
            }
        }
    };

    // The help text behind this button is provided by the main window.
    positionHelp_ = smallButton(indexedName(QStringLiteral("C_shuoming"), 0), kHelp, frame, 40);
    addGrid(position_, QStringLiteral("C_dingwei_sha"), QStringLiteral("C_dingwei_sha_all"), positionHelp_,
            QStringLiteral("定位杀"), 0);
    addGrid(compound_, QStringLiteral("C_fushi_paichu"), QStringLiteral("C_fushi_paichu_all"),
            new QLabel(kClickMeansDelete, frame), QStringLiteral("排除复式"), 14);
    grid->setColumnMinimumWidth(13, 10);
    grid->setColumnStretch(27, 1);

    layoutOf(region)->addWidget(frame);
}

void DigitPropertyPanel::setGridRow(std::array<ToggleButton*, 30>& grid, int rowButton) {
    const int first = (rowButton / 2) * 10;
    const bool selected = rowButton % 2 == 0;  // "全" selects, "清" clears
    for (int i = 0; i < 10; ++i) grid[static_cast<std::size_t>(first + i)]->setSelected(selected);
}

void DigitPropertyPanel::buildMiddleRight(QWidget* region) {
    // Big/small, odd/even and prime/composite patterns.
    auto* patterns = new QGroupBox(QStringLiteral("杀形态排列"), region);
    auto* pv = new QVBoxLayout(patterns);
    pv->setSpacing(2);
    pv->addWidget(new QLabel(kTickMeansDelete, patterns));
    auto* pg = new QGridLayout;
    pg->setHorizontalSpacing(2);
    pg->setVerticalSpacing(1);
    struct PatternRow {
        std::array<QCheckBox*, 8>& boxes;
        const std::array<std::string_view, 8>& captions;
        const char* name;
        const char* all;
        const char* clear;
    };
    const PatternRow rows[3] = {
        {bigSmall_, kBigSmallCaptions, "Check_pailie_daxiao", "C_pailie_daxiao_quan", "C_pailie_daxiao_cls"},
        {oddEven_, kOddEvenCaptions, "Check_pailie_jiou", "C_pailie_jiou_quan", "C_pailie_jiou_cls"},
        {primeComposite_, kPrimeCompositeCaptions, "Check_pailie_zhihe", "C_pailie_zhihe_quan",
         "C_pailie_zhihe_cls"},
    };
    for (int r = 0; r < 3; ++r) {
        const PatternRow& row = rows[r];
        makeCheckRow(row.boxes, QString::fromLatin1(row.name),
                     [&](int i) { return fromStd(row.captions[static_cast<std::size_t>(i)]); }, patterns);
        addCheckRow(pg, r, QString(), row.boxes,
                    makeAllClear(row.boxes, QString::fromLatin1(row.all), QString::fromLatin1(row.clear), patterns),
                    patterns);
    }
    pg->setColumnStretch(11, 1);
    pv->addLayout(pg);
    layoutOf(region)->addWidget(patterns);

    // 012 road: three lines of nine, by the road of the hundreds digit.
    auto* roads = new QGroupBox(QStringLiteral("012路排除"), region);
    auto* rg = new QGridLayout(roads);
    rg->setHorizontalSpacing(2);
    rg->setVerticalSpacing(1);
    makeCheckRow(road_, QStringLiteral("Check_012_paichu"), [](int i) { return fromStd(roadCaption(i)); }, roads);
    for (int i = 0; i < kRoadBoxCount; ++i) rg->addWidget(road_[static_cast<std::size_t>(i)], i / 9, i % 9);
    const auto roadAllClear =
        makeAllClear(road_, QStringLiteral("C_012_paichu_all"), QStringLiteral("C_012_paichu_cls"), roads);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(roadAllClear.first);
    buttons->addWidget(roadAllClear.second);
    buttons->addStretch(1);
    // Not a condition: its behaviour is attached by the main window.
    tip_ = makeButton(QStringLiteral("C_zhongjiang_mijue"), QStringLiteral("中奖秘笈"), colors::kGrey, roads);
    buttons->addWidget(tip_);
    rg->addLayout(buttons, 3, 0, 1, 9);
    rg->setColumnStretch(9, 1);
    layoutOf(region)->addWidget(roads);
    if (auto* stack = qobject_cast<QBoxLayout*>(layoutOf(region))) stack->addStretch(1);
}

void DigitPropertyPanel::buildBottomRight(QWidget* region) {
    auto* frame = new QGroupBox(QStringLiteral("特别排除"), region);
    auto* v = new QVBoxLayout(frame);
    v->setContentsMargins(6, 20, 6, 4);
    v->setSpacing(2);
    makeCheckRow(special_, QStringLiteral("Check_tebie_paichu"),
                 [](int i) { return fromStd(kSpecialCaptions[static_cast<std::size_t>(i)]); }, frame);
    // Forms on the first line, shapes and "全"/"清" on the second.
    auto* forms = new QHBoxLayout;
    for (int i = 0; i < kFirstShapeBox; ++i) forms->addWidget(special_[static_cast<std::size_t>(i)]);
    forms->addStretch(1);
    auto* shapes = new QHBoxLayout;
    for (int i = kFirstShapeBox; i < 10; ++i) shapes->addWidget(special_[static_cast<std::size_t>(i)]);
    const auto allClear =
        makeAllClear(special_, QStringLiteral("C_tebie_paichu_quan"), QStringLiteral("C_tebie_paichu_cls"), frame);
    shapes->addWidget(allClear.first);
    shapes->addWidget(allClear.second);
    shapes->addStretch(1);
    v->addLayout(forms);
    v->addLayout(shapes);
    v->addStretch(1);

    // The general help button sits on the frame's top edge; its text comes from the main window.
    formHelp_ = smallButton(indexedName(QStringLiteral("C_shuoming"), 2), kHelp, frame, 40);
    new TopEdgePlacer(frame, formHelp_);
    layoutOf(region)->addWidget(frame);
}

}  // namespace tarnel
