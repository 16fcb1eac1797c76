#pragma once
// Brings the draws kept for a lottery up to date from its source: page 1,
// 2, … of the source's latest draws, until a page holds a draw already kept
// (UpdateWalk decides), then one merge. Anything the source does wrong —
// no answer within the time allowed, an HTTP status other than 200, an
// answer that is not the expected JSON, a draw that does not fit — refuses
// the whole update and leaves the store as it was; so does a cancel.

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "core/files/draw_merge.h"

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace tarnel {

class DrawStore;

struct UpdateOutcome {
    bool cancelled = false;
    std::string error;  // non-empty: refused, the store unchanged
    long long added = 0;
    long long same = 0;
    std::string latest;  // empty when the lottery has no draw kept
    int pages = 0;
    bool ok() const { return error.empty() && !cancelled; }
    // The answer in one line, for the windows.
    std::string line(Lottery lottery) const;
};

// The page's address: BASE (scheme and host, maybe a port) and the source's path.
QString sourcePageUrl(Lottery lottery, const QString& base, int page);
// BASE as given, checked: an http or https address with a host and nothing
// after it but an optional "/". Nothing when it is not one.
std::optional<QString> checkedSourceBase(const QString& base);

class DrawUpdate : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultPageTimeoutMs = 15000;
    static constexpr int kDefaultMaxPages = 20;

    DrawUpdate(DrawStore& store, Lottery lottery, QObject* parent = nullptr);
    ~DrawUpdate() override;

    void setBase(const QString& base) { base_ = base; }
    void setMaxPages(int pages) { maxPages_ = pages; }
    void setPageTimeout(int ms) { timeoutMs_ = ms; }

    // Begins; finished() follows once, also when the update is refused at once.
    void start();
    // Stops the page being fetched; finished() follows with `cancelled`.
    void cancel();
    bool running() const { return running_; }

signals:
    // A page is being asked for (1-based) of at most `maxPages`.
    void pageStarted(int page, int maxPages);
    void finished(const tarnel::UpdateOutcome& outcome);

private:
    void askPage();
    void pageDone();
    void end(UpdateOutcome outcome);

    DrawStore& store_;
    Lottery lottery_;
    QString base_;
    int maxPages_ = kDefaultMaxPages;
    int timeoutMs_ = kDefaultPageTimeoutMs;
    QNetworkAccessManager* network_;
    QPointer<QNetworkReply> reply_;
    QTimer* timer_;
    std::unique_ptr<UpdateWalk> walk_;
    bool running_ = false;
    bool timedOut_ = false;
    bool tooLarge_ = false;
};

}  // namespace tarnel
