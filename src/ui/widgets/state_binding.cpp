#include "ui/widgets/state_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <utility>

#include "ui/widgets/controls.h"

namespace tarnel {

template <class Field>
std::size_t StateBinding::add(QWidget* control, Kind kind, Field& field, std::function<void()> pull,
                              std::function<void()> push) {
    const std::size_t i = bindings_.size();
    Binding b{std::move(pull), std::move(push), {}, {}, kind, control, true};
    b.get = [&field] { return FieldValue(field); };
    b.set = [&field](const FieldValue& value) {
        if (const Field* v = std::get_if<Field>(&value)) field = *v;
    };
    bindings_.push_back(std::move(b));
    return i;
}

void StateBinding::mark(std::size_t index) {
    bindings_[index].dirty = true;
    if (pushing_) return;
    emit changed();
    bool cleared = false;
    if (auto* multi = qobject_cast<MultiLineBox*>(bindings_[index].control.data()))
        cleared = multi->isClearing();
    else if (auto* line = qobject_cast<LineBox*>(bindings_[index].control.data()))
        cleared = line->isClearing();
    emit edited(index, cleared);
}

FieldValue StateBinding::value(std::size_t index) {
    Binding& b = bindings_[index];
    if (b.dirty) {
        b.pull();
        b.dirty = false;
    }
    return b.get();
}

void StateBinding::setValue(std::size_t index, const FieldValue& value) {
    Binding& b = bindings_[index];
    b.set(value);
    pushing_ = true;
    b.push();
    pushing_ = false;
    b.dirty = true;  // read back what the control holds (a box normalises line breaks)
    emit changed();
}

void StateBinding::bind(QCheckBox* box, bool& field) {
    const std::size_t i = add(box, Kind::Check, field, [box, &field] { field = box->checkState() == Qt::Checked; },
        [box, &field] { box->setChecked(field); });
    connect(box, &QCheckBox::stateChanged, this, [this, i] { mark(i); });
}

void StateBinding::bind(ToggleButton* button, bool& field) {
    const std::size_t i = add(button, Kind::Toggle, field, [button, &field] { field = button->isSelected(); },
                              [button, &field] { button->setSelected(field); });
    connect(button, &ToggleButton::selectionChanged, this, [this, i] { mark(i); });
}

namespace {

// A text box's text as the field's UTF-8, and back only when the field
// differs from what the box holds: a box whose text reads as the field
// keeps it, even where UTF-8 has no exact form of it (a lone surrogate).
template <class Box>
std::pair<std::function<void()>, std::function<void()>> textAccess(Box* box, std::string& field) {
    return {[box, &field] { field = toStd(box->text()); },
            [box, &field] {
                if (toStd(box->text()) != field) box->setText(fromStd(field));
            }};
}

}  // namespace

void StateBinding::bind(MultiLineBox* box, std::string& field) {
    auto [pull, push] = textAccess(box, field);
    const std::size_t i = add(box, Kind::Text, field, std::move(pull), std::move(push));
    connect(box, &QPlainTextEdit::textChanged, this, [this, i] { mark(i); });
    connect(box, &MultiLineBox::aboutToClear, this, [this, i] { emit aboutToClear(i); });
}

void StateBinding::bind(LineBox* box, std::string& field) {
    auto [pull, push] = textAccess(box, field);
    const std::size_t i = add(box, Kind::Text, field, std::move(pull), std::move(push));
    connect(box, &QLineEdit::textChanged, this, [this, i] { mark(i); });
    connect(box, &LineBox::aboutToClear, this, [this, i] { emit aboutToClear(i); });
}

void StateBinding::bind(QComboBox* combo, std::string& field) {
    const std::size_t i = add(combo, combo->isEditable() ? Kind::Text : Kind::Combo, field,
        [combo, &field] { field = toStd(combo->currentText()); },
        [combo, &field] {
            const QString text = fromStd(field);
            const int item = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (item >= 0) combo->setCurrentIndex(item);
            if (combo->isEditable()) combo->setEditText(text);
        });
    connect(combo, &QComboBox::currentTextChanged, this, [this, i] { mark(i); });
}

void StateBinding::bind(QComboBox* combo, int& field) {
    const std::size_t i = add(combo, Kind::Combo, field, [combo, &field] { field = combo->currentText().toInt(); },
                              [combo, &field] {
                                  const int item = combo->findText(QString::number(field));
                                  combo->setCurrentIndex(item >= 0 ? item : 0);
                              });
    connect(combo, &QComboBox::currentTextChanged, this, [this, i] { mark(i); });
}

void StateBinding::bind(QListWidget* list, std::vector<std::string>& field) {
    const std::size_t i = add(list, Kind::List, field,
        [list, &field] {
            field.clear();
            field.reserve(static_cast<std::size_t>(list->count()));
            for (int row = 0; row < list->count(); ++row) field.push_back(toStd(list->item(row)->text()));
        },
        [list, &field] {
            list->clear();
            for (const std::string& line : field) list->addItem(fromStd(line));
        });
    // Every way a list changes its lines marks it.
    QAbstractItemModel* model = list->model();
    const auto marker = [this, i] { mark(i); };
    connect(model, &QAbstractItemModel::rowsInserted, this, marker);
    connect(model, &QAbstractItemModel::rowsRemoved, this, marker);
    connect(model, &QAbstractItemModel::modelReset, this, marker);
    connect(model, &QAbstractItemModel::dataChanged, this, marker);
    connect(model, &QAbstractItemModel::layoutChanged, this, marker);
}

void StateBinding::pull() {
    for (Binding& b : bindings_) {
        if (!b.dirty) continue;
        b.pull();
        b.dirty = false;
    }
}

void StateBinding::push() {
    pushing_ = true;
    for (Binding& b : bindings_) b.push();
    pushing_ = false;
    for (Binding& b : bindings_) b.dirty = true;
    pull();
    emit changed();
}

}  // namespace tarnel
