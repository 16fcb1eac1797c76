// Files read one way everywhere, and never waited on:
// - 方案组合 reads its schemes through the window file reader: a FIFO in
//   the list (added, or remembered from an earlier session) is refused at
//   once instead of waiting for a writer for ever;
// - a file that is no text (a picture) is never offered or read as past
//   draws, and a scheme opened as past draws is named as a scheme;
// - a history is refused or read alike by backtest and by run, explain and
//   combine --history, and by the history window;
// - a price or prize is read as the same exact decimal, in the same range,
//   by the window's fields and by tarnel-cli.

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <nlohmann/json.hpp>

#include "core/files/history.h"
#include "core/files/history_file.h"
#include "core/state/past_draw_rule.h"
#include "main_window_fixture.h"
#include "support/cli_run.h"
#include "ui/widgets/price_settings.h"
#include "ui/windows/combine_window.h"
#include "ui/windows/history_window.h"

namespace tarnel {
namespace {

using testing::CliRun;

std::string fileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

class OneReading : public MainWindowFixture {
protected:
    QTemporaryDir dir;
    OneReading() {
        QSettings().remove(QStringLiteral("combine"));
        HistoryWindow::setStoragePath(dir.filePath(QStringLiteral("data/history.txt")));
    }
    ~OneReading() override { QSettings().remove(QStringLiteral("combine")); }
    QString write(const QString& name, const std::string& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes.data(), qsizetype(bytes.size()));
        return path;
    }
    static CliRun cli(const QStringList& args) { return testing::cli(QStringLiteral(TARNEL_CLI), args); }
};

#ifdef Q_OS_UNIX
// A reader that waits on the FIFO is let go after a few seconds by a writer
// opening it, so that the old fault shows as a slow read, not a hung test.
class FifoRelease {
public:
    explicit FifoRelease(const QString& path) : path_(QFile::encodeName(path)) {
        thread_ = std::thread([this] {
            for (int i = 0; i < 40 && !done_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            while (!done_) {
                const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    }
    ~FifoRelease() {
        done_ = true;
        thread_.join();
    }

private:
    QByteArray path_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

TEST_F(OneReading, CombineRefusesAFifoAtOnceAlsoWhenRemembered) {
    const QString fifo = dir.filePath(QStringLiteral("fifo.tarnel"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString good = write(QStringLiteral("好.tarnel"), writeScheme(MainConditions{}, nullptr));
    FifoRelease release(fifo);
    QElapsedTimer clock;
    clock.start();
    CombineWindow* c = w.openCombine();
    c->addSchemeFiles({good, fifo});
    EXPECT_LT(clock.elapsed(), 2000) << "adding a FIFO waited for a writer";
    ASSERT_EQ(c->entries().size(), 2u);
    EXPECT_FALSE(c->entries()[1].survivors);
    EXPECT_TRUE(c->entries()[1].problem.contains(QStringLiteral("管道"))) << c->entries()[1].problem.toStdString();
    c->rereadAll();
    // The list is remembered: a new window reads it at once too.
    delete c;
    clock.restart();
    MainWindow again(services);
    CombineWindow* second = again.openCombine();
    EXPECT_LT(clock.elapsed(), 2000) << "opening 方案组合 with a remembered FIFO waited for a writer";
    ASSERT_EQ(second->entries().size(), 2u);
    EXPECT_FALSE(second->entries()[1].problem.isEmpty());
}

#endif

// A picture whose bytes hold digit runs that read as draws.
QByteArray pictureWithDigits() {
    for (unsigned seed = 1;; ++seed) {
        QImage image(96, 96, QImage::Format_RGB32);
        std::mt19937 rng(seed);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, rng() | 0xFF000000u);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        if (readHistory(std::string_view(bytes.constData(), std::size_t(bytes.size()))).draws.size() >= 3) return bytes;
    }
}

TEST_F(OneReading, APictureIsNeverPastDrawsAndASchemeIsNamedAsOne) {
    const QByteArray png = pictureWithDigits();
    const QString picture = write(QStringLiteral("开奖.png"), png.toStdString());
    // Opened as a scheme: refused with a message, not offered to 开奖历史.
    services.setYesNoAnswer(true);
    EXPECT_FALSE(w.openSchemeFile(picture));
    auto shown = services.takeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("错误提示")) << "offered as past draws: " << shown[0].text.toStdString();
    HistoryWindow* h = w.openHistory();
    h->setHistoryText(QStringLiteral("2026001 1 2 3\r\n"));
    h->rereadNow();
    const QString mine = h->historyText();
    services.takeMessages();
    EXPECT_FALSE(h->openHistoryFile(picture));
    EXPECT_EQ(services.takeMessages().size(), 1);
    EXPECT_EQ(h->historyText(), mine);

    // A scheme opened as past draws: named as a scheme, the history unchanged.
    MainConditions state;
    state.digits.spanKill[3] = true;
    state.positional.matchRules = {"百         大于         个"};
    const QString scheme = write(QStringLiteral("我的方案.tarnel"), writeScheme(state, nullptr));
    ASSERT_GE(readHistory(fileText(scheme)).draws.size(), 3u) << "the scheme reads as draws: the case to refuse";
    EXPECT_FALSE(h->openHistoryFile(scheme));
    shown = services.takeMessages();
    ASSERT_EQ(shown.size(), 1) << "read as draws";
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("方案文件"))) << shown[0].text.toStdString();
    EXPECT_EQ(h->historyText(), mine);
}

// Every command that reads a history reads the same files or refuses the same files.
TEST_F(OneReading, EveryCommandRefusesOrReadsAHistoryAlike) {
    MainConditions ruled;
    ruled.rules = {{RuleMeasure::Sum, RuleSource::Recent, 1, 0, 0, RuleAction::Kill}};
    const QString a = write(QStringLiteral("a.tarnel"), writeScheme(ruled, nullptr));
    const QString b = write(QStringLiteral("b.tarnel"), writeScheme(MainConditions{}, nullptr));
    const std::string draws = "2026001 5 8 2\n2026002 1 2 3\n2026003 4 5 6\n";
    const std::vector<std::pair<std::string, bool>> histories = {
        {draws, true},
        {draws + std::string(1, '\0'), false},
        {std::string("2026001 582\n\0\x01", 14), false},
        {pictureWithDigits().toStdString(), false},
        {writeScheme(MainConditions{}, nullptr), false},
        {draws + "\x1A", true},           // the old end-of-file mark
        {"\xEF\xBB\xBF" + draws, true},  // a byte order mark
        {draws + "2026004 \x01 7 8 9\n", true},  // a stray control byte
    };
    int index = 0;
    for (const auto& [bytes, readable] : histories) {
        const QString h = write(QStringLiteral("h%1.txt").arg(index++), bytes);
        const QString opt = QStringLiteral("--history");
        const std::vector<std::pair<const char*, QStringList>> commands = {
            {"backtest", {QStringLiteral("backtest"), a, h}},
            {"run", {QStringLiteral("run"), a, opt, h}},
            {"explain", {QStringLiteral("explain"), a, QStringLiteral("123"), opt, h}},
            {"combine", {QStringLiteral("combine"), a, b, opt, h}},
        };
        for (const auto& [name, args] : commands) {
            const CliRun r = cli(args);
            EXPECT_EQ(r.code, readable ? 0 : 2) << name << " on history " << index - 1 << ": " << r.err;
        }
        // The history window takes the same files.
        HistoryWindow* window = w.openHistory();
        services.setYesNoAnswer(true);
        EXPECT_EQ(window->openHistoryFile(h), readable) << "history " << index - 1;
        services.takeMessages();
    }
}

// The price and prizes: the window and the CLI take the same texts, as the same amounts.
TEST_F(OneReading, PricesAreReadAsTheSameDecimalInTheSameRange) {
    write(QStringLiteral("s.tarnel"), writeScheme(MainConditions{}, nullptr));
    write(QStringLiteral("h.txt"), "2026001 582\n");
    std::vector<std::string> texts = {"2", "0", "0.01", "0.001", "0.010", "2.5", "2.50", "2.500", "2.505", ".5", "5.",
                                      "10000", "10000.00", "10000.01", "1000000", "1000000.00000000001",
                                      "1000000.0000000000", "999999.99", "1040", "007.25", "1e3", "-1", "+2", "2 ",
                                      "１２", "99999999999999999999", "0.5.5", "nan"};
    std::mt19937 rng(18);
    for (int i = 0; i < 24; ++i) {
        std::string t = std::to_string(rng() % (i < 12 ? 20000 : 2000000));
        if (rng() % 2) {
            t += '.';
            t += std::to_string(rng() % 1000);
        }
        texts.push_back(t);
    }
    for (const std::string& text : texts) {
        const QString typed = QString::fromStdString(text);
        // Price: one draw, every number bought: the cost is 1000 bets at the price.
        const std::optional<double> price = PriceSettings::parse(MoneyField::Price, typed, nullptr);
        const CliRun p = cli({QStringLiteral("backtest"), dir.filePath(QStringLiteral("s.tarnel")), dir.filePath(QStringLiteral("h.txt")),
                              QStringLiteral("--price"), typed});
        if (text.back() == ' ') {
            // The window's field trims what is typed; a command line argument is taken as given.
            EXPECT_EQ(p.code, 2) << text;
            continue;
        }
        ASSERT_EQ(p.code == 0, price.has_value()) << "price \"" << text << "\": the window and the CLI differ (" << p.err << ")";
        if (price) {
            const auto doc = nlohmann::json::parse(p.out);
            EXPECT_NEAR(doc["money"]["cost"].get<double>(), 1000 * *price, 1e-6) << text;
        }
        // Prizes: the direct prize is won once.
        const std::optional<double> prize = PriceSettings::parse(MoneyField::Direct, typed, nullptr);
        const CliRun z = cli({QStringLiteral("backtest"), dir.filePath(QStringLiteral("s.tarnel")), dir.filePath(QStringLiteral("h.txt")),
                              QStringLiteral("--prizes"), typed + QStringLiteral(",346,173")});
        ASSERT_EQ(z.code == 0, prize.has_value()) << "prize \"" << text << "\": the window and the CLI differ (" << z.err << ")";
        if (prize) {
            const auto doc = nlohmann::json::parse(z.out);
            EXPECT_NEAR(doc["money"]["win"].get<double>(), *prize, 1e-6) << text;
        }
    }
    // Just above the limit is refused, not rounded to it.
    EXPECT_FALSE(PriceSettings::parse(MoneyField::Direct, QStringLiteral("1000000.00000000001"), nullptr));
    EXPECT_EQ(*PriceSettings::parse(MoneyField::Direct, QStringLiteral("1000000"), nullptr), 1000000.0);
}

}  // namespace
}  // namespace tarnel
