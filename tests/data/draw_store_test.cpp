// The draws store: merges against what is kept, refusals that leave the file
// byte for byte as it was (or missing), files that are not a store, the
// earlier history.txt imported once; and writers killed while writing, or
// writing side by side, against the whole writes they made.
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <QFile>
#include <gtest/gtest.h>
#include <map>

#include "data/draw_store.h"
#include "data/draws_support.h"

namespace tarnel {
namespace {

using test::fileBytes;

std::vector<StoredDraw> withoutDates(std::vector<StoredDraw> draws) {
    for (StoredDraw& d : draws) d.date.clear();
    return draws;
}

TEST(DrawStore, MergesKeepsLotteriesApartAndRefusesWithoutChange) {
    QTemporaryDir dir;
    const QString path = drawStorePath(dir.path() + "/sub");
    DrawStore store(path);
    ASSERT_EQ(store.draws(Lottery::Fc3d)->size(), 0u);
    EXPECT_EQ(fileBytes(path), "<missing>");  // reading makes nothing

    // A refused merge into a missing store leaves it missing.
    StoreMerge m = store.merge(Lottery::Pl3, {{"26001", "", "111"}, {"26001", "", "112"}});
    EXPECT_FALSE(m.ok());
    EXPECT_EQ(fileBytes(path), "<missing>");

    const auto d3 = test::sourceDraws(Lottery::Fc3d, 50);
    const auto p3 = test::sourceDraws(Lottery::Pl3, 20);
    m = store.merge(Lottery::Fc3d, d3);
    ASSERT_TRUE(m.ok()) << m.error;
    EXPECT_EQ(m.plan.added.size(), 50u);
    ASSERT_TRUE(store.merge(Lottery::Pl3, p3).ok());
    std::vector<StoredDraw> ascending(d3.rbegin(), d3.rend());
    EXPECT_EQ(*store.draws(Lottery::Fc3d), ascending);
    EXPECT_EQ(store.draws(Lottery::Pl3)->size(), 20u);

    // Again, with one more and one without a date: the old keep their dates.
    std::vector<StoredDraw> again = withoutDates(d3);
    again.push_back({"2026051", "", "051"});
    m = store.merge(Lottery::Fc3d, again);
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(m.plan.added.size(), 1u);
    EXPECT_EQ(m.plan.same, 50);
    EXPECT_EQ(m.plan.latest, "2026051");
    EXPECT_EQ((*store.draws(Lottery::Fc3d))[0].date, d3.back().date);

    // A conflict anywhere refuses all of it, the file as it was.
    const QByteArray before = fileBytes(path);
    std::vector<StoredDraw> conflicting = {{"2026052", "", "000"}, {d3[7].issue, "", d3[7].number == "999" ? "998" : "999"}};
    m = store.merge(Lottery::Fc3d, conflicting);
    ASSERT_FALSE(m.ok());
    EXPECT_NE(m.error.find("第 " + d3[7].issue + " 期库中为 " + d3[7].number), std::string::npos) << m.error;
    EXPECT_EQ(fileBytes(path), before);
    DrawStore other(path);  // another connection sees the same
    EXPECT_EQ(other.draws(Lottery::Fc3d)->size(), 51u);
}

TEST(DrawStore, FilesThatAreNoStoreAreRefusedAndKept) {
    QTemporaryDir dir;
    const QString text = dir.path() + "/notes.sqlite";
    {
        QFile f(text);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(5000, 'x'));
    }
    DrawStore notStore(text);
    EXPECT_FALSE(notStore.draws(Lottery::Fc3d));
    EXPECT_NE(notStore.error().find("不是开奖库"), std::string::npos) << notStore.error();
    EXPECT_FALSE(notStore.merge(Lottery::Fc3d, {{"2026001", "", "123"}}).ok());
    EXPECT_EQ(fileBytes(text), QByteArray(5000, 'x'));

    // Another program's SQLite file.
    const QString foreign = dir.path() + "/foreign.sqlite";
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
        db.setDatabaseName(foreign);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec("CREATE TABLE t(x)");
        db.close();
    }
    QSqlDatabase::removeDatabase("foreign");
    const QByteArray before = fileBytes(foreign);
    DrawStore foreignStore(foreign);
    EXPECT_FALSE(foreignStore.merge(Lottery::Fc3d, {{"2026001", "", "123"}}).ok());
    EXPECT_NE(foreignStore.error().find("不是 Tarnel 的开奖库"), std::string::npos) << foreignStore.error();
    EXPECT_EQ(fileBytes(foreign), before);
}

TEST(DrawStore, EarlierHistoryIsImportedOnceIntoTheLotteryItFits) {
    for (const Lottery lottery : kLotteries) {
        QTemporaryDir dir;
        const QString history = dir.path() + "/history.txt";
        const auto draws = test::sourceDraws(lottery, 40);
        std::string text = test::historyOf(draws) + "582\n";  // one without an issue
        {
            QFile f(history);
            f.open(QIODevice::WriteOnly);
            f.write(text.data(), qint64(text.size()));
        }
        DrawStore store(drawStorePath(dir.path()));
        const EarlierHistory first = store.importEarlierHistory(history);
        EXPECT_TRUE(first.imported);
        EXPECT_EQ(first.lottery, lottery);
        EXPECT_EQ(first.added, 40);
        EXPECT_NE(first.note.find(std::string(lotteryName(lottery))), std::string::npos) << first.note;
        EXPECT_EQ(store.draws(lottery)->size(), 40u);
        const Lottery other = lottery == Lottery::Fc3d ? Lottery::Pl3 : Lottery::Fc3d;
        EXPECT_EQ(store.draws(other)->size(), 0u);
        EXPECT_EQ(fileBytes(history).toStdString(), text);  // kept as it was

        // Once only, also for another copy of the program and a changed file.
        {
            QFile f(history);
            f.open(QIODevice::Append);
            f.write("2026999 2026-12-30 123\n26999 2026-12-30 123\n");
        }
        DrawStore second(drawStorePath(dir.path()));
        const EarlierHistory again = second.importEarlierHistory(history);
        EXPECT_FALSE(again.imported);
        EXPECT_EQ(second.draws(lottery)->size(), 40u);
    }
    // No history.txt: remembered, so a later one is never taken for an earlier one.
    QTemporaryDir dir;
    DrawStore store(drawStorePath(dir.path()));
    EXPECT_FALSE(store.importEarlierHistory(dir.path() + "/history.txt").imported);
    QFile f(dir.path() + "/history.txt");
    f.open(QIODevice::WriteOnly);
    f.write("2026001 123\n");
    f.close();
    EXPECT_FALSE(store.importEarlierHistory(dir.path() + "/history.txt").imported);
    EXPECT_EQ(store.draws(Lottery::Fc3d)->size(), 0u);
}

// The issues kept, as numbers.
std::vector<long long> keptIssues(const QString& path) {
    DrawStore store(path);
    std::vector<long long> out;
    const std::vector<StoredDraw> draws = store.draws(Lottery::Fc3d).value();
    for (const StoredDraw& d : draws) out.push_back(std::stoll(d.issue));
    return out;
}

bool integrityOk(const QString& path) {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "integrity");
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec("PRAGMA integrity_check") && q.next() && q.value(0).toString() == "ok";
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("integrity");
    return ok;
}

#ifndef _WIN32
// A history.txt that is a pipe (or anything but a regular file) is not read:
// opening a pipe would wait for a writer, and the program's start with it.
TEST(DrawStore, AnEarlierHistoryThatIsAPipeIsNotWaitedOn) {
    QTemporaryDir dir;
    const QString pipe = dir.path() + "/history.txt";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    DrawStore store(drawStorePath(dir.path()));
    EarlierHistory earlier;
    QThread* worker = QThread::create([&] { earlier = store.importEarlierHistory(pipe); });
    worker->start();
    const bool done = worker->wait(5000);
    if (!done) {
        // Let the stuck open go by writing nothing, so that the test ends.
        {
            QFile writer(pipe);
            (void)writer.open(QIODevice::WriteOnly);
        }
        worker->wait();
    }
    delete worker;
    EXPECT_TRUE(done) << "the import waited for a writer of the pipe";
    EXPECT_EQ(earlier.added, 0);
    EXPECT_FALSE(earlier.lottery);
}
#endif

TEST(DrawStore, AWriterKilledAtAnyMomentLeavesWholeWrites) {
    QTemporaryDir dir;
    const QString path = drawStorePath(dir.path());
    constexpr int kBatch = 3000;
    for (int round = 0; round < 6; ++round) {
        const long long base = 1000000 + round * 1000000LL;
        QProcess writer;
        writer.start(TARNEL_DRAWS_WRITER, {path, QString::number(base), QString::number(kBatch), "0"});
        ASSERT_TRUE(writer.waitForStarted());
        ASSERT_TRUE(writer.waitForReadyRead(20000));  // the first write is in
        QThread::msleep(QRandomGenerator::global()->bounded(5, 200));
        writer.kill();
        writer.waitForFinished();
        EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);
        ASSERT_TRUE(integrityOk(path));
        // Every write of this round is whole: the issues kept form whole batches from the first.
        const std::vector<long long> issues = keptIssues(path);
        std::vector<long long> mine;
        for (long long i : issues)
            if (i >= base && i < base + 1000000) mine.push_back(i);
        ASSERT_GE(mine.size(), std::size_t(kBatch));
        EXPECT_EQ(mine.size() % kBatch, 0u) << "round " << round;
        for (std::size_t k = 0; k < mine.size(); ++k) ASSERT_EQ(mine[k], base + (long long)k);
    }
}

TEST(DrawStore, TwoWritersAtOnceLoseNothing) {
    QTemporaryDir dir;
    const QString path = drawStorePath(dir.path());
    // Overlapping ranges: both write 1010000..1019999, each its own beyond.
    QProcess a, b;
    a.start(TARNEL_DRAWS_WRITER, {path, "1000000", "200", "100"});  // 1000000 .. 1019999
    b.start(TARNEL_DRAWS_WRITER, {path, "1010000", "100", "200"});  // 1010000 .. 1029999
    ASSERT_TRUE(a.waitForFinished(120000) && b.waitForFinished(120000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    const std::vector<long long> issues = keptIssues(path);
    ASSERT_EQ(issues.size(), 30000u);
    EXPECT_EQ(issues.front(), 1000000);
    EXPECT_EQ(issues.back(), 1029999);
}

}  // namespace
}  // namespace tarnel
