#include "kernel/merge/CADocument.h"

#include "kernel/document/CFTADocumentFileCheck.h"

#include "DocumentTestSupport.h"
#include "PlistSpellings.h"
#include "SharedBinaryPlist.h"

#include "kernel/component/CFTACoreDoc.h"
#include "kernel/drawing/CFTSeparator.h"

#include <algorithm>

namespace sizebound {

// An empty design as the application saves it, its front side holding count separators as the
// application writes one. Cut, the file ends right after them, so that only a reading that never parses
// it can tell what it holds.
QByteArray designOfSeparators(qsizetype count, bool cut, qsizetype texts = 0, qsizetype panels = 0, qsizetype textBytes = 0)
{
    CADocument document;
    QByteArray bytes = document.documentDataForComponents(nullptr);
    // An empty side is written without a list.
    const QByteArray emptySide = "<key>Front Side</key>\n\t<dict/>";
    const qsizetype at = bytes.indexOf(emptySide);
    if (at < 0)
        return QByteArray();
    // Cut, the smallest entry that counts; whole, the entry the application writes.
    CFTSeparator separator(0.0, 0.0, 9.0, 1.0, nullptr);
    const QByteArray written = CFTACoreDoc::GetArchiveFromObject(&separator, nullptr).getDict().toXml();
    const QByteArray entry = cut ? QByteArray("<dict><key>Class ID</key><string>Separator</string>"
                                              "<key>Bounds</key><string>{{0, 0}, {9, 1}}</string></dict>\n")
                                 : written.mid(written.indexOf("<dict>"), written.lastIndexOf("</dict>") + 7 - written.indexOf("<dict>")) + '\n';
    // A text of the least a text holds: its class and its stored text of textBytes bytes.
    const QByteArray text = "<dict><key>Class ID</key><string>Text</string><key>Text Storage 2</key><data>"
                            + QByteArray(textBytes, 'x').toBase64() + "</data></dict>\n";
    // A panel of the least a panel holds: its class.
    const QByteArray panel = "<dict><key>Class ID</key><string>Address Panel</string></dict>\n";
    QByteArray side = "<key>Front Side</key>\n\t<dict><key>Components</key><array>\n";
    side.reserve(side.size() + count * entry.size() + texts * text.size() + panels * panel.size() + 32);
    for (qsizetype i = 0; i < count; ++i)
        side += entry;
    for (qsizetype i = 0; i < texts; ++i)
        side += text;
    for (qsizetype i = 0; i < panels; ++i)
        side += panel;
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

// The most units of components, texts and panels, each text storing textBytes, that a design may
// hold, by memory and by time.
qsizetype mostOf(qsizetype components, qsizetype texts, qsizetype panels, qint64 textBytes)
{
    using namespace CFTADocumentFileCheck;
    const Cost unit {components, texts, panels, texts * textBytes, texts * std::min(textBytes, kMostBytesLaidOut)};
    return qsizetype(std::min(kMostMemory / unit.memory(), kMostSeconds * 1000000 / unit.microseconds()));
}

// A design is weighed by what reading and printing it costs, told by the kinds of its components
// counted in its bytes: texts cost more than shapes, panels more again, and a text's cost grows
// with the bytes of its stored string past those of a short one; a design past the memory or
// time any design may take is refused at read, before it is parsed, with the counts that make its
// cost; one at the bound is taken. The edges come from the weights.
TEST_F(CADocumentSizeBoundTest, ADesignCostingMoreThanAnyMayIsRefusedWithItsReason)
{
    using namespace CFTADocumentFileCheck;
    // A text storing a page: its cost is its stored string's more than its own.
    const qint64 pageBytes = 64 * 1024;
    const qsizetype mostShapes = mostOf(1, 0, 0, 0);
    const qsizetype mostTexts = mostOf(1, 1, 0, 0);
    const qsizetype mostPanels = mostOf(1, 0, 1, 0);
    const qsizetype mostPages = mostOf(1, 1, 0, pageBytes);
    ASSERT_LT(mostPanels, mostTexts);
    ASSERT_LT(mostTexts, mostShapes);
    ASSERT_LT(mostPages, mostTexts / 10);
    const struct
    {
        const char *name;
        qsizetype shapes;
        qsizetype texts;
        qsizetype panels;
        qint64 textBytes;
        bool refused;
    } rows[] = {
        {"shapes at the bound", mostShapes, 0, 0, 0, false},
        {"one shape past it", mostShapes + 1, 0, 0, 0, true},
        {"texts at the bound", 0, mostTexts, 0, 0, false},
        {"one text past it", 0, mostTexts + 1, 0, 0, true},
        {"short texts of some letters each", 0, mostTexts, 0, kBytesOfAShortText, false},
        {"panels at the bound", 0, 0, mostPanels, 0, false},
        {"one panel past it", 0, 0, mostPanels + 1, 0, true},
        {"pages of text at the bound", 0, mostPages, 0, pageBytes, false},
        {"one page past it", 0, mostPages + 1, 0, pageBytes, true},
        {"the texts' bound in shapes", mostTexts + 1, 0, 0, 0, false},
        {"shapes and texts, each half of its bound", mostShapes / 2, mostTexts / 2, 0, 0, false},
        {"shapes and texts past it together", mostShapes / 2 + 1, mostTexts / 2 + 1, 0, 0, true},
        {"texts and panels past it together", 0, mostTexts / 2 + 1, mostPanels / 2 + 1, 0, true},
        // A string of many pages is laid out as far as its frame shows, and held whole.
        {"one text of a hundred pages", 0, 1, 0, 4 * 1024 * 1024, false},
        {"strings past the memory a design may take", 0, 8, 0, 2 * 1024 * 1024, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray cut = designOfSeparators(row.shapes, true, row.texts, row.panels, row.textBytes);
        const std::optional<Cost> cost = costOf(cut);
        ASSERT_TRUE(cost.has_value());
        EXPECT_EQ(cost->components, row.shapes + row.texts + row.panels);
        EXPECT_EQ(cost->texts, row.texts);
        EXPECT_EQ(cost->panels, row.panels);
        EXPECT_EQ(cost->textBytes, row.texts * row.textBytes);
        EXPECT_EQ(cost->textBytesLaidOut, row.texts * std::min(row.textBytes, kMostBytesLaidOut));
        const QString refusal = refusalBeforeReading(cut);
        EXPECT_EQ(!refusal.isEmpty(), row.refused) << refusal.toStdString();
        if (!row.refused)
            continue;
        const QString reason = u"it holds %1 components, %2 of them texts (%3 MB of stored text) and %4 address panels: "
                               u"opening, printing and saving it would take some "_s
                                   .arg(row.shapes + row.texts + row.panels)
                                   .arg(row.texts)
                                   .arg(double(row.texts * row.textBytes) / (1024.0 * 1024.0), 0, 'f', 1)
                                   .arg(row.panels);
        EXPECT_TRUE(refusal.startsWith(reason)) << refusal.toStdString();
        EXPECT_TRUE(refusal.endsWith(
            u" seconds, more than the %1 MB and %2 seconds a design may take"_s.arg(kMostMemory / (1024 * 1024)).arg(kMostSeconds)))
            << refusal.toStdString();
        CADocument document;
        QString error;
        EXPECT_FALSE(document.loadDataRepresentation(cut, CADocument::kAddressDocumentType, &error));
        EXPECT_EQ(error, u"The document could not be opened: "_s + refusal);
        EXPECT_TRUE(CADocument::componentsFromData(cut, &error).empty());
        EXPECT_EQ(error, u"The components could not be read: "_s + refusal);
    }
}

// The same content however the file spells or shares it: written plain, in binary (the writer
// shares each repeated entry, so one text object stands for every text of the design), with its
// keys and texts in CDATA sections and in character references, texts under either key. Each form
// holds what the plain one holds, counted at every use, and gets its verdict: at the bound it is
// taken, one past it refused with the same reason before it is parsed.
TEST_F(CADocumentSizeBoundTest, EveryFormOfTheSameContentWeighsTheSame)
{
    using namespace CFTADocumentFileCheck;
    const qint64 pageBytes = 64 * 1024;
    const qsizetype mostTexts = mostOf(1, 1, 0, 0);
    const qsizetype mostPanels = mostOf(1, 0, 1, 0);
    const qsizetype mostPages = mostOf(1, 1, 0, pageBytes);
    const struct
    {
        const char *name;
        qsizetype texts;
        qsizetype panels;
        qint64 textBytes;
        bool olderTexts;
        bool refused;
    } rows[] = {
        {"texts at the bound", mostTexts, 0, 0, false, false},
        {"one text past it", mostTexts + 1, 0, 0, false, true},
        {"older texts at the bound", mostTexts, 0, 0, true, false},
        {"one older text past it", mostTexts + 1, 0, 0, true, true},
        {"panels at the bound", 0, mostPanels, 0, false, false},
        {"one panel past it", 0, mostPanels + 1, 0, false, true},
        {"pages at the bound", mostPages, 0, pageBytes, false, false},
        {"one page past it", mostPages + 1, 0, pageBytes, false, true},
        {"older pages past it", mostPages + 1, 0, pageBytes, true, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QByteArray plain = designOfSeparators(0, false, row.texts, row.panels, row.textBytes);
        if (row.olderTexts)
            plain.replace("<key>Text Storage 2</key>", "<key>Text Storage</key>");
        const std::optional<PWPlist> parsed = PWPlist::parse(plain);
        ASSERT_TRUE(parsed.has_value());
        const QByteArray shared = pwtest::sharedBinary(*parsed);
        // One entry stands for all.
        ASSERT_LT(shared.size() * 4, plain.size());
        const QString refusal = refusalBeforeReading(plain);
        EXPECT_EQ(!refusal.isEmpty(), row.refused) << refusal.toStdString();
        const struct
        {
            const char *form;
            QByteArray bytes;
        } forms[] = {{"plain", plain},
                     {"shared", shared},
                     {"CDATA", pwtest::respelledXml(plain, pwtest::XmlSpelling::Cdata)},
                     {"references", pwtest::respelledXml(plain, pwtest::XmlSpelling::References)}};
        for (const auto &form : forms) {
            SCOPED_TRACE(form.form);
            const std::optional<Cost> cost = costOf(form.bytes);
            ASSERT_TRUE(cost.has_value());
            EXPECT_EQ(cost->components, row.texts + row.panels);
            EXPECT_EQ(cost->texts, row.texts);
            EXPECT_EQ(cost->panels, row.panels);
            EXPECT_EQ(cost->textBytes, row.texts * row.textBytes);
            EXPECT_EQ(refusalBeforeReading(form.bytes), refusal);
            if (!row.refused)
                continue;
            CADocument document;
            QString error;
            EXPECT_FALSE(document.loadDataRepresentation(form.bytes, CADocument::kAddressDocumentType, &error));
            EXPECT_EQ(error, u"The document could not be opened: "_s + refusal);
            EXPECT_TRUE(CADocument::componentsFromData(form.bytes, &error).empty());
            EXPECT_EQ(error, u"The components could not be read: "_s + refusal);
        }
    }
}

// What the property list decodes to is weighed before it is decoded, whatever it holds besides
// components: a list of lists shared at every level, or one data value shared thousands of times,
// makes from a small file more values or bytes than a design's reading may take, and is refused
// before the parser builds any of it; half as many are read.
TEST_F(CADocumentSizeBoundTest, WhatTheDecodeWouldMakeIsWeighedFirst)
{
    using namespace CFTADocumentFileCheck;
    const std::optional<PWPlist> blank = PWPlist::parse(designOfSeparators(0, false));
    ASSERT_TRUE(blank.has_value());
    const std::optional<Cost> blankCost = costOf(blank->toBinary());
    ASSERT_TRUE(blankCost.has_value());
    // The blank design with a list of count references to one value.
    const auto holding = [&](qint64 count, const PWPlist &each) {
        pwtest::SharedBinaryPlist writer;
        QList<std::pair<quint32, quint32>> entries;
        for (const auto &[key, value] : blank->toDictionary())
            entries.append({writer.add(PWPlist::fromString(key)), writer.add(value)});
        entries.append({writer.add(PWPlist::fromString(u"Extra"_s)), writer.addArray(QList<quint32>(count, writer.add(each)))});
        return writer.bytes(writer.addDictionary(entries));
    };
    // The most values, or bytes of data, that the decode may make beside the blank design's.
    const auto most = [&](qint64 perValue, qint64 perByte) {
        qint64 low = 0;
        qint64 high = qint64(1) << 40;
        while (low + 1 < high) {
            const qint64 middle = (low + high) / 2;
            Cost cost = *blankCost;
            cost.values += middle * perValue;
            cost.valueBytes += middle * perByte;
            (cost.decodeMemory() <= kMostMemory ? low : high) = middle;
        }
        return low;
    };
    const qint64 side = 4096;
    PWPlist::Array row;
    for (int i = 0; i < side; ++i)
        row.append(PWPlist::fromInteger(i));
    // Each copy of the row is the list and its values.
    const qint64 rows = most(side + 1, 0);
    const qint64 pieceBytes = 1024 * 1024;
    const PWPlist piece = PWPlist::fromData(QByteArray(pieceBytes, 'p'));
    const qint64 pieces = most(1, pieceBytes);
    const struct
    {
        const char *name;
        QByteArray bytes;
        qint64 values;
        bool refused;
    } cases[] = {
        {"rows at the bound", holding(rows, PWPlist(row)), rows * (side + 1), false},
        {"rows past it", holding(rows + 1, PWPlist(row)), (rows + 1) * (side + 1), true},
        {"data at the bound", holding(pieces, piece), pieces, false},
        {"data past it", holding(pieces + 1, piece), pieces + 1, true},
    };
    for (const auto &item : cases) {
        SCOPED_TRACE(item.name);
        ASSERT_LT(item.bytes.size(), 8 * 1024 * 1024);
        const std::optional<Cost> cost = costOf(item.bytes);
        ASSERT_TRUE(cost.has_value());
        // The list, its key, and what it holds.
        EXPECT_EQ(cost->values, blankCost->values + 2 + item.values);
        EXPECT_EQ(cost->components, 0);
        const QString refusal = refusalBeforeReading(item.bytes);
        EXPECT_EQ(!refusal.isEmpty(), item.refused) << refusal.toStdString();
        if (!item.refused)
            continue;
        EXPECT_TRUE(refusal.startsWith(u"its property list holds %1 values"_s.arg(cost->values))) << refusal.toStdString();
        CADocument document;
        QString error;
        EXPECT_FALSE(document.loadDataRepresentation(item.bytes, CADocument::kAddressDocumentType, &error));
        EXPECT_EQ(error, u"The document could not be opened: "_s + refusal);
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
