#pragma once
// The set tool page: lists A and B, four operations, result and its count.

#include <QObject>

class QWidget;

namespace tarnel {

class UiServices;

class SetToolPanel : public QObject {
    Q_OBJECT
public:
    SetToolPanel(QWidget* page, UiServices& services, QObject* parent = nullptr);
};

}  // namespace tarnel
