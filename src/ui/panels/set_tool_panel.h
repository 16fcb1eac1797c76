#pragma once
// The set tool page: lists A and B, four operations, result and its count.

#include <QObject>
#include <array>
#include <string>

class QWidget;

namespace tarnel {

class StateBinding;
class UiServices;

class SetToolPanel : public QObject {
    Q_OBJECT
public:
    // `lists` holds the texts of lists A and B, which schemes keep.
    SetToolPanel(std::array<std::string, 2>& lists, StateBinding& binding, UiServices& services,
                 QObject* parent = nullptr);
    // The whole tool, for the window to place on its page.
    QWidget* frame() const { return frame_; }

private:
    QWidget* frame_;
};

}  // namespace tarnel
