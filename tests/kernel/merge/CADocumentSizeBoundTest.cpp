#include "kernel/merge/CADocument.h"

#include "kernel/document/CFTADocumentFileCheck.h"

#include "DocumentTestSupport.h"

#include "kernel/component/CFTACoreDoc.h"
#include "kernel/drawing/CFTSeparator.h"

namespace sizebound {

// An empty design as the application saves it, its front side holding count separators as the
// application writes one. Cut, the file ends right after them, so that only a reading that never parses
// it can tell what it holds.
QByteArray designOfSeparators(qsizetype count, bool cut, qsizetype texts = 0)
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
    // A text of the least a text holds: its class and its stored text.
    const QByteArray text = "<dict><key>Class ID</key><string>Text</string>"
                            "<key>Text Storage 2</key><data></data></dict>\n";
    QByteArray side = "<key>Front Side</key>\n\t<dict><key>Components</key><array>\n";
    side.reserve(side.size() + count * entry.size() + texts * text.size() + 32);
    for (qsizetype i = 0; i < count; ++i)
        side += entry;
    for (qsizetype i = 0; i < texts; ++i)
        side += text;
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

// A design is weighed by what reading and printing it costs, told by the kinds of its components
// counted in its bytes: texts cost more than shapes, and a design past the cost any design may
// take is refused at read, before it is parsed, with the counts that make its cost; one at the
// bound is taken.
TEST_F(CADocumentSizeBoundTest, ADesignCostingMoreThanAnyMayIsRefusedWithItsReason)
{
    using namespace CFTADocumentFileCheck;
    const qsizetype mostShapes = kMostMemory / kMemoryPerComponent;
    const qsizetype mostTexts = kMostMemory / (kMemoryPerComponent + kMemoryPerText);
    const struct
    {
        const char *name;
        qsizetype shapes;
        qsizetype texts;
        bool refused;
    } rows[] = {
        {"shapes at the bound", mostShapes, 0, false},
        {"one shape past it", mostShapes + 1, 0, true},
        {"texts at the bound", 0, mostTexts, false},
        {"one text past it", 0, mostTexts + 1, true},
        {"the texts' bound in shapes", mostTexts + 1, 0, false},
        {"shapes and texts, each half of its bound", mostShapes / 2, mostTexts / 2, false},
        {"shapes and texts past it together", mostShapes / 2 + 1, mostTexts / 2 + 1, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray cut = designOfSeparators(row.shapes, true, row.texts);
        const std::optional<Cost> cost = costOf(cut);
        ASSERT_TRUE(cost.has_value());
        EXPECT_EQ(cost->components, row.shapes + row.texts);
        EXPECT_EQ(cost->texts, row.texts);
        const QString refusal = refusalBeforeReading(cut);
        EXPECT_EQ(!refusal.isEmpty(), row.refused) << refusal.toStdString();
        if (!row.refused)
            continue;
        const QString reason = u"it holds %1 components, %2 of them texts: opening and printing it would take some "_s
                                   .arg(row.shapes + row.texts)
                                   .arg(row.texts);
        EXPECT_TRUE(refusal.startsWith(reason)) << refusal.toStdString();
        EXPECT_TRUE(refusal.endsWith(u"MB of memory, more than the 1600 MB a design may take"_s)) << refusal.toStdString();
        CADocument document;
        QString error;
        EXPECT_FALSE(document.loadDataRepresentation(cut, CADocument::kAddressDocumentType, &error));
        EXPECT_EQ(error, u"The document could not be opened: "_s + refusal);
        EXPECT_TRUE(CADocument::componentsFromData(cut, &error).empty());
        EXPECT_EQ(error, u"The components could not be read: "_s + refusal);
    }
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
