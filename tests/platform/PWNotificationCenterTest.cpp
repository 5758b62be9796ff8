#include "platform/PWNotificationCenter.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kSelection = QStringLiteral("Change Selection Notification");
const QString kCache = QStringLiteral("Update Cache  Notification");

// Records which observer saw which notification, in order.
struct Journal
{
    QStringList entries;
    PWNotificationCenter::Handler recorder(const QString &who)
    {
        return [this, who](const PWNotification &n) { entries.append(who + QLatin1Char(':') + n.name); };
    }
};

} // namespace

struct FilterCase
{
    const char *name;
    bool observeByName;   // else all names
    bool observeByObject; // else any object
    QStringList expected;
};

class PWNotificationCenterFilterTest : public ::testing::TestWithParam<FilterCase>
{
};

TEST_P(PWNotificationCenterFilterTest, DeliversWhatMatchesNameAndObject)
{
    const FilterCase &c = GetParam();
    PWNotificationCenter center;
    int sender = 0;
    int otherSender = 0;
    QStringList seen;
    center.addObserver(c.observeByName ? kSelection : QString(), c.observeByObject ? &sender : nullptr,
                       [&](const PWNotification &n) {
                           seen.append(n.name + (n.object == &sender ? QStringLiteral("@sender")
                                                 : n.object        ? QStringLiteral("@other")
                                                                   : QStringLiteral("@none")));
                       });
    center.postNotification(kSelection, &sender);
    center.postNotification(kSelection, &otherSender);
    center.postNotification(kSelection);
    center.postNotification(kCache, &sender);
    EXPECT_EQ(seen, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, PWNotificationCenterFilterTest,
    ::testing::Values(
        FilterCase{"AnyNameAnyObject", false, false,
                   {kSelection + QStringLiteral("@sender"), kSelection + QStringLiteral("@other"), kSelection + QStringLiteral("@none"),
                    kCache + QStringLiteral("@sender")}},
        FilterCase{"NameOnly", true, false,
                   {kSelection + QStringLiteral("@sender"), kSelection + QStringLiteral("@other"), kSelection + QStringLiteral("@none")}},
        FilterCase{"ObjectOnly", false, true, {kSelection + QStringLiteral("@sender"), kCache + QStringLiteral("@sender")}},
        FilterCase{"NameAndObject", true, true, {kSelection + QStringLiteral("@sender")}}),
    [](const ::testing::TestParamInfo<FilterCase> &info) { return std::string(info.param.name); });

TEST(PWNotificationCenterTest, DeliversInOrderOfAddingWithUserInfo)
{
    PWNotificationCenter center;
    Journal journal;
    QVariantMap received;
    center.addObserver(kCache, nullptr, journal.recorder(QStringLiteral("first")));
    center.addObserver(QString(), nullptr, journal.recorder(QStringLiteral("second")));
    center.addObserver(kCache, nullptr, [&](const PWNotification &n) {
        journal.entries.append(QStringLiteral("third:") + n.name);
        received = n.userInfo;
    });
    center.postNotification(kCache, nullptr, {{QStringLiteral("DataSourceName"), QStringLiteral("vCard")}});
    EXPECT_EQ(journal.entries, (QStringList{QStringLiteral("first:") + kCache, QStringLiteral("second:") + kCache, QStringLiteral("third:") + kCache}));
    EXPECT_EQ(received.value(QStringLiteral("DataSourceName")).toString(), QStringLiteral("vCard"));
}

TEST(PWNotificationCenterTest, RemovedObserversAreNotCalled)
{
    PWNotificationCenter center;
    Journal journal;
    const int first = center.addObserver(kSelection, nullptr, journal.recorder(QStringLiteral("a")));
    center.addObserver(kSelection, nullptr, journal.recorder(QStringLiteral("b")));
    center.removeObserver(first);
    center.removeObserver(first); // a second removal is harmless
    center.removeObserver(12345);
    center.postNotification(kSelection);
    EXPECT_EQ(journal.entries, QStringList{QStringLiteral("b:") + kSelection});
    EXPECT_EQ(center.addObserver(kSelection, nullptr, {}), 0);
}

TEST(PWNotificationCenterTest, ObserverRemovedDuringDeliveryIsNotCalledAfterwards)
{
    PWNotificationCenter center;
    Journal journal;
    int second = 0;
    center.addObserver(kSelection, nullptr, [&](const PWNotification &) {
        journal.entries.append(QStringLiteral("first"));
        center.removeObserver(second);
    });
    second = center.addObserver(kSelection, nullptr, journal.recorder(QStringLiteral("second")));
    center.addObserver(kSelection, nullptr, journal.recorder(QStringLiteral("third")));
    center.postNotification(kSelection);
    EXPECT_EQ(journal.entries, (QStringList{QStringLiteral("first"), QStringLiteral("third:") + kSelection}));
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

TEST(PWNotificationCenterTest, ObserverAddedDuringDeliveryWaitsForTheNextPost)
{
    PWNotificationCenter center;
    Journal journal;
    bool added = false;
    center.addObserver(kSelection, nullptr, [&](const PWNotification &) {
        journal.entries.append(QStringLiteral("adder"));
        if (!added) {
            added = true;
            center.addObserver(kSelection, nullptr, journal.recorder(QStringLiteral("late")));
        }
    });
    center.postNotification(kSelection);
    EXPECT_EQ(journal.entries, QStringList{QStringLiteral("adder")});
    center.postNotification(kSelection);
    EXPECT_EQ(journal.entries, (QStringList{QStringLiteral("adder"), QStringLiteral("adder"), QStringLiteral("late:") + kSelection}));
}

TEST(PWNotificationCenterTest, NestedPostsAreDeliveredAtOnce)
{
    PWNotificationCenter center;
    Journal journal;
    center.addObserver(kSelection, nullptr, [&](const PWNotification &) {
        journal.entries.append(QStringLiteral("selection"));
        center.postNotification(kCache);
        journal.entries.append(QStringLiteral("selection done"));
    });
    center.addObserver(kCache, nullptr, journal.recorder(QStringLiteral("cache")));
    center.postNotification(kSelection);
    EXPECT_EQ(journal.entries, (QStringList{QStringLiteral("selection"), QStringLiteral("cache:") + kCache, QStringLiteral("selection done")}));
}

TEST(PWNotificationCenterTest, ObservationsEndWithTheirOwner)
{
    PWNotificationCenter center;
    Journal journal;
    auto owner = std::make_unique<QObject>();
    auto kept = std::make_shared<int>(0);
    center.addObserver(kSelection, nullptr, [&journal, kept](const PWNotification &) {
        journal.entries.append(QStringLiteral("owned"));
    }, owner.get());
    center.addObserver(kSelection, nullptr, journal.recorder(QStringLiteral("free")));
    center.postNotification(kSelection);
    owner.reset();
    // The handler (and what it holds) is released when the owner goes, not at the next post.
    EXPECT_EQ(kept.use_count(), 1);
    center.postNotification(kSelection);
    EXPECT_EQ(journal.entries, (QStringList{QStringLiteral("owned"), QStringLiteral("free:") + kSelection, QStringLiteral("free:") + kSelection}));
}

TEST(PWNotificationCenterTest, OwnerDestroyedDuringDeliveryIsNotCalled)
{
    PWNotificationCenter center;
    Journal journal;
    auto owner = std::make_unique<QObject>();
    center.addObserver(kSelection, nullptr, [&](const PWNotification &) {
        journal.entries.append(QStringLiteral("destroyer"));
        owner.reset();
    });
    center.addObserver(kSelection, nullptr, journal.recorder(QStringLiteral("owned")), owner.get());
    center.postNotification(kSelection);
    EXPECT_EQ(journal.entries, QStringList{QStringLiteral("destroyer")});
}

TEST(PWNotificationCenterTest, RemoveObserversOwnedByEndsOnlyThatOwnersObservations)
{
    PWNotificationCenter center;
    Journal journal;
    QObject panel;
    QObject window;
    center.addObserver(kSelection, nullptr, journal.recorder(QStringLiteral("panel1")), &panel);
    center.addObserver(kCache, nullptr, journal.recorder(QStringLiteral("panel2")), &panel);
    center.addObserver(QString(), nullptr, journal.recorder(QStringLiteral("window")), &window);
    center.removeObserversOwnedBy(&panel);
    center.postNotification(kSelection);
    center.postNotification(kCache);
    EXPECT_EQ(journal.entries, (QStringList{QStringLiteral("window:") + kSelection, QStringLiteral("window:") + kCache}));
}

TEST(PWNotificationCenterTest, PostFromAnotherThreadIsDeliveredOnTheMainThread)
{
    PWNotificationCenter center;
    QThread *deliveredOn = nullptr;
    QVariantMap userInfo;
    int calls = 0;
    center.addObserver(QStringLiteral("Forbid Update Cache Notification"), nullptr,
                       [&](const PWNotification &n) {
                           ++calls;
                           deliveredOn = QThread::currentThread();
                           userInfo = n.userInfo;
                       });
    std::unique_ptr<QThread> worker(QThread::create([&center] {
        center.postNotification(QStringLiteral("Forbid Update Cache Notification"), nullptr,
                                {{QStringLiteral("DataSourceName"), QStringLiteral("Excel")}});
    }));
    worker->start();
    ASSERT_TRUE(worker->wait(QDeadlineTimer(30000)));
    // Queued, not delivered on the worker.
    EXPECT_EQ(calls, 0);
    QCoreApplication::sendPostedEvents(&center);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(deliveredOn, QCoreApplication::instance()->thread());
    EXPECT_EQ(userInfo.value(QStringLiteral("DataSourceName")).toString(), QStringLiteral("Excel"));
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

    int calls = 0;
    const int token = PWNotificationCenter::defaultCenter().addObserver(
        kSelection, nullptr, [&calls](const PWNotification &) { ++calls; });
    PWNotificationCenter::defaultCenter().postNotification(kSelection);
    PWNotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(calls, 1);
}
