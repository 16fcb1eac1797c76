#include "ui/widgets/feedback_line.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include "ui/widgets/controls.h"
#include "ui/widgets/state_binding.h"

namespace tarnel {

namespace {
const char* const kInfoColor = "#606060";
const char* const kWarningColor = "#C05800";
}  // namespace

FeedbackLine::FeedbackLine(ListBox kind, QWidget* box, StateBinding& binding, const std::string& field,
                           QWidget* parent)
    : FeedbackLine(box->objectName() + QStringLiteral(".feedback"), {box}, binding,
                   [kind, &field] { return inputFeedback(kind, field); }, parent) {}

FeedbackLine::FeedbackLine(const QString& name, std::initializer_list<QWidget*> boxes, StateBinding& binding,
                           std::function<InputFeedback()> read, QWidget* parent)
    : QLabel(parent), binding_(binding), read_(std::move(read)) {
    setObjectName(name);
    setTextFormat(Qt::RichText);
    setWordWrap(false);  // one line, so the boxes keep their height
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    setFont(small);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(settle_, &QTimer::timeout, this, &FeedbackLine::refresh);
    for (QWidget* box : boxes) follow(box);
    settle_->start();
}

void FeedbackLine::follow(QWidget* box) {
    const auto changed = [this] {
        stale_ = true;
        settle_->start();
    };
    if (auto* multi = qobject_cast<QPlainTextEdit*>(box))
        connect(multi, &QPlainTextEdit::textChanged, this, changed);
    else if (auto* line = qobject_cast<QLineEdit*>(box))
        connect(line, &QLineEdit::textChanged, this, changed);
}

void FeedbackLine::refresh() {
    settle_->stop();
    if (!stale_) return;
    stale_ = false;
    binding_.pull();
    display(read_());
}

void FeedbackLine::display(const InputFeedback& feedback) {
    feedback_ = feedback;
    render();
}

void FeedbackLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    render();
}

void FeedbackLine::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    render();
}

void FeedbackLine::render() {
    const QString gap = QStringLiteral("\u00A0\u00A0");
    const QString info = fromStd(feedback_.info);
    const QString warning = fromStd(feedback_.warning);
    auto html = [&](const QString& shownInfo, const QString& shownWarning) {
        QString out;
        if (!shownInfo.isEmpty())
            out += QStringLiteral("<span style=\"color:%1\">%2</span>")
                       .arg(QLatin1String(kInfoColor), shownInfo.toHtmlEscaped());
        if (!shownWarning.isEmpty()) {
            if (!out.isEmpty()) out += gap;
            out += QStringLiteral("<span style=\"color:%1\">%2</span>")
                       .arg(QLatin1String(kWarningColor), shownWarning.toHtmlEscaped());
        }
        return out;
    };
    QString shownInfo = info;
    QString shownWarning = warning;
    const QFontMetrics metrics(font());
    const int room = contentsRect().width();
    if (isVisible() && room > 0 && metrics.horizontalAdvance(info + (info.isEmpty() || warning.isEmpty() ? QString() : gap) + warning) > room) {
        shownInfo = metrics.elidedText(info, Qt::ElideRight, room);
        const int left = room - metrics.horizontalAdvance(shownInfo + gap);
        shownWarning = warning.isEmpty() ? QString() : metrics.elidedText(warning, Qt::ElideRight, qMax(0, left));
    }
    setText(html(shownInfo, shownWarning));
    // A narrow column may cut the line; the tooltip holds all of it.
    setToolTip(html(info, warning));
}

}  // namespace tarnel
