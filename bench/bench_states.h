#pragma once
// Condition states the benchmarks share.

#include <string>

#include "core/state/condition_state.h"

namespace tarnel {

// Every condition of the main window holds something, and numbers survive.
inline MainConditions everyConditionSet() {
    using namespace std::string_literals;  // moved in whole: GCC 12 misreads the copy of a literal
    MainConditions s;
    s.lists.directNumbers = "123 456"s;
    s.lists.junkCompounds = "12*34*56"s;
    s.lists.killPairs = "99"s;
    s.lists.mustPairs = "1 2 3 4 5 6 7 8 9 0"s;
    s.lists.positionalKill = {"00"s, "11"s, "22"s};
    s.lists.pairValues[0] = "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16"s;
    s.lists.pairValues[12] = "7"s;
    s.positional.matchRules = {"百         不等于         个"s};
    s.positional.pairLists = {""s, ""s, ""s};
    s.positional.hitGrid[3] = s.positional.hitGrid[14] = true;
    s.positional.anyTwoTails = {true, true, true, true, true, true, true, true, false, false};
    s.positional.bankerOn = true;
    s.positional.bankerDigits[1] = s.positional.bankerDigits[2] = true;
    s.digits.sumTailKill[3] = true;
    s.digits.spanKill[0] = true;
    s.digits.bankerDigits[5] = true;
    s.digits.bankerCount[0] = true;
    s.digits.sumLower = "3"s;
    s.digits.sumUpper = "24"s;
    s.digits.sumKillList = "10 17"s;
    s.digits.compoundExclude[5] = true;
    s.digits.positionKill[27] = true;
    s.digits.acKill[0] = true;
    s.digits.bigSmall[0] = s.digits.oddEven[0] = s.digits.primeComposite[0] = true;
    s.digits.road[0] = true;
    s.digits.special[0] = s.digits.special[9] = true;
    return s;
}

}  // namespace tarnel
