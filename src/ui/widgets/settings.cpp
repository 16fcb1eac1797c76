
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <cmath>
#include <optional>
#include <vector>

#include "ui/widgets/atomic_file.h"
#include "ui/widgets/display_scale.h"
#include "ui/widgets/price_settings.h"
#include "ui/widgets/settings.h"

namespace tarnel {

namespace {

QVariant fen(double yuan) { return QVariant::fromValue(qint64(std::llround(yuan * 100))); }

constexpr std::array<SettingEntry, kSettingCount> kEntries = {{
    {Setting::RecentSchemes, "recentSchemes", QMetaType::QStringList, [] { return QVariant(QStringList()); }},
    {Setting::CombineSchemes, "combine/schemes", QMetaType::QStringList, [] { return QVariant(QStringList()); }},
    {Setting::CombineTolerance, "combine/tolerance", QMetaType::Int, [] { return QVariant(0); }},
    {Setting::ResultsSeparator, "results/separator", QMetaType::Int, [] { return QVariant(0); }},
    {Setting::ResultsPerLine, "results/perLine", QMetaType::Int, [] { return QVariant(0); }},
    {Setting::SlipPaper, "results/slipPaper", QMetaType::Int, [] { return QVariant(0); }},
    // The price shares its key with the results view, which had it first.
    {Setting::PriceFen, "results/priceFen", QMetaType::LongLong, [] { return fen(MoneyPrices().price); }},
    {Setting::DirectFen, "money/directFen", QMetaType::LongLong, [] { return fen(MoneyPrices().direct); }},
    {Setting::Group3Fen, "money/group3Fen", QMetaType::LongLong, [] { return fen(MoneyPrices().group3); }},
    {Setting::Group6Fen, "money/group6Fen", QMetaType::LongLong, [] { return fen(MoneyPrices().group6); }},
    {Setting::TwoStarFen, "money/twoStarFen", QMetaType::LongLong, [] { return fen(MoneyPrices().twoStar); }},
    {Setting::GroupBets, "money/groupBets", QMetaType::Bool, [] { return QVariant(false); }},
    {Setting::DisplayScale, "view/displayScale", QMetaType::Int, [] { return QVariant(kMinDisplayScale); }},
    {Setting::DrawsLottery, "draws/lottery", QMetaType::QString, [] { return QVariant(QStringLiteral("3d")); }},
    {Setting::DrawsCheckAtStart, "draws/checkAtStart", QMetaType::Bool, [] { return QVariant(false); }},
    {Setting::DrawsSource3d, "draws/source/3d", QMetaType::QString, [] { return QVariant(QString()); }},
    {Setting::DrawsSourceP3, "draws/source/p3", QMetaType::QString, [] { return QVariant(QString()); }},
    {Setting::DrawsBoxShowsStore, "draws/boxShowsStore", QMetaType::Bool, [] { return QVariant(true); }},
}};

constexpr bool inEnumOrder() {
    for (int i = 0; i < kSettingCount; ++i)
        if (int(kEntries[std::size_t(i)].id) != i) return false;
    return true;
}
static_assert(inEnumOrder(), "the table lists every setting once, in the order of the enum");

const SettingEntry& entryOf(Setting setting) { return kEntries[std::size_t(setting)]; }

// A stored value as the setting's type, or nothing when it is not one.
std::optional<QVariant> asType(const QVariant& stored, QMetaType::Type type) {
    if (!stored.isValid()) return std::nullopt;
    bool ok = true;
    switch (type) {
    case QMetaType::Int: {
        const int v = stored.toInt(&ok);
        return ok ? std::optional<QVariant>(v) : std::nullopt;
    }
    case QMetaType::LongLong: {
        const qint64 v = stored.toLongLong(&ok);
        return ok ? std::optional<QVariant>(QVariant::fromValue(v)) : std::nullopt;
    }
    case QMetaType::Bool: {
        // Written as true/false; anything else is not a yes or no.
        const QString text = stored.toString().trimmed().toLower();
        if (stored.typeId() == QMetaType::Bool) return stored;
        if (text == QLatin1String("true") || text == QLatin1String("1")) return QVariant(true);
        if (text == QLatin1String("false") || text == QLatin1String("0")) return QVariant(false);
        return std::nullopt;
    }
    case QMetaType::QString:
        if (!stored.canConvert<QString>() || stored.typeId() == QMetaType::QStringList) return std::nullopt;
        return QVariant(stored.toString());
    case QMetaType::QStringList:
        // A list of one is read back as a plain string.
        if (stored.typeId() == QMetaType::QString) return QVariant(QStringList{stored.toString()});
        if (stored.typeId() != QMetaType::QStringList && stored.typeId() != QMetaType::QVariantList) return std::nullopt;
        return QVariant(stored.toStringList());
    default: return std::nullopt;
    }
}

// Values the settings file could not take: they hold for this run, and go
// to the disk with the next write that succeeds.
QMap<QString, QVariant>& unsaved() {
    static QMap<QString, QVariant> values;
    return values;
}

// ---- the settings file, in the form the settings object reads ----
// The program writes the file itself, through the writer that leaves the
// old file as it was when the disk is full or the sync fails.

QByteArray iniKey(const QString& key) {
    QByteArray out;
    for (const QChar c : key) {
        const char16_t u = c.unicode();
        if (u == u'/') out += '\\';
        else if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_' || u == u'-' || u == u'.')
            out += char(u);
        else if (u <= 0xFF) out += '%' + QByteArray::number(u, 16).toUpper().rightJustified(2, '0');
        else out += "%U" + QByteArray::number(u, 16).toUpper().rightJustified(4, '0');
    }
    return out;
}

QByteArray iniQuoted(const QString& text) {
    // A text that starts with @ would read as a value of another kind: @@ says it is text.
    QString out = text.startsWith(QLatin1Char('@')) ? QStringLiteral("\"@") : QStringLiteral("\"");
    bool afterHex = false;  // a hex escape reads on through hex digits: they follow escaped too
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool hexDigit = (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
        if (u < 0x20 || u == 0x7F || (afterHex && hexDigit)) {
            out += QStringLiteral("\\x") + QString::number(u, 16).rightJustified(4, QLatin1Char('0'));
            afterHex = true;
            continue;
        }
        afterHex = false;
        if (u == u'"' || u == u'\\') out += QLatin1Char('\\');
        out += c;  // surrogate halves in turn, whole again in UTF-8
    }
    return (out + QLatin1Char('"')).toUtf8();
}

// A value as the file holds it; nothing for values of other kinds, which
// the program never writes.
std::optional<QByteArray> iniValue(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool: return QByteArray(v.toBool() ? "true" : "false");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return v.toString().toLatin1();
    case QMetaType::QString: return iniQuoted(v.toString());
    case QMetaType::QVariantList:  // a list read back from the file, some of its texts starting with @
    case QMetaType::QStringList: {
        const QStringList list = v.toStringList();
        if (list.isEmpty()) return QByteArray("@Invalid()");
        QByteArray out;
        for (qsizetype i = 0; i < list.size(); ++i) out += (i ? ", " : "") + iniQuoted(list[i]);
        return out;
    }
    default: return std::nullopt;
    }
}

QByteArray iniText(const QMap<QString, QVariant>& values) {
    QMap<QString, QMap<QString, QByteArray>> groups;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const std::optional<QByteArray> value = iniValue(it.value());
        if (!value) continue;
        const qsizetype slash = it.key().indexOf(QLatin1Char('/'));
        const QString group = slash < 0 ? QStringLiteral("General") : it.key().left(slash);
        groups[group][slash < 0 ? it.key() : it.key().mid(slash + 1)] = *value;
    }
    QByteArray out;
    for (auto g = groups.cbegin(); g != groups.cend(); ++g) {
        if (!out.isEmpty()) out += '\n';
        out += '[' + iniKey(g.key()) + "]\n";
        for (auto k = g.value().cbegin(); k != g.value().cend(); ++k) out += iniKey(k.key()) + '=' + k.value() + '\n';
    }
    return out;
}

}  // namespace

const std::array<SettingEntry, kSettingCount>& settingTable() { return kEntries; }

Settings& Settings::notifier() {
    static Settings* instance = new Settings;  // lives as long as the program
    return *instance;
}

QString Settings::key(Setting setting) { return QString::fromLatin1(entryOf(setting).key); }

QString Settings::fileName() { return QSettings().fileName(); }

QVariant Settings::value(Setting setting) {
    const SettingEntry& s = entryOf(setting);
    const QString key = QLatin1String(s.key);
    if (const auto held = unsaved().constFind(key); held != unsaved().cend()) return *held;
    return asType(QSettings().value(key), s.type).value_or(s.defaultValue());
}

bool Settings::isSet(Setting setting) {
    const SettingEntry& s = entryOf(setting);
    return unsaved().contains(QLatin1String(s.key)) || asType(QSettings().value(QLatin1String(s.key)), s.type).has_value();
}

bool Settings::set(Setting setting, const QVariant& value) { return set({{setting, value}}); }

bool Settings::set(std::initializer_list<std::pair<Setting, QVariant>> values) {
    QSettings file;
    std::vector<Setting> changed;
    for (const auto& [setting, value] : values) {
        const SettingEntry& s = entryOf(setting);
        const QVariant typed = asType(value, s.type).value_or(s.defaultValue());
        if (Settings::value(setting) == typed) continue;
        unsaved()[QLatin1String(s.key)] = typed;
        changed.push_back(setting);
    }
    if (changed.empty()) return true;
#ifdef Q_OS_WIN
    if (file.format() == QSettings::NativeFormat) {
        // The registry, where a program runs without the INI file the
        // program itself chooses: written as the settings object writes it.
        for (auto it = unsaved().cbegin(); it != unsaved().cend(); ++it) file.setValue(it.key(), it.value());
        file.sync();
        const bool saved = file.status() == QSettings::NoError;
        if (saved) unsaved().clear();
        for (Setting setting : changed) emit notifier().changed(setting);
        if (!saved) emit notifier().writeFailed(QStringLiteral("设置未能保存：无法写入注册表；本次运行中仍按新的设置。"));
        return saved;
    }
#endif
    // Every key of the file, with the values not yet on the disk over them.
    QMap<QString, QVariant> all;
    for (const QString& key : file.allKeys()) all.insert(key, file.value(key));
    for (auto it = unsaved().cbegin(); it != unsaved().cend(); ++it) all.insert(it.key(), it.value());
    const QString path = file.fileName();
    QByteArray bytes = iniText(all);
    // The settings object notices a new file by its size or time; a file of
    // the same size written within the same millisecond would go unseen.
    if (bytes.size() == QFileInfo(path).size()) bytes += '\n';
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString error = writeFileAtomically(path, bytes);
    if (error.isEmpty()) unsaved().clear();
    for (Setting setting : changed) emit notifier().changed(setting);
    if (!error.isEmpty())
        emit notifier().writeFailed(QStringLiteral("设置未能保存：%1原有设置文件未被改动；本次运行中仍按新的设置。").arg(error));
    return error.isEmpty();
}

}  // namespace tarnel
