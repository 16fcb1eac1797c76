#pragma once
// Ties controls to the fields of a condition state: a player's change marks
// the field, reading the state brings marked fields up to date, and showing
// a state sets every bound control from its field.

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QListWidget;

namespace tarnel {

class LineBox;
class MultiLineBox;
class ToggleButton;

class StateBinding : public QObject {
    Q_OBJECT
public:
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

signals:
    // A bound control changed (by the player, by a button, or by push()).
    void changed();

private:
    struct Binding {
        std::function<void()> pull;  // control -> field
        std::function<void()> push;  // field -> control
        bool dirty = false;
    };
    std::size_t add(std::function<void()> pull, std::function<void()> push);
    void mark(std::size_t index);

    std::vector<Binding> bindings_;
    bool pushing_ = false;
};

}  // namespace tarnel
