// Outside text at its limits, as the window meets it: control characters
// pasted into boxes survive a save and an open; a scheme full of strange
// keys gives a message of a screenful.

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <random>

#include "ui/widgets/controls.h"
#include "ui/widgets/text_boxes.h"
#include "main_window_fixture.h"
#include "core/files/scheme.h"
#include "core/state/shrink.h"
#include "support/random_state.h"
#include "ui/windows/two_star_window.h"

namespace tarnel {
namespace {

using testing::StateMaker;

class OutsideText : public MainWindowFixture {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    void write(const QString& file, const std::string& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
    }
};

// A piece a paste can bring: NULs, other control characters, line breaks.
QString controlPiece(std::mt19937& rng) {
    static const char16_t pieces[] = {0x0, 0x1, 0x8, 0xB, 0xC, 0x1B, 0x1F, 0x7F, 0x85, 0x2028, 0x9};
    const int kind = std::uniform_int_distribution<int>(0, 3)(rng);
    if (kind == 0) return QString(1 + int(rng() % 3), QChar(0));
    if (kind == 1) return QStringLiteral("\r\n");
    QString piece;
    for (int n = 1 + int(rng() % 3); n > 0; --n) piece += QChar(pieces[rng() % std::size(pieces)]);
    return piece;
}

template <class Box>
void pasteAtEnd(Box* box, const QString& text) {
    QApplication::clipboard()->setText(text);
    box->setFocus();
    if constexpr (std::is_same_v<Box, MultiLineBox>) {
        box->moveCursor(QTextCursor::End);
    } else {
        box->setCursorIndex(box->text().size());
    }
    box->paste();
}

TEST_F(OutsideText, ControlCharactersPastedIntoBoxesSurviveSaveAndOpen) {
    StateMaker make(71);
    std::mt19937 rng(71);
    int withNul = 0;
    for (int round = 0; round < 8; ++round) {
        w.applyConditions(make.main(0.1));
        TwoStarWindow* twoStar = w.openTwoStar();
        twoStar->applyConditions(make.twoStar(0.1));
        for (QWidget* window : {static_cast<QWidget*>(&w), static_cast<QWidget*>(twoStar)}) {
            for (MultiLineBox* box : window->findChildren<MultiLineBox*>()) {
                if (box->window() != window || box->isReadOnly() || rng() % 4) continue;
                pasteAtEnd(box, QStringLiteral("12") + controlPiece(rng) + QStringLiteral("345"));
            }
            for (LineBox* box : window->findChildren<LineBox*>()) {
                if (box->window() != window || box->isReadOnly() || rng() % 4) continue;
                pasteAtEnd(box, controlPiece(rng) + QStringLiteral("7"));
            }
        }
        const MainConditions main = w.conditions();
        const TwoStarConditions pairs = twoStar->conditions();
        services.setNextPath(path("controls.tarnel"));
        ASSERT_TRUE(w.saveSchemeAs());
        QFile saved(path("controls.tarnel"));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        withNul += saved.readAll().contains("\\u0000");
        saved.close();

        w.applyConditions(MainConditions{});
        twoStar->applyConditions(twoStarStartState());
        services.setNextPath(path("controls.tarnel"));
        w.openScheme();
        EXPECT_TRUE(services.takeMessages().isEmpty());
        EXPECT_TRUE(w.conditions() == main) << "round " << round;
        EXPECT_TRUE(twoStar->conditions() == pairs) << "round " << round;
        NumberPool before, after;
        EXPECT_EQ(runMain(before, main).result.count, runMain(after, w.conditions()).result.count) << round;
    }
    EXPECT_GE(withNul, 6);
}

// The case that was seen: "123␀456 789" runs to three numbers, before and after.
TEST_F(OutsideText, NulBetweenNumbersKeepsSeparatingThemAfterOpening) {
    auto* base = get<MultiLineBox>("T_jichu_dadi");
    base->setText(QStringLiteral("123") + QChar(0) + QStringLiteral("456 789"));
    const auto runCount = [&] {
        get<QAbstractButton>("C_guolv_ks")->click();
        return get<QLineEdit>("T_dadi_zhushu")->text();
    };
    EXPECT_EQ(runCount(), QStringLiteral("3"));
    // Not "nul.tarnel": Windows takes NUL with any extension for its null device.
    services.setNextPath(path("with-nul.tarnel"));
    ASSERT_TRUE(w.saveSchemeAs()) << (services.messages().isEmpty() ? std::string()
                                                                     : services.messages().last().text.toStdString());
    base->setText(QString());
    services.setNextPath(path("with-nul.tarnel"));
    w.openScheme();
    EXPECT_TRUE(services.takeMessages().isEmpty());
    EXPECT_EQ(base->text(), QStringLiteral("123") + QChar(0) + QStringLiteral("456 789"));
    EXPECT_EQ(runCount(), QStringLiteral("3"));

    // A line box long enough to be held by its long-line editor keeps its NULs too.
    auto* line = get<LineBox>("T_lm_he[0]");
    QString lineText;
    for (int i = 0; lineText.size() < kLongLineChars + 100; ++i) lineText += QString::number(i % 28) + QChar(0);
    line->setText(lineText);
    ASSERT_TRUE(line->holdsLongText());
    const MainConditions withLong = w.conditions();
    ASSERT_TRUE(w.saveScheme());
    line->setText(QString());
    services.setNextPath(path("with-nul.tarnel"));
    w.openScheme();
    EXPECT_TRUE(line->holdsLongText());
    EXPECT_EQ(line->text(), lineText);
    EXPECT_TRUE(w.conditions() == withLong);
}

// A huge key, and a great many keys, give messages a screen can hold.
TEST_F(OutsideText, MessagesAboutKeysStayAScreenful) {
    std::string many = R"({"format":"tarnel-scheme","version":1,"Fmain":{")" + std::string(5 << 20, 'k') + R"(":1)";
    for (int i = 0; i < 200000; ++i) many += ",\"K" + std::to_string(i) + "\":0";
    many += "}}";
    write(path("many.tarnel"), many);
    services.setNextPath(path("many.tarnel"));
    w.openScheme();
    auto shown = services.takeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("温情提示"));
    EXPECT_LT(shown[0].text.size(), 3000);
    EXPECT_LE(shown[0].text.count(QLatin1Char('\n')), int(kNoticeMaxKeys) + 2);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("…及其他 %1 个").arg(200001 - kNoticeMaxKeys)));

    const std::string key = std::string(1 << 20, 'd') + "\\n\\r" + std::string(1 << 20, 'e');
    write(path("twice.tarnel"), R"({"format":"tarnel-scheme","version":1,")" + key + R"(":1,")" + key + R"(":2})");
    services.setNextPath(path("twice.tarnel"));
    w.openScheme();
    shown = services.takeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("错误提示"));
    EXPECT_LT(shown[0].text.size(), 400);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("重复出现")));
}

}  // namespace
}  // namespace tarnel
