// Addresses come out on paper as designed: the rows of an address stand the font's own line
// spacing apart, kerning adds its points after every character, and a merge that fits addresses
// to small labels keeps every word on its label without printing any larger than the design.
#include "PrintingTestSupport.h"
#include "PrintedTextSupport.h"

#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/text/CFTAText.h"

#include <QRawFont>

namespace {

using printedtext::shownTextSizes;

constexpr double kResolution = 600.0;

// The pages of a PDF made in memory, read back with poppler (which reads the bytes as they are
// asked for: they must outlive it).
struct PdfWords
{
    explicit PdfWords(const QByteArray &pdf) : document(Poppler::Document::loadFromData(pdf)) {}
    std::vector<std::unique_ptr<Poppler::TextBox>> boxes() const
    {
        if (!document || document->numPages() < 1)
            return {};
        return document->page(0)->textList();
    }
    QRectF word(const QString &text) const
    {
        for (const std::unique_ptr<Poppler::TextBox> &box : boxes())
            if (box->text() == text)
                return box->boundingBox();
        return QRectF();
    }
    QSizeF pageSize() const { return document && document->numPages() > 0 ? document->page(0)->pageSizeF() : QSizeF(); }
    std::unique_ptr<Poppler::Document> document;
};

// The font's own line spacing, read from the font at a thousand pixels: ascent and descent, and the
// leading where it adds room.
double lineSpacingOf(const PWFont &font)
{
    QFont large = font.toQFont();
    large.setPixelSize(1000);
    const QRawFont raw = QRawFont::fromFont(large);
    return (raw.ascent() + raw.descent() + std::max(0.0, raw.leading())) / 1000.0 * font.pointSize();
}

class CAPrintedRowPitchTest : public printtest::Test
{
protected:
    static std::shared_ptr<PWPerson> addressee(const QString &last, const QString &street)
    {
        return PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + last.toUtf8() + ";Sam;;;\r\nADR;TYPE=WORK:;;"
                                             + street.toUtf8() + ";Springfield;IL;62701;USA\r\nEND:VCARD\r\n");
    }
    static std::unique_ptr<CFTAAddressPanel> panel(const PWFont &font, double x, double y)
    {
        const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            u"Name+Company"_s, u"us"_s, false, CAddressFormatController::kBarcodeBelow);
        auto made = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
        made->SetOrigin(x, y);
        made->SetFont(font);
        return made;
    }
    // What File > Export writes for an envelope addressed in the font: a PDF of the whole design.
    static QByteArray envelope(const PWFont &font)
    {
        auto kernel = std::make_unique<CFTADocument>(dtEnvelope, CDDString(u"us"_s), CDDString(u"us"_s));
        kernel->setDocumentSizeX(684.0);
        kernel->setDocumentSizeY(297.0);
        kernel->AddObject(panel(font, 200.0, 100.0).release(), 0, false);
        CADocument document(std::move(kernel));
        document.setCurrentPerson(addressee(u"Whitfield"_s, u"1 Main St"_s).get(), true, true, true);
        return document.PDFDataForComponents(nullptr, 0.0, false, false, false, true, kResolution);
    }
    static QByteArray labelText(const QString &text, float kerning)
    {
        auto kernel = std::make_unique<CFTADocument>(dtLabel, CDDString(u"us"_s), CDDString(u"us"_s));
        kernel->setDocumentSizeX(252.0);
        kernel->setDocumentSizeY(79.0);
        auto *component = new CFTAText(10.0, 10.0, nullptr);
        component->GetText()->setString(text, nullptr);
        component->SetFont(PWFont(u"DejaVuSans"_s, 12.0));
        component->setKerning(kerning);
        component->ExpandByText();
        kernel->AddObject(component, 0, false);
        return CADocument(std::move(kernel)).PDFDataForComponents(nullptr, 0.0, false, false, false, true, kResolution);
    }
};

struct PitchCase
{
    const char *name;
    const char *family;
    double size;
};

TEST_F(CAPrintedRowPitchTest, RowsStandTheFontsLineSpacingApart)
{
    const PitchCase cases[] = {
        {"Sans5", "DejaVuSans", 5.0},      {"Sans8", "DejaVuSans", 8.0},      {"Sans12", "DejaVuSans", 12.0},
        {"Helvetica5", "Helvetica", 5.0},  {"Helvetica8", "Helvetica", 8.0},  {"Helvetica12", "Helvetica", 12.0},
    };
    for (const PitchCase &row : cases) {
        SCOPED_TRACE(row.name);
        const PWFont font(QString::fromLatin1(row.family), row.size);
        const QByteArray pdf = envelope(font);
        const PdfWords printed(pdf);
        const QRectF name = printed.word(u"Sam"_s);
        const QRectF street = printed.word(u"Main"_s);
        const QRectF city = printed.word(u"IL"_s);
        std::string shown;
        for (const std::unique_ptr<Poppler::TextBox> &box : printed.boxes())
            shown += box->text().toStdString() + " ";
        ASSERT_FALSE(name.isNull()) << shown;
        ASSERT_FALSE(street.isNull());
        ASSERT_FALSE(city.isNull());
        const double spacing = lineSpacingOf(font);
        EXPECT_NEAR(street.top() - name.top(), spacing, spacing * 0.01);
        EXPECT_NEAR(city.top() - street.top(), spacing, spacing * 0.01);
    }
}

// A point of kerning is a point after every character, narrow or wide: three more points between
// the first and the last of four letters on paper.
TEST_F(CAPrintedRowPitchTest, KerningAddsItsPointsAfterEveryCharacter)
{
    for (const QString &word : {u"iiii"_s, u"WWWW"_s}) {
        SCOPED_TRACE(word.toStdString());
        double spans[2] = {0.0, 0.0};
        for (int kerned = 0; kerned < 2; ++kerned) {
            const QByteArray pdf = labelText(word, kerned ? 1.0f : 0.0f);
            const PdfWords printed(pdf);
            const std::vector<std::unique_ptr<Poppler::TextBox>> boxes = printed.boxes();
            ASSERT_EQ(boxes.size(), 1u);
            ASSERT_EQ(boxes.front()->text(), word);
            spans[kerned] = boxes.front()->charBoundingBox(3).left() - boxes.front()->charBoundingBox(0).left();
        }
        EXPECT_NEAR(spans[1] - spans[0], 3.0, 0.05);
    }
}

struct FitCase
{
    const char *name;
    double width;
    double height;
    double size;
    const char *last;
    const char *street;
};

// Small labels merged with fitting on: every word of every label lies inside the label, no text
// prints larger than designed, and an address that needed no fit prints at its own size.
TEST_F(CAPrintedRowPitchTest, FittedLabelsKeepEveryWordInsideAndNeverGrow)
{
    const FitCase cases[] = {
        {"SmallType", 144.0, 72.0, 5.0, "Featherstonehaugh-Worthington", "1 Main St"},
        {"SmallTypeLongStreet", 120.0, 72.0, 5.0, "Whitfield", "12345 Extraordinarily Long Boulevard Street Name East"},
        {"SmallTypeLongName", 90.0, 72.0, 5.0, "Featherstonehaugh-Worthington", "1 Main St"},
        {"ThirtyUpLongStreet", 189.0, 72.0, 8.0, "Whitfield", "12345 Extraordinarily Long Boulevard Street Name East"},
        {"ThirtyUpLongName", 189.0, 72.0, 8.0, "Maximilian-Featherstonehaugh-Worthington-Smythe", "1 Main St"},
        {"ThirtyUpShort", 189.0, 72.0, 8.0, "Whitfield", "1 Main St"},
        {"ShallowLabel", 189.0, 36.0, 8.0, "Whitfield", "1 Main St"},
    };
    for (const FitCase &row : cases) {
        SCOPED_TRACE(row.name);
        auto kernel = std::make_unique<CFTADocument>(dtLabel, CDDString(u"us"_s), CDDString(u"us"_s));
        kernel->SetPredefinedLayout(false);
        kernel->setDocumentSizeX(row.width);
        kernel->setDocumentSizeY(row.height);
        kernel->AddObject(panel(PWFont(u"Helvetica"_s, row.size), 4.0, 4.0).release(), 0, false);
        auto design = std::make_shared<CADocument>(std::move(kernel));
        CATemplateFormat sheet;
        sheet.setColumns(1);
        sheet.setRows(1);
        sheet.setItemWidth(float(row.width));
        sheet.setItemHeight(float(row.height));
        const std::shared_ptr<PWPerson> person = addressee(QString::fromLatin1(row.last), QString::fromLatin1(row.street));
        CALabelPrintingView view({design}, CAPrintingView::PersonList {person}, CAPrintSettings(), sheet, true);
        view.setFitAddressPanel(true);
        view.setCopies(1);
        view.updateDocumentMap();
        CADocument *filled = view.documentToDrawForMapIndex(0);
        ASSERT_TRUE(filled);
        const QByteArray pdf = filled->PDFDataForComponents(nullptr, 0.0, false, false, true, true, kResolution);
        const PdfWords printed(pdf);
        ASSERT_EQ(printed.pageSize(), QSizeF(row.width, row.height));
        const std::vector<std::unique_ptr<Poppler::TextBox>> words = printed.boxes();
        ASSERT_GE(words.size(), 5u);
        const QRectF label(0.0, 0.0, row.width, row.height);
        for (const std::unique_ptr<Poppler::TextBox> &word : words)
            EXPECT_TRUE(label.contains(word->boundingBox())) << word->text().toStdString();
        const std::vector<double> sizes = shownTextSizes(pdf);
        ASSERT_FALSE(sizes.empty());
        for (const double shown : sizes)
            EXPECT_LE(shown, row.size * 1.001);
        if (QByteArray(row.name) == "ThirtyUpShort") {
            for (const double shown : sizes)
                EXPECT_NEAR(shown, row.size, row.size * 0.01);
        }
    }
}

} // namespace
