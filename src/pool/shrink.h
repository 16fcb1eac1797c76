#pragma once
// The shrink run (缩水): rebuild the pool, let every condition stage kill,
// write the survivors. The stage table fixes the order.

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "conditions/digit_properties.h"
#include "conditions/number_lists.h"
#include "conditions/positional.h"
#include "pool/number_pool.h"
#include "pool/pool_sources.h"

namespace tarnel {

// Everything a run reads, gathered from the window once per run.
struct ShrinkInputs {
    PoolSourceInputs source;
    NumberListInputs lists;
    PositionalInputs positional;
    DigitPropertyInputs digits;
};

// What the output stage writes: T_dadi_output and T_dadi_zhushu.
struct ShrinkResult {
    std::string text;
    int count = 0;
};

inline constexpr std::string_view kNoSurvivorNotice =
    "没有符合条件的号码，请检测过滤条件\r\n\r\n注意：同一条件下的选项不要全部打勾，否则得0注";

struct Stage {
    std::string_view name;
    void (*run)(NumberPool& pool, const ShrinkInputs& in, ShrinkResult& out);
};

inline constexpr int kStageCount = 29;
extern const std::array<Stage, kStageCount> kStageTable;

// Runs the whole table. `afterStage`, when set, is called with the 0-based
// row index after each row (used to observe a run).
ShrinkResult runShrink(NumberPool& pool, const ShrinkInputs& in,
                       const std::function<void(int)>& afterStage = {});

// The output stage on its own: survivors ascending, single spaces, count.
ShrinkResult outputResult(const NumberPool& pool);

// Direct → group conversion (直选转组选) of the survivors of a finished run.
// Sorts each survivor's digits in the pool; group forms appear in the order
// of the first survivor producing them. No survivor gives "" and 0.
ShrinkResult convertToGroups(NumberPool& pool);

}  // namespace tarnel
