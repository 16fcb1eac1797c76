#include "core/rules/pool_sources.h"

#include "core/rules/text.h"

namespace tarnel {

void killByCompoundDigits(NumberPool& pool, const PoolSourceInputs& in) {
    if (!in.compoundOn) return;
    const unsigned allowed[3] = {digitSet(in.compoundDigits[0]), digitSet(in.compoundDigits[1]),
                                 digitSet(in.compoundDigits[2])};
    // Kept: every position's digit allowed. During a run entry n holds n.
    pool.killAll(~(numbersWithDigitAt(0, allowed[0]) & numbersWithDigitAt(1, allowed[1]) &
                   numbersWithDigitAt(2, allowed[2])));
}

void keepBaseList(NumberPool& pool, const PoolSourceInputs& in) {
    if (!hasAsciiDigit(in.baseList)) return;
    const NumberWindows listed(in.baseList);
    for (int i = 0; i < NumberPool::kSize; ++i)
        if (!listed.contains(pool.value(i))) pool.kill(i);
}

}  // namespace tarnel
