#pragma once
// The three-digit set tool (三星交集工具): combines two pasted lists.

#include <string>
#include <string_view>

namespace tarnel {

enum class SetOperation { Intersection, Union, AMinusB, BMinusA };  // AB交集, AB并集, A排除B, B排除A

struct SetToolResult {
    std::string text;  // ascending, single spaces
    int count = 0;
};

// A number is in a list when its three-digit text occurs in the list text.
SetToolResult combineLists(std::string_view a, std::string_view b, SetOperation op);

}  // namespace tarnel
