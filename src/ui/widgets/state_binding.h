#pragma once
// Ties controls to the fields of a condition state: a player's change marks
// the field, reading the state brings marked fields up to date, and showing
// a state sets every bound control from its field.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <variant>
#include <vector>

class QCheckBox;
class QComboBox;
class QListWidget;

namespace tarnel {

class LineBox;
class MultiLineBox;
class ToggleButton;

// The value of one bound field, whatever its type (for the undo steps).
using FieldValue = std::variant<bool, int, std::string, std::vector<std::string>>;

class StateBinding : public QObject {
    Q_OBJECT
public:
    // What kind of control a binding ties: a text box is edited in
    // stretches of keys, the others a click at a time.
    enum class Kind { Check, Toggle, Text, Combo, List };

    explicit StateBinding(QObject* parent = nullptr) : QObject(parent) {}

    void bind(QCheckBox* box, bool& field);
    void bind(ToggleButton* button, bool& field);
    void bind(MultiLineBox* box, std::string& field);
    void bind(LineBox* box, std::string& field);
    void bind(QComboBox* combo, std::string& field);
    // A combo of the items "0", "1", ...: the field is the number chosen.
    void bind(QComboBox* combo, int& field);
    void bind(QListWidget* list, std::vector<std::string>& field);

    // Brings every field up to date with its control.
    void pull();
    // Sets every control from its field, then reads back what the controls
    // hold (a box normalises line breaks), so fields and controls agree.
    void push();

    // The bindings one by one, in the order they were made.
    std::size_t count() const { return bindings_.size(); }
    Kind kind(std::size_t index) const { return bindings_[index].kind; }
    QWidget* control(std::size_t index) const { return bindings_[index].control; }
    // The field of a binding, up to date with its control.
    FieldValue value(std::size_t index);
    // Sets one field and shows it in its control (no `edited`), then says `changed`.
    void setValue(std::size_t index, const FieldValue& value);

signals:
    // A bound control changed (by the player, by a button, or by push()).
    void changed();
    // One bound control changed, not by push() or setValue(); `cleared`
    // when a text box was emptied at the player's double-click.
    void edited(std::size_t index, bool cleared);
    // A text box is about to be emptied at the player's double-click.
    void aboutToClear(std::size_t index);

private:
    struct Binding {
        std::function<void()> pull;  // control -> field
        std::function<void()> push;  // field -> control
        std::function<FieldValue()> get;
        std::function<void(const FieldValue&)> set;
        Kind kind = Kind::Check;
        QPointer<QWidget> control;
        bool dirty = false;
    };
    template <class Field>
    std::size_t add(QWidget* control, Kind kind, Field& field, std::function<void()> pull, std::function<void()> push);
    void mark(std::size_t index);

    std::vector<Binding> bindings_;
    bool pushing_ = false;
};

}  // namespace tarnel
