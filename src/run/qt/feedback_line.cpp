#include "run/qt/feedback_line.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include "common/qt/controls.h"
#include "common/qt/state_binding.h"

namespace tarnel {

namespace {
const char* const kInfoColor = "#606060";
const char* const kWarningColor = "#C05800";
}  // namespace

FeedbackLine::FeedbackLine(ListBox kind, QWidget* box, StateBinding& binding, const std::string& field,
                           QWidget* parent)
    : QLabel(parent), kind_(kind), binding_(binding), field_(field) {
    setObjectName(box->objectName() + QStringLiteral(".feedback"));
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
    const auto changed = [this] {
        stale_ = true;
        settle_->start();
    };
    if (auto* multi = qobject_cast<QPlainTextEdit*>(box))
        connect(multi, &QPlainTextEdit::textChanged, this, changed);
    else if (auto* line = qobject_cast<QLineEdit*>(box))
        connect(line, &QLineEdit::textChanged, this, changed);
    settle_->start();
}

void FeedbackLine::refresh() {
    settle_->stop();
    if (!stale_) return;
    stale_ = false;
    binding_.pull();
    display(inputFeedback(kind_, field_));
}

void FeedbackLine::display(const InputFeedback& feedback) {
    feedback_ = feedback;
    QString html;
    if (!feedback.info.empty())
        html += QStringLiteral("<span style=\"color:%1\">%2</span>")
                    .arg(QLatin1String(kInfoColor), fromStd(feedback.info).toHtmlEscaped());
    if (!feedback.warning.empty()) {
        if (!html.isEmpty()) html += QStringLiteral("&nbsp;&nbsp;");
        html += QStringLiteral("<span style=\"color:%1\">%2</span>")
                    .arg(QLatin1String(kWarningColor), fromStd(feedback.warning).toHtmlEscaped());
    }
    setText(html);
    // A narrow column may cut the line; the tooltip holds all of it.
    setToolTip(html);
}

}  // namespace tarnel
