// A text drawn for a job notes each run that is drawn in another font than the one it stores: a
// font that is not installed, a font whose stored name names no family ("" or "-5"), and a font
// stored under a key that names no style (one byte of "NSFont" changed); a font that is there
// is no note.
#include "kernel/render/CDDText.h"

#include "TextTestSupport.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/render/CDDArchiveText.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWAttributedString.h"
#include "platform/PWJobReport.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWPlist.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The keyed archive with every text of its objects that reads from reads to.
QByteArray fontNotedArchiveWith(const QByteArray &archive, const QString &from, const QString &to)
{
    PWPlist::Dictionary root = PWPlist::parse(archive).value_or(PWPlist()).toDictionary();
    PWPlist::Array objects = root.value(u"$objects"_s).toArray();
    for (PWPlist &object : objects)
        if (object.isString() && object.toString() == from)
            object = PWPlist::fromString(to);
    root.insert(u"$objects"_s, PWPlist(objects));
    return PWPlist(root).toBinary();
}

TEST(CDDTextFontNotedTest, ARunDrawnInAnotherFontThanItStoresIsNoted)
{
    const QByteArray stored = PWKeyedArchiver::archivedData(
        PWAttributedString(u"Ann Abbott"_s, texttest::style(u"DejaVuSans-Bold"_s, 14.0), QTextBlockFormat()),
        PWKeyedArchiver::StringClass::TextStorage);
    ASSERT_TRUE(stored.contains("DejaVuSans-Bold"));
    const struct
    {
        const char *name;
        QString from;
        QString to;
        QString noted; // how the note begins; empty for none
    } cases[] = {
        {"a font that is installed", QString(), QString(), QString()},
        {"a font that is not installed", u"DejaVuSans-Bold"_s, u"Nowhere-Bold"_s, u"the font \"Nowhere\" is not installed"_s},
        {"an empty font name", u"DejaVuSans-Bold"_s, QString(), u"a text names no font (\"\"): it prints in \""_s},
        {"a font name of a number", u"DejaVuSans-Bold"_s, u"-5"_s, u"a text names no font (\"-5\"): it prints in \""_s},
        {"a font under a damaged key", u"NSFont"_s, u"NSFonu"_s,
         u"a text's font is stored under \"NSFonu\", which names no style: it prints in \""_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray bytes = c.from.isEmpty() ? stored : fontNotedArchiveWith(stored, c.from, c.to);
        ASSERT_NE(bytes, c.from.isEmpty() ? QByteArray() : stored);
        CDDArchive archive(false);
        archive.Attach(PWPlist(PWPlist::Dictionary {{u"Text Storage 2"_s, PWPlist::fromData(bytes)}}));
        CDDText text;
        ASSERT_TRUE(archiveGetText(archive, u"Text Storage 2"_s, text));
        ASSERT_EQ(text.getString(), u"Ann Abbott"_s);
        const PWJobReport report;
        QImage image(300, 40, QImage::Format_RGB32);
        QPainter painter(&image);
        CDDDrawer drawer(false, &painter);
        text.draw(0, 0, 300, 40, false, nullptr, &drawer, 0, nullptr, nullptr);
        painter.end();
        const QStringList lines = report.lines(PWJobReport::Kind::FontReplaced);
        if (c.noted.isEmpty()) {
            EXPECT_TRUE(lines.isEmpty()) << qPrintable(lines.join(u'\n'));
            continue;
        }
        ASSERT_EQ(lines.size(), 1) << qPrintable(lines.join(u'\n'));
        EXPECT_TRUE(lines.front().startsWith(c.noted)) << qPrintable(lines.front());
        EXPECT_FALSE(PWJobReport::kindText(PWJobReport::Kind::FontReplaced).failsJob);
    }
}

} // namespace
