// The printed pages of a mail merge, held to reference pages: thirty persons of every shape a
// print list brings (long names, companies, five-line addresses, no postcode, ZIP+4, British and
// Canadian addresses) merged into a new label design with each combination of the address
// filters, printed to PDF and rasterised at 100 dots per inch. Any change to how a merge is made
// faster must leave every pixel where it was.
#include "kernel/merge/CALabelPrintingView.h"

#include "PrintingTestSupport.h"
#include "TestSupport.h"

#include "kernel/printing/CAEnvironmentLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using P = printtest::Test;
using printtest::PrintedPdf;

namespace {

struct FilterCase
{
    bool suppressCountry;
    bool omitContactName;
    bool commaDelimited;
    bool fitAddressPanel;
};

QString caseName(const FilterCase &filters)
{
    return u"merge-30-suppress%1-omit%2-comma%3-fit%4"_s.arg(int(filters.suppressCountry)).arg(int(filters.omitContactName))
        .arg(int(filters.commaDelimited)).arg(int(filters.fitAddressPanel));
}

std::vector<FilterCase> everyCombination()
{
    std::vector<FilterCase> cases;
    for (int bits = 0; bits < 16; ++bits)
        cases.push_back({(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0});
    return cases;
}

// Exact comparison with tests/data/reference/merge/<name>.png (8-bit grey);
// PW_REGENERATE_REFERENCES=1 writes the reference instead.
::testing::AssertionResult matchesPage(const QImage &page, const QString &name)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    const QString path = pwtest::dataPath(u"reference/merge/%1.png"_s.arg(name));
    if (qEnvironmentVariableIntValue("PW_REGENERATE_REFERENCES") == 1) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        return grey.save(path, "PNG") ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "cannot write " << path.toStdString();
    }
    const QImage reference = QImage(path).convertToFormat(QImage::Format_Grayscale8);
    if (reference.size() != grey.size())
        return ::testing::AssertionFailure() << name.toStdString() << ": no reference of the page's size";
    int differing = 0;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *a = grey.constScanLine(y);
        const uchar *b = reference.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            differing += a[x] != b[x] ? 1 : 0;
    }
    if (differing == 0)
        return ::testing::AssertionSuccess();
    const QString failure = QCoreApplication::applicationDirPath() + u"/reference-failures/%1.png"_s.arg(name);
    QDir().mkpath(QFileInfo(failure).absolutePath());
    grey.save(failure, "PNG");
    return ::testing::AssertionFailure() << name.toStdString() << ": " << differing << " pixels differ; page written to "
                                         << failure.toStdString();
}

class CAMergeGoldenTest : public P, public ::testing::WithParamInterface<FilterCase>
{
protected:
    // Prints the merge with items drawn straight into the page and again through played
    // pictures, and holds the words of the two pages to each other.
    static void expectDirectPageLikePlayedPictures(const FilterCase &filters);
    static CAPrintingView::PersonList persons()
    {
        QString error;
        const auto read = PWVCardReader::personsFromData(pwtest::readFixture(u"merge/persons-30-varied-shapes.vcf"_s), &error);
        EXPECT_TRUE(read) << error.toStdString();
        return read ? CAPrintingView::PersonList(read->begin(), read->end()) : CAPrintingView::PersonList();
    }
};

TEST_P(CAMergeGoldenTest, PrintedSheetMatchesItsReference)
{
    const FilterCase filters = GetParam();
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->Columns() * layout->Rows(), 30);
    const CAPrintingView::PersonList list = persons();
    ASSERT_EQ(list.size(), 30u);

    CAPrintSettings settings;
    settings.paperSize = QSizeF(612.0, 792.0);
    CALabelPrintingView view({newLabelDesign(*layout)}, list, settings, *layout, true);
    view.setSuppressCountryField(filters.suppressCountry);
    view.setOmitContactName(filters.omitContactName);
    view.setCommaDelimited(filters.commaDelimited);
    view.setFitAddressPanel(filters.fitAddressPanel);
    view.updateDocumentMap();
    ASSERT_EQ(view.pageCount(), 1);

    const PrintedPdf pdf = printed(view, 72, false);
    ASSERT_EQ(pdf.pageCount(), 1);
    // Every person is on the page: the first word of each last name.
    QStringList words;
    for (const auto &[word, box] : pdf.words(0))
        words << word;
    for (const std::shared_ptr<PWPerson> &person : list) {
        const QString last = stringForPersonCategory(person.get(), adWork, tcLastName, true).section(u' ', 0, 0);
        EXPECT_TRUE(words.contains(last)) << last.toStdString();
    }
    EXPECT_TRUE(matchesPage(pdf.render(0, 100.0 / 72.0), caseName(filters)));
}

// Items are drawn straight into the printed page; a picture recorded and played back draws its
// text again from font and string, so the two may differ by a pixel's antialiasing but never in
// what is printed or where: the same words in the same order, each within a point of its place.
TEST_F(CAMergeGoldenTest, ItemsDrawnStraightIntoThePageStandWhereTheirPicturesStood)
{
    for (const FilterCase filters : {FilterCase {false, false, false, false}, FilterCase {false, true, false, false},
                                     FilterCase {false, false, false, true}, FilterCase {false, true, false, true}}) {
        SCOPED_TRACE(caseName(filters).toStdString());
        expectDirectPageLikePlayedPictures(filters);
    }
}

void CAMergeGoldenTest::expectDirectPageLikePlayedPictures(const FilterCase &filters)
{
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    ASSERT_TRUE(layout);
    CAPrintSettings settings;
    settings.paperSize = QSizeF(612.0, 792.0);
    const auto print = [&](bool throughPictures) {
        CALabelPrintingView view({newLabelDesign(*layout)}, persons(), settings, *layout, true);
        view.setOmitContactName(filters.omitContactName);
        view.setFitAddressPanel(filters.fitAddressPanel);
        view.updateDocumentMap();
        if (throughPictures) {
            view.setItemRenderer([](CADocument &document, bool vector, bool withPrinting, double resolution, double bleed) {
                EXPECT_TRUE(vector);
                return std::shared_ptr<CAImageEx>(CAImageEx::initWithPicture(
                    document.pictureForComponents(nullptr, bleed, false, false, true, withPrinting, resolution)));
            });
        }
        const PrintedPdf pdf = printed(view, 72, false);
        EXPECT_EQ(view.drawsItemsDirectly(), !throughPictures);
        EXPECT_TRUE(view.printFailures().isEmpty());
        return pdf.pageCount() == 1 ? pdf.words(0) : std::vector<std::pair<QString, QRectF>>();
    };
    const auto direct = print(false);
    const auto played = print(true);
    ASSERT_GT(direct.size(), 90u);
    ASSERT_EQ(direct.size(), played.size());
    for (std::size_t i = 0; i < direct.size(); ++i) {
        EXPECT_EQ(direct[i].first, played[i].first) << i;
        EXPECT_TRUE(rectNear(direct[i].second, played[i].second, 1.0)) << direct[i].first.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFilterCombination, CAMergeGoldenTest, ::testing::ValuesIn(everyCombination()),
                         [](const ::testing::TestParamInfo<FilterCase> &info) { return caseName(info.param).mid(9).remove(u'-').toStdString(); });

} // namespace
