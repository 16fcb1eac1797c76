#include "core/state/condition_state.h"

#include "core/rules/selection.h"

namespace tarnel {

PoolSourceInputs MainConditions::startSources() {
    PoolSourceInputs s;
    s.baseList = std::string(kBaseListInitialText);
    return s;
}

NumberListInputs MainConditions::startLists() {
    NumberListInputs l;
    l.directNumbers = std::string(kListTutorialHint);
    l.junkCompounds = std::string(kListTutorialHint);
    l.killPairs = std::string(kListTutorialHint);
    l.positionalKill[0] = std::string(kPositionalKillHint);
    l.pairValues[0] = std::string(kPairValueHint);
    return l;
}

DigitPropertyInputs MainConditions::startDigits() {
    DigitPropertyInputs d;
    d.sumKillList = std::string(kSumKillListHint);
    return d;
}

TwoStarConditions twoStarStartState() {
    TwoStarConditions s;
    s.baseList = std::string(kTwoStarBaseInitialText);
    s.killList = std::string(kTwoStarKillInitialText);
    return s;
}

MainConditions restoredConditions(const MainConditions& current) {
    MainConditions r;
    // What "清空所有条件" leaves as it was.
    r.sources.compoundOn = current.sources.compoundOn;
    r.sources.compoundDigits = current.sources.compoundDigits;
    r.positional.bankerRepeats = current.positional.bankerRepeats;
    r.setLists = current.setLists;
    // Where its texts differ from the opening ones.
    r.sources.baseList = std::string(kBaseListRestoreText);
    r.lists = NumberListInputs{};
    r.lists.positionalKill[0] = std::string(kPositionalKillRestoreHint);
    r.positional.pairLists[0] = std::string(kPairBoxRestoreHint);
    return r;
}

PositionalInputs positionalInputs(const PositionalControls& c) {
    PositionalInputs in;
    in.matchRules = c.matchRules;
    for (std::size_t i = 0; i < 3; ++i) in.pairLists[i] = cleanPairListText(c.pairLists[i]);
    for (int r = 0; r < 3; ++r)
        in.gridRows[static_cast<std::size_t>(r)] = digitSelectionText(c.hitGrid, 10 * r, 10, /*starred=*/true);
    in.gridCounts = digitSelectionText(c.hitGrid, 30, 4, true);
    in.anyTwoSumTails = digitSelectionText(c.anyTwoTails, 0, 10, false);
    in.bankerOn = c.bankerOn;
    in.bankerRepeats = c.bankerRepeats;
    for (int g = 0; g < kBankerGroupCount; ++g) {
        in.bankerDigits[static_cast<std::size_t>(g)] = digitSelectionText(c.bankerDigits, 10 * g, 10, false);
        in.bankerCounts[static_cast<std::size_t>(g)] = digitSelectionText(c.bankerCounts, 4 * g, 4, false);
    }
    return in;
}

}  // namespace tarnel
