#pragma once
// Fts: the small modal notice "复制成功！" that closes itself after 600 ms.

#include <QDialog>

class QTimer;

namespace tarnel {

class CopyNotice : public QDialog {
    Q_OBJECT
public:
    static constexpr int kLifetimeMs = 600;
    explicit CopyNotice(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTimer* timer_;  // Timer1: closes the notice
};

}  // namespace tarnel
