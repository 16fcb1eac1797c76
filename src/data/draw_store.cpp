#include "data/draw_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>

#include "core/files/history.h"

namespace tarnel {

namespace {

// 'TrnD' in the file's header: this program's draws, not any SQLite file.
constexpr int kApplicationId = 0x54726E44;
constexpr int kSchemaVersion = 1;
constexpr const char* kEarlierHistoryKey = "history.txt";

QString newConnectionName() {
    static std::atomic<int> next{0};
    return QStringLiteral("tarnel-draws-%1").arg(next++);
}

std::string text(const QString& s) { return s.toStdString(); }

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

QString drawStorePath(const QString& dataFolder) { return dataFolder + QStringLiteral("/draws.sqlite"); }

DrawStore::DrawStore(QString path) : path_(std::move(path)), connection_(newConnectionName()) {}

DrawStore::~DrawStore() {
    if (!QSqlDatabase::contains(connection_)) return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool DrawStore::exec(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (query.exec(sql)) return true;
    error_ = "开奖库 " + text(QDir::toNativeSeparators(path_)) + " 无法读写：" + text(query.lastError().text());
    return false;
}

// Opens the connection to an existing file and checks that it is a store.
DrawStore::Open DrawStore::openForReading() {
    error_.clear();
    if (open_) return Open::Ready;
    if (!QFileInfo::exists(path_)) return Open::Missing;
    return openForWriting() ? Open::Ready : Open::Failed;
}

bool DrawStore::openForWriting() {
    error_.clear();
    if (open_) return true;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        error_ = "缺少 Qt 的 SQLite 驱动，无法使用开奖库（Debian 上为 libqt6sql6-sqlite）";
        return false;
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSqlDatabase db = QSqlDatabase::contains(connection_) ? QSqlDatabase::database(connection_, false)
                                                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path_);
    // Another copy of the program may hold the write lock for a moment.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=20000"));
    if (!db.open()) {
        error_ = "无法打开开奖库 " + text(QDir::toNativeSeparators(path_)) + "：" + text(db.lastError().text());
        return false;
    }
    open_ = true;
    if (!checkOwnFile()) {
        db.close();
        open_ = false;
        return false;
    }
    return true;
}

bool DrawStore::checkOwnFile() {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    const QString where = QDir::toNativeSeparators(path_);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next()) {
        error_ = "文件 " + text(where) + " 不是开奖库（" + text(query.lastError().text()) + "）";
        return false;
    }
    const bool empty = query.value(0).toInt() == 0;
    if (!query.exec(QStringLiteral("PRAGMA application_id")) || !query.next()) return false;
    const int id = query.value(0).toInt();
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) return false;
    const int version = query.value(0).toInt();
    if (!empty && id != kApplicationId) {
        error_ = "文件 " + text(where) + " 不是 Tarnel 的开奖库";
        return false;
    }
    if (version > kSchemaVersion) {
        error_ = "开奖库 " + text(where) + " 由较新版本的 Tarnel 写成，本版本无法读写";
        return false;
    }
    return true;
}

bool DrawStore::begin() {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (query.exec(QStringLiteral("BEGIN IMMEDIATE"))) return true;
    const QString why = query.lastError().text();
    if (why.contains(QStringLiteral("locked"), Qt::CaseInsensitive) || why.contains(QStringLiteral("busy"), Qt::CaseInsensitive))
        error_ = "开奖库正被另一个程序写入，请稍后再试";
    else
        error_ = "开奖库 " + text(QDir::toNativeSeparators(path_)) + " 无法写入：" + text(why);
    return false;
}

void DrawStore::rollback() {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.exec(QStringLiteral("ROLLBACK"));
}

bool DrawStore::commit() {
    if (exec(QStringLiteral("COMMIT"))) return true;
    rollback();
    return false;
}

bool DrawStore::ensureTables() {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name='draws'")) || !query.next())
        return exec(QStringLiteral("SELECT 1"));  // reports the failure
    if (query.value(0).toInt() == 1) return true;
    query.finish();
    return exec(QStringLiteral("CREATE TABLE draws(lottery TEXT NOT NULL, issue TEXT NOT NULL, "
                               "number TEXT NOT NULL, date TEXT, PRIMARY KEY(lottery, issue)) WITHOUT ROWID")) &&
           exec(QStringLiteral("CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT NOT NULL)")) &&
           exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId)) &&
           exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
}

bool DrawStore::readDraws(Lottery lottery, std::vector<StoredDraw>& out) {
    out.clear();
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name='draws'")) || !query.next())
        return exec(QStringLiteral("SELECT 1"));
    if (query.value(0).toInt() == 0) return true;  // a new, empty file
    query.prepare(QStringLiteral("SELECT issue, date, number FROM draws WHERE lottery = ? ORDER BY issue"));
    query.addBindValue(QString::fromLatin1(lotteryKey(lottery).data(), qsizetype(lotteryKey(lottery).size())));
    if (!query.exec()) {
        error_ = "开奖库 " + text(QDir::toNativeSeparators(path_)) + " 无法读取：" + text(query.lastError().text());
        return false;
    }
    while (query.next()) {
        StoredDraw& d = out.emplace_back();
        d.issue = query.value(0).toString().toStdString();
        d.date = query.value(1).toString().toStdString();
        d.number = query.value(2).toString().toStdString();
    }
    return true;
}

std::optional<std::vector<StoredDraw>> DrawStore::draws(Lottery lottery) {
    const Open state = openForReading();
    if (state == Open::Missing) return std::vector<StoredDraw>();
    if (state == Open::Failed) return std::nullopt;
    std::vector<StoredDraw> out;
    if (!readDraws(lottery, out)) return std::nullopt;
    return out;
}

bool DrawStore::insert(Lottery lottery, const std::vector<StoredDraw>& added) {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (!query.prepare(QStringLiteral("INSERT INTO draws(lottery, issue, number, date) VALUES(?, ?, ?, ?)"))) {
        error_ = "开奖库无法写入：" + text(query.lastError().text());
        return false;
    }
    const QString key = QString::fromLatin1(lotteryKey(lottery).data(), qsizetype(lotteryKey(lottery).size()));
    for (const StoredDraw& d : added) {
        query.bindValue(0, key);
        query.bindValue(1, QString::fromLatin1(d.issue.data(), qsizetype(d.issue.size())));
        query.bindValue(2, QString::fromLatin1(d.number.data(), qsizetype(d.number.size())));
        query.bindValue(3, d.date.empty() ? QVariant() : QVariant(QString::fromLatin1(d.date.data(), qsizetype(d.date.size()))));
        if (!query.exec()) {
            error_ = "开奖库无法写入：" + text(query.lastError().text());
            return false;
        }
    }
    return true;
}

bool DrawStore::create() {
    if (!openForWriting()) return false;
    if (!begin()) return false;
    if (!ensureTables()) {
        rollback();
        return false;
    }
    return commit();
}

StoreMerge DrawStore::merge(Lottery lottery, const std::vector<StoredDraw>& incoming) {
    StoreMerge out;
    const Open state = openForReading();
    if (state == Open::Failed) {
        out.error = error_;
        return out;
    }
    if (state == Open::Missing) {
        // Refused before the file is made: a refusal leaves no file behind.
        out.plan = planMerge(lottery, {}, incoming);
        if (out.plan.conflict) {
            out.error = conflictText(*out.plan.conflict, "导入的是");
            return out;
        }
        if (!openForWriting()) {
            out.error = error_;
            return out;
        }
    }
    if (!begin()) {
        out.error = error_;
        return out;
    }
    std::vector<StoredDraw> kept;
    if (!ensureTables() || !readDraws(lottery, kept)) {
        rollback();
        out.error = error_;
        return out;
    }
    out.plan = planMerge(lottery, kept, incoming);
    if (out.plan.conflict) {
        rollback();
        out.error = conflictText(*out.plan.conflict, "导入的是");
        return out;
    }
    if (!insert(lottery, out.plan.added) || !commit()) {
        rollback();
        out.error = error_;
        out.plan.added.clear();
        return out;
    }
    return out;
}

EarlierHistory DrawStore::importEarlierHistory(const QString& historyPath) {
    EarlierHistory out;
    if (!openForWriting()) {
        out.note = error_;
        return out;
    }
    auto alreadyRead = [&] {
        QSqlQuery query(QSqlDatabase::database(connection_, false));
        query.prepare(QStringLiteral("SELECT value FROM meta WHERE key = ?"));
        query.addBindValue(QString::fromLatin1(kEarlierHistoryKey));
        return query.exec() && query.next();
    };
    {
        QSqlQuery query(QSqlDatabase::database(connection_, false));
        if (query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name='meta'")) && query.next() &&
            query.value(0).toInt() == 1 && alreadyRead())
            return out;
    }
    // Read outside the write lock; the file is never changed.
    std::vector<StoredDraw> draws;
    QFile file(historyPath);
    const bool present = file.exists();
    // Only a regular file is read: opening a pipe would wait for a writer.
    if (present && QFileInfo(historyPath).isFile() && file.size() <= qint64(kHistoryMaxBytes) &&
        file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        std::string converted;
        draws = historyDraws(historyText(std::string_view(bytes.constData(), std::size_t(bytes.size())), converted));
    }
    out.lottery = historyLottery(draws);
    if (!begin()) {
        out.note = error_;
        return out;
    }
    if (!ensureTables()) {
        rollback();
        out.note = error_;
        return out;
    }
    if (alreadyRead()) {  // another copy of the program did it meanwhile
        rollback();
        out.lottery.reset();
        return out;
    }
    std::string record = present ? "read" : "missing";
    if (out.lottery) {
        std::vector<StoredDraw> kept;
        if (!readDraws(*out.lottery, kept)) {
            rollback();
            out.note = error_;
            return out;
        }
        const MergePlan plan = planMerge(*out.lottery, kept, draws);
        const std::string name(lotteryName(*out.lottery));
        if (plan.conflict) {
            out.note = "旧版的开奖历史（history.txt）未存入" + name + "开奖库：" + conflictText(*plan.conflict, "文件中为");
        } else {
            if (!insert(*out.lottery, plan.added)) {
                rollback();
                out.note = error_;
                return out;
            }
            out.added = static_cast<long long>(plan.added.size());
            out.note = "已把旧版开奖历史（history.txt）中的 " + std::to_string(out.added) + " 期存入" + name +
                       "开奖库，文件本身保留原样";
        }
        record += ' ';
        record += lotteryKey(*out.lottery);
        record += ' ';
        record += std::to_string(out.added);
    } else if (!draws.empty()) {
        out.note = "旧版开奖历史（history.txt）中的开奖没有可以分辨彩种的期号，未存入开奖库";
    }
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral("INSERT INTO meta(key, value) VALUES(?, ?)"));
    query.addBindValue(QString::fromLatin1(kEarlierHistoryKey));
    query.addBindValue(q(record));
    if (!query.exec() || !commit()) {
        rollback();
        out.note = error_.empty() ? text(query.lastError().text()) : error_;
        out.added = 0;
        return out;
    }
    out.imported = present;
    return out;
}

}  // namespace tarnel
