#pragma once

#include "app/pictures/CCGoogleSearchAnswer.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

class CCGoogleSearchItem;
class QNetworkAccessManager;
#include <QNetworkReply>

// Asks the internet image search service for pictures matching a text, reads the answer into
// items and loads their thumbnails a few at a time, telling its owner through three actions:
// clear (the answer holds pictures), add (one thumbnail arrived; they are handed over in page
// order) and stop (the search ended without all of them: no picture, a failed or refused page,
// thumbnails that failed, or the whole search passing its deadline). Everything runs on the main
// thread's event loop.
//
// The service's address is the user default kServiceKey; without one nothing is sent.
class CCGoogleSearch : public QObject
{
    Q_OBJECT

public:
    static const QString kServiceKey;
    static constexpr int kTimeoutMs = 60000;
    // One search, its page and all its thumbnails, ends within this time.
    static constexpr int kSearchDeadlineMs = 120000;
    // Thumbnail requests open at once.
    static constexpr int kParallelThumbnails = 4;

    using Action = std::function<void(CCGoogleSearch &search)>;
    using AddAction = std::function<void(CCGoogleSearch &search, CCGoogleSearchItem &item)>;

    enum class Start { Started, NoService, NoText };

    explicit CCGoogleSearch(QObject *parent = nullptr);
    ~CCGoogleSearch() override;

    void setClearAction(Action action) { m_clearAction = std::move(action); }
    void setAddAction(AddAction action) { m_addAction = std::move(action); }
    void setStopAction(Action action) { m_stopAction = std::move(action); }

    // The base address the searches go to: the one set here, else the user default's.
    void setServiceAddress(const QString &address) { m_serviceAddress = address; }
    QUrl serviceBase() const;
    // Time-out of every request without progress; tests shorten it.
    void setTimeoutMs(int milliseconds) { m_timeoutMs = milliseconds > 0 ? milliseconds : kTimeoutMs; }
    // Deadline of a whole search; tests shorten it.
    void setDeadlineMs(int milliseconds) { m_deadlineMs = milliseconds > 0 ? milliseconds : kSearchDeadlineMs; }

    // Frees the previous search and starts a new one; returns at once. Without a service address
    // (or text) nothing is sent and no action follows.
    Start searchWithString(const QString &text, int sizeType = CCGoogleSearchAnswer::ExtraLarge);
    // Cancels the page request and every thumbnail request; the items stay.
    void stop();
    // Stops and releases the state of the current search.
    void free();

    bool isInUse() const { return m_inUse; }
    // A page or thumbnail request is open.
    bool isRunning() const;
    const QUrl &searchURL() const { return m_searchURL; }
    const QString &searchString() const { return m_searchString; }
    int itemCount() const { return m_count; }
    int current() const { return m_current; }
    CCGoogleSearchItem *itemAtIndex(int index) const;
    // How many thumbnails of the current search did not arrive.
    int failedCount() const { return m_failed; }
    // Whether the current search was ended by its deadline.
    bool passedDeadline() const { return m_passedDeadline; }

    // Sent by an item when its thumbnail load ended.
    void thumbnailDidFinishLoading(CCGoogleSearchItem *item, bool loaded);

private:
    void pageReadyRead();
    void pageFinished();
    void finishLoading();
    void startItems();
    void deliverInOrder();
    void deadlinePassed();
    void sendStop();
    QNetworkAccessManager *manager();

    QString m_serviceAddress;
    int m_timeoutMs = kTimeoutMs;
    int m_deadlineMs = kSearchDeadlineMs;
    QTimer *m_deadline = nullptr;
    bool m_passedDeadline = false;
    QUrl m_searchURL;
    QString m_searchString;
    QByteArray m_receivedData;
    std::vector<std::unique_ptr<CCGoogleSearchItem>> m_parsedHTML;
    int m_count = 0;
    int m_current = 0;
    int m_failed = 0;
    // The next item whose thumbnail is requested, and each item's state: 0 waiting or loading,
    // 1 arrived, 2 failed; items are handed over in page order as the front ones end.
    int m_next = 0;
    int m_delivered = 0;
    std::vector<int> m_itemState;
    bool m_inUse = false;
    bool m_overflow = false;
    bool m_stopped = false;
    QPointer<QNetworkReply> m_URLConnection;
    QNetworkAccessManager *m_manager = nullptr;
    Action m_clearAction;
    AddAction m_addAction;
    Action m_stopAction;
};
