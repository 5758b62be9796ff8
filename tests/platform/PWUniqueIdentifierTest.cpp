#include "platform/PWUniqueIdentifier.h"

#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <future>
#include <vector>

namespace {

constexpr int kMany = 100000;

// The upper-case, brace-less version 4 form the address book files keep.
const QRegularExpression kForm(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"));

TEST(PWUniqueIdentifierTest, HasTheVersionFourFormInUpperCase)
{
    for (int i = 0; i < 1000; ++i) {
        const QString identifier = PWNewUniqueIdentifier();
        ASSERT_TRUE(kForm.match(identifier).hasMatch()) << identifier.toStdString();
    }
}

TEST(PWUniqueIdentifierTest, PersonsOfALargeImportAllDiffer)
{
    QSet<QString> seen;
    seen.reserve(kMany);
    for (int i = 0; i < kMany; ++i)
        seen.insert(PWPerson::create()->uniqueId());
    EXPECT_EQ(seen.size(), kMany);
}

TEST(PWUniqueIdentifierTest, EntriesOfManyListsAllDiffer)
{
    // Entries keep their identity when copied into another person's list, so identifiers must
    // differ across lists, not only within one.
    QSet<QString> seen;
    for (int i = 0; i < kMany / 2; ++i) {
        PWMultiValue phones;
        seen.insert(phones.addValue(PWPlist::fromString(QStringLiteral("1")), QStringLiteral("home")));
        seen.insert(phones.addValue(PWPlist::fromString(QStringLiteral("2")), QStringLiteral("work")));
    }
    EXPECT_EQ(seen.size(), kMany);
}

TEST(PWUniqueIdentifierTest, ThreadsDrawDifferentSequences)
{
    const auto draw = [] {
        std::vector<QString> identifiers;
        for (int i = 0; i < 1000; ++i)
            identifiers.push_back(PWNewUniqueIdentifier());
        return identifiers;
    };
    std::vector<std::future<std::vector<QString>>> threads;
    for (int t = 0; t < 4; ++t)
        threads.push_back(std::async(std::launch::async, draw));
    QSet<QString> seen;
    for (std::future<std::vector<QString>> &thread : threads) {
        for (const QString &identifier : thread.get())
            seen.insert(identifier);
    }
    for (const QString &identifier : draw())
        seen.insert(identifier);
    EXPECT_EQ(seen.size(), 5000);
}

} // namespace
