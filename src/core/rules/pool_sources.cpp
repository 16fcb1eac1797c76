#include "core/rules/pool_sources.h"

#include "core/rules/text.h"

namespace tarnel {

void killByCompoundDigits(NumberPool& pool, const PoolSourceInputs& in) {
    if (!in.compoundOn) return;
    const unsigned allowed[3] = {digitSet(in.compoundDigits[0]), digitSet(in.compoundDigits[1]),
                                 digitSet(in.compoundDigits[2])};
    for (int i = 0; i < NumberPool::kSize; ++i) {
        for (int pos = 0; pos < 3; ++pos) {
            if (!(allowed[pos] & (1u << pool.digit(i, pos)))) {
                pool.kill(i);
                break;
            }
        }
    }
}

void keepBaseList(NumberPool& pool, const PoolSourceInputs& in) {
    if (!hasAsciiDigit(in.baseList)) return;
    const NumberWindows listed(in.baseList);
    for (int i = 0; i < NumberPool::kSize; ++i)
        if (!listed.contains(pool.value(i))) pool.kill(i);
}

}  // namespace tarnel
