#include "ui/document/conditions_document.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <algorithm>

#include "core/analysis/walk_forward.h"
#include "core/rules/text.h"
#include "core/state/past_draw_rules.h"
#include "ui/document/window_files.h"
#include "ui/widgets/atomic_file.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/data_folder.h"
#include "ui/widgets/ui_services.h"

namespace tarnel {

namespace {

constexpr int kRecentCount = 8;
constexpr int kSettleMs = 100;
constexpr int kLastWriteGapMs = 1000;  // never more than one write of last.tarnel a second

const QString kRestorableNote = QStringLiteral("上次关闭时的条件已保存，可用 文件 → 恢复上次的条件 找回");


// What last.tarnel holds: no file, a scheme, or a file that is no scheme
// (which a restore refuses with its reason).
struct LastFile {
    bool exists = false;
    SchemeReading reading;
    std::string error;  // why it could not be read at all
};

LastFile readLastFile() {
    LastFile last;
    const QString path = ConditionsDocument::lastConditionsPath();
    if (!QFileInfo::exists(path)) return last;
    last.exists = true;
    const FileBytes file = readWindowFile(path, kSchemeMaxBytes);  // a regular file only
    if (!file.bytes)
        last.error = file.error;
    else
        last.reading = readScheme(*file.bytes);
    return last;
}

// Size and modification time of last.tarnel, or "" when there is none.
QString lastFileStamp() {
    const QFileInfo info(ConditionsDocument::lastConditionsPath());
    if (!info.exists()) return QString();
    return QStringLiteral("%1 %2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
}

}  // namespace

ConditionsDocument::ConditionsDocument(UiServices& services, QObject* parent)
    : QObject(parent), services_(services), history_(std::make_shared<const History>()) {
    settleTimer_ = new QTimer(this);
    settleTimer_->setSingleShot(true);
    settleTimer_->setInterval(kSettleMs);
    lastTimer_ = new QTimer(this);
    lastTimer_->setSingleShot(true);
    connect(lastTimer_, &QTimer::timeout, this, &ConditionsDocument::writeLastConditions);
}

ConditionsDocument::~ConditionsDocument() = default;

void ConditionsDocument::start() {
    connect(&mainBinding_, &StateBinding::changed, this, [this] {
        settleTimer_->start();
        emit changed();
    });
    connect(settleTimer_, &QTimer::timeout, this, &ConditionsDocument::settleNow);
    started_ = true;
    startupScheme_ = scheme();
    lastWritten_ = startupScheme_;  // nothing to write while nothing changed
    if (lastConditionsRestorable()) setLastNote(kRestorableNote);
}

void ConditionsDocument::settleNow() {
    settleTimer_->stop();
    emit settled();
    if (started_) scheduleLastWrite();
}

// ---- the condition state -------------------------------------------------------------

const MainConditions& ConditionsDocument::conditions() {
    mainBinding_.pull();
    return main_;
}

void ConditionsDocument::applyConditions(const MainConditions& state) {
    const bool rulesDiffer = main_.rules != state.rules;
    main_ = state;
    mainBinding_.push();
    if (rulesDiffer) rulesEdited();
}

// ---- rules that follow past draws ---------------------------------------------------

void ConditionsDocument::rulesEdited() {
    emit rulesChanged();
    if (!started_) return;
    settleTimer_->start();
    emit changed();
}

void ConditionsDocument::setRules(std::vector<PastDrawRule> rules) {
    if (rules == main_.rules) return;
    main_.rules = std::move(rules);
    rulesEdited();
}

void ConditionsDocument::addRule(const PastDrawRule& rule) {
    std::vector<PastDrawRule> next = main_.rules;
    next.push_back(rule);
    setRules(std::move(next));
}

const std::vector<int>& ConditionsDocument::pastDraws() {
    if (!pastDraws_) pastDraws_ = drawsInTimeOrder(*history_);
    return *pastDraws_;
}

const std::vector<ExtraRow>& ConditionsDocument::ruleRows() {
    if (!ruleRows_ || ruleRowsOf_ != main_.rules) {
        ruleRows_ = tarnel::ruleRows(main_, pastDraws());
        ruleRowsOf_ = main_.rules;
    }
    return *ruleRows_;
}

ConditionsDocument::TwoStarPart& ConditionsDocument::beginTwoStar(QObject* window) {
    parts_.push_back(std::make_unique<TwoStarPart>());
    TwoStarPart* part = parts_.back().get();
    twoStar_ = part;
    connect(window, &QObject::destroyed, this, [this, part] { releaseTwoStar(part); });
    return *part;
}

void ConditionsDocument::watchTwoStar(TwoStarPart& part) {
    connect(&part.binding, &StateBinding::changed, this, [this, p = &part] {
        if (p != twoStar_) return;
        settleTimer_->start();
        emit twoStarChanged();
        emit changed();
    });
}

void ConditionsDocument::endTwoStar(const TwoStarPart& part) {
    if (twoStar_ != &part) return;
    twoStar_ = nullptr;
    settleTimer_->start();
    emit changed();
}

void ConditionsDocument::releaseTwoStar(const TwoStarPart* part) {
    if (twoStar_ == part) twoStar_ = nullptr;
    // Freed once the window's controls, which are bound to it, are surely gone too.
    QTimer::singleShot(0, this, [this, part] {
        std::erase_if(parts_, [part](const std::unique_ptr<TwoStarPart>& p) { return p.get() == part; });
    });
    settleTimer_->start();
    emit changed();
}

std::optional<TwoStarConditions> ConditionsDocument::twoStarConditions() {
    if (!twoStar_) return std::nullopt;
    twoStar_->binding.pull();
    return twoStar_->state;
}

void ConditionsDocument::applyTwoStar(const TwoStarConditions& state) {
    if (!twoStar_) emit twoStarWanted();
    if (!twoStar_) return;  // no window took the request
    twoStar_->state = state;
    twoStar_->binding.push();
}

Scheme ConditionsDocument::scheme() { return Scheme{conditions(), twoStarConditions()}; }

void ConditionsDocument::sendToBaseList(const QString& text) {
    MainConditions next = conditions();
    next.sources.baseList = toStd(text);
    applyConditions(next);
}

void ConditionsDocument::sendToSetList(int list, const QString& text) {
    if (list < 0 || list > 1) return;
    MainConditions next = conditions();
    next.setLists[static_cast<std::size_t>(list)] = toStd(text);
    applyConditions(next);
    emit pageWanted(kSetToolPage);
}

// ---- 清空所有条件 -----------------------------------------------------------------------

void ConditionsDocument::clearAll() {
    beforeClear_ = conditions();
    applyConditions(restoredConditions(*beforeClear_));
    emit clearUndoChanged(true);
}

void ConditionsDocument::endClearUndo() {
    beforeClear_.reset();
    emit clearUndoChanged(false);
}

void ConditionsDocument::undoClearAll() {
    if (!beforeClear_) return;
    const MainConditions before = std::move(*beforeClear_);
    beforeClear_.reset();
    emit clearUndoChanged(false);
    applyConditions(before);
}

// ---- the run ---------------------------------------------------------------------------

void ConditionsDocument::run() {
    // A run rewrites some boxes to their cleaned text; that is no change the player made.
    const bool wasSaved = !schemePath_.isEmpty() && !schemeModified();
    const MainConditions& now = conditions();
    lastRun_ = runMain(pool_, now, ruleRows(), observer_);
    ++runCount_;
    emit runDone();
    if (wasSaved) {
        // The saved copy takes the cleaned texts. The file is in the recent
        // list since it was opened or saved: a run does not write the
        // settings again (a write takes milliseconds before the paint).
        savedScheme_ = scheme();
        emit fileStateChanged();
    }
    followRun();
}

namespace {
const QEvent::Type kFollowRun = QEvent::Type(QEvent::registerEventType());
}  // namespace

void ConditionsDocument::followRun() {
    // Outside an event loop (a script or a test driving the windows) nothing
    // would take a later follow up: the windows follow at once.
    if (QThread::currentThread()->loopLevel() == 0) {
        if (followPending_) QCoreApplication::removePostedEvents(this, kFollowRun);
        followPending_ = false;
        emit ran();
        return;
    }
    // A player's click: the windows that follow the run (statistics, diagnosis,
    // backtests, combining) wait until the result is painted. Qt paints what
    // changed at low priority; this comes after it. Runs in a row before it
    // comes are followed once, at the last.
    if (followPending_) return;
    followPending_ = true;
    QCoreApplication::postEvent(this, new QEvent(kFollowRun), Qt::LowEventPriority - 1);
}

bool ConditionsDocument::event(QEvent* event) {
    if (event->type() != kFollowRun) return QObject::event(event);
    followPending_ = false;
    emit ran();
    return true;
}

std::shared_ptr<const History> ConditionsDocument::setHistory(std::shared_ptr<const History> history) {
    if (!history) history = std::make_shared<const History>();
    std::shared_ptr<const History> old = std::exchange(history_, std::move(history));
    pastDraws_.reset();
    ruleRows_.reset();
    emit historyChanged();
    if (!main_.rules.empty()) emit rulesChanged();
    return old;
}

// ---- the scheme file --------------------------------------------------------------------

bool ConditionsDocument::schemeModified() {
    // Compared in place: a copy of a pasted base list of megabytes is no
    // small thing on every run and every title update.
    return !schemePath_.isEmpty() && savedScheme_ &&
           !(conditions() == savedScheme_->main && twoStarConditions() == savedScheme_->twoStar);
}

void ConditionsDocument::markSaved(const QString& path) {
    schemePath_ = path;
    savedScheme_ = scheme();
    rememberRecent(path);
    emit fileStateChanged();
}

void ConditionsDocument::rememberRecent(const QString& path) {
    QSettings settings;
    QStringList recent = settings.value(kRecentKey).toStringList();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    while (recent.size() > kRecentCount) recent.removeLast();
    settings.setValue(kRecentKey, recent);
    emit recentChanged();
}

bool ConditionsDocument::mayDiscardChanges() {
    if (!schemeModified()) return true;
    const SaveChoice choice =
        services_.askSaveChanges(dialogParent_, QStringLiteral("温情提示"), QStringLiteral("保存对方案的修改吗？"));
    return choice == SaveChoice::Discard || (choice == SaveChoice::Save && saveScheme());
}

void ConditionsDocument::openScheme() {
    const QString path = services_.chooseOpenPath(dialogParent_, QStringLiteral("打开方案"), kSchemeFilter);
    if (!path.isEmpty()) openSchemeFile(path);
}

bool ConditionsDocument::openSchemeFile(const QString& path) {
    // Opening the open file again goes back to it as saved: that is what the player asks for.
    const bool reopening = !schemePath_.isEmpty() && QFileInfo(path) == QFileInfo(schemePath_);
    if (!reopening && !mayDiscardChanges()) return false;
    const FileBytes file = readWindowFile(path, kSchemeMaxBytes);  // a regular file only
    if (!file.bytes) {
        services_.showMessage(dialogParent_, QStringLiteral("错误提示"), fromStd(file.error));
        return false;
    }
    const SchemeReading reading = readScheme(*file.bytes);
    if (!reading.scheme) {
        refuseScheme(path, *file.bytes, reading.error);
        return false;
    }
    applyConditions(reading.scheme->main);
    if (reading.scheme->twoStar) applyTwoStar(*reading.scheme->twoStar);
    markSaved(path);
    endClearUndo();
    if (!reading.unknownKeys.empty())
        services_.showMessage(dialogParent_, QStringLiteral("温情提示"), fromStd(unknownKeysNotice(reading.unknownKeys)));
    return true;
}

void ConditionsDocument::refuseScheme(const QString& path, const std::string& bytes, const std::string& error) {
    const QString name = QFileInfo(path).fileName();
    // A file that never was a scheme gets a player's words first, the reader's reason after.
    if (bytes.find("\"tarnel-scheme\"") == std::string::npos) {
        const History history = readHistory(bytes);
        const QString what = QStringLiteral("“%1”不是 Tarnel 的方案文件（方案文件是用“文件 → 保存方案”存下的 .tarnel 文件）。")
                                 .arg(name);
        if (history.draws.size() >= 3) {
            const QString ask = what + QStringLiteral("\r\n它看起来是开奖历史（读到 %1 期开奖号码）。要在“开奖历史”窗口中打开它吗？")
                                           .arg(history.draws.size());
            if (services_.askYesNo(dialogParent_, QStringLiteral("温情提示"), ask)) emit historyFileOffered(path);
            return;
        }
        services_.showMessage(dialogParent_, QStringLiteral("错误提示"), what + QStringLiteral("\r\n详细：") + fromStd(error));
        return;
    }
    services_.showMessage(dialogParent_, QStringLiteral("错误提示"),
                          QStringLiteral("无法打开方案“%1”：\r\n").arg(name) + fromStd(error));
}

bool ConditionsDocument::saveScheme() {
    return schemePath_.isEmpty() ? saveSchemeAs() : saveSchemeFile(schemePath_);
}

bool ConditionsDocument::saveSchemeAs() {
    const QString suggested = schemePath_.isEmpty() ? QStringLiteral("我的方案.tarnel") : schemePath_;
    QString path = services_.chooseSavePath(dialogParent_, QStringLiteral("方案另存为"), suggested, kSchemeFilter);
    if (path.isEmpty()) return false;
    if (!isSchemePath(path) && QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".tarnel");
    return saveSchemeFile(path);
}

bool ConditionsDocument::saveSchemeFile(const QString& path) {
    const Scheme now = scheme();
    const std::string bytes = writeScheme(now.main, now.twoStar ? &*now.twoStar : nullptr);
    const QString error = writeFileAtomically(path, QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!error.isEmpty()) {
        services_.showMessage(dialogParent_, QStringLiteral("错误提示"),
                              QStringLiteral("方案没有保存到“%1”：%2\r\n原有文件未被改动。").arg(path, error));
        return false;
    }
    markSaved(path);
    return true;
}

// ---- the last conditions ------------------------------------------------------------------
// last.tarnel always holds the conditions of both windows, so that neither
// closing without a scheme file nor a crash loses them.

QString ConditionsDocument::lastConditionsPath() { return dataFolder() + QStringLiteral("/last.tarnel"); }

void ConditionsDocument::setLastNote(const QString& note) {
    if (note == lastNote_) return;
    const QString previous = std::exchange(lastNote_, note);
    emit lastNoteChanged(lastNote_, previous);
}

void ConditionsDocument::scheduleLastWrite() {
    if (scheme() == lastWritten_) {
        lastTimer_->stop();
        return;
    }
    if (lastTimer_->isActive()) return;  // already due within the second
    const qint64 since = lastWriteClock_.isValid() ? lastWriteClock_.elapsed() : kLastWriteGapMs;
    lastTimer_->start(int(std::max<qint64>(0, kLastWriteGapMs - since)));
}

void ConditionsDocument::writeLastConditions() {
    lastTimer_->stop();
    const Scheme now = scheme();
    if (now == lastWritten_) return;
    const std::string bytes = writeScheme(now.main, now.twoStar ? &*now.twoStar : nullptr);
    const QString path = lastConditionsPath();
    QString error;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        error = QStringLiteral("无法创建文件夹");
    else
        error = writeFileAtomically(path, QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    lastWriteClock_.start();
    ++lastWrites_;
    if (!error.isEmpty()) {
        // Said once; the next changes try again, no more than once a second.
        if (!lastWriteFailed_) {
            lastWriteFailed_ = true;
            setLastNote(QStringLiteral("无法保存当前条件到“%1”：%2。条件仍在窗口中，可用 文件 → 方案另存为 保存")
                            .arg(QDir::toNativeSeparators(path), error));
        }
        return;
    }
    lastWritten_ = now;
    lastWriteFailed_ = false;
    // The file now holds this session's conditions: a note about the last
    // session's, or about a failed write, no longer holds.
    setLastNote(QString());
    lastRestorable_ = !(now == startupScheme_);
    lastFileStamp_ = lastFileStamp();  // what it holds is known without reading it
    emit lastRestorableChanged(lastRestorable_);
}

bool ConditionsDocument::lastConditionsRestorable() {
    // The file is read again only when it changed since the last look (a
    // pasted base list can make it large, and the menu must open at once).
    const QString stamp = lastFileStamp();
    if (!stamp.isEmpty() && stamp == lastFileStamp_) return lastRestorable_;
    lastFileStamp_ = stamp;
    const LastFile last = readLastFile();
    // A file that cannot be read or is no scheme stays offered: opening it says why.
    lastRestorable_ = last.exists && (!last.reading.scheme || !(*last.reading.scheme == startupScheme_));
    emit lastRestorableChanged(lastRestorable_);
    return lastRestorable_;
}

bool ConditionsDocument::restoreLastConditions() {
    if (!mayDiscardChanges()) return false;
    const LastFile last = readLastFile();
    const QString title = QStringLiteral("错误提示");
    if (!last.exists) {
        services_.showMessage(dialogParent_, title, QStringLiteral("没有上次的条件可以恢复。"));
        return false;
    }
    if (!last.error.empty() || !last.reading.scheme) {
        services_.showMessage(dialogParent_, title,
                              QStringLiteral("无法恢复上次的条件（%1）：\r\n").arg(QDir::toNativeSeparators(lastConditionsPath())) +
                                  fromStd(last.error.empty() ? last.reading.error : last.error));
        return false;
    }
    applyConditions(last.reading.scheme->main);
    if (last.reading.scheme->twoStar) applyTwoStar(*last.reading.scheme->twoStar);
    // As after a fresh start: no scheme file is open.
    schemePath_.clear();
    savedScheme_.reset();
    endClearUndo();
    emit fileStateChanged();
    setLastNote(QString());
    if (!last.reading.unknownKeys.empty())
        services_.showMessage(dialogParent_, QStringLiteral("温情提示"), fromStd(unknownKeysNotice(last.reading.unknownKeys)));
    return true;
}

}  // namespace tarnel
