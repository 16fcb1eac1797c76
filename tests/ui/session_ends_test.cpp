// The conditions of the last five ends of the program: every orderly end
// keeps them (the window closed, the application quitting without closing
// it, SIGTERM, SIGINT and SIGHUP to the program itself, the end of a
// replay), and 文件 → 恢复上次的条件 lists them with the time of each end,
// newest first, each bringing its conditions back, while the file of the
// last conditions (last.tarnel) goes on as before.

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <memory>

#include "main_window_fixture.h"
#include "support/random_state.h"
#include "ui/document/session_end.h"
#include "ui/widgets/data_folder.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

using testing::StateMaker;

std::string fileText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

std::optional<MainConditions> endConditions(const QString& path) {
    const SchemeReading reading = readScheme(fileText(path));
    if (!reading.scheme) return std::nullopt;
    return reading.scheme->main;
}

class SessionEnds : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString outerFolder = dataFolder();
    RecordingUiServices services;
    SessionEnds() { setDataFolder(dir.filePath(QStringLiteral("data"))); }
    ~SessionEnds() override { setDataFolder(outerFolder); }

    // One session of the program: it starts, takes `state`, and its window closes.
    void session(const MainConditions& state) {
        MainWindow w(services);
        w.show();
        w.applyConditions(state);
        ASSERT_TRUE(w.close());
    }
    // The restore menu as it shows when opened.
    static QList<QAction*> menuItems(MainWindow& w) {
        emit w.restoreMenu()->aboutToShow();
        QList<QAction*> items;
        for (QAction* a : w.restoreMenu()->actions())
            if (!a->isSeparator()) items << a;
        return items;
    }
};

TEST_F(SessionEnds, TheLastFiveEndsAreKeptNewestFirstAndEachComesBack) {
    StateMaker make(35);
    // Ten sessions with conditions of their own, one that changes nothing,
    // and one that ends with the conditions of an earlier one.
    std::vector<MainConditions> ended;  // what each counted end left, oldest first
    for (int i = 0; i < 10; ++i) {
        MainConditions state = make.main(0.1);
        state.digits.sumTailKill[std::size_t(i)] = !state.digits.sumTailKill[std::size_t(i)];  // never the start-up state
        session(state);
        MainWindow probe(services);
        probe.applyConditions(state);
        ended.push_back(probe.conditions());  // as the controls hold it
        QTest::qWait(2);                      // ends a moment apart
    }
    session(MainConditions{});  // nothing to bring back: no end kept
    const MainConditions again = ended[7];
    session(again);  // the same as an end kept before: that one gives way
    ended.erase(ended.begin() + 7);
    ended.push_back(again);

    const std::vector<ConditionsDocument::SessionEnd> ends = ConditionsDocument::sessionEnds();
    ASSERT_EQ(ends.size(), std::size_t(ConditionsDocument::kKeptEnds));
    for (std::size_t k = 0; k < ends.size(); ++k) {
        const std::optional<MainConditions> kept = endConditions(ends[k].path);
        ASSERT_TRUE(kept) << k;
        EXPECT_TRUE(*kept == ended[ended.size() - 1 - k]) << "end " << k << " holds other conditions";
        if (k > 0) {
            EXPECT_LT(ends[k].time, ends[k - 1].time) << "not newest first";
        }
        EXPECT_LE(std::abs(ends[k].time.secsTo(QDateTime::currentDateTime())), 120);
    }
    // last.tarnel is the newest end's conditions, as always.
    EXPECT_EQ(fileText(MainWindow::lastConditionsPath()), fileText(ends[0].path));

    // The next session: the menu lists the five, with their times, and each brings its conditions back.
    MainWindow next(services);
    next.show();
    const QList<QAction*> items = menuItems(next);
    ASSERT_EQ(items.size(), ConditionsDocument::kKeptEnds) << "last.tarnel is the newest end: one line for both";
    EXPECT_EQ(items[0], next.restoreLastAction());
    for (int k = 0; k < items.size(); ++k) {
        const QString time = ends[std::size_t(k)].time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        EXPECT_TRUE(items[k]->text().contains(time)) << items[k]->text().toStdString();
        EXPECT_TRUE(items[k]->isEnabled());
        items[k]->trigger();
        EXPECT_TRUE(services.takeMessages().isEmpty()) << k;
        EXPECT_TRUE(next.conditions() == ended[ended.size() - 1 - std::size_t(k)]) << "item " << k;
        EXPECT_TRUE(next.schemePath().isEmpty());
    }
    // Changes after the start no longer cost the ends: last.tarnel follows them, the ends stay.
    next.applyConditions(make.main(0.2));
    next.writeLastConditions();
    const QList<QAction*> later = menuItems(next);
    ASSERT_EQ(later.size(), ConditionsDocument::kKeptEnds + 1);
    EXPECT_TRUE(later[0]->text().startsWith(QStringLiteral("最后保存的条件"))) << later[0]->text().toStdString();
    later[1]->trigger();
    EXPECT_TRUE(next.conditions() == ended.back());
}

TEST_F(SessionEnds, ABrokenEndSaysWhyAndChangesNothing) {
    MainConditions state;
    state.digits.spanKill[2] = true;
    session(state);
    const auto ends = ConditionsDocument::sessionEnds();
    ASSERT_EQ(ends.size(), 1u);
    {
        QFile f(ends[0].path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("{\"format\":\"tarnel-scheme\",\"version\":1,\"Fmain\":{\"Check_ac[0]\":2}}");
    }
    MainWindow next(services);
    next.applyConditions(state);
    const MainConditions before = next.conditions();
    QList<QAction*> items = menuItems(next);
    ASSERT_EQ(items.size(), 2);  // last.tarnel differs from the broken end now
    items[1]->trigger();
    const auto shown = services.takeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("错误提示"));
    EXPECT_TRUE(next.conditions() == before);
}

// QApplication::quit without closing the window: the application's end keeps them.
TEST_F(SessionEnds, QuittingWithoutClosingTheWindowKeepsThem) {
    MainConditions state;
    state.digits.spanKill[4] = true;
    {
        MainWindow w(services);
        endInOrder(w.document());
        w.show();
        w.applyConditions(state);
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QApplication::exec();
        EXPECT_TRUE(w.isVisible()) << "the window was closed: the quit was not what was tested";
    }
    const auto ends = ConditionsDocument::sessionEnds();
    ASSERT_EQ(ends.size(), 1u);
    const std::optional<MainConditions> kept = endConditions(ends[0].path);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(kept->digits.spanKill[4]);
}

#ifdef Q_OS_UNIX
// The program itself, told to end by a signal: it ends normally, its conditions kept.
TEST_F(SessionEnds, TerminationSignalsEndTheProgramInOrder) {
    MainConditions state;
    state.digits.sumTailKill[6] = true;
    state.sources.baseList = "123 456 789";
    const QString scheme = dir.filePath(QStringLiteral("s.tarnel"));
    {
        QFile f(scheme);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const std::string bytes = writeScheme(state, nullptr);
        f.write(bytes.data(), qint64(bytes.size()));
    }
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        QTemporaryDir home;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("share")));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TARNEL_APP), {scheme});
        ASSERT_TRUE(p.waitForStarted());
        const QString data = home.filePath(QStringLiteral("share/Tarnel/Tarnel"));
        // Up once the scheme is open and last.tarnel follows it.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(data + QStringLiteral("/last.tarnel")); }, 30000))
            << "signal " << number;
        ::kill(pid_t(p.processId()), number);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "signal " << number << " killed the program";
        EXPECT_EQ(p.exitCode(), 0);
        const QStringList ends = QDir(data + QStringLiteral("/ends")).entryList({QStringLiteral("*.tarnel")}, QDir::Files);
        ASSERT_EQ(ends.size(), 1) << "signal " << number;
        const std::optional<MainConditions> kept = endConditions(data + QStringLiteral("/ends/") + ends[0]);
        ASSERT_TRUE(kept);
        EXPECT_TRUE(kept->digits.sumTailKill[6]);
        EXPECT_EQ(kept->sources.baseList, "123 456 789");
    }
}
#endif

// The end of a replay is an end of the program.
TEST_F(SessionEnds, AReplayKeepsItsEnd) {
    QTemporaryDir home;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TARNEL_REPLAY), {QStringLiteral("-")});
    ASSERT_TRUE(p.waitForStarted());
    p.write(R"({"steps":[{"do":"type","control":"T_jichu_dadi","text":"147 258"},)"
            R"({"do":"check","control":"Check_kuadu_sha","index":2,"value":1}]})");
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString ends = home.filePath(QStringLiteral("Tarnel/Tarnel/ends"));
    const QStringList names = QDir(ends).entryList({QStringLiteral("*.tarnel")}, QDir::Files);
    ASSERT_EQ(names.size(), 1);
    const std::optional<MainConditions> kept = endConditions(ends + QLatin1Char('/') + names[0]);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->sources.baseList, "147 258");
    EXPECT_TRUE(kept->digits.spanKill[2]);
}

}  // namespace
}  // namespace tarnel
