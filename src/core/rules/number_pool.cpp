#include "core/rules/number_pool.h"

namespace tarnel {

namespace {
// Entry n holding the number n, alive: what a reset copies.
const std::array<PoolEntry, NumberPool::kSize>& freshEntries() {
    static const auto entries = [] {
        std::array<PoolEntry, NumberPool::kSize> e{};
        for (int n = 0; n < NumberPool::kSize; ++n) e[static_cast<std::size_t>(n)].digit = {n / 100, n / 10 % 10, n % 10};
        return e;
    }();
    return entries;
}
}  // namespace

void NumberPool::reset() {
    entries_ = freshEntries();
    killedSince_.reset();
}

void NumberPool::killAll(const NumberSet& numbers) {
    forEachNumber(numbers, [this](std::size_t n) {
        auto& e = entries_[n];
        if (e.killed != 0) return;
        e.killed = 1;
        killedSince_.set(n);
    });
}

NumberSet NumberPool::takeKilled() {
    const NumberSet killed = killedSince_;
    forEachNumber(killed, [this](std::size_t n) { entries_[n].killed = 0; });
    killedSince_.reset();
    return killed;
}

void NumberPool::resetTo(const NumberSet& alive) {
    reset();
    for (int n = 0; n < kSize; ++n)
        if (!alive.test(static_cast<std::size_t>(n))) entries_[static_cast<std::size_t>(n)].killed = 1;
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
