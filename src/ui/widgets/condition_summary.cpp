#include "ui/widgets/condition_summary.h"

#include <QEvent>
#include <QPainter>
#include <QPushButton>

#include "core/state/past_draw_rules.h"
#include "ui/widgets/controls.h"

namespace tarnel {

namespace {

const QString kSummaryPrefix = QStringLiteral("已设条件：");
const QString kNoCondition = QStringLiteral("已设条件：无");
const QString kSeparator = QStringLiteral("、");
const QString kMore = QStringLiteral("…");
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
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setWordWrap(false);
    connect(this, &QLabel::linkActivated, this, [this](const QString& link) {
        bool ok = false;
        const int page = link.mid(5).toInt(&ok);  // "page:N"
        if (ok && page >= 0 && page <= kRulesPage) emit pageRequested(page);
    });
    relayout();
}

void ConditionSummary::setConditions(std::vector<SetCondition> set) {
    set_ = std::move(set);
    relayout();
}

QString ConditionSummary::summaryText() const {
    if (set_.empty()) return kNoCondition;
    QString text = kSummaryPrefix;
    for (std::size_t i = 0; i < set_.size(); ++i) text += (i ? kSeparator : QString()) + fromStd(set_[i].name);
    return text;
}

void ConditionSummary::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    relayout();
}

void ConditionSummary::relayout() {
    setToolTip(set_.empty() ? QString() : summaryText());
    if (set_.empty()) {
        setText(kNoCondition);
        return;
    }
    // As many names as fit on the line, then "…".
    const QFontMetrics metrics(font());
    const int room = width() - 4;
    QString plain = kSummaryPrefix;
    QString html = kSummaryPrefix.toHtmlEscaped();
    for (std::size_t i = 0; i < set_.size(); ++i) {
        const QString name = fromStd(set_[i].name);
        const QString piece = (i ? kSeparator : QString()) + name;
        const bool last = i + 1 == set_.size();
        if (metrics.horizontalAdvance(plain + piece + (last ? QString() : kMore)) > room && i > 0) {
            html += kMore;
            break;
        }
        plain += piece;
        if (i) html += kSeparator;
        if (set_[i].page >= 0)
            html += QStringLiteral("<a href=\"page:%1\" style=\"%2\">%3</a>")
                        .arg(set_[i].page)
                        .arg(kLinkStyle, name.toHtmlEscaped());
        else
            html += name.toHtmlEscaped();
    }
    setText(html);
}

}  // namespace tarnel
