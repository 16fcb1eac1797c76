// Scheme files: what is written reads back equal, byte for byte; anything
// that is not a whole, well-formed scheme is refused with its reason; and a
// run from the condition state agrees with its rows taken one at a time.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>

#include "core/files/scheme.h"
#include "core/state/shrink.h"
#include "core/rules/pair_pool.h"
#include "core/rules/text.h"
#include "core/rules/two_star_run.h"
#include "support/random_state.h"

namespace tarnel {
namespace {

using testing::StateMaker;

std::string wrap(const std::string& fmain) {
    return R"({"format":"tarnel-scheme","version":1,"Fmain":{)" + fmain + "}}";
}

TEST(Scheme, RandomStatesReadBackEqualAndSaveByteIdentical) {
    StateMaker make(11);
    for (int round = 0; round < 300; ++round) {
        Scheme scheme{make.main(0.2), std::nullopt};
        if (make.chance(0.5)) scheme.twoStar = make.twoStar(0.2);
        const std::string bytes = writeScheme(scheme.main, scheme.twoStar ? &*scheme.twoStar : nullptr);
        const SchemeReading reading = readScheme(bytes);
        ASSERT_TRUE(reading.scheme) << reading.error;
        EXPECT_TRUE(reading.unknownKeys.empty());
        EXPECT_TRUE(*reading.scheme == scheme) << "round " << round;
        EXPECT_EQ(writeScheme(reading.scheme->main, reading.scheme->twoStar ? &*reading.scheme->twoStar : nullptr),
                  bytes);
    }
}

// A box can hold a NUL or any other control character (a paste brings
// them): the saved file writes them as escapes and opens as the same state,
// which runs to the same numbers.
TEST(Scheme, TextsWithNulAndControlCharactersReadBackExactlyAndRunTheSame) {
    StateMaker make(23);
    static const char* const controls[] = {"\x01", "\x08", "\x0B", "\x0C", "\x1B", "\x1F", "\x7F",
                                           "\xC2\x85", "\xE2\x80\xA8", "\t", "\r\n", "\r", "\n"};
    const auto sprinkle = [&](std::vector<ControlField> fields) {
        const auto dirty = [&](std::string text) {
            for (int k = 1 + make.below(4); k > 0; --k) {
                const std::string piece = make.chance(0.5) ? std::string(1 + make.below(3), '\0') : controls[make.below(13)];
                std::size_t at = std::size_t(make.below(int(text.size()) + 1));
                while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
                text.insert(at, piece);
            }
            return text;
        };
        for (ControlField& f : fields) {
            if (!make.chance(0.3)) continue;
            if (auto* text = std::get_if<std::string*>(&f.value)) {
                // As the box holds it: its own line breaks.
                if (f.kind == ControlKind::MultiLineText) **text = multiLineBoxText(dirty(**text));
                else if (f.kind == ControlKind::SingleLineText) **text = singleLineBoxText(dirty(**text));
                else **text = dirty(**text);
            } else if (auto* lines = std::get_if<std::vector<std::string>*>(&f.value)) {
                (*lines)->push_back(dirty("百         大于         个"));
            }
        }
    };
    int nulRounds = 0;
    for (int round = 0; round < 150; ++round) {
        Scheme scheme{make.main(0.2), make.twoStar(0.2)};
        sprinkle(mainControls(scheme.main));
        sprinkle(twoStarControls(*scheme.twoStar));
        const std::string bytes = writeScheme(scheme.main, &*scheme.twoStar);
        EXPECT_EQ(bytes.find('\0'), std::string::npos);
        nulRounds += bytes.find("\\u0000") != std::string::npos;
        const SchemeReading reading = readScheme(bytes);
        ASSERT_TRUE(reading.scheme) << reading.error;
        ASSERT_TRUE(reading.scheme->twoStar);
        EXPECT_TRUE(*reading.scheme == scheme) << "round " << round;
        EXPECT_EQ(writeScheme(reading.scheme->main, &*reading.scheme->twoStar), bytes);
        NumberPool before, after;
        EXPECT_EQ(runMain(before, scheme.main).result.count, runMain(after, reading.scheme->main).result.count);
        for (int i = 0; i < NumberPool::kSize; ++i) ASSERT_EQ(before.alive(i), after.alive(i)) << round;
        PairPool pairsBefore, pairsAfter;
        runTwoStar(pairsBefore, *scheme.twoStar);
        runTwoStar(pairsAfter, *reading.scheme->twoStar);
        for (int i = 0; i < PairPool::kSize; ++i) ASSERT_EQ(pairsBefore.alive(i), pairsAfter.alive(i)) << round;
    }
    EXPECT_GT(nulRounds, 100);

    // The case that was seen: a NUL between two numbers separates them.
    MainConditions state;
    state.sources.baseList = std::string("123\0" "456 789", 11);
    const SchemeReading reading = readScheme(writeScheme(state, nullptr));
    ASSERT_TRUE(reading.scheme) << reading.error;
    EXPECT_EQ(reading.scheme->main.sources.baseList, state.sources.baseList);
    NumberPool pool;
    EXPECT_EQ(runMain(pool, reading.scheme->main).result.count, 3);
    const SchemeReading escaped = readScheme(wrap(R"("T_main_sha_2ma":"12\u000034","L_wz_pp":["\u0000"])"));
    ASSERT_TRUE(escaped.scheme) << escaped.error;
    EXPECT_EQ(escaped.scheme->main.lists.killPairs, std::string("12\0" "34", 5));
    EXPECT_EQ(escaped.scheme->main.positional.matchRules, std::vector<std::string>{std::string(1, '\0')});
}

TEST(Scheme, FileHoldsTheWholeTableInOneOrder) {
    MainConditions state;
    TwoStarConditions twoStar = twoStarStartState();
    const std::string bytes = writeScheme(state, &twoStar);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.back(), '\n');
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(bytes.find("\n  \"format\": \"tarnel-scheme\",\n  \"version\": 1,\n"), 1u);
    const auto doc = nlohmann::ordered_json::parse(bytes);
    std::vector<std::string> keys;
    for (const auto& [key, value] : doc["Fmain"].items()) keys.push_back(key);
    std::vector<std::string> table;
    for (const ControlField& f : mainControls(state)) table.push_back(f.key);
    EXPECT_EQ(keys, table);
    EXPECT_EQ(table.size(), 299u);  // 34 text boxes, 100 check boxes, 160 toggles, 4 combos, 1 list
    EXPECT_EQ(doc["Fmain"]["Combo_rongcuo"], "0");
    EXPECT_EQ(doc["F2d"].size(), 135u);  // 2 text boxes, 1 check box, 132 toggles
    EXPECT_EQ(doc["Fmain"]["Check_hewei_sha[3]"], 0);
    EXPECT_EQ(doc["Fmain"]["C_dingwei_sha[12]"], false);
    EXPECT_EQ(doc["Fmain"]["L_wz_pp"], nlohmann::json::array());
    EXPECT_EQ(writeScheme(state, nullptr).find("F2d"), std::string::npos);
}

TEST(Scheme, MissingKeysTakeTheStartUpStateAndUnknownKeysAreListed) {
    const SchemeReading empty = readScheme(R"({"format":"tarnel-scheme","version":1})");
    ASSERT_TRUE(empty.scheme);
    EXPECT_TRUE(empty.scheme->main == MainConditions{});
    EXPECT_FALSE(empty.scheme->twoStar);

    const SchemeReading some = readScheme(
        R"({"format":"tarnel-scheme","version":1,"note":"x","Fmain":{"T_jichu_dadi":"123 456","Check_hewei_sha[3]":1,
            "C_dingwei_sha[12]":true,"C_wz_pp[1]":"不等于","L_wz_pp":["a","b"],"T_dadi_zhushu":"3","C_foo[9]":1},
            "F2d":{"C_2d_kua[4]":true,"T_2d_dd[0]":"12 34"}})");
    ASSERT_TRUE(some.scheme) << some.error;
    MainConditions expected;
    expected.sources.baseList = "123 456";
    expected.digits.sumTailKill[3] = true;
    expected.digits.positionKill[12] = true;
    expected.positional.matchCombos[1] = "不等于";
    expected.positional.matchRules = {"a", "b"};
    EXPECT_TRUE(some.scheme->main == expected);
    TwoStarConditions twoStar = twoStarStartState();
    twoStar.span[4] = true;
    twoStar.baseList = "12 34";
    ASSERT_TRUE(some.scheme->twoStar);
    EXPECT_TRUE(*some.scheme->twoStar == twoStar);
    EXPECT_EQ(some.unknownKeys, (std::vector<std::string>{"Fmain.C_foo[9]", "Fmain.T_dadi_zhushu", "note"}));
    EXPECT_EQ(unknownKeysNotice(some.unknownKeys),
              "方案中有以下项目本程序不认识，已忽略：\r\nFmain.C_foo[9]\r\nFmain.T_dadi_zhushu\r\nnote\r\n");
}

TEST(Scheme, TextsGetTheLineBreaksOfTheirBoxes) {
    const SchemeReading r = readScheme(wrap(R"("T_jichu_dadi":"1\n2\r3\r\n4\u2029",
                                               "T_lm_he[0]":"5\r\n6\n7\r8", "T_dadi_in[1]":"9\n")"));
    ASSERT_TRUE(r.scheme) << r.error;
    EXPECT_EQ(r.scheme->main.sources.baseList, "1\r\n2\r\n3\r\n4\r\n");
    EXPECT_EQ(r.scheme->main.lists.pairValues[0], "5 6 7 8");
    EXPECT_EQ(r.scheme->main.sources.compoundDigits[1], "9 ");
}

struct Broken {
    const char* name;
    std::string text;
    const char* says;  // part of the reason
};

class RefusedScheme : public ::testing::TestWithParam<Broken> {};

TEST_P(RefusedScheme, NamesWhatIsWrong) {
    const SchemeReading r = readScheme(GetParam().text);
    EXPECT_FALSE(r.scheme);
    EXPECT_NE(r.error.find(GetParam().says), std::string::npos) << r.error;
    EXPECT_TRUE(r.unknownKeys.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedScheme,
    ::testing::Values(
        Broken{"Empty", "", "第 1 行第 1 列"},
        Broken{"NotJson", "{\"format\": \"tarnel-scheme\",\n  \"version\": 1,\n  oops}", "第 3 行第 3 列"},
        Broken{"NotAnObject", "[1,2]", "JSON 对象"},
        Broken{"WrongFormat", R"({"format":"tarnel","version":1})", "format"},
        Broken{"NoVersion", R"({"format":"tarnel-scheme"})", "version"},
        Broken{"NewerVersion", R"({"format":"tarnel-scheme","version":3})", "version"},
        Broken{"VersionText", R"({"format":"tarnel-scheme","version":"1"})", "version"},
        Broken{"VersionFraction", R"({"format":"tarnel-scheme","version":1.5})", "version"},
        Broken{"FmainNotObject", R"({"format":"tarnel-scheme","version":1,"Fmain":[]})", "Fmain"},
        Broken{"F2dNotObject", R"({"format":"tarnel-scheme","version":1,"F2d":1})", "F2d"},
        Broken{"CheckTwo", wrap(R"("Check_hewei_sha[3]":2)"), "Check_hewei_sha[3]"},
        Broken{"CheckText", wrap(R"("Check_ac[0]":"1")"), "Check_ac[0]"},
        Broken{"CheckBool", wrap(R"("Check_fs_ip":true)"), "Check_fs_ip"},
        Broken{"ToggleNumber", wrap(R"("C_danzu[4]":1)"), "C_danzu[4]"},
        Broken{"TextNumber", wrap(R"("T_jichu_dadi":5)"), "T_jichu_dadi"},
        Broken{"ComboNumber", wrap(R"("C_wz_pp[0]":3)"), "C_wz_pp[0]"},
        Broken{"ToleranceNumber", wrap(R"("Combo_rongcuo":3)"), "Combo_rongcuo"},
        Broken{"ToleranceTen", wrap(R"("Combo_rongcuo":"10")"), "Combo_rongcuo"},
        Broken{"ToleranceSpaced", wrap(R"("Combo_rongcuo":" 1")"), "Combo_rongcuo"},
        Broken{"ListOfNumbers", wrap(R"("L_wz_pp":["a",1])"), "L_wz_pp"},
        Broken{"ListText", wrap(R"("L_wz_pp":"a")"), "L_wz_pp"},
        Broken{"DuplicateKey", wrap(R"("T_jichu_dadi":"1","T_jichu_dadi":"2")"), "T_jichu_dadi"},
        // Numbers beyond a double are refused with their place, wherever they stand.
        Broken{"HugeNumberForText", wrap(R"("T_jichu_dadi":"1e400 \" 1e999",
  "T_main_sha_2ma":1e400)"), "第 2 行第 20 列的数超出范围"},
        Broken{"HugeVersion", "{\"format\":\"tarnel-scheme\",\"version\":-" + std::string(400, '9') + "}",
               "第 1 行第 37 列的数超出范围"},
        Broken{"HugeInList", wrap(R"("L_wz_pp":[1E+999])"), "超出范围"},
        Broken{"InvalidUtf8", wrap("\"T_jichu_dadi\":\"\xC3\x28\""), "JSON"},
        Broken{"DeepNesting", R"({"format":"tarnel-scheme","version":1,"x":)" + std::string(100000, '[') +
                                   std::string(100000, ']') + "}",
               "嵌套"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SchemeFile, FoldersMissingAndOversizedFilesAreRefused) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("tarnel-scheme-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    EXPECT_FALSE(readFileBytes(dir.string(), 100).bytes);
    EXPECT_NE(readFileBytes(dir.string(), 100).error.find("文件夹"), std::string::npos);
    EXPECT_FALSE(readFileBytes((dir / "none.tarnel").string(), 100).bytes);
    const fs::path file = dir / "a.tarnel";
    std::ofstream(file) << std::string(101, 'x');
    EXPECT_FALSE(readFileBytes(file.string(), 100).bytes);
    ASSERT_TRUE(readFileBytes(file.string(), 101).bytes);
    EXPECT_EQ(readFileBytes(file.string(), 101).bytes->size(), 101u);
    fs::remove_all(dir);
}

// Every stage decides a number from its own digits, so a run keeps exactly
// the numbers that no row rules out on its own.
TEST(RunFromState, SurvivorsAreWhatNoRowKillsOnItsOwn) {
    StateMaker make(5);
    int someKept = 0;
    for (int round = 0; round < 400; ++round) {
        MainConditions state = make.main();
        state.tolerance = 0;
        NumberPool pool;
        const MainRun run = runMain(pool, state);
        const ShrinkInputs in = shrinkInputs(state);
        NumberSet killed;
        for (int row = 0; row < kStageCount; ++row) killed |= rowKillSet(row, in);
        for (int i = 0; i < NumberPool::kSize; ++i)
            ASSERT_EQ(pool.alive(i), !killed.test(std::size_t(i))) << "round " << round << " number " << i;
        EXPECT_EQ(run.result.count, NumberPool::kSize - int(killed.count()));
        someKept += run.result.count > 0 && run.result.count < 1000;
    }
    EXPECT_GT(someKept, 100);  // the states are not all trivial
}

TEST(RunFromState, RewrittenBoxesAreTheCleanedTexts) {
    MainConditions state;
    state.lists.pairValues[4] = "2, 5,12";
    state.positional.pairLists[1] = "12a34\r\n 56";
    NumberPool pool;
    const MainRun run = runMain(pool, state);
    EXPECT_EQ(run.pairValueTexts[4], "2 5 12");
    EXPECT_EQ(run.pairValueTexts[0], "");  // the opening hint holds no digit
    EXPECT_EQ(run.pairListTexts[1], "1234 56");
    EXPECT_EQ(run.pairListTexts[0], "");
}

TEST(RestoreState, KeepsSourcesRepeatOptionAndSetLists) {
    StateMaker make(3);
    for (int round = 0; round < 50; ++round) {
        const MainConditions s = make.main(0.5);
        const MainConditions r = restoredConditions(s);
        EXPECT_EQ(r.sources.compoundOn, s.sources.compoundOn);
        EXPECT_EQ(r.sources.compoundDigits, s.sources.compoundDigits);
        EXPECT_EQ(r.positional.bankerRepeats, s.positional.bankerRepeats);
        EXPECT_EQ(r.setLists, s.setLists);
        EXPECT_TRUE(restoredConditions(r) == r);
        NumberPool pool;
        if (!s.sources.compoundOn) {
            EXPECT_EQ(runMain(pool, r).result.count, 1000);  // nothing left to filter
        }
    }
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

// What the parser's callback mode, checking keys and depth at each event,
// makes of some bytes: the plain (but quadratic) way to read them, kept
// here as the reference for the reader's own event handler.
struct ReferenceParse {
    std::optional<nlohmann::json> doc;
    std::string refusal;  // the reason's fixed part, or the repeated key
    std::size_t errorByte = 0;
    enum { Accepted, RepeatedKey, TooDeep, BadJson, HugeNumber } outcome = Accepted;
};

ReferenceParse referenceParse(std::string_view bytes) {
    using Json = nlohmann::json;
    ReferenceParse out;
    std::vector<std::set<std::string>> keys;
    struct Stop {};
    const Json::parser_callback_t check = [&](int depth, Json::parse_event_t event, Json& parsed) {
        if (event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) {
            if (depth >= 64) {
                out.outcome = ReferenceParse::TooDeep;
                throw Stop{};
            }
            if (event == Json::parse_event_t::object_start) keys.emplace_back();
        } else if (event == Json::parse_event_t::object_end) {
            keys.pop_back();
        } else if (event == Json::parse_event_t::key) {
            if (!keys.back().insert(parsed.get<std::string>()).second) {
                out.outcome = ReferenceParse::RepeatedKey;
                out.refusal = parsed.get<std::string>();
                throw Stop{};
            }
        }
        return true;
    };
    const std::size_t nul = std::min(bytes.find('\0'), bytes.size());
    try {
        out.doc = Json::parse(bytes.begin(), bytes.begin() + std::ptrdiff_t(nul), check);
        if (nul < bytes.size()) {
            out.doc.reset();
            out.outcome = ReferenceParse::BadJson;
            out.errorByte = nul + 1;
        }
    } catch (const Stop&) {
    } catch (const Json::parse_error& e) {
        out.outcome = ReferenceParse::BadJson;
        out.errorByte = e.byte;
    } catch (const Json::out_of_range&) {
        out.outcome = ReferenceParse::HugeNumber;
    }
    return out;
}

std::string place(std::string_view bytes, std::size_t position) {
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i + 1 < position && i < bytes.size(); ++i) {
        if (bytes[i] == '\n') line = 1 + line, column = 1;
        else if ((static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80) ++column;
    }
    return "第 " + std::to_string(line) + " 行第 " + std::to_string(column) + " 列";
}

// Random JSON-like text: scheme keys and stray ones (often repeated), deep
// nesting now and then, numbers beyond a double, and cuts, stray bytes and
// NULs in the text.
class JsonMaker {
public:
    explicit JsonMaker(unsigned seed) : make_(seed) {}

    std::string document() {
        std::string text = make_.chance(0.7) ? R"({"format":"tarnel-scheme","version":)" +
                                                    std::string(make_.chance(0.8) ? "2" : "1") + R"(,"Fmain":)" + value(0) + "}"
                                              : value(0);
        for (int k = make_.below(3); k > 0 && !text.empty(); --k) {
            const std::size_t at = std::size_t(make_.below(int(text.size())));
            static const char* const stray[] = {"", "\"", "{", "]", ",", "", "\xC3", "x"};  // [5]: a NUL
            const int which = make_.below(8);
            if (which == 0) text.resize(at);
            else text.insert(at, which == 5 ? std::string(1, '\0') : std::string(stray[which]));
        }
        return text;
    }

private:
    std::string value(int depth) {
        static const char* const keys[] = {"T_jichu_dadi", "Check_hewei_sha[3]", "L_wz_pp", "x", "y", "rules", "é\\n"};
        const int kind = depth > 6 ? 3 : make_.below(depth < 3 ? 3 : 9);
        if (kind == 0) {
            std::string text = "{";
            for (int n = make_.below(5); n > 0; --n)
                text += "\"" + std::string(keys[make_.below(7)]) + "\":" + value(depth + 1) + (n > 1 ? "," : "");
            return text + "}";
        }
        if (kind == 1 || (kind == 2 && make_.chance(0.3))) {
            std::string text = "[";
            const bool many = make_.chance(0.05);  // many empty objects
            const int n = many ? 300 : make_.below(4);
            for (int i = 0; i < n; ++i) text += (i ? "," : "") + (many ? std::string("{}") : value(depth + 1));
            return text + "]";
        }
        if (kind == 2 && make_.chance(0.1)) return std::string(70, '[') + std::string(70, ']');
        static const char* const scalars[] = {"\"12 34\"", "1", "0", "true", "null", "-2.5", "1e400", "\"\\u00e9\"", "\"a"};
        return scalars[make_.below(9)];
    }

    testing::StateMaker make_;
};

// The reader's event handler refuses and accepts exactly what the callback
// mode did, with the same reasons, and builds the same document.
TEST(Scheme, ReadsAndRefusesAsTheCallbackParserDid) {
    JsonMaker make(5);
    int counts[5] = {};
    for (int round = 0; round < 4000; ++round) {
        const std::string bytes = make.document();
        const ReferenceParse ref = referenceParse(bytes);
        const SchemeReading got = readScheme(bytes);
        ++counts[ref.outcome];
        SCOPED_TRACE(bytes.substr(0, 300));
        switch (ref.outcome) {
            case ReferenceParse::Accepted: {
                const SchemeReading again = readScheme(ref.doc->dump());
                EXPECT_EQ(got.error, again.error);
                EXPECT_EQ(got.unknownKeys, again.unknownKeys);
                EXPECT_EQ(bool(got.scheme), bool(again.scheme));
                if (got.scheme && again.scheme) {
                    EXPECT_TRUE(*got.scheme == *again.scheme);
                }
                break;
            }
            case ReferenceParse::RepeatedKey:
                EXPECT_EQ(got.error, "方案文件中的键 \u201C" + echoedText(ref.refusal) + "\u201D 重复出现，无法确定用哪一个值。");
                break;
            case ReferenceParse::TooDeep:
                EXPECT_EQ(got.error, "方案文件的嵌套层数过多（超过 64 层），不是方案文件。");
                break;
            case ReferenceParse::BadJson:
                EXPECT_EQ(got.error, "方案文件不是有效的 JSON：" + place(bytes, ref.errorByte) + "有错误。");
                break;
            case ReferenceParse::HugeNumber:
                EXPECT_NE(got.error.find("的数超出范围。"), std::string::npos) << got.error;
                break;
        }
    }
    for (int outcome = 0; outcome < 5; ++outcome) EXPECT_GT(counts[outcome], 40) << "outcome " << outcome;
}

// Many objects in one array (an unknown key's value) are read, and the key
// is listed as ignored.
TEST(Scheme, ManyObjectsInOneArrayAreRead) {
    std::string list = "[";
    for (int i = 0; i < 50000; ++i) list += i ? ",{}" : "{}";
    const SchemeReading r = readScheme(R"({"format":"tarnel-scheme","version":1,"many":)" + list + "]}");
    ASSERT_TRUE(r.scheme) << r.error;
    EXPECT_EQ(r.unknownKeys, std::vector<std::string>{"many"});
}

}  // namespace
}  // namespace tarnel
