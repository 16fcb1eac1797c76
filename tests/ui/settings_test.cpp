// The settings table against a plain model: over random sequences of
// writes (of the right type, of another type, the same value again, values
// left in the file by hand), every setting reads as the model says, the
// change signal comes exactly for the writes that changed something, and
// the file the program writes itself reads back through the settings
// object whatever the text holds. The keys are those earlier versions wrote.
// (A full disk: tests/ui/full_disk_test.cpp.)

#include <QDebug>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <map>
#include <random>

#include "ui/widgets/settings.h"

namespace tarnel {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    static void clear() {
        QSettings s;
        for (const SettingEntry& entry : settingTable()) s.remove(QLatin1String(entry.key));
        s.sync();
    }
};

// Text with what a file format can trip on: quotes, backslashes, commas,
// control characters followed by hex digits, a leading @, spaces at the
// ends, Chinese, characters beyond the 16-bit range.
QString trickyText(std::mt19937& rng) {
    static const QString pieces[] = {QStringLiteral("\""), QStringLiteral("\\"), QStringLiteral(","), QStringLiteral("\x01"),
                                     QStringLiteral("\x1f"), QStringLiteral("a"), QStringLiteral("F"), QStringLiteral("7"),
                                     QStringLiteral("@"), QStringLiteral(" "), QStringLiteral("方案"), QStringLiteral("\n"),
                                     QStringLiteral("\r\n"), QStringLiteral("\t"), QStringLiteral("="), QStringLiteral(";"),
                                     QStringLiteral("[x]"), QStringLiteral("%"), QString::fromUtf8("\xF0\x9F\x8E\xB2"),
                                     QStringLiteral("http://127.0.0.1:8080/p")};
    QString text;
    for (int i = int(rng() % 8); i > 0; --i) text += pieces[rng() % std::size(pieces)];
    return text;
}

std::string fileText() {
    QFile f(Settings::fileName());
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(no file)");
}

std::string shown(const QVariant& v) {
    QString text;
    QDebug(&text) << v;
    return text.toStdString();
}

// A value of the setting's own type.
QVariant randomValue(QMetaType::Type type, std::mt19937& rng) {
    switch (type) {
    case QMetaType::Int: return int(rng() % 2001) - 1000;
    case QMetaType::LongLong: return QVariant::fromValue(qint64(rng() % 200000000) - 1000);
    case QMetaType::Bool: return rng() % 2 == 0;
    case QMetaType::QString: return trickyText(rng);
    case QMetaType::QStringList: {
        QStringList list;
        for (int i = int(rng() % 4); i > 0; --i) list << trickyText(rng);
        // A list of one empty text cannot be told from an empty list in the file.
        if (list == QStringList{QString()}) list.clear();
        return list;
    }
    default: return {};
    }
}

// What a value left in the file that is not of the type reads as.
QVariant foreignValue(QMetaType::Type type, std::mt19937& rng) {
    switch (type) {
    case QMetaType::QString: return QStringList{QStringLiteral("a"), QStringLiteral("b")};
    case QMetaType::QStringList: return QVariant::fromValue(QVariantMap{{QStringLiteral("k"), 1}});
    default: return rng() % 2 ? QStringLiteral("garbage") : QStringLiteral("1.5x");
    }
}

TEST_F(SettingsTest, EveryReadAndSignalFollowsAPlainModel) {
    const auto& entries = settingTable();
    std::map<int, QVariant> model;  // absent: the default
    const auto expected = [&](const SettingEntry& entry) { return model.count(int(entry.id)) ? model[int(entry.id)] : entry.defaultValue(); };
    QSignalSpy spy(&Settings::notifier(), &Settings::changed);
    QSignalSpy failed(&Settings::notifier(), &Settings::writeFailed);
    std::mt19937 rng(2026);
    for (int round = 0; round < 400; ++round) {
        const SettingEntry& entry = entries[rng() % entries.size()];
        SCOPED_TRACE(std::string(entry.key) + " round " + std::to_string(round));
        spy.clear();
        switch (rng() % 4) {
        case 0:
        case 1: {  // a value of its type
            const QVariant v = randomValue(entry.type, rng);
            const bool changes = expected(entry) != v;
            EXPECT_TRUE(Settings::set(entry.id, v));
            model[int(entry.id)] = v;
            EXPECT_EQ(spy.count(), changes ? 1 : 0);
            break;
        }
        case 2: {  // the same again: nothing changes, nothing is said
            EXPECT_TRUE(Settings::set(entry.id, Settings::value(entry.id)));
            EXPECT_EQ(spy.count(), 0);
            break;
        }
        case 3: {  // left in the file by another hand, not of its type
            QSettings().setValue(QLatin1String(entry.key), foreignValue(entry.type, rng));
            model.erase(int(entry.id));
            break;
        }
        }
        for (const SettingEntry& s : entries) {
            const QVariant got = Settings::value(s.id);
            ASSERT_EQ(got.typeId(), int(s.type)) << s.key;
            ASSERT_EQ(got, expected(s)) << s.key << ": " << shown(got) << " for " << shown(expected(s)) << "\n" << fileText();
        }
    }
    // What is in the file is what a fresh look reads.
    QSettings fresh(Settings::fileName(), QSettings::IniFormat);
    for (const SettingEntry& s : entries) {
        if (model.count(int(s.id)) && s.type != QMetaType::QStringList) {
            EXPECT_EQ(fresh.value(QLatin1String(s.key)).toString(), model[int(s.id)].toString()) << s.key;
        }
    }
    EXPECT_EQ(failed.count(), 0);
}

TEST_F(SettingsTest, TheKeysAreThoseEarlierVersionsWrote) {
    const std::map<Setting, QString> written = {
        {Setting::RecentSchemes, "recentSchemes"},      {Setting::CombineSchemes, "combine/schemes"},
        {Setting::CombineTolerance, "combine/tolerance"}, {Setting::ResultsSeparator, "results/separator"},
        {Setting::ResultsPerLine, "results/perLine"},   {Setting::SlipPaper, "results/slipPaper"},
        {Setting::PriceFen, "results/priceFen"},         {Setting::DirectFen, "money/directFen"},
        {Setting::Group3Fen, "money/group3Fen"},         {Setting::Group6Fen, "money/group6Fen"},
        {Setting::TwoStarFen, "money/twoStarFen"},       {Setting::GroupBets, "money/groupBets"},
        {Setting::DisplayScale, "view/displayScale"},    {Setting::DrawsLottery, "draws/lottery"},
        {Setting::DrawsCheckAtStart, "draws/checkAtStart"}, {Setting::DrawsSource3d, "draws/source/3d"},
        {Setting::DrawsSourceP3, "draws/source/p3"},     {Setting::DrawsBoxShowsStore, "draws/boxShowsStore"},
    };
    ASSERT_EQ(written.size(), settingTable().size());
    for (const SettingEntry& s : settingTable()) EXPECT_EQ(Settings::key(s.id), written.at(s.id));
    // A price written by an earlier version, in fen, reads as it was.
    QSettings().setValue(QStringLiteral("results/priceFen"), 250);
    EXPECT_EQ(Settings::longValue(Setting::PriceFen), 250);
    QSettings().setValue(QStringLiteral("recentSchemes"), QStringLiteral("/只有一个.tarnel"));
    EXPECT_EQ(Settings::listValue(Setting::RecentSchemes), QStringList{QStringLiteral("/只有一个.tarnel")});
}

}  // namespace
}  // namespace tarnel
