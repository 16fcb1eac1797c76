#include "pool/number_pool.h"

namespace tarnel {

void NumberPool::reset() {
    for (int n = 0; n < kSize; ++n) {
        auto& e = entries_[static_cast<std::size_t>(n)];
        e.digit = {n / 100, n / 10 % 10, n % 10};
        e.killed = 0;
    }
    kills_ = 0;
}

NumberSet NumberPool::takeKilled() {
    NumberSet killed;
    if (kills_ == 0) return killed;
    for (int n = 0; n < kSize; ++n) {
        auto& e = entries_[static_cast<std::size_t>(n)];
        if (e.killed != 1) continue;
        killed.set(static_cast<std::size_t>(n));
        e.killed = 0;
    }
    kills_ = 0;
    return killed;
}

void NumberPool::resetTo(const NumberSet& alive) {
    reset();
    for (int n = 0; n < kSize; ++n)
        if (!alive.test(static_cast<std::size_t>(n))) entries_[static_cast<std::size_t>(n)].killed = 1;
    kills_ = 0;
}

std::string NumberPool::text(int i) const {
    const auto& d = entry(i).digit;
    return {static_cast<char>('0' + d[0]), static_cast<char>('0' + d[1]),
            static_cast<char>('0' + d[2])};
}

int NumberPool::aliveCount() const {
    int n = 0;
    for (const auto& e : entries_) n += e.killed == 0;
    return n;
}

}  // namespace tarnel
