#pragma once
// The fixed help texts of the main window's "说明" buttons. Lines end in CR LF.

#include <string>
#include <string_view>

namespace tarnel {

const std::string& positionGridHelp();  // title "温情提示"
const std::string& bankerGroupHelp();   // title "胆组说明"
const std::string& formShapeHelp();     // title "使用说明"
const std::string& otherPageHelp();     // title "说明"

}  // namespace tarnel
