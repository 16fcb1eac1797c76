#pragma once
// Everything the program remembers between starts, in one table: each
// setting's key in the settings file, its type and its default, read and
// written only here. A value that is missing or not of its type reads as
// the default. A write reaches the disk at once and is checked: a settings
// file that cannot be written (a full disk) is said in words, and the file
// on the disk keeps its old contents. One signal tells which setting changed.

#include <QObject>
#include <QString>
#include <QVariant>
#include <array>

namespace tarnel {

enum class Setting {
    RecentSchemes,     // 最近打开的方案, newest first
    CombineSchemes,    // 方案组合's list
    CombineTolerance,  // 方案组合's 容错
    ResultsSeparator,  // the results view's copy format
    ResultsPerLine,
    SlipPaper,         // 投注单: 0 A4, 1 receipt paper
    PriceFen,          // a bet's price, in fen
    DirectFen,         // the prizes, in fen
    Group3Fen,
    Group6Fen,
    TwoStarFen,
    GroupBets,         // the main window's survivors bought as 组选
    DisplayScale,      // percent
    DrawsLottery,      // "3d" or "p3"
    DrawsCheckAtStart,
    DrawsSource3d,     // the address the draws come from; empty: the lottery's own
    DrawsSourceP3,
    DrawsBoxShowsStore,  // 开奖号码 shows the kept draws (not a text of the player's)
};
inline constexpr int kSettingCount = int(Setting::DrawsBoxShowsStore) + 1;

struct SettingEntry {
    Setting id;
    const char* key;
    QMetaType::Type type;  // Int, LongLong, Bool, QString or QStringList
    QVariant (*defaultValue)();
};
// Every setting, in the order of the enum.
const std::array<SettingEntry, kSettingCount>& settingTable();

class Settings : public QObject {
    Q_OBJECT
public:
    // The one object that says when a setting changed or was not saved.
    static Settings& notifier();

    // The value of its type, or the default.
    static QVariant value(Setting setting);
    static int intValue(Setting setting) { return value(setting).toInt(); }
    static qint64 longValue(Setting setting) { return value(setting).toLongLong(); }
    static bool boolValue(Setting setting) { return value(setting).toBool(); }
    static QString stringValue(Setting setting) { return value(setting).toString(); }
    static QStringList listValue(Setting setting) { return value(setting).toStringList(); }
    // Whether the setting has a value of its own (of its type), not its default.
    static bool isSet(Setting setting);

    // Remembers a value (converted to the setting's type) and writes the
    // settings file now. True when it is on the disk, or nothing changed;
    // false, with `writeFailed`, when the file could not be written.
    static bool set(Setting setting, const QVariant& value);
    // Several settings as one write.
    static bool set(std::initializer_list<std::pair<Setting, QVariant>> values);

    static QString key(Setting setting);
    // The settings file, as 帮助 shows it.
    static QString fileName();

signals:
    void changed(tarnel::Setting setting);
    // The message for the player: what was not saved and why.
    void writeFailed(const QString& message);
};

}  // namespace tarnel
