// The conditions document's undo stack: how the player's edits become steps.
//
// The document keeps, for every bound field, its value as the steps leave it
// (`recorded`). An edit of a control pushes a step at once, so that 编辑 →
// 撤销 names it while it is made; the step gathers further edits and reads
// the values after them only when it closes:
// - a click (a tick, a grid button, a combo, a list) gathers what that one
//   input of the player changes, and closes at the end of it;
// - typing gathers the keys typed into one box: it closes when the box
//   loses the focus, when another control or the rules are edited, and
//   before a save, a run, an undo or a redo. Reading a box of megabytes at
//   every key would cost more than the key;
// - a double-click that empties a box is a step of its own, as are a change
//   of the rules, 清空所有条件 and a state shown through the document.
// A step that comes to change nothing is dropped.
//
// Ctrl+Z in a text box is the box's own undo, as in every text box (the
// keys typed there, one at a time); 编辑 → 撤销 and Ctrl+Z anywhere else go
// through these steps. Undoing a step the box's own undo took part in is
// still exact: the step holds the text before and after.

#include <QApplication>
#include <QEvent>
#include <QScopedValueRollback>
#include <QTimer>
#include <algorithm>

#include "ui/document/conditions_document.h"

namespace tarnel {

namespace {
// Beyond this many steps the oldest are forgotten.
constexpr int kUndoLimit = 1000;

// Whether the keyboard is in `box` (or in an editor laid over it).
bool hasFocusIn(const QWidget* box) {
    const QWidget* focus = QApplication::focusWidget();
    return box && focus && (focus == box || box->isAncestorOf(focus));
}
}  // namespace

StateBinding* ConditionsDocument::bindingOf(StatePart part) {
    if (part == StatePart::Main) return &mainBinding_;
    return twoStar_ ? &twoStar_->binding : nullptr;
}

std::vector<FieldValue>& ConditionsDocument::recordedOf(StatePart part) {
    return part == StatePart::Main ? recordedMain_ : recordedTwoStar_;
}

void ConditionsDocument::recordAll(StatePart part) {
    std::vector<FieldValue>& recorded = recordedOf(part);
    recorded.clear();
    StateBinding* binding = bindingOf(part);
    if (!binding) return;
    recorded.reserve(binding->count());
    for (std::size_t i = 0; i < binding->count(); ++i) recorded.push_back(binding->value(i));
}

void ConditionsDocument::startSteps() {
    undoStack_.setUndoLimit(kUndoLimit);
    recordAll(StatePart::Main);
    recordAll(StatePart::TwoStar);
    // The player's presses and releases tell one action from the next.
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!open_ || open_->gather != EditStep::Gather::Typing) return;
        const FieldChange& typed = open_->changes.front();
        const StateBinding* binding = bindingOf(typed.part);
        const QWidget* box = binding ? binding->control(typed.index) : nullptr;
        if (!box || !now || (now != box && !box->isAncestorOf(now))) closeStep();
    });
}

bool ConditionsDocument::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
            ++inputSerial_;
            break;
        default: break;
    }
    return QObject::eventFilter(watched, event);
}

void ConditionsDocument::fieldEdited(StatePart part, std::size_t index, bool cleared) {
    if (!started_ || applying_) return;
    if (absorbing_) {
        absorbed_.emplace_back(part, index);
        return;
    }
    StateBinding* binding = bindingOf(part);
    if (!binding || index >= recordedOf(part).size()) return;
    // Text put into a box the keyboard is in is typed; text a button or a
    // window puts into a box is part of that action.
    const bool typing = binding->kind(index) == StateBinding::Kind::Text && !cleared && hasFocusIn(binding->control(index));
    if (open_ && !cleared) {
        // Keys typed on into the box being typed into.
        if (open_->gather == EditStep::Gather::Typing && open_->has(part, index)) return;
        // More of what one action of the player changes.
        if (open_->gather == EditStep::Gather::Action && open_->inputSerial == inputSerial_) {
            if (!open_->has(part, index)) {
                open_->changes.push_back({part, index, recordedOf(part)[index], std::nullopt});
                open_->setText(fieldsStepName(open_->changes, {&mainBinding_, bindingOf(StatePart::TwoStar)}));
                emit stepsChanged();
            }
            return;
        }
    }
    closeStep();
    openStep(part, index, cleared, typing);
    closeTimer_->start();
}

void ConditionsDocument::openStep(StatePart part, std::size_t index, bool cleared, bool typing) {
    StateBinding& binding = *bindingOf(part);
    // A click's value is small: read now, it names the step ("勾选" or "取消勾选").
    const FieldValue now = typing ? FieldValue() : binding.value(index);
    auto* step = new EditStep(fieldStepName(part, binding, index, cleared, now),
                              typing ? EditStep::Gather::Typing : EditStep::Gather::Action,
                              [this](EditStep& s, bool forward) { applyStep(s, forward); });
    step->inputSerial = inputSerial_;
    step->changes.push_back({part, index, recordedOf(part)[index], std::nullopt});
    pushStep(step);
    open_ = step;
}

void ConditionsDocument::closeIdleStep() {
    if (!open_) return;
    if (open_->gather == EditStep::Gather::Typing) {
        // Typing goes on while the box keeps the focus.
        const FieldChange& typed = open_->changes.front();
        const StateBinding* binding = bindingOf(typed.part);
        if (binding && hasFocusIn(binding->control(typed.index))) return;
    }
    closeStep();
}

void ConditionsDocument::closeStep() {
    if (!open_) return;
    EditStep* step = std::exchange(open_, nullptr);
    for (FieldChange& c : step->changes) {
        StateBinding* binding = bindingOf(c.part);
        std::vector<FieldValue>& recorded = recordedOf(c.part);
        if (!binding || c.index >= recorded.size()) {
            c.after = c.before;  // its window is gone: nothing to take back
            continue;
        }
        c.after = binding->value(c.index);
        recorded[c.index] = *c.after;
    }
    if (!step->changesAnything()) {
        // Typed and typed back, or ticked and unticked in one action: no step.
        // An obsolete step leaves the stack as it is undone.
        const QScopedValueRollback<bool> quiet(applying_, true);
        step->setObsolete(true);
        undoStack_.undo();
    }
    emit stepsChanged();
}

EditStep* ConditionsDocument::recordWhole(const QString& name, const std::function<void()>& change, bool keepEmpty) {
    closeStep();
    const std::vector<PastDrawRule> rulesBefore = main_.rules;
    {
        const QScopedValueRollback<bool> quiet(applying_, true);
        change();
    }
    auto* step = new EditStep(name, EditStep::Gather::Closed, [this](EditStep& s, bool forward) { applyStep(s, forward); });
    for (StatePart part : {StatePart::Main, StatePart::TwoStar}) {
        StateBinding* binding = bindingOf(part);
        std::vector<FieldValue>& recorded = recordedOf(part);
        if (!binding) continue;
        if (recorded.size() != binding->count()) {
            recordAll(part);  // a window that opened in the change starts as it shows now
            continue;
        }
        for (std::size_t i = 0; i < binding->count(); ++i) {
            FieldValue now = binding->value(i);
            if (now == recorded[i]) continue;
            step->changes.push_back({part, i, std::move(recorded[i]), now});
            recorded[i] = std::move(now);
        }
    }
    if (main_.rules != rulesBefore) step->rules.emplace(rulesBefore, main_.rules);
    if (!keepEmpty && !step->changesAnything()) {
        delete step;
        return nullptr;
    }
    pushStep(step);
    return step;
}

void ConditionsDocument::pushStep(EditStep* step) {
    // The oldest step goes beyond the limit; 清空所有条件 among them can no longer be undone.
    if (undoStack_.count() >= kUndoLimit && undoStack_.index() == undoStack_.count() &&
        undoStack_.command(0) == lastClear_) {
        lastClear_ = nullptr;
        emit clearUndoChanged(false);
    }
    undoStack_.push(step);
    emit stepsChanged();
}

void ConditionsDocument::applyStep(EditStep& step, bool forward) {
    if (applying_) return;  // a step dropped as it is undone: its fields are as they were
    const QScopedValueRollback<bool> quiet(applying_, true);
    // A step of the two-star window brings it back as it was when it closed.
    const bool twoStarStep = std::any_of(step.changes.begin(), step.changes.end(),
                                         [](const FieldChange& c) { return c.part == StatePart::TwoStar; });
    if (twoStarStep && !twoStar_) {
        showTwoStar(closedTwoStar_.value_or(twoStarStartState()));
        if (twoStar_) recordAll(StatePart::TwoStar);
    }
    const auto apply = [&](const FieldChange& c) {
        StateBinding* binding = bindingOf(c.part);
        std::vector<FieldValue>& recorded = recordedOf(c.part);
        if (!binding || c.index >= recorded.size()) return;
        binding->setValue(c.index, forward ? c.after.value_or(c.before) : c.before);
        recorded[c.index] = binding->value(c.index);
    };
    if (forward)
        for (const FieldChange& c : step.changes) apply(c);
    else
        for (auto c = step.changes.rbegin(); c != step.changes.rend(); ++c) apply(*c);
    if (step.rules) {
        main_.rules = forward ? step.rules->second : step.rules->first;
        rulesEdited();
    }
    if (!forward && &step == lastClear_) {
        lastClear_ = nullptr;
        emit clearUndoChanged(false);
    }
}

void ConditionsDocument::undo() {
    closeStep();
    if (undoStack_.canUndo()) undoStack_.undo();
}

void ConditionsDocument::redo() {
    closeStep();
    if (undoStack_.canRedo()) undoStack_.redo();
}

void ConditionsDocument::undoClearAll() {
    closeStep();
    if (!lastClear_) return;
    while (lastClear_ && undoStack_.canUndo()) undoStack_.undo();
}

void ConditionsDocument::resetSteps() {
    open_ = nullptr;
    undoStack_.clear();
    recordAll(StatePart::Main);
    recordAll(StatePart::TwoStar);
    offStack_ = false;
    if (lastClear_) {
        lastClear_ = nullptr;
        emit clearUndoChanged(false);
    }
    emit stepsChanged();
}

}  // namespace tarnel
