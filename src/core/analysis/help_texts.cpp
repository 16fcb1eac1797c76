#include "core/analysis/help_texts.h"

namespace tarnel {

namespace {

std::string joinLines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace

// 温情提示: the position kill and exclude-compound grids.
const std::string& positionGridHelp() {
    static const std::string text = joinLines({
        "分别在百十个位点击您认为不会开出的号码",
        "如需排除多个复式请使用软件左上角的【杀垃圾复式】功能",
        "如不懂使用请点击【软件使用教程】",
    });
    return text;
}

// 胆组说明: banker groups.
const std::string& bankerGroupHelp() {
    static const std::string text = joinLines({
        "建议新手只输入一行胆码",
        "如输入多行胆码则缩水结果就是多行胆码的号码【交集】",
        "------------------------------------------------------",
        "【胆码开出个数】表示你选择的胆码会开出多少个，可多选几个",
        "如不选择开出个数则至少开出一个 ",
        "比如选45789这几个号码为胆，胆码开出个数选择1、2个",
        "则缩水后的号码里必须含有45789当中的1、2个胆码，多于或少于1、2个胆码都算错",
        "--------------------------------------------------------",
        "【胆码计重】比如选9为胆，如选择胆码计重，则99 、999分别算2胆、3胆；",
        "如不选择胆码计重，则重复的号码都算一胆，如99、999都只算一胆",
    });
    return text;
}

// 使用说明: forms and shapes.
const std::string& formShapeHelp() {
    static const std::string text = joinLines({
        "【豹子】是指三个数字一样的号码，如000 、333 、888",
        "【组三】是指有两个数字相同的号码，如007、181",
        "【组六】是指三个数字都不同的号码，如123、470",
        "【不连】是指没有连号的号码，即没有01、23 、89 、90等组合的号码，",
        "        如135、114、246、252等号码",
        "【二连】是指有01、23 、89 、90等组合的号码，如124、 903等",
        "【三连】如123、980等号码，",
        "【上山】是指百≤十≤个，但，百<个的号码，如123、 113等",
        "【下山】是指百≥十≥个，但百>个的号码，如321、311等",
        "【凸型】是指百<十>个的号码，如132、154等",
        "【凹型】是指百>十<个的号码，如312、514等",
    });
    return text;
}

// 说明: two-digit sums and differences.
const std::string& otherPageHelp() {
    static const std::string text = joinLines({
        "两码和保留：保留两个位置的号码和值。两个和值中间用一个空格隔开，如2 5 12 14",
        "两码和排除：排除两个位置的号码和值。两个和值中间用一个空格隔开，如2 5 12 14",
        "两码差保留：保留两个位置的号码差值（大数减小数）两个差值中间用一个空格隔开",
        "两码差排除：排除两个位置的号码差值（大数减小数）两个差值中间用一个空格隔开",
        "两码合排除：排除两个位置的号码和尾（和值的个位数），合值中间用一个空格隔开",
        "任意两码合：号码中任意2个数字和值的个位数叫两码合。点击按钮表示保留任意两码合",
    });
    return text;
}

}  // namespace tarnel
