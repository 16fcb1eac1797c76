#include "core/rules/set_tool.h"

#include "core/rules/text.h"

namespace tarnel {

SetToolResult combineLists(std::string_view a, std::string_view b, SetOperation op) {
    const NumberWindows inA(a);
    const NumberWindows inB(b);
    SetToolResult r;
    for (int v = 0; v < 1000; ++v) {
        const bool x = inA.contains(v);
        const bool y = inB.contains(v);
        bool take = false;
        switch (op) {
        case SetOperation::Intersection: take = x && y; break;
        case SetOperation::Union: take = x || y; break;
        case SetOperation::AMinusB: take = x && !y; break;
        case SetOperation::BMinusA: take = y && !x; break;
        }
        if (!take) continue;
        if (r.count) r.text += ' ';
        r.text += numberText(v, 3);
        ++r.count;
    }
    return r;
}

}  // namespace tarnel
