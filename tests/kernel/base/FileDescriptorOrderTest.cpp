#include "kernel/base/FTUtilities.h"

#include <QList>
#include <QVariantMap>

#include <gtest/gtest.h>

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

TEST(FileDescriptorOrder, AnEmptyCaptionSortsAsTheFileName)
{
    EXPECT_EQ(compareFileDescriptors(entry("folder/moon.png", ""), entry("x.png", "Moon")), orderedSame);
    EXPECT_EQ(compareFileDescriptors(entry("zoo.png", ""), entry("x.png", "apple")), orderedDescending);
    EXPECT_EQ(compareFileDescriptors(entry("c.jpg", "zzz"), entry("a.png", "aaa")), orderedAscending);
}

} // namespace
