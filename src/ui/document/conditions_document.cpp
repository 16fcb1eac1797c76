#include "ui/document/conditions_document.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QThread>
#include <QTimer>
#include <algorithm>

#include "core/analysis/walk_forward.h"
#include "core/files/history_file.h"
#include "core/rules/text.h"
#include "core/state/past_draw_rules.h"
#include "ui/document/window_files.h"
#include "ui/widgets/atomic_file.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/data_folder.h"
#include "ui/widgets/settings.h"
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

LastFile readLastFile(const QString& path = ConditionsDocument::lastConditionsPath()) {
    LastFile last;
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
    const QByteArray key = Settings::stringValue(Setting::DrawsLottery).toLatin1();
    lottery_ = lotteryFromKey(std::string_view(key.constData(), std::size_t(key.size()))).value_or(Lottery::Fc3d);
    settleTimer_ = new QTimer(this);
    settleTimer_->setSingleShot(true);
    settleTimer_->setInterval(kSettleMs);
    lastTimer_ = new QTimer(this);
    lastTimer_->setSingleShot(true);
    connect(lastTimer_, &QTimer::timeout, this, &ConditionsDocument::writeLastConditions);
    closeTimer_ = new QTimer(this);
    closeTimer_->setSingleShot(true);
    closeTimer_->setInterval(0);
    connect(closeTimer_, &QTimer::timeout, this, &ConditionsDocument::closeIdleStep);
    connect(&undoStack_, &QUndoStack::indexChanged, this, &ConditionsDocument::stepsChanged);
    connect(&undoStack_, &QUndoStack::cleanChanged, this, &ConditionsDocument::stepsChanged);
}

ConditionsDocument::~ConditionsDocument() {
    // The stack clears itself as it goes and says so: by then the windows
    // that listen may be half gone, so nothing more is said.
    undoStack_.blockSignals(true);
}

void ConditionsDocument::start() {
    connect(&mainBinding_, &StateBinding::changed, this, [this] {
        settleTimer_->start();
        emit changed();
    });
    connect(settleTimer_, &QTimer::timeout, this, &ConditionsDocument::settleNow);
    connect(&mainBinding_, &StateBinding::edited, this,
            [this](std::size_t index, bool cleared) { fieldEdited(StatePart::Main, index, cleared); });
    connect(&mainBinding_, &StateBinding::aboutToClear, this, &ConditionsDocument::closeStep);
    startSteps();
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

void ConditionsDocument::applyConditions(const MainConditions& state, const QString& stepName) {
    if (!started_ || applying_) {
        showConditions(state);
        return;
    }
    recordWhole(stepName, [&] { showConditions(state); });
}

void ConditionsDocument::showConditions(const MainConditions& state) {
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
    if (!started_ || applying_) {
        main_.rules = std::move(rules);
        rulesEdited();
        return;
    }
    closeStep();
    auto* step = new EditStep(rulesStepName(main_.rules, rules), EditStep::Gather::Closed,
                              [this](EditStep& s, bool forward) { applyStep(s, forward); });
    step->rules.emplace(main_.rules, rules);
    main_.rules = std::move(rules);
    rulesEdited();
    pushStep(step);
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
    connect(&part.binding, &StateBinding::edited, this, [this, p = &part](std::size_t index, bool cleared) {
        if (p == twoStar_) fieldEdited(StatePart::TwoStar, index, cleared);
    });
    connect(&part.binding, &StateBinding::aboutToClear, this, [this, p = &part] {
        if (p == twoStar_) closeStep();
    });
    if (&part == twoStar_) {
        recordAll(StatePart::TwoStar);
        offStack_ = true;  // the scheme holds a two-star part now
    }
}

void ConditionsDocument::endTwoStar(const TwoStarPart& part) {
    if (twoStar_ != &part) return;
    closeStep();
    closedTwoStar_ = twoStarConditions();
    offStack_ = true;  // the scheme holds no two-star part now
    twoStar_ = nullptr;
    settleTimer_->start();
    emit changed();
}

void ConditionsDocument::releaseTwoStar(const TwoStarPart* part) {
    if (twoStar_ == part) {
        // Gone without closing: its controls are gone, its fields hold what was last read.
        closedTwoStar_ = part->state;
        offStack_ = true;
        twoStar_ = nullptr;
        closeStep();
    }
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

void ConditionsDocument::applyTwoStar(const TwoStarConditions& state, const QString& stepName) {
    if (!started_ || applying_) {
        showTwoStar(state);
        return;
    }
    recordWhole(stepName, [&] { showTwoStar(state); });
}

void ConditionsDocument::showTwoStar(const TwoStarConditions& state) {
    if (!twoStar_) emit twoStarWanted();
    if (!twoStar_) return;  // no window took the request
    twoStar_->state = state;
    twoStar_->binding.push();
}

Scheme ConditionsDocument::scheme() { return Scheme{conditions(), twoStarConditions()}; }

void ConditionsDocument::sendToBaseList(const QString& text) {
    MainConditions next = conditions();
    next.sources.baseList = toStd(text);
    applyConditions(next, QStringLiteral("发送到大底"));
}

void ConditionsDocument::sendToSetList(int list, const QString& text) {
    if (list < 0 || list > 1) return;
    MainConditions next = conditions();
    next.setLists[static_cast<std::size_t>(list)] = toStd(text);
    applyConditions(next, list == 0 ? QStringLiteral("发送到交集A") : QStringLiteral("发送到交集B"));
    emit pageWanted(kSetToolPage);
}

// ---- 清空所有条件 -----------------------------------------------------------------------

void ConditionsDocument::clearAll() {
    const auto clear = [this] { showConditions(restoredConditions(conditions())); };
    if (!started_) {
        clear();
        return;
    }
    // A step even when nothing was set: the player sees it undone as asked.
    lastClear_ = recordWhole(QStringLiteral("清空所有条件"), clear, true);
    emit clearUndoChanged(true);
}

// ---- the run ---------------------------------------------------------------------------

void ConditionsDocument::run() {
    // A run rewrites some boxes to their cleaned text; that is no change the player made.
    closeStep();
    const bool wasSaved = !schemePath_.isEmpty() && !schemeModified();
    const MainConditions& now = conditions();
    lastRun_ = runMain(pool_, now, ruleRows(), observer_);
    ++runCount_;
    absorbing_ = true;  // the cleaned boxes the window shows are no step
    emit runDone();
    absorbing_ = false;
    const bool cleaned = !absorbed_.empty();
    for (const auto& [part, index] : std::exchange(absorbed_, {}))
        if (StateBinding* binding = bindingOf(part)) recordedOf(part)[index] = binding->value(index);
    if (cleaned && !wasSaved) offStack_ = true;
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

void ConditionsDocument::setLottery(Lottery lottery) {
    if (lottery == lottery_) return;
    lottery_ = lottery;
    Settings::set(Setting::DrawsLottery, QString::fromLatin1(lotteryKey(lottery).data(), qsizetype(lotteryKey(lottery).size())));
    emit lotteryChanged(lottery);
}

// ---- the scheme file --------------------------------------------------------------------

bool ConditionsDocument::schemeModified() {
    if (schemePath_.isEmpty() || !savedScheme_) return false;
    // At the clean state of the stack the conditions are those of the file,
    // unless something that is no step changed them since (the two-star
    // window opened or closed). Elsewhere the steps may have come back to
    // the file's conditions another way (a box ticked and unticked).
    if (undoStack_.isClean() && !offStack_) return false;
    // Compared in place: a copy of a pasted base list of megabytes is no
    // small thing on every run and every title update.
    return
           !(conditions() == savedScheme_->main && twoStarConditions() == savedScheme_->twoStar);
}

void ConditionsDocument::markSaved(const QString& path) {
    closeStep();
    schemePath_ = path;
    savedScheme_ = scheme();
    undoStack_.setClean();
    offStack_ = false;
    rememberRecent(path);
    emit fileStateChanged();
}

void ConditionsDocument::rememberRecent(const QString& path) {
    QStringList recent = Settings::listValue(Setting::RecentSchemes);
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    while (recent.size() > kRecentCount) recent.removeLast();
    Settings::set(Setting::RecentSchemes, recent);
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
    {
        const QScopedValueRollback<bool> quiet(applying_, true);  // no step: the stack starts here
        showConditions(reading.scheme->main);
        if (reading.scheme->twoStar) showTwoStar(*reading.scheme->twoStar);
    }
    resetSteps();
    markSaved(path);
    if (!reading.unknownKeys.empty())
        services_.showMessage(dialogParent_, QStringLiteral("温情提示"), fromStd(unknownKeysNotice(reading.unknownKeys)));
    return true;
}

void ConditionsDocument::refuseScheme(const QString& path, const std::string& bytes, const std::string& error) {
    const QString name = QFileInfo(path).fileName();
    // A file that never was a scheme gets a player's words first, the reader's reason after.
    if (bytes.find("\"tarnel-scheme\"") == std::string::npos) {
        // Only a text is ever offered as past draws: a picture's bytes hold digits too.
        const History history = historyFileKind(bytes) == HistoryFileKind::Text ? readHistory(bytes) : History{};
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
    closeStep();
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

bool ConditionsDocument::restoreLastConditions() { return restoreFrom(lastConditionsPath()); }

bool ConditionsDocument::restoreEnd(const QString& path) { return restoreFrom(path); }

bool ConditionsDocument::restoreFrom(const QString& path) {
    if (!mayDiscardChanges()) return false;
    const LastFile last = readLastFile(path);
    const QString title = QStringLiteral("错误提示");
    if (!last.exists) {
        services_.showMessage(dialogParent_, title, QStringLiteral("没有上次的条件可以恢复。"));
        return false;
    }
    if (!last.error.empty() || !last.reading.scheme) {
        services_.showMessage(dialogParent_, title,
                              QStringLiteral("无法恢复上次的条件（%1）：\r\n").arg(QDir::toNativeSeparators(path)) +
                                  fromStd(last.error.empty() ? last.reading.error : last.error));
        return false;
    }
    {
        const QScopedValueRollback<bool> quiet(applying_, true);  // no step: the stack starts here
        showConditions(last.reading.scheme->main);
        if (last.reading.scheme->twoStar) showTwoStar(*last.reading.scheme->twoStar);
    }
    // As after a fresh start: no scheme file is open.
    schemePath_.clear();
    savedScheme_.reset();
    resetSteps();
    emit fileStateChanged();
    setLastNote(QString());
    if (!last.reading.unknownKeys.empty())
        services_.showMessage(dialogParent_, QStringLiteral("温情提示"), fromStd(unknownKeysNotice(last.reading.unknownKeys)));
    return true;
}

// ---- the last five ends ---------------------------------------------------------------------
// Each end is a scheme file named by the time the session ended
// (end-<milliseconds since 1970, UTC>.tarnel), written as a save is.

namespace {

const QString kEndPrefix = QStringLiteral("end-");

bool holdsBytes(const QString& path, const std::string& bytes) {
    if (QFileInfo(path).size() != qint64(bytes.size())) return false;
    const FileBytes file = readWindowFile(path, kSchemeMaxBytes);
    return file.bytes && *file.bytes == bytes;
}

}  // namespace

bool ConditionsDocument::sameConditionsFile(const QString& a, const QString& b) {
    if (QFileInfo(a).size() != QFileInfo(b).size()) return false;
    const FileBytes other = readWindowFile(b, kSchemeMaxBytes);
    return other.bytes && holdsBytes(a, *other.bytes);
}

QString ConditionsDocument::endsFolder() { return dataFolder() + QStringLiteral("/ends"); }

std::vector<ConditionsDocument::SessionEnd> ConditionsDocument::sessionEnds() {
    std::vector<SessionEnd> ends;
    const QDir folder(endsFolder());
    for (const QString& name : folder.entryList({kEndPrefix + QStringLiteral("*.tarnel")}, QDir::Files)) {
        bool ok = false;
        const qint64 ms = name.mid(kEndPrefix.size()).chopped(int(kSchemeExtension.size())).toLongLong(&ok);
        if (!ok || ms < 0) continue;
        ends.push_back({folder.filePath(name), QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC)});
    }
    std::sort(ends.begin(), ends.end(), [](const SessionEnd& a, const SessionEnd& b) { return a.time > b.time; });
    return ends;
}

void ConditionsDocument::recordEnd() {
    writeLastConditions();
    const Scheme now = scheme();
    // The session's earlier end (the desktop asked, then the player went on) gives way.
    if (!endPath_.isEmpty()) QFile::remove(std::exchange(endPath_, QString()));
    if (now == startupScheme_) return;  // nothing to bring back
    const std::string bytes = writeScheme(now.main, now.twoStar ? &*now.twoStar : nullptr);
    const QString folder = endsFolder();
    if (!QDir().mkpath(folder)) return;
    // The newest of the ends, even when the clock was set back.
    qint64 ms = QDateTime::currentMSecsSinceEpoch();
    for (const SessionEnd& end : sessionEnds()) ms = std::max(ms, end.time.toMSecsSinceEpoch() + 1);
    const QString path = folder + QStringLiteral("/%1%2.tarnel").arg(kEndPrefix).arg(ms);
    if (!writeFileAtomically(path, QByteArrayView(bytes.data(), qsizetype(bytes.size()))).isEmpty()) return;
    endPath_ = path;
    // An older end with the same conditions is the same choice: the newer one stands for it.
    int kept = 0;
    for (const SessionEnd& end : sessionEnds()) {
        if (end.path == path) {
            ++kept;
            continue;
        }
        if (kept >= kKeptEnds || holdsBytes(end.path, bytes))
            QFile::remove(end.path);
        else
            ++kept;
    }
}

}  // namespace tarnel
