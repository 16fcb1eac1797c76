#include "ui/windows/stored_draws.h"

#include <QFileInfo>
#include <QObject>
#include <QTimer>
#include <map>
#include <set>

#include "core/files/draw_merge.h"
#include "core/files/history.h"
#include "data/draw_store.h"
#include "data/draw_update.h"
#include "ui/document/conditions_document.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/settings.h"
#include "ui/windows/draws_panel.h"
#include "ui/windows/history_window.h"

namespace tarnel {

namespace {

History readText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    History history = readHistoryText(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    history.convertedFromGb18030 = false;
    return history;
}

// Drops every draw of the lottery that disagrees with its kept draw, or with
// an earlier draw of the same issue among `draws`; says how many issues.
std::size_t dropDisagreeing(Lottery lottery, const std::vector<StoredDraw>& kept, std::vector<StoredDraw>& draws) {
    std::map<std::string, std::string> numbers;
    for (const StoredDraw& d : kept) numbers.emplace(d.issue, d.number);
    std::set<std::string> dropped;
    std::erase_if(draws, [&](const StoredDraw& d) {
        if (!isIssueOf(lottery, d.issue)) return false;
        const auto [it, fresh] = numbers.emplace(d.issue, d.number);
        if (fresh || it->second == d.number) return false;
        dropped.insert(d.issue);
        return true;
    });
    return dropped.size();
}

}  // namespace

QString storedDrawsText(const std::vector<StoredDraw>& draws, const QString& drawsOfThisRun) {
    QString text;
    text.reserve(qsizetype(draws.size()) * 25 + drawsOfThisRun.size());
    for (const StoredDraw& d : draws) {
        text += QLatin1String(d.issue.data(), qsizetype(d.issue.size()));
        text += QLatin1Char(' ');
        text += d.date.empty() ? QStringLiteral("-") : QLatin1String(d.date.data(), qsizetype(d.date.size()));
        for (char digit : d.number) {
            text += QLatin1Char(' ');
            text += QLatin1Char(digit);
        }
        text += QLatin1Char('\n');
    }
    text += drawsOfThisRun;
    return text;
}

QString drawsWithoutIssueText(const QString& historyText) {
    QString text;
    for (const Draw& d : readText(historyText).draws)
        if (d.issue.empty()) text += fromStd(d.number) + QLatin1Char('\n');
    return text;
}

DrawsMerged mergeDraws(DrawStore& store, Lottery lottery, std::vector<StoredDraw> draws, const ConflictQuestion& ask) {
    DrawsMerged out;
    out.withoutIssue = std::count_if(draws.begin(), draws.end(), [](const StoredDraw& d) { return d.issue.empty(); });
    const QString name = fromStd(std::string(lotteryName(lottery)));
    std::size_t keptInstead = 0;  // issues whose kept number stays
    bool asked = false;
    for (int attempt = 0;; ++attempt) {
        const StoreMerge merged = store.merge(lottery, draws);
        if (merged.ok()) {
            out.written = true;
            out.added = static_cast<long long>(merged.plan.added.size());
            QString line = QStringLiteral("已并入%1：新增 %2 期，%3 期库中已有").arg(name).arg(merged.plan.added.size()).arg(merged.plan.same);
            if (keptInstead > 0) line += QStringLiteral("，%1 期号码不同而保留库中的").arg(keptInstead);
            if (out.withoutIssue > 0)
                line += QStringLiteral("；%1 期没有期号，只在本次运行中分析，不保存").arg(out.withoutIssue);
            const long long otherLength = merged.plan.unstored - out.withoutIssue;
            if (otherLength > 0) line += QStringLiteral("；%1 期的期号不是%2的期号，未保存").arg(otherLength).arg(name);
            out.line = line + QStringLiteral("。");
            return out;
        }
        if (!merged.plan.conflict || attempt > 3) {
            out.line = QStringLiteral("未并入：%1").arg(fromStd(merged.error));
            return out;
        }
        const DrawConflict& c = *merged.plan.conflict;
        if (ask && !asked) {
            const QString question = c.keptInStore
                                         ? QStringLiteral("第 %1 期库中为 %2，粘贴或打开的是 %3。\n保留库中的号码并并入其余开奖吗？")
                                               .arg(fromStd(c.issue), fromStd(c.kept), fromStd(c.incoming))
                                         : QStringLiteral("第 %1 期出现两次，号码不同：%2 和 %3。\n保留前一个并并入其余开奖吗？")
                                               .arg(fromStd(c.issue), fromStd(c.kept), fromStd(c.incoming));
            out.question = question;
            if (!ask(question)) {
                out.line = QStringLiteral("未并入：%1；开奖库未改动。").arg(fromStd(conflictText(c, "粘贴或打开的是")));
                return out;
            }
            asked = true;
        }
        // The player's answer holds for every issue that disagrees: the kept
        // numbers (for a repeat within the draws, the first) stay.
        const auto kept = store.draws(lottery);
        if (!kept) {
            out.line = QStringLiteral("未并入：%1").arg(fromStd(store.error()));
            return out;
        }
        keptInstead += dropDisagreeing(lottery, *kept, draws);
    }
}

DrawsMerged mergeHistoryText(DrawStore& store, Lottery lottery, const QString& text, const ConflictQuestion& ask) {
    const QByteArray utf8 = text.toUtf8();
    return mergeDraws(store, lottery, historyDraws(std::string_view(utf8.constData(), std::size_t(utf8.size()))), ask);
}

bool boxShowsStore() {
    if (Settings::isSet(Setting::DrawsBoxShowsStore)) return Settings::boolValue(Setting::DrawsBoxShowsStore);
    const QFileInfo remembered(HistoryWindow::storagePath());
    return !remembered.exists() || remembered.size() == 0;
}

void setBoxShowsStore(bool shows) { Settings::set(Setting::DrawsBoxShowsStore, shows); }

QString startDraws(ConditionsDocument& document) {
    QString note;
    {
        DrawStore store(DrawsPanel::storePath());
        note = fromStd(store.importEarlierHistory(HistoryWindow::storagePath()).note);
    }
    // Until 开奖历史 is opened, the document follows the kept draws while
    // the box shows them (the window, once built, does the same itself).
    auto reload = [&document](Lottery lottery) {
        if (lottery != document.lottery() || !boxShowsStore()) return;
        DrawStore store(DrawsPanel::storePath());
        const auto draws = store.draws(lottery);
        if (!draws) return;
        (void)document.setHistory(std::make_shared<const History>(
            readText(storedDrawsText(*draws, document.drawsOfThisRun(lottery)))));
    };
    QObject::connect(&document, &ConditionsDocument::storedDrawsChanged, &document, reload);
    QObject::connect(&document, &ConditionsDocument::lotteryChanged, &document, reload);
    if (!boxShowsStore()) {
        HistoryWindow::readRememberedInto(document);
        return note;
    }
    DrawStore store(DrawsPanel::storePath());
    const auto draws = store.draws(document.lottery());
    if (!draws) return note.isEmpty() ? fromStd(store.error()) : note + QStringLiteral("；") + fromStd(store.error());
    if (!draws->empty()) (void)document.setHistory(std::make_shared<const History>(readText(storedDrawsText(*draws))));
    return note;
}

void checkDrawsAtStart(ConditionsDocument& document, std::function<void(const QString&)> say) {
    if (!Settings::boolValue(Setting::DrawsCheckAtStart)) return;
    const Lottery lottery = document.lottery();
    auto* store = new DrawStore(DrawsPanel::storePath());
    auto* update = new DrawUpdate(*store, lottery, &document);
    // The store goes after the update that reads it.
    QObject::connect(update, &QObject::destroyed, [store] { delete store; });
    const QString base =
        Settings::stringValue(lottery == Lottery::Fc3d ? Setting::DrawsSource3d : Setting::DrawsSourceP3);
    if (!base.isEmpty()) update->setBase(base);
    QObject::connect(update, &DrawUpdate::finished, &document,
                     [update, lottery, &document, say = std::move(say)](const UpdateOutcome& outcome) {
                         say(QStringLiteral("启动时检查新开奖：") + fromStd(outcome.line(lottery)));
                         if (outcome.ok() && outcome.added > 0) document.noteStoredDraws(lottery);
                         update->deleteLater();
                     });
    QTimer::singleShot(0, update, &DrawUpdate::start);
}

}  // namespace tarnel
