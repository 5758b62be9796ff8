#include "kernel/base/CDDDecodeCache.h"

#include <QString>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(CDDDecodeCacheTest, FindsWhatWasKeptByItsBytesOnlyAndStaysBounded)
{
    CDDDecodeCache<QString> cache;
    EXPECT_FALSE(cache.find("abc").has_value());
    cache.insert("abc", QStringLiteral("first"));
    cache.insert(QByteArray("ab\0c", 4), QStringLiteral("with a zero byte"));
    EXPECT_EQ(cache.find("abc"), std::optional<QString>(QStringLiteral("first")));
    EXPECT_EQ(cache.find(QByteArray("ab\0c", 4)), std::optional<QString>(QStringLiteral("with a zero byte")));
    EXPECT_FALSE(cache.find("ab").has_value() || cache.find("abcd").has_value());
    cache.insert("abc", QStringLiteral("second"));
    EXPECT_EQ(cache.find("abc"), std::optional<QString>(QStringLiteral("second")));
    EXPECT_EQ(cache.size(), 2);
    CDDDecodeCache<int> bounded;
    for (int i = 0; i < CDDDecodeCache<int>::kMaxEntries * 3 + 7; ++i) {
        bounded.insert(QByteArray::number(i), i);
        ASSERT_LE(bounded.size(), CDDDecodeCache<int>::kMaxEntries);
    }
    // The latest insertion is always found, whatever was dropped to make room.
    const int last = CDDDecodeCache<int>::kMaxEntries * 3 + 6;
    EXPECT_EQ(bounded.find(QByteArray::number(last)), std::optional<int>(last));
    const QByteArray large(CDDDecodeCache<int>::kMaxKeySize + 1, 'x');
    bounded.insert(large, 1);
    EXPECT_FALSE(bounded.find(large).has_value());
    bounded.clear();
    EXPECT_EQ(bounded.size(), 0);
}

TEST(CDDDecodeCacheTest, SharedBetweenThreads)
{
    CDDDecodeCache<int> cache;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&cache, t] {
            for (int i = 0; i < 2000; ++i) {
                const QByteArray key = QByteArray::number(i % 50);
                if (const std::optional<int> found = cache.find(key))
                    EXPECT_EQ(*found, i % 50);
                else
                    cache.insert(key, i % 50);
                if (t == 0 && i % 500 == 0)
                    cache.clear();
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_LE(cache.size(), 50);
}

} // namespace
