#include "core/rules/pair_pool.h"

namespace tarnel {

void PairPool::reset() {
    for (int n = 0; n < kSize; ++n) {
        auto& e = entry(n);
        e.text = {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
        e.killed = false;
    }
}

int PairPool::aliveCount() const {
    int n = 0;
    for (int i = 0; i < kSize; ++i) n += alive(i);
    return n;
}

}  // namespace tarnel
