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
    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setSingleShot(true);
    timer->setInterval(kLifetimeMs);
    connect(timer, &QTimer::timeout, this, &QDialog::accept);
}

void CopyNotice::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    findChild<QTimer*>(QStringLiteral("Timer1"))->start();
}

}  // namespace tarnel
