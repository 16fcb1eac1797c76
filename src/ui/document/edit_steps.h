#pragma once
// The player's edits of the conditions as steps of the document's undo
// stack: each step holds, for every field it changed, the value before and
// after, and the rule list before and after where it changed that. A step
// may still be gathering: the keys typed into one box, or everything one
// click changed, are one step; the values after are read once it closes.

#include <QString>
#include <QUndoCommand>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "core/state/past_draw_rule.h"
#include "ui/widgets/state_binding.h"

namespace tarnel {

// Which window's conditions a field belongs to.
enum class StatePart : std::uint8_t { Main, TwoStar };

struct FieldChange {
    StatePart part = StatePart::Main;
    std::size_t index = 0;  // the binding of its part
    FieldValue before;
    std::optional<FieldValue> after;  // empty while the step gathers
};

class EditStep : public QUndoCommand {
public:
    // How a step gathers further edits until it closes: not at all; every
    // field one player's action changes; the keys typed into one box.
    enum class Gather : std::uint8_t { Closed, Action, Typing };
    using Apply = std::function<void(EditStep& step, bool forward)>;

    EditStep(const QString& name, Gather gather, Apply apply);

    std::vector<FieldChange> changes;
    std::optional<std::pair<std::vector<PastDrawRule>, std::vector<PastDrawRule>>> rules;  // before, after
    Gather gather;
    quint64 inputSerial = 0;  // the player's input the step gathers for (Gather::Action)

    // Whether undoing or redoing it changes anything.
    bool changesAnything() const;
    bool has(StatePart part, std::size_t index) const;

    void undo() override { apply_(*this, false); }
    void redo() override;

private:
    Apply apply_;
    bool done_ = false;  // pushed: the edit itself was its first doing
};

// How a step is named in 编辑 → 撤销/重做, by the control it changed: the
// row the control belongs to as the player knows it, and what the control
// says ("勾选 杀和尾 3", "编辑 杀直选", "清空 大底号码").
QString fieldStepName(StatePart part, const StateBinding& binding, std::size_t index, bool cleared,
                      const FieldValue& after);
// The player's name of a control: its row, or the thing it sets.
QString controlPlayerName(StatePart part, const QString& objectName);
// A step over several fields.
QString fieldsStepName(const std::vector<FieldChange>& changes, const std::vector<StateBinding*>& bindings);
// A change of the rule list: which rule was added, changed, removed or moved.
QString rulesStepName(const std::vector<PastDrawRule>& before, const std::vector<PastDrawRule>& after);

}  // namespace tarnel
