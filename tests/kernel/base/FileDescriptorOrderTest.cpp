#include "kernel/base/FTUtilities.h"

#include <QList>
#include <QStringList>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QVariantMap entry(const char *name, const char *hint)
{
    return {{QStringLiteral("name"), QString::fromUtf8(name)}, {QStringLiteral("hint"), QString::fromUtf8(hint)}};
}

// Extensions in mixed case, unranked ones, captions in mixed case and empty captions.
const QList<QVariantMap> &mixed()
{
    static const QList<QVariantMap> entries = {
        entry("a.PNG", "tree"), entry("b.gif", "Tree"), entry("c.HPI", "Zebra"), entry("d.hpi", "apple"),
        entry("e.Jpg", "Cat"), entry("f.jpg", "cat"), entry("g.pdf", ""), entry("h.PDF", "Banana"),
        entry("i.tiff", "Anchor"), entry("noextension", "Moon"), entry("j.pdf", "Zoo"), entry("k.png", ""),
    };
    return entries;
}

int sign(FTComparisonResult result)
{
    return result == orderedAscending ? -1 : (result == orderedDescending ? 1 : 0);
}

// What std::stable_sort needs: irreflexive, antisymmetric, transitive, and "equal" transitive too.
TEST(FileDescriptorOrder, IsAStrictWeakOrderingOverMixedEntries)
{
    const QList<QVariantMap> &entries = mixed();
    for (const QVariantMap &a : entries) {
        EXPECT_EQ(compareFileDescriptors(a, a), orderedSame);
        for (const QVariantMap &b : entries) {
            EXPECT_EQ(sign(compareFileDescriptors(a, b)), -sign(compareFileDescriptors(b, a)))
                << a.value(QStringLiteral("name")).toString().toStdString() << " "
                << b.value(QStringLiteral("name")).toString().toStdString();
            for (const QVariantMap &c : entries) {
                const int ab = sign(compareFileDescriptors(a, b));
                const int bc = sign(compareFileDescriptors(b, c));
                if (ab == bc) {
                    EXPECT_EQ(sign(compareFileDescriptors(a, c)), ab);
                }
            }
        }
    }
}

TEST(FileDescriptorOrder, RanksLowerCasedExtensionsThenCaptionsStably)
{
    QList<QVariantMap> entries = mixed();
    sortFileDescriptors(entries);
    QStringList names;
    for (const QVariantMap &item : entries)
        names.append(item.value(QStringLiteral("name")).toString());
    // hpi (apple, Zebra), jpg (Cat, cat: equal, kept in order), pdf (Banana, "g" shown as "g", Zoo),
    // then the rest by caption: Anchor, "k", Moon, tree, Tree (equal, kept in order).
    EXPECT_EQ(names.join(u' '), QStringLiteral("d.hpi c.HPI e.Jpg f.jpg h.PDF g.pdf j.pdf i.tiff k.png noextension a.PNG b.gif"));
}

// The sort takes each entry's keys once; it must give what a stable sort by the comparison gives,
// equal entries included, over many entries mixing every kind of extension and caption.
TEST(FileDescriptorOrder, SortingAgreesWithTheComparisonOverAGeneratedCollection)
{
    const char *const extensions[] = {"hpi", "HPI", "jpg", "Jpg", "pdf", "PDF", "png", "gif", "tiff", ""};
    const char *const captions[] = {"", "cat", "Cat", "CAT", "car", "\u00c9clair", "\u00e9clair", "zebra", "Apple", "apple pie"};
    QList<QVariantMap> entries;
    for (int i = 0; i < 600; ++i) {
        // Co-prime steps spread the combinations; the index keeps names distinct.
        const QString extension = QString::fromLatin1(extensions[(i * 7) % 10]);
        const QString stem = (i % 3 == 0 ? QStringLiteral("folder/") : QString()) + QStringLiteral("f%1").arg((i * 37) % 101);
        entries.append({{QStringLiteral("name"), extension.isEmpty() ? stem : stem + u'.' + extension},
                        {QStringLiteral("hint"), QString::fromUtf8(captions[(i * 3) % 10])},
                        {QStringLiteral("index"), i}});
    }
    QList<QVariantMap> expected = entries;
    std::stable_sort(expected.begin(), expected.end(), [](const QVariantMap &a, const QVariantMap &b) {
        return compareFileDescriptors(a, b) == orderedAscending;
    });
    sortFileDescriptors(entries);
    ASSERT_EQ(entries.size(), expected.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        ASSERT_EQ(entries.at(i).value(QStringLiteral("index")), expected.at(i).value(QStringLiteral("index"))) << "at " << i;
}

TEST(FileDescriptorOrder, AnEmptyCaptionSortsAsTheFileName)
{
    EXPECT_EQ(compareFileDescriptors(entry("folder/moon.png", ""), entry("x.png", "Moon")), orderedSame);
    EXPECT_EQ(compareFileDescriptors(entry("zoo.png", ""), entry("x.png", "apple")), orderedDescending);
    EXPECT_EQ(compareFileDescriptors(entry("c.jpg", "zzz"), entry("a.png", "aaa")), orderedAscending);
}

} // namespace
