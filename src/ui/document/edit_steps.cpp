#include "ui/document/edit_steps.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QRegularExpression>
#include <algorithm>
#include <set>

#include "core/state/condition_rows.h"
#include "ui/widgets/controls.h"

namespace tarnel {

EditStep::EditStep(const QString& name, Gather gather, Apply apply)
    : QUndoCommand(name), gather(gather), apply_(std::move(apply)) {}

void EditStep::redo() {
    // Pushed once the edit is made: nothing to do again the first time.
    if (!done_) {
        done_ = true;
        return;
    }
    apply_(*this, true);
}

bool EditStep::changesAnything() const {
    if (rules && rules->first != rules->second) return true;
    return std::any_of(changes.begin(), changes.end(),
                       [](const FieldChange& c) { return !c.after || *c.after != c.before; });
}

bool EditStep::has(StatePart part, std::size_t index) const {
    return std::any_of(changes.begin(), changes.end(),
                       [&](const FieldChange& c) { return c.part == part && c.index == index; });
}

namespace {

// "Name[3]" as ("Name", 3); a name without an index as (name, -1).
std::pair<QString, int> splitIndexed(const QString& objectName) {
    static const QRegularExpression indexed(QStringLiteral("^(.*)\\[(\\d+)\\]$"));
    const QRegularExpressionMatch m = indexed.match(objectName);
    if (!m.hasMatch()) return {objectName, -1};
    return {m.captured(1), m.captured(2).toInt()};
}

// The controls of the two-star window, by the names they answer to.
const struct {
    const char* control;
    const char* name;
} kTwoStarNames[] = {{"C_2d_dm", "胆码"},     {"C_2d_dm_rc", "胆码个数"}, {"C_2d_kua", "跨度"},
                     {"C_2d_he", "和值"},     {"C_2d_dw", "定位"},        {"C_2d_fs", "复式"},
                     {"C_2d_xt", "形态"},     {"C_2d_012", "012路"},      {"C_2d_duizi", "对子"},
                     {"Check_danma_jc", "胆码计重"}};

// The main window's controls that no row reads alone.
const struct {
    const char* control;
    int index;
    const char* name;
} kMainNames[] = {{"Combo_rongcuo", -1, "容错"},
                  {"T_dd_jiaoji", 0, "交集A"},
                  {"T_dd_jiaoji", 1, "交集B"},
                  {"C_wz_pp", -1, "位置匹配"}};

QString captionOf(const QWidget* control) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text().remove(QLatin1Char('&')).simplified();
    return QString();
}

}  // namespace

QString controlPlayerName(StatePart part, const QString& objectName) {
    const auto [control, index] = splitIndexed(objectName);
    if (part == StatePart::TwoStar) {
        if (control == QLatin1String("T_2d_dd")) return index == 0 ? QStringLiteral("二星大底") : QStringLiteral("二星杀直选");
        for (const auto& n : kTwoStarNames)
            if (control == QLatin1String(n.control)) return QStringLiteral("二星") + QString::fromUtf8(n.name);
        return QStringLiteral("二星条件");
    }
    const std::string name = control.toStdString();
    for (const ConditionRow& row : kRows)
        for (const RowKey& key : row.keys)
            if (key.control == name && (key.first < 0 || (index >= key.first && index <= key.last)))
                return fromStd(row.playerName);
    for (const auto& n : kMainNames)
        if (control == QLatin1String(n.control) && (n.index < 0 || n.index == index)) return QString::fromUtf8(n.name);
    return QStringLiteral("条件");
}

QString fieldStepName(StatePart part, const StateBinding& binding, std::size_t index, bool cleared,
                      const FieldValue& after) {
    const QWidget* control = binding.control(index);
    const QString name = control ? controlPlayerName(part, control->objectName()) : QStringLiteral("条件");
    QString caption = captionOf(control);
    if (caption == name) caption.clear();
    const auto with = [&](const QString& verb, const QString& what) {
        return what.isEmpty() ? verb + QLatin1Char(' ') + name : verb + QLatin1Char(' ') + name + QLatin1Char(' ') + what;
    };
    const bool on = std::holds_alternative<bool>(after) && std::get<bool>(after);
    switch (binding.kind(index)) {
        case StateBinding::Kind::Check: return with(on ? QStringLiteral("勾选") : QStringLiteral("取消勾选"), caption);
        case StateBinding::Kind::Toggle: return with(on ? QStringLiteral("选中") : QStringLiteral("取消选中"), caption);
        case StateBinding::Kind::Text: return with(cleared ? QStringLiteral("清空") : QStringLiteral("编辑"), QString());
        case StateBinding::Kind::Combo: {
            const auto* combo = qobject_cast<const QComboBox*>(control);
            return with(QStringLiteral("选择"), combo ? combo->currentText() : QString());
        }
        case StateBinding::Kind::List: return with(QStringLiteral("修改"), QString());
    }
    return with(QStringLiteral("修改"), QString());
}

QString fieldsStepName(const std::vector<FieldChange>& changes, const std::vector<StateBinding*>& bindings) {
    std::set<QString> names;
    for (const FieldChange& c : changes) {
        const StateBinding* binding = bindings[static_cast<std::size_t>(c.part)];
        const QWidget* control = binding ? binding->control(c.index) : nullptr;
        names.insert(control ? controlPlayerName(c.part, control->objectName()) : QStringLiteral("条件"));
    }
    if (names.size() == 1) return QStringLiteral("修改 ") + *names.begin();
    return QStringLiteral("修改 %1 项条件").arg(names.size());
}

QString rulesStepName(const std::vector<PastDrawRule>& before, const std::vector<PastDrawRule>& after) {
    const std::size_t common = std::min(before.size(), after.size());
    std::size_t first = 0;
    while (first < common && before[first] == after[first]) ++first;
    const auto nth = [](std::size_t i) { return QStringLiteral(" 第 %1 条").arg(i + 1); };
    if (after.size() == before.size() + 1 &&
        std::equal(before.begin() + std::ptrdiff_t(first), before.end(), after.begin() + std::ptrdiff_t(first) + 1))
        return QStringLiteral("添加 动态条件") + nth(first);
    if (before.size() == after.size() + 1 &&
        std::equal(after.begin() + std::ptrdiff_t(first), after.end(), before.begin() + std::ptrdiff_t(first) + 1))
        return QStringLiteral("删除 动态条件") + nth(first);
    if (before.size() == after.size() && first < before.size()) {
        std::size_t last = before.size() - 1;
        while (last > first && before[last] == after[last]) --last;
        if (last == first) return QStringLiteral("修改 动态条件") + nth(first);
        if (last == first + 1 && before[first] == after[last] && before[last] == after[first])
            return QStringLiteral("移动 动态条件") + nth(first) + QStringLiteral("、第 %1 条").arg(last + 1);
    }
    if (after.empty()) return QStringLiteral("清空 动态条件");
    return QStringLiteral("修改 动态条件");
}

}  // namespace tarnel
