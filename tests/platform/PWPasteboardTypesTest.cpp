// The one table of pasteboard types: every name and every MIME type unique, each found from the
// other, and the registered types used where other programs expect them.
#include "platform/PWPasteboardTypes.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(PWPasteboardTypesTest, NamesAndMimeTypesAreUniqueAndEachLeadsToTheOther)
{
    QSet<QString> names;
    QSet<QString> mimeTypes;
    int count = 0;
    for (const PWPasteboardTypes::Entry *entry = PWPasteboardTypes::begin(); entry != PWPasteboardTypes::end();
         ++entry) {
        ++count;
        const QString name = QString::fromLatin1(entry->name);
        const QString mime = QString::fromLatin1(entry->mimeType);
        names.insert(name);
        mimeTypes.insert(mime);
        // A MIME type is a type and a subtype.
        EXPECT_EQ(mime.count(u'/'), 1) << mime.toStdString();
        EXPECT_EQ(PWPasteboardTypes::mimeType(entry->name), mime);
        EXPECT_EQ(PWPasteboardTypes::nameForMimeType(mime), name);
    }
    EXPECT_EQ(names.size(), count);
    EXPECT_EQ(mimeTypes.size(), count);
}

TEST(PWPasteboardTypesTest, EveryTypeOfTheApplicationIsInTheTable)
{
    for (const char *name : {"ProductDocumentType", "AddressDocumentType", "Named Image PasteBoard Type", "DataRef",
                             "PersonListPBoardType", "CustomAddressFormatFieldPBoardType", "DragAndDropStartX",
                             "DragAndDropStartY", "PDF", "TIFF"})
        EXPECT_TRUE(PWPasteboardTypes::mimeType(name).has_value()) << name;
    EXPECT_EQ(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kPDF), u"application/pdf"_s);
    EXPECT_EQ(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kTIFF), u"image/tiff"_s);
}

TEST(PWPasteboardTypesTest, UnknownNamesAndMimeTypesAnswerNothing)
{
    EXPECT_FALSE(PWPasteboardTypes::mimeType("productdocumenttype").has_value());
    EXPECT_FALSE(PWPasteboardTypes::mimeType(nullptr).has_value());
    EXPECT_TRUE(PWPasteboardTypes::mimeTypeOf("Nothing").isEmpty());
    EXPECT_FALSE(PWPasteboardTypes::nameForMimeType(u"text/html"_s).has_value());
    EXPECT_FALSE(PWPasteboardTypes::nameForMimeType(QString()).has_value());
}

} // namespace
