#pragma once
// The two stages that restrict the pool to a starting set: the compound
// digit input (复式输入) and the pasted base-number list (大底).

#include <array>
#include <string>

#include "core/rules/number_pool.h"

namespace tarnel {

struct PoolSourceInputs {
    bool compoundOn = false;                  // Check_fs_ip ticked
    std::array<std::string, 3> compoundDigits;  // T_dadi_in 0..2 as typed
    std::string baseList;                     // T_jichu_dadi, line breaks as CR LF

    bool operator==(const PoolSourceInputs&) const = default;
};

// Keeps the numbers whose every digit occurs in the box of its position.
void killByCompoundDigits(NumberPool& pool, const PoolSourceInputs& in);
// When the list holds any digit, keeps the numbers whose text occurs in it.
void keepBaseList(NumberPool& pool, const PoolSourceInputs& in);

}  // namespace tarnel
