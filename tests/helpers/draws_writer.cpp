// A writer of the draws store that the store tests kill or run side by side.
//
//   draws-writer DB FIRST BATCH BATCHES
//
// Merges BATCHES batches of BATCH 福彩3D draws into DB, one write each: the
// issues FIRST, FIRST+1, … with the number issue % 1000. Prints "wrote" after
// the first write and ends when all are written (or, with BATCHES 0, never).

#include <QCoreApplication>
#include <cstdio>
#include <string>

#include "data/draw_store.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5) return 2;
    tarnel::DrawStore store(QString::fromLocal8Bit(argv[1]));
    long long issue = std::stoll(argv[2]);
    const int batch = std::stoi(argv[3]);
    const int batches = std::stoi(argv[4]);
    for (int b = 0; batches == 0 || b < batches; ++b) {
        std::vector<tarnel::StoredDraw> draws;
        for (int k = 0; k < batch; ++k, ++issue) {
            char number[8];
            std::snprintf(number, sizeof number, "%03d", static_cast<int>(issue % 1000));
            draws.push_back({std::to_string(issue), "2026-01-01", number});
        }
        const tarnel::StoreMerge merged = store.merge(tarnel::Lottery::Fc3d, draws);
        if (!merged.ok()) {
            std::fprintf(stderr, "%s\n", merged.error.c_str());
            return 1;
        }
        if (b == 0) {
            std::puts("wrote");
            std::fflush(stdout);
        }
    }
    return 0;
}
