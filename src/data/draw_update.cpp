#include "data/draw_update.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "data/draw_store.h"

namespace tarnel {

std::string UpdateOutcome::line(Lottery lottery) const {
    const std::string name(lotteryName(lottery));
    if (cancelled) return "已取消更新" + name + "开奖号码，开奖库未改动";
    if (!error.empty()) return "未更新" + name + "开奖号码：" + error + "；开奖库未改动";
    if (added == 0) return name + "开奖号码已是最新，最新一期 " + latest;
    return "已添加 " + std::to_string(added) + " 期" + name + "开奖号码，最新一期 " + latest;
}

std::optional<QString> checkedSourceBase(const QString& base) {
    QString b = base.trimmed();
    if (b.endsWith(QLatin1Char('/'))) b.chop(1);
    const QUrl url(b, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
        url.host().isEmpty() || !url.path().isEmpty() || url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return std::nullopt;
    return b;
}

QString sourcePageUrl(Lottery lottery, const QString& base, int page) {
    return base + QString::fromStdString(sourcePagePath(lottery, page));
}

DrawUpdate::DrawUpdate(DrawStore& store, Lottery lottery, QObject* parent)
    : QObject(parent),
      store_(store),
      lottery_(lottery),
      base_(QString::fromLatin1(defaultSourceBase(lottery).data(), qsizetype(defaultSourceBase(lottery).size()))),
      network_(new QNetworkAccessManager(this)),
      timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] {
        timedOut_ = true;
        if (reply_) reply_->abort();
    });
}

DrawUpdate::~DrawUpdate() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

void DrawUpdate::start() {
    if (running_) return;
    running_ = true;
    const std::optional<QString> base = checkedSourceBase(base_);
    if (!base) {
        UpdateOutcome outcome;
        outcome.error = "来源地址 \"" + base_.toStdString() + "\" 不是 http:// 或 https:// 开头的网址";
        end(outcome);
        return;
    }
    base_ = *base;
    const auto kept = store_.draws(lottery_);
    if (!kept) {
        UpdateOutcome outcome;
        outcome.error = store_.error();
        end(outcome);
        return;
    }
    std::vector<std::string> issues;
    issues.reserve(kept->size());
    for (const StoredDraw& d : *kept) issues.push_back(d.issue);
    walk_ = std::make_unique<UpdateWalk>(lottery_, std::move(issues), maxPages_);
    askPage();
}

void DrawUpdate::cancel() {
    if (!running_) return;
    UpdateOutcome outcome;
    outcome.cancelled = true;
    outcome.pages = walk_ ? walk_->pages() : 0;
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
        reply_ = nullptr;
    }
    end(outcome);
}

void DrawUpdate::askPage() {
    const int page = walk_->pages() + 1;
    emit pageStarted(page, maxPages_);
    QNetworkRequest request{QUrl(sourcePageUrl(lottery_, base_, page))};
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Mozilla/5.0 (compatible; Tarnel)"));
    request.setRawHeader("Accept", "application/json, text/plain, */*");
    timedOut_ = tooLarge_ = false;
    reply_ = network_->get(request);
    connect(reply_, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > qint64(kSourcePageMaxBytes) && reply_) {
            tooLarge_ = true;
            reply_->abort();
        }
    });
    connect(reply_, &QNetworkReply::finished, this, &DrawUpdate::pageDone);
    timer_->start(timeoutMs_);
}

void DrawUpdate::pageDone() {
    timer_->stop();
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    if (!reply) return;
    reply->deleteLater();
    const int page = walk_->pages() + 1;
    const std::string tag = "（第 " + std::to_string(page) + " 页）";
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const std::string host = QUrl(base_).host().toStdString();
    SourcePage reading;
    if (timedOut_) {
        reading.error = "来源 " + host + " 在 " + std::to_string((timeoutMs_ + 999) / 1000) + " 秒内没有回答" + tag;
    } else if (tooLarge_) {
        reading.error = "来源的回答过大" + tag;
    } else if (status.isValid() && status.toInt() != 200) {
        reading.error = "来源回答 HTTP " + std::to_string(status.toInt()) + tag;
    } else if (reply->error() != QNetworkReply::NoError) {
        reading.error = "无法连接来源 " + host + tag + "：" + reply->errorString().toStdString();
    } else {
        const QByteArray body = reply->readAll();
        reading = readSourcePage(lottery_, std::string_view(body.constData(), std::size_t(body.size())), page);
    }
    if (walk_->addPage(reading)) {
        askPage();
        return;
    }
    UpdateOutcome outcome;
    outcome.pages = walk_->pages();
    if (!walk_->error().empty()) {
        outcome.error = walk_->error();
        end(outcome);
        return;
    }
    const StoreMerge merged = store_.merge(lottery_, walk_->draws());
    if (!merged.ok()) {
        outcome.error = merged.plan.conflict ? conflictText(*merged.plan.conflict, "来源给出的是") : merged.error;
        end(outcome);
        return;
    }
    outcome.added = static_cast<long long>(merged.plan.added.size());
    outcome.same = merged.plan.same;
    outcome.latest = merged.plan.latest;
    end(outcome);
}

void DrawUpdate::end(UpdateOutcome outcome) {
    running_ = false;
    timer_->stop();
    emit finished(outcome);
}

}  // namespace tarnel
