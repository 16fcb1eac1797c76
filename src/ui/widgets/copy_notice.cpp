#include "ui/widgets/copy_notice.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/widgets/ui_services.h"

namespace tarnel {

CopyNotice::CopyNotice(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Fts"));
    setModal(true);
    auto* label = new QLabel(kCopyNoticeText, this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setAlignment(Qt::AlignCenter);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 1.5);
    label->setFont(f);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(label);
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setSingleShot(true);
    timer_->setInterval(kLifetimeMs);
    connect(timer_, &QTimer::timeout, this, &QDialog::accept);
}

void CopyNotice::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    timer_->start();
}

}  // namespace tarnel
