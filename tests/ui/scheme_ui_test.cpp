// The condition state as the windows show it: every control of the scheme
// table shows its field and writes it back; schemes open and save through
// the menu; tarnel-cli runs exactly what the start button runs.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <nlohmann/json.hpp>

#include "ui/widgets/controls.h"
#include "main_window_fixture.h"
#include "support/random_state.h"
#include "core/rules/text.h"
#include "core/state/shrink.h"
#include "ui/windows/two_star_window.h"
#include "ui/windows/history_window.h"
#include <QLabel>

namespace tarnel {
namespace {

using testing::StateMaker;

// What a control of the table shows, in the form of its field.
std::string shown(QWidget* c) {
    if (auto* m = qobject_cast<MultiLineBox*>(c)) return toStd(m->text());
    if (auto* e = qobject_cast<QLineEdit*>(c)) return toStd(e->text());
    if (auto* x = qobject_cast<QCheckBox*>(c)) return x->checkState() == Qt::Checked ? "1" : "0";
    if (auto* t = qobject_cast<ToggleButton*>(c)) return t->isSelected() ? "true" : "false";
    if (auto* cb = qobject_cast<QComboBox*>(c)) return toStd(cb->currentText());
    if (auto* l = qobject_cast<QListWidget*>(c)) {
        std::string lines;
        for (int i = 0; i < l->count(); ++i) lines += toStd(l->item(i)->text()) + "\n";
        return lines;
    }
    return "?";
}

std::string fieldText(const ControlField& f) {
    return std::visit(
        [&](auto* v) -> std::string {
            using T = std::remove_pointer_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>)
                return f.kind == ControlKind::Check ? (*v ? "1" : "0") : (*v ? "true" : "false");
            else if constexpr (std::is_same_v<T, int>)
                return std::to_string(*v);
            else if constexpr (std::is_same_v<T, std::string>)
                return *v;
            else {
                std::string lines;
                for (const auto& line : *v) lines += line + "\n";
                return lines;
            }
        },
        f.value);
}

// Each control of `fields` found by its name on `window` shows its field.
void expectShown(QWidget* window, std::vector<ControlField> fields, int round) {
    for (const ControlField& f : fields) {
        QWidget* c = nullptr;
        for (QWidget* w : window->findChildren<QWidget*>(QString::fromStdString(f.key)))
            if (w->window() == window) c = w;
        ASSERT_NE(c, nullptr) << f.key;
        EXPECT_EQ(shown(c), fieldText(f)) << f.key << " round " << round;
    }
}

class SchemeUi : public MainWindowFixture {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    QStringList numbersShown() {
        return get<MultiLineBox>("T_dadi_output")->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    void write(const QString& file, const std::string& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
    }
};

TEST_F(SchemeUi, EveryControlShowsItsFieldAndWritesItBack) {
    StateMaker make(21);
    for (int round = 0; round < 25; ++round) {
        MainConditions state = make.main(0.3);
        w.applyConditions(state);
        expectShown(&w, mainControls(state), round);
        EXPECT_TRUE(w.conditions() == state) << "round " << round;

        TwoStarConditions twoStar = make.twoStar(0.3);
        TwoStarWindow* t = w.openTwoStar();
        t->applyConditions(twoStar);
        expectShown(t, twoStarControls(twoStar), round);
        EXPECT_TRUE(t->conditions() == twoStar) << "round " << round;
    }
}

TEST_F(SchemeUi, PlayersChangesReachTheState) {
    MainConditions expected;
    get<QCheckBox>("Check_hewei_sha[3]")->click();
    expected.digits.sumTailKill[3] = true;
    get<QAbstractButton>("C_dingwei_sha[12]")->click();
    expected.digits.positionKill[12] = true;
    get<QAbstractButton>("C_dingwei_sha_all[4]")->click();  // "全" of the units row
    for (int i = 20; i < 30; ++i) expected.digits.positionKill[std::size_t(i)] = true;
    get<QCheckBox>("Check_danzu_sx0")->click();
    expected.positional.bankerOn = true;
    get<QAbstractButton>("C_danzu[4]")->click();
    expected.positional.bankerDigits[4] = true;
    get<MultiLineBox>("T_jichu_dadi")->setText(QStringLiteral("123\n456"));
    expected.sources.baseList = "123\r\n456";
    get<QLineEdit>("T_lm_he[2]")->setText(QStringLiteral("3 4"));
    expected.lists.pairValues[2] = "3 4";
    get<QComboBox>("C_wz_pp[1]")->setEditText(QStringLiteral("随便"));
    expected.positional.matchCombos[1] = "随便";
    get<QAbstractButton>("C_wz_add[0]")->click();
    expected.positional.matchRules = {"百         随便         个"};
    get<MultiLineBox>("T_dd_jiaoji[0]")->setText(QStringLiteral("777"));
    expected.setLists[0] = "777";
    EXPECT_TRUE(w.conditions() == expected);
}

TEST_F(SchemeUi, CliRunsWhatTheStartButtonRuns) {
    StateMaker make(8);
    const QString file = path("cli.tarnel");
    for (int round = 0; round < 12; ++round) {
        const MainConditions state = make.main();
        const TwoStarConditions twoStar = make.twoStar();
        write(file, writeScheme(state, &twoStar));
        w.applyConditions(state);
        get<QAbstractButton>("C_guolv_ks")->click();
        QStringList expected = numbersShown();
        if (get<QLineEdit>("T_dadi_zhushu")->text() == QLatin1String("0")) expected.clear();

        QProcess cli;
        cli.start(QStringLiteral(TARNEL_CLI), {QStringLiteral("run"), file});
        ASSERT_TRUE(cli.waitForFinished(20000));
        ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        const auto out = nlohmann::json::parse(cli.readAllStandardOutput().toStdString());
        QStringList numbers;
        for (const auto& n : out["numbers"]) numbers << QString::fromStdString(n.get<std::string>());
        EXPECT_EQ(numbers, expected) << "round " << round;
        EXPECT_EQ(out["count"].get<int>(), expected.size());
        EXPECT_EQ(out["stages"].size(), 27u);

        TwoStarWindow* t = w.openTwoStar();
        t->applyConditions(twoStar);
        t->findChild<QAbstractButton*>(QStringLiteral("C_2d_ks[0]"))->click();
        const QString result = t->findChild<MultiLineBox*>(QStringLiteral("T_2d_dd[2]"))->text();
        QProcess cli2;
        cli2.start(QStringLiteral(TARNEL_CLI), {QStringLiteral("run"), file, QStringLiteral("--window"), QStringLiteral("F2d")});
        ASSERT_TRUE(cli2.waitForFinished(20000));
        const auto out2 = nlohmann::json::parse(cli2.readAllStandardOutput().toStdString());
        QStringList pairs;
        for (const auto& n : out2["numbers"]) pairs << QString::fromStdString(n.get<std::string>());
        EXPECT_EQ(pairs.join(QLatin1Char(' ')), result) << "round " << round;
    }
}

TEST_F(SchemeUi, SaveRestoreOpenGivesTheSameRun) {
    StateMaker make(4);
    const MainConditions state = make.main(0.1);
    w.applyConditions(state);
    get<QAbstractButton>("C_guolv_ks")->click();
    const QString before = get<MultiLineBox>("T_dadi_output")->text();
    const MainConditions afterRun = w.conditions();

    services.setNextPath(path("mine"));
    EXPECT_TRUE(w.saveSchemeAs());
    EXPECT_EQ(w.schemePath(), path("mine.tarnel"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("mine.tarnel[*] - Tarnel"));
    EXPECT_FALSE(w.isWindowModified());
    QFile saved(path("mine.tarnel"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    saved.close();
    EXPECT_TRUE(w.saveScheme());  // no dialog: the open scheme's file
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), bytes);

    get<QAbstractButton>("C_all_cls")->click();
    EXPECT_TRUE(w.schemeModified());
    services.setNextPath(path("mine.tarnel"));
    w.openScheme();
    EXPECT_TRUE(services.takeMessages().isEmpty());
    EXPECT_TRUE(w.conditions() == afterRun);
    get<QAbstractButton>("C_guolv_ks")->click();
    EXPECT_EQ(get<MultiLineBox>("T_dadi_output")->text(), before);
    EXPECT_FALSE(w.schemeModified());  // the run's own rewriting is no change
}

TEST_F(SchemeUi, ChangedSchemeIsAskedAboutOnClose) {
    services.setNextPath(path("a.tarnel"));
    ASSERT_TRUE(w.saveSchemeAs());
    w.show();
    w.close();  // unchanged: nothing asked
    EXPECT_TRUE(services.takeMessages().isEmpty());
    EXPECT_FALSE(w.isVisible());

    w.show();
    get<QCheckBox>("Check_ac[1]")->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.isWindowModified(); }, 5000));  // once the changes have settled
    services.setSaveChoice(SaveChoice::Cancel);
    w.close();
    EXPECT_TRUE(w.isVisible());
    const auto asked = services.takeMessages();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].text, QStringLiteral("保存对方案的修改吗？"));

    services.setSaveChoice(SaveChoice::Save);
    w.close();
    EXPECT_FALSE(w.isVisible());
    const SchemeReading reread = readScheme(readFileBytes(toStd(path("a.tarnel")), kSchemeMaxBytes).bytes.value());
    ASSERT_TRUE(reread.scheme);
    EXPECT_TRUE(reread.scheme->main.digits.acKill[1]);
}

TEST_F(SchemeUi, BrokenFilesAreRefusedWithTheWindowUnchanged) {
    StateMaker make(9);
    w.applyConditions(make.main(0.2));
    const Scheme before{w.conditions(), std::nullopt};
    const std::string big = R"({"format":"tarnel-scheme","version":1,"Fmain":{"T_jichu_dadi":")" +
                            std::string(kSchemeMaxBytes, '1') + "\"}}";
    const std::vector<std::string> broken = {
        "not json", R"({"format":"tarnel-scheme","version":1,"Fmain":{"Check_ac[0]":2}})",
        R"({"format":"tarnel-scheme","version":9})", "\xFF\xFE{}", std::string("{\"a\":\0}", 7), big};
    for (std::size_t i = 0; i < broken.size(); ++i) {
        const QString file = path("broken.tarnel");
        write(file, broken[i]);
        services.setNextPath(file);
        w.openScheme();
        const auto shownMessages = services.takeMessages();
        ASSERT_EQ(shownMessages.size(), 1) << i;
        EXPECT_EQ(shownMessages[0].title, QStringLiteral("错误提示"));
        EXPECT_TRUE(w.conditions() == before.main) << i;
        EXPECT_TRUE(w.schemePath().isEmpty());
        EXPECT_EQ(w.twoStarWindow(), nullptr);
    }
    for (const QString& notAFile : {dir.path(), path("missing.tarnel")}) {
        services.setNextPath(notAFile);
        w.openScheme();
        EXPECT_EQ(services.takeMessages().size(), 1);
        EXPECT_TRUE(w.conditions() == before.main);
    }
    // Saving where no file can be written says so and changes nothing.
    services.setNextPath(path("no-such-folder/x.tarnel"));
    EXPECT_FALSE(w.saveSchemeAs());
    EXPECT_EQ(services.takeMessages().size(), 1);
    EXPECT_TRUE(w.schemePath().isEmpty());
}

TEST_F(SchemeUi, TwoStarPartOpensTheWindowAndIsSavedOnlyWhileOpen) {
    services.setNextPath(path("main-only.tarnel"));
    ASSERT_TRUE(w.saveSchemeAs());
    EXPECT_EQ(QFile(path("main-only.tarnel")).size() > 0, true);
    EXPECT_FALSE(readScheme(readFileBytes(toStd(path("main-only.tarnel")), kSchemeMaxBytes).bytes.value())
                     .scheme->twoStar);

    TwoStarConditions twoStar = twoStarStartState();
    twoStar.span[4] = true;
    twoStar.killList = "12 34";
    write(path("two.tarnel"), writeScheme(MainConditions{}, &twoStar));
    services.setNextPath(path("two.tarnel"));
    w.openScheme();
    ASSERT_NE(w.twoStarWindow(), nullptr);
    EXPECT_TRUE(w.twoStarWindow()->conditions() == twoStar);

    // A scheme without the two-star part leaves an open two-star window as it is.
    services.setNextPath(path("main-only.tarnel"));
    w.openScheme();
    ASSERT_NE(w.twoStarWindow(), nullptr);
    EXPECT_TRUE(w.twoStarWindow()->conditions() == twoStar);
}

TEST_F(SchemeUi, DroppingASchemeOpensIt) {
    MainConditions state;
    state.digits.spanKill[2] = true;
    write(path("drop.tarnel"), writeScheme(state, nullptr));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("drop.tarnel"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &drop);
    EXPECT_TRUE(w.conditions() == state);
    EXPECT_EQ(w.schemePath(), path("drop.tarnel"));
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

std::pair<int, std::string> runCli(const QStringList& args, const QByteArray& input = {}) {
    QProcess cli;
    cli.start(QStringLiteral(TARNEL_CLI), args);
    cli.write(input);
    cli.closeWriteChannel();
    if (!cli.waitForFinished(20000)) return {-1, {}};
    const QByteArray out = cli.exitCode() == 0 ? cli.readAllStandardOutput() : cli.readAllStandardError();
    return {cli.exitCode(), out.toStdString()};
}

TEST_F(SchemeUi, CliExplainsWhatTheEngineRulesOut) {
    StateMaker make(44);
    const QString file = path("explain.tarnel");
    for (int round = 0; round < 6; ++round) {
        const MainConditions state = make.main(0.1);
        write(file, writeScheme(state, nullptr));
        const RowKills kills = computeRowKills(shrinkInputs(state));
        QStringList args = {QStringLiteral("explain"), file};
        std::vector<int> numbers;
        for (int i = 0; i < 20; ++i) numbers.push_back(make.below(1000));
        for (int n : numbers) args << QString::fromStdString(numberText(n, 3));
        const int k = make.below(4);
        args << QStringLiteral("--tolerance") << QString::number(k);
        const auto [code, out] = runCli(args);
        ASSERT_EQ(code, 0) << out;
        const auto doc = nlohmann::json::parse(out);
        ASSERT_EQ(doc["numbers"].size(), numbers.size());
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            const auto& entry = doc["numbers"][i];
            EXPECT_EQ(entry["number"], numberText(numbers[i], 3));
            EXPECT_EQ(entry["killed_by"].get<std::vector<int>>(), kills.killedBy(numbers[i]));
            EXPECT_EQ(entry["survives"].get<bool>(), survivesWithTolerance(kills, numbers[i], k));
        }
    }
}

TEST_F(SchemeUi, CliRefusesBadArgumentsWithOneLine) {
    const QString file = path("ok.tarnel");
    write(file, writeScheme(MainConditions{}, nullptr));
    const std::vector<QStringList> bad = {
        {},
        {QStringLiteral("walk"), file},
        {QStringLiteral("run")},
        {QStringLiteral("run"), file, QStringLiteral("--tolerance"), QStringLiteral("26")},
        {QStringLiteral("run"), file, QStringLiteral("--tolerance"), QStringLiteral("x")},
        {QStringLiteral("run"), file, QStringLiteral("--tolerance")},
        {QStringLiteral("run"), file, QStringLiteral("--window"), QStringLiteral("F3d")},
        {QStringLiteral("run"), file, QStringLiteral("--window"), QStringLiteral("F2d")},  // no F2d object
        {QStringLiteral("run"), path("missing.tarnel")},
        {QStringLiteral("run"), dir.path()},
        {QStringLiteral("explain"), file, QStringLiteral("12")},
        {QStringLiteral("explain"), file, QStringLiteral("1234")},
        {QStringLiteral("explain"), file, QStringLiteral("１２３")},
        {QStringLiteral("explain"), file},
    };
    for (const QStringList& args : bad) {
        const auto [code, err] = runCli(args);
        EXPECT_EQ(code, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(err.rfind("tarnel-cli: ", 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    const auto [code, out] = runCli({QStringLiteral("run"), QStringLiteral("-")},
                                    QByteArray::fromStdString(writeScheme(MainConditions{}, nullptr)));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(nlohmann::json::parse(out)["count"], 1000);
    EXPECT_EQ(runCli({QStringLiteral("run"), QStringLiteral("-")}, "{").first, 2);
}

TEST_F(SchemeUi, ForecastFollowsEveryChangeWithoutTouchingTheBoxes) {
    StateMaker make(52);
    auto* start = get<QAbstractButton>("C_guolv_ks");
    auto* forecast = get<QLabel>("L_yuji_zhushu");
    for (int round = 0; round < 10; ++round) {
        const MainConditions state = make.main(0.08);
        const QString output = get<MultiLineBox>("T_dadi_output")->text();
        w.applyConditions(state);
        w.conditionsSettled();  // as the window does after 100 ms of quiet
        NumberPool pool;
        const int expected = runMain(pool, state).result.count;
        EXPECT_TRUE(forecast->text().startsWith(QStringLiteral("预计注数 %1").arg(expected))) << round;
        EXPECT_EQ(get<MultiLineBox>("T_dadi_output")->text(), output);
        EXPECT_TRUE(w.conditions() == state);  // nothing rewritten, nothing run
        start->click();
        EXPECT_EQ(forecast->text(), QStringLiteral("预计注数 %1").arg(expected));
    }
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

TEST_F(SchemeUi, AFileThatIsNoSchemeIsSaidInPlainWordsAndAHistoryIsOfferedToTheHistoryWindow) {
    // Not a scheme and no draws: the player's words, then the reader's reason.
    write(path("notes.tarnel"), "这不是方案 {\"a\":1}");
    EXPECT_FALSE(w.openSchemeFile(path("notes.tarnel")));
    auto shown = services.takeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("错误提示"));
    EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("“notes.tarnel”不是 Tarnel 的方案文件"))) << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("详细：方案文件不是有效的 JSON")));

    // A results table saved under the wrong name: offered to 开奖历史, and opened there when the player agrees.
    const std::string table = "2026001 582\n2026002 1 2 3\n2026003 907\n2026004 441\n";
    write(path("history.tarnel"), table);
    const MainConditions before = w.conditions();
    services.setYesNoAnswer(false);
    EXPECT_FALSE(w.openSchemeFile(path("history.tarnel")));
    shown = services.takeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("读到 4 期开奖号码"))) << shown[0].text.toStdString();
    EXPECT_EQ(w.conditions(), before);
    services.setYesNoAnswer(true);
    EXPECT_FALSE(w.openSchemeFile(path("history.tarnel")));
    services.takeMessages();
    HistoryWindow* history = w.openHistory();
    QTRY_COMPARE_WITH_TIMEOUT(int(history->history().draws.size()), 4, 5000);
    EXPECT_EQ(w.conditions(), before);

    // A scheme with a fault keeps the reader's own words.
    write(path("bad.tarnel"), "{\"format\":\"tarnel-scheme\",\"version\":\"x\"}");
    EXPECT_FALSE(w.openSchemeFile(path("bad.tarnel")));
    shown = services.takeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("无法打开方案“bad.tarnel”"))) << shown[0].text.toStdString();
}

}  // namespace
}  // namespace tarnel
