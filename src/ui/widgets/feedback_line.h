#pragma once
// The small line beside a list box that says what its rule reads from it
// now ("识别 315 个号码") and warns about text the rule will skip. It
// follows the box's field of the condition state, once a burst of typing
// has settled, so a long paste is read once rather than per keystroke.

#include <QLabel>
#include <functional>
#include <initializer_list>
#include <string>

#include "core/state/input_feedback.h"

class QTimer;

namespace tarnel {

class StateBinding;

class FeedbackLine : public QLabel {
    Q_OBJECT
public:
    static constexpr int kSettleMs = 120;

    // `box` is the text box bound to `field` through `binding`; the line is
    // named after it ("T_jichu_dadi.feedback").
    FeedbackLine(ListBox kind, QWidget* box, StateBinding& binding, const std::string& field,
                 QWidget* parent = nullptr);
    // A line that follows several boxes and reads them with `read` (after
    // the binding has pulled their texts into the state), named `name`.
    FeedbackLine(const QString& name, std::initializer_list<QWidget*> boxes, StateBinding& binding,
                 std::function<InputFeedback()> read, QWidget* parent = nullptr);

    // Reads the field now if the box changed since the last reading.
    void refresh();
    // What is shown: the reading and the warning, each empty when none.
    const InputFeedback& feedback() const { return feedback_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void display(const InputFeedback& feedback);
    // Shows the reading and the warning in the width there is: a warning
    // that does not fit ends in "…"; the tooltip holds all of it.
    void render();

    void follow(QWidget* box);

    StateBinding& binding_;
    std::function<InputFeedback()> read_;
    QTimer* settle_ = nullptr;
    bool stale_ = true;
    InputFeedback feedback_;
};

}  // namespace tarnel
