// The paper a design's print information gets for its layout: by the label maker for rolls, by
// the sheet's name for label and card sheets (other sheets keep their paper), and for envelopes
// and single cards the default page or, with the printer's settings, paper of their item size.
#include "kernel/merge/CADocument.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/printing/CATemplateFormat.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr double kMillimetre = 72.0 / 25.4;
const QSizeF kA5(148.0 * kMillimetre, 210.0 * kMillimetre);

CATemplateFormat catalogueLayout(int type, const QString &maker, const QString &id)
{
    const std::shared_ptr<CATemplateFormat> found = CATemplateFormat::findPredefLayoutManufacturerID(type, maker, id);
    return found ? *found : CATemplateFormat();
}

// The paper as it stands, either way round.
QSizeF standing(const QSizeF &paper)
{
    return QSizeF(std::min(paper.width(), paper.height()), std::max(paper.width(), paper.height()));
}

struct PaperCase
{
    const char *name;
    std::function<CATemplateFormat()> layout;
    // The paper before the set-up, and whether the printer's settings are used.
    QSizeF before;
    bool printerSettings;
    QSizeF expected;
    bool known;
    // The value the known-paper flag had before.
    bool knownBefore = false;
};

class CADocumentPrintInfoTest : public ::testing::TestWithParam<PaperCase>
{
};

TEST_P(CADocumentPrintInfoTest, PaperFollowsTheLayout)
{
    const PaperCase &c = GetParam();
    const CATemplateFormat layout = c.layout();
    ASSERT_GT(layout.ItemWidth(), 0.0f) << c.name;
    CADocument document(std::make_unique<CFTADocument>(documentType(layout.getDocumentType()), CDDString(u"us"_s),
                                                       CDDString(u"us"_s)));
    document.setLayoutArangeComponents(layout, false);
    ASSERT_EQ(int(document.docType()), layout.getDocumentType()) << c.name;
    document.printSettings().paperSize = c.before;
    document.printSettings().knownPaperFormat = c.knownBefore;
    document.setupPrintInfo(c.printerSettings);
    const QSizeF paper = standing(document.printSettings().paperSize);
    EXPECT_NEAR(paper.width(), c.expected.width(), 0.5) << c.name;
    EXPECT_NEAR(paper.height(), c.expected.height(), 0.5) << c.name;
    EXPECT_EQ(document.printSettings().knownPaperFormat, c.known) << c.name;
}

CATemplateFormat sheetNamed(const QString &pageSize, const QString &maker = u"Avery"_s)
{
    CATemplateFormat layout = catalogueLayout(dtLabel, u"Avery"_s, u"03112"_s);
    layout.setPageSize(pageSize);
    layout.setManufacturer(maker);
    return layout;
}

CATemplateFormat seikoWithoutPrintableSize()
{
    CATemplateFormat layout = catalogueLayout(dtLabel, u"Brother"_s, u"DK-11201"_s);
    layout.setManufacturer(u"Seiko"_s);
    layout.setPrintableWidth(0.0f);
    layout.setPrintableHeight(0.0f);
    return layout;
}

CATemplateFormat envelopeOfSize(float width, float height)
{
    CATemplateFormat layout = *CATemplateFormat::predefLayouts(dtEnvelope)->front();
    layout.setItemWidth(width);
    layout.setItemHeight(height);
    return layout;
}

const QSizeF kLetter(612.0, 792.0);

INSTANTIATE_TEST_SUITE_P(
    Layouts, CADocumentPrintInfoTest,
    ::testing::Values(
        // The maker's printable size, spelled as the catalogue spells it.
        PaperCase{"BrotherRollPrintsOnItsPrintableSize", [] { return catalogueLayout(dtLabel, u"Brother"_s, u"DK-11201"_s); },
                  kLetter, false, QSizeF(29.0 * kMillimetre, 90.0 * kMillimetre), false},
        PaperCase{"DymoRollPrintsOnItsRollPaper", [] { return catalogueLayout(dtLabel, u"Dymo"_s, u"30252"_s); }, kLetter,
                  false, QSizeF(32.0 * kMillimetre, 92.0 * kMillimetre), false},
        PaperCase{"SeikoWithoutPrintableSizePrintsOnTheLabel", seikoWithoutPrintableSize, kLetter, false,
                  QSizeF(29.0 * kMillimetre, 90.0 * kMillimetre), false},
        PaperCase{"A4SheetGetsTheA4OfTheTable", [] { return sheetNamed(u"A4"_s); }, kLetter, false,
                  QSizeF(594.72, 841.68), false},
        PaperCase{"LetterSheetGetsLetter", [] { return sheetNamed(u"Letter"_s); }, kA5, false, kLetter, false},
        PaperCase{"A5SheetKeepsA5", [] { return sheetNamed(u"A5"_s); }, kA5, false, kA5, false},
        PaperCase{"SheetOfAMakerInLowerCaseStillGoesByTheMaker", [] { return sheetNamed(u"A4"_s, u"brother"_s); },
                  kLetter, false, standing(QSizeF(108.0, 108.0)), false},
        // Envelopes on their own paper are known only when the print system has that size.
        PaperCase{"EnvelopeOfAStandardSizeIsKnownPaper", [] { return envelopeOfSize(684.0f, 297.0f); }, kLetter, true,
                  QSizeF(297.0, 684.0), true},
        PaperCase{"EnvelopeOfAnOddSizeIsNotKnownPaper", [] { return envelopeOfSize(500.0f, 271.0f); }, kLetter, true,
                  QSizeF(271.0, 500.0), false, true},
        // Any sheet the print system knows by its name, in any letter case; an unknown one keeps
        // the paper it has (the print job names it).
        PaperCase{"LegalSheetGetsLegal", [] { return sheetNamed(u"Legal"_s); }, kLetter, false, QSizeF(612.0, 1008.0), false},
        PaperCase{"TabloidSheetGetsTabloid", [] { return sheetNamed(u"Tabloid"_s); }, kLetter, false,
                  QSizeF(792.0, 1224.0), false},
        PaperCase{"A5SheetOnLetterGetsA5", [] { return sheetNamed(u"A5"_s); }, kLetter, false, kA5, false},
        PaperCase{"A4InSmallLettersGetsTheA4OfTheTable", [] { return sheetNamed(u"a4"_s); }, kLetter, false,
                  QSizeF(594.72, 841.68), false},
        PaperCase{"UnknownSheetKeepsItsPaper", [] { return sheetNamed(u"Elephant Folio"_s); }, kA5, false, kA5, false},
        // An envelope the default page holds neither way gets paper of its own size, as with the
        // printer's settings.
        PaperCase{"C4EnvelopeWithoutPrinterSettingsGetsC4", [] { return envelopeOfSize(324.0f * 2.8346457f, 229.0f * 2.8346457f); },
                  kLetter, false, QSizeF(229.0 * kMillimetre, 324.0 * kMillimetre), true},
        PaperCase{"HugeEnvelopeWithoutPrinterSettingsGetsItsOwnSize", [] { return envelopeOfSize(1200.0f, 900.0f); },
                  kLetter, false, QSizeF(900.0, 1200.0), false}),
    [](const auto &info) { return std::string(info.param.name); });

// Without the printer's settings an envelope goes on the default page, on paper nobody knows by
// the envelope's size.
TEST(CADocumentPrintInfoEnvelope, WithoutPrinterSettingsTheDefaultPage)
{
    CADocument document(std::make_unique<CFTADocument>(dtEnvelope, CDDString(u"us"_s), CDDString(u"us"_s)));
    document.setLayoutArangeComponents(envelopeOfSize(684.0f, 297.0f), false);
    document.printSettings().knownPaperFormat = true;
    document.printSettings().usePrinterSettings = true;
    document.setupPrintInfo(false);
    EXPECT_EQ(document.printSettings().paperSize, CAEnvironment::defaultPageSize());
    EXPECT_FALSE(document.printSettings().knownPaperFormat);
    // The choice to use the printer's settings is the sheet's record, not the paper's.
    EXPECT_TRUE(document.printSettings().usePrinterSettings);
}

// The sheet name a print job tells of: a sheet's name that no paper has, and nothing for a known
// sheet, a layout that names no paper, a roll or an envelope.
TEST(CADocumentPrintInfoSheetName, UnknownSheetPaperIsTheNameNoPaperHas)
{
    const struct
    {
        const char *name;
        CATemplateFormat layout;
        std::optional<QString> unknown;
    } cases[] = {
        {"an unknown name", sheetNamed(u"Elephant Folio"_s), u"Elephant Folio"_s},
        {"no name", sheetNamed(QString()), std::nullopt},
        {"spaces", sheetNamed(u"  "_s), std::nullopt},
        {"Legal", sheetNamed(u"Legal"_s), std::nullopt},
        {"letter in small letters", sheetNamed(u"letter"_s), std::nullopt},
        {"a roll", catalogueLayout(dtLabel, u"Dymo"_s, u"30252"_s), std::nullopt},
        {"an envelope", envelopeOfSize(684.0f, 297.0f), std::nullopt},
    };
    for (const auto &c : cases) {
        CADocument document(std::make_unique<CFTADocument>(documentType(c.layout.getDocumentType()), CDDString(u"us"_s),
                                                           CDDString(u"us"_s)));
        document.setLayoutArangeComponents(c.layout, false);
        EXPECT_EQ(document.unknownSheetPaper(), c.unknown) << c.name;
    }
}

CATemplateFormat postcardLayout(bool grid)
{
    for (const std::shared_ptr<CATemplateFormat> &layout : *CATemplateFormat::predefLayouts(dtPostcard)) {
        if ((layout->Columns() > 0 && layout->Rows() > 0) == grid)
            return *layout;
    }
    return CATemplateFormat();
}

std::unique_ptr<CADocument> documentWith(const CATemplateFormat &layout)
{
    auto document = std::make_unique<CADocument>(
        std::make_unique<CFTADocument>(documentType(layout.getDocumentType()), CDDString(u"us"_s), CDDString(u"us"_s)));
    document->setLayoutArangeComponents(layout, false);
    return document;
}

// A single card printed with the printer's settings asks for its card paper as the card stands
// (its item size always lies), portrait, so that a standing card prints upright; a lying card
// gets its item size.
TEST(CADocumentPrintInfoCards, SingleCardWithPrinterSettingsGetsItsPaperAsItStands)
{
    const CATemplateFormat layout = postcardLayout(false);
    ASSERT_GT(layout.ItemWidth(), 0.0f);
    for (const int orientation : {0, 1}) {
        const std::unique_ptr<CADocument> made = documentWith(layout);
        CADocument &document = *made;
        CFTADocument *design = document.ftDocument();
        design->getPage(0)->setPageOrientation(orientation);
        const QSizeF card(design->getCardSizeX(), design->getCardSizeY());
        ASSERT_GT(card.width(), card.height());
        document.printSettings().orientation = QPageLayout::Landscape;
        document.setupPrintInfo(true);
        EXPECT_EQ(document.printSettings().paperSize, orientation == 0 ? card : card.transposed()) << orientation;
        EXPECT_EQ(document.printSettings().orientation, QPageLayout::Portrait) << orientation;
    }
}

// A sheet of cards is printed on its sheet, with or without the printer's settings: neither the
// default page nor one card's paper would hold the sheet.
TEST(CADocumentPrintInfoCards, CardsOnASheetGetTheSheetsPaper)
{
    CATemplateFormat layout = postcardLayout(true);
    ASSERT_GT(layout.ItemWidth(), 0.0f);
    layout.setPageSize(u"Letter"_s);
    for (const bool printerSettings : {false, true}) {
        const std::unique_ptr<CADocument> made = documentWith(layout);
        CADocument &document = *made;
        document.printSettings().paperSize = kA5;
        document.setupPrintInfo(printerSettings);
        EXPECT_EQ(document.printSettings().paperSize, kLetter) << printerSettings;
        EXPECT_EQ(document.printSettings().orientation, QPageLayout::Portrait) << printerSettings;
    }
}

// Only a roll that lies across its paper turns the page; a sheet set up after it does not inherit
// the turn.
TEST(CADocumentPrintInfoCards, ASheetAfterATurnedRollIsPortrait)
{
    const std::unique_ptr<CADocument> made = documentWith(sheetNamed(u"A4"_s));
    CADocument &document = *made;
    // As a roll lying across its paper left it.
    document.printSettings().orientation = QPageLayout::Landscape;
    document.setupPrintInfo(false);
    EXPECT_EQ(document.printSettings().orientation, QPageLayout::Portrait);
    EXPECT_EQ(document.printSettings().orientedPaperSize(), QSizeF(594.72, 841.68));
}

} // namespace
