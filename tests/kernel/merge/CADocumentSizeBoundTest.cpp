#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/component/CFTACoreDoc.h"
#include "kernel/drawing/CFTSeparator.h"

namespace sizebound {

// An empty design as the application saves it, its front side holding count separators as the
// application writes one. Cut, the file ends right after them, so that only a reading that never parses
// it can tell what it holds.
QByteArray designOfSeparators(qsizetype count, bool cut)
{
    CADocument document;
    QByteArray bytes = document.documentDataForComponents(nullptr);
    const QByteArray emptySide = "<key>Front Side</key>\n\t<dict>\n\t\t<key>Components</key>\n\t\t<array/>\n\t</dict>";
    const qsizetype at = bytes.indexOf(emptySide);
    if (at < 0)
        return QByteArray();
    // Cut, the smallest entry that counts; whole, the entry the application writes.
    CFTSeparator separator(0.0, 0.0, 9.0, 1.0, nullptr);
    const QByteArray written = CFTACoreDoc::GetArchiveFromObject(&separator, nullptr).getDict().toXml();
    const QByteArray entry = cut ? QByteArray("<dict><key>Class ID</key><string>Separator</string>"
                                              "<key>Bounds</key><string>{{0, 0}, {9, 1}}</string></dict>\n")
                                 : written.mid(written.indexOf("<dict>"), written.lastIndexOf("</dict>") + 7 - written.indexOf("<dict>")) + '\n';
    QByteArray side = "<key>Front Side</key>\n\t<dict><key>Components</key><array>\n";
    side.reserve(side.size() + count * entry.size() + 32);
    for (qsizetype i = 0; i < count; ++i)
        side += entry;
    if (cut)
        return bytes.left(at) + side;
    return bytes.replace(at, emptySide.size(), side + "</array></dict>");
}

class CADocumentSizeBoundTest : public doctest::Test
{
};

TEST_F(CADocumentSizeBoundTest, ADesignOfMoreComponentsThanAnyHoldsIsRefusedBeforeItIsParsed)
{
    const QByteArray cut = designOfSeparators(1000001, true);
    ASSERT_GT(cut.size(), 50'000'000);
    CADocument document;
    const QByteArray before = document.documentDataForComponents(nullptr);
    QString error;
    EXPECT_FALSE(document.loadDataRepresentation(cut, CADocument::kAddressDocumentType, &error));
    EXPECT_EQ(error, u"The document could not be opened: it holds 1000001 components, more than the 1000000 a design can hold"_s);
    EXPECT_EQ(document.documentDataForComponents(nullptr), before);
    // Pasted, the same bytes are refused the same way.
    EXPECT_TRUE(CADocument::componentsFromData(cut, &error).empty());
    EXPECT_EQ(error, u"The components could not be read: it holds 1000001 components, more than the 1000000 a design can hold"_s);
}

TEST_F(CADocumentSizeBoundTest, WithinTheBoundTheSameFormReadsWhole)
{
    for (const qsizetype count : {qsizetype(0), qsizetype(3)}) {
        CADocument document;
        QString error;
        ASSERT_TRUE(document.loadDataRepresentation(designOfSeparators(count, false), CADocument::kAddressDocumentType, &error))
            << error.toStdString();
        EXPECT_EQ(qsizetype(document.ftDocument()->GetComponents(0, false).size()), count);
        EXPECT_EQ(document.readProblems(), QStringList());
    }
}

} // namespace sizebound
