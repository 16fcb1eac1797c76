// The 开奖库 page: the lottery choice, merging pasted draws (a conflict asks,
// naming the issue and both numbers; no leaves the store as it was), draws
// without issues said to be not kept, and 更新开奖号码 against a source on
// 127.0.0.1 with its one-line answer, a cancel, and the store unchanged.
#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "data/draw_store.h"
#include "data/draws_support.h"
#include "data/local_draw_server.h"
#include "ui/windows/draws_panel.h"

namespace tarnel {
namespace {

TEST(DrawsPanel, MergesAsksOnConflictsAndUpdates) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/draws.sqlite";
    DrawsPanel::setStorePath(path);
    DrawsPanel panel;
    QStringList asked;
    bool answer = false;
    panel.setConflictQuestion([&](const QString& q) {
        asked << q;
        return answer;
    });
    EXPECT_EQ(panel.lottery(), Lottery::Fc3d);
    EXPECT_EQ(panel.statusLine(), "库中还没有福彩3D的开奖号码。");

    panel.mergeText("2026001 2026-01-01 123\n2026002 456\n789\n26001 111\n");
    EXPECT_EQ(panel.statusLine(), "已并入福彩3D：新增 2 期，0 期库中已有；1 期没有期号，只在本次运行中分析，不保存；"
                                  "1 期的期号不是福彩3D的期号，未保存。");
    EXPECT_EQ(panel.shownDraws(), "2026002 - 456\n2026001 2026-01-01 123\n");

    const QByteArray before = test::fileBytes(path);
    panel.mergeText("2026003 111\n2026002 457\n");
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], "第 2026002 期库中为 456，粘贴或打开的是 457。\n保留库中的号码并并入其余开奖吗？");
    EXPECT_EQ(test::fileBytes(path), before);
    EXPECT_EQ(panel.statusLine(), "未并入：第 2026002 期库中为 456，粘贴或打开的是 457；开奖库未改动。");
    answer = true;
    panel.mergeText("2026003 111\n2026002 457\n");
    EXPECT_EQ(panel.statusLine(), "已并入福彩3D：新增 1 期，0 期库中已有，1 期号码不同而保留库中的。");

    // 排列三 is kept apart.
    panel.setLottery(Lottery::Pl3);
    EXPECT_EQ(panel.shownDraws(), "");

    test::LocalDrawServer server;
    const auto source = test::sourceDraws(Lottery::Pl3, 12);
    server.answer = [&](int page, const QString&) { return test::SourceReply{200, test::sourcePage(Lottery::Pl3, source, page)}; };
    QSettings().setValue("draws/source/p3", server.base());
    QSignalSpy done(&panel, &DrawsPanel::updateFinished);
    panel.startUpdate();
    EXPECT_TRUE(panel.updating());
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(panel.statusLine(), "已添加 12 期排列三开奖号码，最新一期 26012");
    EXPECT_TRUE(panel.shownDraws().startsWith("26012 2026-03-12 444\n")) << panel.shownDraws().toStdString();
    // Pictures for the documentation, when asked for.
    if (const QString shots = qEnvironmentVariable("TARNEL_DRAWS_SHOTS"); !shots.isEmpty()) {
        panel.resize(640, 420);
        panel.show();
        QCoreApplication::processEvents();
        panel.grab().save(shots + "/draws-update.png");
    }

    // A source that never answers, cancelled: the store as it was.
    server.answer = [&](int, const QString&) { return test::SourceReply{200, {}, true}; };
    const QByteArray beforeUpdate = test::fileBytes(path);
    panel.startUpdate();
    QTimer::singleShot(200, &panel, [&] { panel.cancelUpdate(); });
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(panel.statusLine(), "已取消更新排列三开奖号码，开奖库未改动");
    EXPECT_EQ(test::fileBytes(path), beforeUpdate);
    QSettings().remove("draws");
    DrawsPanel::setStorePath({});
}

}  // namespace
}  // namespace tarnel
