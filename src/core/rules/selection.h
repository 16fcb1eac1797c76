#pragma once
// Selection texts: a run of toggle buttons as the stages read it, the
// captions of the selected buttons in ascending index order, each followed
// by "*" when starred ("1*3*8*").

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarnel {

// Buttons first..first+count-1 of a row whose button first+k is captioned
// with the digit k ("0".."9").
template <std::size_t N>
std::string digitSelectionText(const std::array<bool, N>& selected, int first, int count, bool starred) {
    std::string text;
    for (int k = 0; k < count; ++k) {
        if (!selected[static_cast<std::size_t>(first + k)]) continue;
        text += static_cast<char>('0' + k);
        if (starred) text += '*';
    }
    return text;
}

// Buttons first..last of a row whose button i is captioned caption(i).
template <std::size_t N, class Caption>
std::string captionSelectionText(const std::array<bool, N>& selected, int first, int last, Caption caption,
                                 bool starred) {
    std::string text;
    for (int i = first; i <= last; ++i) {
        if (!selected[static_cast<std::size_t>(i)]) continue;
        text += caption(i);
        if (starred) text += '*';
    }
    return text;
}

}  // namespace tarnel
