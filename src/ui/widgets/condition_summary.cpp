#include "ui/widgets/condition_summary.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScrollBar>
#include <algorithm>
#include <QPainter>
#include <QPushButton>

#include "core/state/past_draw_rules.h"
#include "ui/widgets/controls.h"

namespace tarnel {

namespace {

const QString kSummaryPrefix = QStringLiteral("已设条件：");
const QString kNoCondition = QStringLiteral("已设条件：无");
const QString kSeparator = QStringLiteral("、");
const QColor kDotColor(0xD0, 0x40, 0x00);
const QString kLinkStyle = QStringLiteral("color:#1A4FA0;text-decoration:none");
const char* const kDotName = "tabMark";  // for a look at the widget tree; never looked up

// The dot in a tab button's upper right corner; it follows the button's size.
class TabDot : public QWidget {
public:
    explicit TabDot(QPushButton* tab) : QWidget(tab) {
        setObjectName(QLatin1String(kDotName));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        resize(7, 7);
        tab->installEventFilter(this);
        place();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(kDotColor);
        p.drawEllipse(rect().adjusted(0, 0, -1, -1));
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) place();
        return QWidget::eventFilter(watched, event);
    }

private:
    void place() { move(parentWidget()->width() - width() - 3, 3); }
};

}  // namespace

void setTabMarked(QPushButton* button, bool marked) {
    auto* tab = qobject_cast<TabButton*>(button);
    if (!tab) return;
    if (!tab->dot_) {
        // The bold caption must fit without the row of tabs shifting.
        QFont bold = tab->font();
        bold.setBold(true);
        tab->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(tab->text()) + 18);
        tab->dot_ = new TabDot(tab);
    }
    QWidget* dot = tab->dot_;
    QFont font = tab->font();
    font.setBold(marked);
    tab->setFont(font);
    dot->setVisible(marked);
}

bool isTabMarked(const QPushButton* button) {
    const auto* tab = qobject_cast<const TabButton*>(button);
    const QWidget* dot = tab ? tab->dot_ : nullptr;
    return dot && !dot->isHidden() && tab->font().bold();
}

ConditionSummary::ConditionSummary(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("L_yishe_tiaojian"));
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(this, &QLabel::linkActivated, this, [this](const QString& link) {
        bool ok = false;
        const int page = link.mid(5).toInt(&ok);  // "page:N"
        if (ok && page >= 0 && page <= kRulesPage) emit pageRequested(page);
    });
    setText(kNoCondition);
}

void ConditionSummary::setConditions(std::vector<SetCondition> set) {
    set_ = std::move(set);
    if (set_.empty()) {
        setText(kNoCondition);
        setToolTip(QString());
        emit namesChanged();
        return;
    }
    QString html = kSummaryPrefix.toHtmlEscaped();
    for (std::size_t i = 0; i < set_.size(); ++i) {
        const QString name = fromStd(set_[i].name);
        if (i) html += kSeparator;
        if (set_[i].page >= 0)
            html += QStringLiteral("<a href=\"page:%1\" style=\"%2\">%3</a>")
                        .arg(set_[i].page)
                        .arg(kLinkStyle, name.toHtmlEscaped());
        else
            html += name.toHtmlEscaped();
    }
    setText(html);
    setToolTip(summaryText());  // whole, also where the window is too short for every line
    emit namesChanged();
}

QString ConditionSummary::summaryText() const {
    if (set_.empty()) return kNoCondition;
    QString text = kSummaryPrefix;
    for (std::size_t i = 0; i < set_.size(); ++i) text += (i ? kSeparator : QString()) + fromStd(set_[i].name);
    return text;
}

ConditionSummaryArea::ConditionSummaryArea(QWidget* parent) : QScrollArea(parent), summary_(new ConditionSummary) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(true);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setWidget(summary_);
    viewport()->setAutoFillBackground(false);
    summary_->setAutoFillBackground(false);
    summary_->installEventFilter(this);
    connect(summary_, &ConditionSummary::namesChanged, this, [this] {
        // The area fits the label to its new lines, then asks for the room they take.
        QEvent request(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(this, &request);
        updateGeometry();
    });
}

int ConditionSummaryArea::lineHeight() const { return summary_->fontMetrics().lineSpacing(); }

QSize ConditionSummaryArea::sizeHint() const {
    const int width = std::max(viewport()->width(), 1);
    const int lines = summary_->heightForWidth(width);
    const int most = kMaxLines * lineHeight() + 2;
    return {summary_->sizeHint().width(), std::min(std::max(lines, lineHeight()), most)};
}

QSize ConditionSummaryArea::minimumSizeHint() const { return {0, lineHeight() + 2}; }

bool ConditionSummaryArea::eventFilter(QObject* watched, QEvent* event) {
    // New text or a new width: the lines it takes may have changed.
    if (watched == summary_ && (event->type() == QEvent::Resize || event->type() == QEvent::FontChange))
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}

}  // namespace tarnel
