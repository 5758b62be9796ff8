#include "platform/PWNotificationCenter.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

const QString kSelection = QStringLiteral("Change Selection Notification");
const QString kCache = QStringLiteral("Update Cache  Notification");

// Records which observer was called, in order, as words of one line.
struct Journal
{
    QString line;
    void note(const char *who) { line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + QLatin1String(who); }
    PWNotificationCenter::Handler recorder(const char *who)
    {
        return [this, who](const PWNotification &) { note(who); };
    }
};

} // namespace

// Each observation sees the posts that match its name and object: of a selection change by the
// sender, by another sender, by no sender, and a cache update by the sender.
TEST(PWNotificationCenterTest, DeliversWhatMatchesNameAndObject)
{
    const std::tuple<bool, bool, const char *> cases[] = {
        {false, false, "sel@sender sel@other sel@none cache@sender"},
        {true, false, "sel@sender sel@other sel@none"},
        {false, true, "sel@sender cache@sender"},
        {true, true, "sel@sender"}};
    for (const auto &[byName, byObject, expected] : cases) {
        SCOPED_TRACE(testing::Message() << "by name " << byName << ", by object " << byObject);
        PWNotificationCenter center;
        int sender = 0;
        int otherSender = 0;
        QStringList seen;
        center.addObserver(byName ? kSelection : QString(), byObject ? &sender : nullptr, [&](const PWNotification &n) {
            const char *from = n.object == &sender ? "@sender" : n.object ? "@other" : "@none";
            seen.append((n.name == kSelection ? QStringLiteral("sel") : QStringLiteral("cache")) + QLatin1String(from));
        });
        center.postNotification(kSelection, &sender);
        center.postNotification(kSelection, &otherSender);
        center.postNotification(kSelection);
        center.postNotification(kCache, &sender);
        EXPECT_EQ(seen.join(QLatin1Char(' ')), QLatin1String(expected));
    }
}

TEST(PWNotificationCenterTest, DeliversInOrderOfAddingWithUserInfo)
{
    PWNotificationCenter center;
    Journal journal;
    QVariantMap received;
    center.addObserver(kCache, nullptr, journal.recorder("first"));
    center.addObserver(QString(), nullptr, journal.recorder("second"));
    center.addObserver(kCache, nullptr, [&](const PWNotification &n) {
        journal.note("third");
        received = n.userInfo;
    });
    center.postNotification(kCache, nullptr, {{QStringLiteral("DataSourceName"), QStringLiteral("vCard")}});
    EXPECT_EQ(journal.line, QStringLiteral("first second third"));
    EXPECT_EQ(received.value(QStringLiteral("DataSourceName")).toString(), QStringLiteral("vCard"));
}

TEST(PWNotificationCenterTest, RemovedObserversAreNotCalled)
{
    PWNotificationCenter center;
    Journal journal;
    const int first = center.addObserver(kSelection, nullptr, journal.recorder("a"));
    center.addObserver(kSelection, nullptr, journal.recorder("b"));
    center.removeObserver(first);
    center.removeObserver(first); // a second removal is harmless
    center.removeObserver(12345);
    center.postNotification(kSelection);
    EXPECT_EQ(journal.line, QStringLiteral("b"));
    EXPECT_EQ(center.addObserver(kSelection, nullptr, {}), 0);
}

// During a delivery an observer removed is not called afterwards, one added waits for the next
// post, and a nested post is delivered at once.
TEST(PWNotificationCenterTest, ChangesDuringDelivery)
{
    PWNotificationCenter center;
    Journal journal;
    int removed = 0;
    bool added = false;
    center.addObserver(kSelection, nullptr, [&](const PWNotification &) {
        journal.note("first");
        center.removeObserver(removed);
        if (!std::exchange(added, true))
            center.addObserver(kSelection, nullptr, journal.recorder("late"));
        center.postNotification(kCache);
    });
    removed = center.addObserver(kSelection, nullptr, journal.recorder("removed"));
    center.addObserver(kCache, nullptr, journal.recorder("cache"));
    center.postNotification(kSelection);
    center.postNotification(kSelection);
    EXPECT_EQ(journal.line, QStringLiteral("first cache first cache late"));
}

TEST(PWNotificationCenterTest, ObserverMayRemoveItselfWhileRunning)
{
    PWNotificationCenter center;
    auto state = std::make_shared<int>(0);
    int token = 0;
    token = center.addObserver(kSelection, nullptr, [&center, &token, state](const PWNotification &) {
        center.removeObserver(token);
        // The captured state must still be alive although the observation is gone.
        ++*state;
    });
    center.postNotification(kSelection);
    center.postNotification(kSelection);
    EXPECT_EQ(*state, 1);
    EXPECT_EQ(state.use_count(), 1);
}

TEST(PWNotificationCenterTest, ObservationsEndWithTheirOwner)
{
    PWNotificationCenter center;
    Journal journal;
    auto owner = std::make_unique<QObject>();
    auto doomed = std::make_unique<QObject>();
    auto kept = std::make_shared<int>(0);
    center.addObserver(
        kSelection, nullptr, [&journal, kept](const PWNotification &) { journal.note("owned"); }, owner.get());
    // An owner destroyed during a delivery: its observer is not called afterwards.
    center.addObserver(kSelection, nullptr, [&](const PWNotification &) {
        journal.note("destroyer");
        doomed.reset();
    });
    center.addObserver(kSelection, nullptr, journal.recorder("doomed"), doomed.get());
    center.postNotification(kSelection);
    owner.reset();
    // The handler (and what it holds) is released when the owner goes, not at the next post.
    EXPECT_EQ(kept.use_count(), 1);
    center.postNotification(kSelection);
    EXPECT_EQ(journal.line, QStringLiteral("owned destroyer destroyer"));
}

TEST(PWNotificationCenterTest, RemoveObserversOwnedByEndsOnlyThatOwnersObservations)
{
    PWNotificationCenter center;
    Journal journal;
    QObject panel;
    QObject window;
    center.addObserver(kSelection, nullptr, journal.recorder("panel1"), &panel);
    center.addObserver(kCache, nullptr, journal.recorder("panel2"), &panel);
    center.addObserver(QString(), nullptr, journal.recorder("window"), &window);
    center.removeObserversOwnedBy(&panel);
    center.postNotification(kSelection);
    center.postNotification(kCache);
    EXPECT_EQ(journal.line, QStringLiteral("window window"));
}

TEST(PWNotificationCenterTest, PostFromAnotherThreadIsDeliveredOnTheMainThread)
{
    PWNotificationCenter center;
    QThread *deliveredOn = nullptr;
    int calls = 0;
    center.addObserver(kCache, nullptr, [&](const PWNotification &) { ++calls, deliveredOn = QThread::currentThread(); });
    std::unique_ptr<QThread> worker(QThread::create([&center] { center.postNotification(kCache); }));
    worker->start();
    ASSERT_TRUE(worker->wait(QDeadlineTimer(30000)));
    // Queued, not delivered on the worker.
    EXPECT_EQ(calls, 0);
    QCoreApplication::sendPostedEvents(&center);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(deliveredOn, QCoreApplication::instance()->thread());
}

TEST(PWNotificationCenterTest, DefaultCenterLivesOnTheMainThread)
{
    PWNotificationCenter *fromWorker = nullptr;
    std::unique_ptr<QThread> worker(
        QThread::create([&fromWorker] { fromWorker = &PWNotificationCenter::defaultCenter(); }));
    worker->start();
    ASSERT_TRUE(worker->wait(QDeadlineTimer(30000)));
    EXPECT_EQ(fromWorker, &PWNotificationCenter::defaultCenter());
    EXPECT_EQ(PWNotificationCenter::defaultCenter().thread(), QCoreApplication::instance()->thread());
}
