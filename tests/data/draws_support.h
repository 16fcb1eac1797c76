#pragma once
// Shared by the draws tests: answers in each source's shape, a history of
// draws newest first, and the bytes of a file (to see that it did not change).

#include <QByteArray>
#include <QFile>
#include <QString>
#include <string>
#include <vector>

#include "core/files/draw_sources.h"

namespace tarnel::test {

// The source's draws newest first: issues first+count-1 down to first, the
// number issue % 1000 (or what `numberOf` says).
inline std::vector<StoredDraw> sourceDraws(Lottery lottery, int count, int fromNumber = 1) {
    std::vector<StoredDraw> draws;
    for (int k = fromNumber + count - 1; k >= fromNumber; --k) {
        char issue[16], number[8];
        std::snprintf(issue, sizeof issue, lottery == Lottery::Fc3d ? "2026%03d" : "26%03d", k);
        std::snprintf(number, sizeof number, "%03d", (k * 37) % 1000);
        draws.push_back({issue, "2026-03-" + std::to_string(10 + k % 10), number});
    }
    return draws;
}

// Page `page` (30 draws a page) of `draws` as the lottery's source writes it.
inline QByteArray sourcePage(Lottery lottery, const std::vector<StoredDraw>& draws, int page, int pageSize = 30) {
    const std::size_t from = std::size_t(page - 1) * std::size_t(pageSize);
    const int pages = int((draws.size() + std::size_t(pageSize) - 1) / std::size_t(pageSize));
    std::string items;
    for (std::size_t i = from; i < draws.size() && i < from + std::size_t(pageSize); ++i) {
        const StoredDraw& d = draws[i];
        if (!items.empty()) items += ',';
        if (lottery == Lottery::Fc3d)
            items += "{\"name\":\"3d\",\"code\":\"" + d.issue + "\",\"date\":\"" + d.date + "(一)\",\"red\":\"" + d.number[0] +
                     "," + d.number[1] + "," + d.number[2] + "\",\"blue\":\"\"}";
        else
            items += "{\"lotteryDrawNum\":\"" + d.issue + "\",\"lotteryDrawResult\":\"" + d.number[0] + " " + d.number[1] +
                     " " + d.number[2] + "\",\"lotteryDrawTime\":\"" + d.date + "\"}";
    }
    std::string body = lottery == Lottery::Fc3d
                           ? "{\"state\":0,\"message\":\"查询成功\",\"total\":" + std::to_string(draws.size()) + ",\"result\":[" + items + "]}"
                           : "{\"dataFrom\":\"\",\"errorCode\":\"0\",\"errorMessage\":\"\",\"success\":true,\"value\":{\"list\":[" + items +
                                 "],\"pageNo\":" + std::to_string(page) + ",\"pages\":" + std::to_string(pages) + "}}";
    return QByteArray::fromStdString(body);
}

// A history text of draws, one a line: issue, date, draw.
inline std::string historyOf(const std::vector<StoredDraw>& draws) {
    std::string text;
    for (const StoredDraw& d : draws) text += d.issue + " " + d.date + " " + d.number + "\n";
    return text;
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    if (!f.exists()) return QByteArrayLiteral("<missing>");
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

}  // namespace tarnel::test
