#include "app/printing/CAPrintingView.h"

#include "PrintingTestSupport.h"

#include <QTemporaryDir>

#include <set>

using namespace printtest;

namespace {

// A flat colour per person (grey for none), so that a slot tells whose image it shows.
QColor colourOf(int personIndex)
{
    static const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::magenta, Qt::cyan, Qt::yellow, Qt::darkRed};
    return personIndex < 0 ? QColor(Qt::gray) : colours[personIndex % 7];
}

// The simplest page layout: items in the template's grid, 200 x 110 points apart, each drawn
// from its map entry. A slot without an image stays blank.
class GridView : public CAPrintingView
{
public:
    GridView(DocumentList designs, std::optional<PersonList> list, const CATemplateFormat &format, int copies,
             const CAPrintSettings &settings = CAPrintSettings())
        : CAPrintingView(std::move(designs), std::move(list), settings, true)
    {
        setLayout(format);
        setCardSize(QSizeF(180.0, 100.0));
        setCopiesValue(copies);
        setDocumentMap(getDocumentMap(documentList(), personList(), copies));
    }

    void drawPage(QPainter &painter, int page) override
    {
        const auto [first, count] = mapRangeForPage(page);
        const int columns = std::max(1, layout()->Columns());
        for (int slot = 0; slot < count; ++slot) {
            if (CAImageEx *image = imageForMapIndex(first + slot))
                image->drawInRect(painter, slotRect(slot, columns));
        }
    }

    static QRectF slotRect(int slot, int columns)
    {
        return QRectF(20.0 + (slot % columns) * 200.0, 20.0 + (slot / columns) * 110.0, 180.0, 100.0);
    }
};

// Renders every item as a flat bitmap in its person's colour and counts what it was asked for.
struct CountingRenderer
{
    struct Call
    {
        const CADocument *document;
        bool vector;
        bool withPrinting;
        double resolution;
        double bleed;
    };
    std::shared_ptr<std::vector<Call>> calls = std::make_shared<std::vector<Call>>();
    // Persons (by the last name of their copy's recipient) for whom no image can be made.
    std::shared_ptr<QStringList> failFor = std::make_shared<QStringList>();

    CAPrintingView::ItemRenderer renderer() const
    {
        return [log = calls, failing = failFor](CADocument &document, bool vector, bool withPrinting, double resolution,
                                                double bleed) -> std::shared_ptr<CAImageEx> {
            log->push_back({&document, vector, withPrinting, resolution, bleed});
            const std::shared_ptr<PWPerson> recipient = document.currentPerson(true);
            const QString last = recipient ? recipient->valueForProperty(u"Last"_s).toString() : QString();
            if (failing->contains(last))
                return nullptr;
            QImage image(18, 10, QImage::Format_RGB32);
            image.fill(colourOf(last.startsWith(QLatin1String("Person")) ? last.mid(6).toInt() : -1));
            return std::shared_ptr<CAImageEx>(CAImageEx::initWithImage(image));
        };
    }
};

class PrintingViewTest : public ::testing::Test
{
protected:
    void SetUp() override { prepareProcess(); }
};

std::vector<int> personIndices(const CADocumentMap &map)
{
    std::vector<int> indices;
    for (const CADocMapEntry &entry : map)
        indices.push_back(entry.personIndex);
    return indices;
}

const std::optional<CAPrintingView::PersonList> noList;

// A copy of the design read back from its own bytes, as in-place editing hands it over.
std::shared_ptr<CADocument> editedCopy()
{
    auto edited = std::make_shared<CADocument>(std::make_unique<CFTADocument>());
    const bool loaded = edited->loadDataRepresentation(
        labelDesign()->dataRepresentationOfType(CADocument::kAddressDocumentType), CADocument::kAddressDocumentType);
    return loaded ? edited : nullptr;
}

struct Distribution
{
    const char *name;
    int copies;
    std::optional<int> persons;
    std::vector<int> expected;
};

// Shown by its name, so that the registered test names stay the same from build to build.
void PrintTo(const Distribution &row, std::ostream *stream)
{
    *stream << row.name;
}

class MapDistributionTest : public PrintingViewTest, public ::testing::WithParamInterface<Distribution>
{
};

TEST_P(MapDistributionTest, SpreadsCopiesOverPersonsInOrder)
{
    const Distribution &d = GetParam();
    std::optional<CAPrintingView::PersonList> list;
    if (d.persons)
        list = persons(*d.persons);
    GridView view({labelDesign()}, list, grid(3, 2), d.copies);
    EXPECT_EQ(personIndices(view.documentMap()), d.expected);
    for (const CADocMapEntry &entry : view.documentMap()) {
        EXPECT_EQ(entry.documentIndex, 0);
        EXPECT_EQ(entry.copy, view.documentMap().front().copy) << "persons share one copy while no filter changes it";
        EXPECT_EQ(entry.preview, nullptr) << "building the map renders nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MapDistributionTest,
    ::testing::Values(Distribution {"SevenCopiesOverThree", 7, 3, {0, 0, 0, 1, 1, 2, 2}},
                      Distribution {"FewerCopiesThanPersons", 3, 5, {0, 1, 2}},
                      Distribution {"OnePerPerson", -1, 4, {0, 1, 2, 3}}, Distribution {"NoCopies", 0, 4, {}},
                      Distribution {"NoList", 5, std::nullopt, {-1, -1, -1, -1, -1}},
                      Distribution {"NegativeCopies", -7, 3, {}}),
    [](const ::testing::TestParamInfo<Distribution> &info) { return std::string(info.param.name); });

TEST_F(PrintingViewTest, EmptyPrintListFallsBackToTheDesignsOwnRecipient)
{
    for (int copies : {-1, 0, 2}) {
        GridView view({labelDesign()}, CAPrintingView::PersonList {}, grid(3, 2), copies);
        EXPECT_FALSE(view.isUsePrintList());
        ASSERT_EQ(view.documentMap().size(), std::size_t(std::max(copies, 1))) << copies;
        EXPECT_EQ(view.documentMap()[0].personIndex, -1);
        CADocument *copy = view.documentForMapIndex(0);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->currentPerson(true)->valueForProperty(u"Last"_s).toString(), u"Own"_s);
    }
}

TEST_F(PrintingViewTest, PagesTreatAnEmptyGridAsOneItemAndStopAtTheMapsEnd)
{
    GridView view({labelDesign()}, noList, grid(3, 2), 13);
    EXPECT_EQ(view.itemsPerPage(), 6);
    EXPECT_EQ(view.pageCount(), 3);
    EXPECT_EQ(view.mapRangeForPage(3), std::make_pair(12, 1));
    EXPECT_EQ(view.mapRangeForPage(4).second, 0);
    EXPECT_EQ(view.mapRangeForPage(0).second, 0);

    GridView envelope({labelDesign()}, noList, grid(0, 0), 2);
    EXPECT_EQ(envelope.itemsPerPage(), 1);
    EXPECT_EQ(envelope.fullSheetCopies(), 1) << "a job of no copies would print nothing";
    EXPECT_EQ(envelope.pageCount(), 2);
}

TEST_F(PrintingViewTest, OutOfRangeIndicesDoNothing)
{
    GridView view({labelDesign()}, noList, grid(3, 2), 2);
    CountingRenderer counting;
    view.setItemRenderer(counting.renderer());
    EXPECT_EQ(view.documentForMapIndex(2), nullptr);
    EXPECT_EQ(view.documentForMapIndex(-1), nullptr);
    EXPECT_EQ(view.imageForMapIndex(2), nullptr);
    view.refreshDocumentMap(2, true);
    view.refreshDocumentMap(-3, true);
    view.releaseMapRange(1, 100);
    EXPECT_TRUE(counting.calls->empty());
    EXPECT_TRUE(view.printFailures().isEmpty()) << "past the end is no item, not a failed one";

    view.setCurPage(5);
    EXPECT_TRUE(counting.calls->empty()) << "a page past the last item refreshes nothing";
}

TEST_F(PrintingViewTest, ImagesAreCachedPerCopyPersonDesignAndKind)
{
    GridView view({labelDesign()}, persons(3), grid(3, 3), 7);
    CountingRenderer counting;
    view.setItemRenderer(counting.renderer());
    view.refreshDocumentMap();
    EXPECT_EQ(counting.calls->size(), 3u) << "one image per person, shared by that person's copies";
    EXPECT_EQ(view.cachedImageCount(), 3u);
    EXPECT_EQ(view.documentMap()[0].preview, view.documentMap()[2].preview);
    EXPECT_NE(view.documentMap()[2].preview, view.documentMap()[3].preview);
    for (const auto &call : *counting.calls) {
        EXPECT_TRUE(call.vector) << "previews are always vector";
        EXPECT_FALSE(call.withPrinting);
        EXPECT_DOUBLE_EQ(call.resolution, 100.0);
        EXPECT_DOUBLE_EQ(call.bleed, 4.0);
    }

    view.refreshDocumentMap();
    EXPECT_EQ(counting.calls->size(), 3u) << "a second refresh finds every image cached";
    view.clearDocMapPreviewCache();
    view.refreshDocumentMap();
    EXPECT_EQ(counting.calls->size(), 6u);

    // Changing the copies rebuilds the map and starts the cache afresh.
    view.setCopies(3);
    EXPECT_EQ(view.documentMap().size(), 3u);
    EXPECT_EQ(view.cachedImageCount(), 3u) << "the page in view gets its images";
    EXPECT_EQ(counting.calls->size(), 9u);
}

TEST_F(PrintingViewTest, EndingInPlaceEditingGivesTheEntryItsOwnUncachedCopy)
{
    GridView view({labelDesign()}, persons(3), grid(3, 3), 3);
    CountingRenderer counting;
    view.setItemRenderer(counting.renderer());
    view.setVectorPrinting(false);
    view.fillCurrentMarkerDocumentMap();
    ASSERT_EQ(counting.calls->size(), 3u);

    const std::shared_ptr<CADocument> edited = editedCopy();
    ASSERT_NE(edited, nullptr);
    view.printControllerEndEditing(edited);
    EXPECT_EQ(counting.calls->size(), 3u) << "no item is being edited";

    view.setEditingIndex(1);
    view.printControllerEndEditing(edited);
    EXPECT_EQ(view.editingIndex(), -1);
    const CADocMapEntry &entry = view.documentMap()[1];
    EXPECT_EQ(entry.document(), edited.get());
    EXPECT_EQ(entry.personIndex, -1);
    EXPECT_EQ(entry.documentIndex, -1);
    ASSERT_EQ(counting.calls->size(), 4u);
    EXPECT_EQ(counting.calls->back().document, edited.get());
    EXPECT_FALSE(counting.calls->back().vector) << "made with the view's own vector flag, also in the preview";
    EXPECT_EQ(view.cachedImageCount(), 3u) << "the edited item's image is not cached";
    EXPECT_NE(entry.preview, nullptr);

    view.refreshDocumentMap(1, true);
    EXPECT_EQ(counting.calls->size(), 5u) << "and so is made again on every refresh";

    view.setEditingIndex(3);
    view.printControllerEndEditing(edited);
    EXPECT_EQ(view.editingIndex(), 3) << "an index past the map's end is ignored";
}

CFTAAddressPanel *recipientPanel(CADocument &document)
{
    for (CFTComponent *component : document.ftDocument()->GetComponents(0, false))
        if (component->getClassID() == 8 && component->GetToFrom())
            return static_cast<CFTAAddressPanel *>(component);
    return nullptr;
}

TEST_F(PrintingViewTest, SuppressedCountriesGetCopiesOfTheirOwnAndOthersKeepTheirCountry)
{
    // Home, home, abroad, home: the sender lives in the United States.
    CAPrintingView::PersonList list {person(u"A"_s), person(u"B"_s), person(u"C"_s, u"Canada"_s), person(u"D"_s)};
    GridView probe({labelDesign()}, list, grid(3, 2), 0);
    probe.setSuppressCountryField(true);
    probe.setCopies(4);
    const CADocumentMap &map = probe.documentMap();
    ASSERT_EQ(map.size(), 4u);
    std::set<const CADocMapCopy *> copies;
    for (const CADocMapEntry &entry : map)
        copies.insert(entry.copy.get());
    EXPECT_EQ(copies.size(), 4u) << "each home address is changed on a copy of its own";
    EXPECT_TRUE(map[0].copy->disposable);
    EXPECT_FALSE(map[2].copy->disposable) << "the foreign address keeps the shared copy";

    for (int i : {0, 1, 3}) {
        CADocument *copy = probe.documentForMapIndex(i);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(recipientPanel(*copy)->getMode(textCategory(16)), fieldMode(0)) << i;
    }
    CADocument *abroad = probe.documentForMapIndex(2);
    EXPECT_NE(recipientPanel(*abroad)->getMode(textCategory(16)), fieldMode(0));
}

TEST_F(PrintingViewTest, OmittedContactNamesNeverReachTheSharedCopy)
{
    registerCompanyFlag();
    const CAPrintingView::PersonList list {person(u"A"_s, u"Canada"_s), person(u"B"_s, u"Canada"_s, u"Acme"_s),
                                           person(u"C"_s, u"Canada"_s)};
    GridView view({labelDesign()}, list, grid(3, 2), 0);
    view.setOmitContactName(true);
    view.setCopies(3);
    const CADocumentMap &map = view.documentMap();
    ASSERT_EQ(map.size(), 3u);
    EXPECT_EQ(map[0].copy, map[2].copy);
    EXPECT_NE(map[1].copy, map[0].copy);
    CADocument *company = view.documentForMapIndex(1);
    CADocument *shared = view.documentForMapIndex(0);
    EXPECT_EQ(recipientPanel(*company)->getMode(textCategory(17)), fieldMode(0));
    EXPECT_NE(recipientPanel(*shared)->getMode(textCategory(17)), fieldMode(0));
}

TEST_F(PrintingViewTest, FilterAsksForAFreshCopyOnceACommaOrFitRuleWasApplied)
{
    const std::shared_ptr<CADocument> design = labelDesign();
    for (const QString &rule : {u"CommaDelimited"_s, u"FitAddressPanel"_s}) {
        CADocumentFilter filter {{rule, true}, {u"Did"_s + rule, true}};
        if (rule == u"CommaDelimited"_s)
            filter.insert(u"FitAddressPanel"_s, true);
        const CADocumentFilter result = CAPrintingView::processFilter(filter, *design, true);
        EXPECT_TRUE(result.value(u"RequestProcessOriginal"_s)) << rule.toStdString();
        EXPECT_FALSE(result.contains(u"DidFitAddressPanel"_s))
            << "the walk stops at the first component: " << rule.toStdString();
    }
    EXPECT_TRUE(
        CAPrintingView::processFilter(CADocumentFilter {{u"SuppressCountryField"_s, false}}, *design, false).isEmpty());
}

// The slot's colour at its centre, within what the PDF round trip may shift.
::testing::AssertionResult slotShows(const QImage &page, int slot, int columns, const QColor &expected)
{
    const QPointF centre = GridView::slotRect(slot, columns).center();
    const QColor found = page.pixelColor(int(centre.x()), int(centre.y()));
    if (near(found, expected, 3))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "slot " << slot << " shows " << found.name().toStdString() << ", not "
                                         << expected.name().toStdString();
}

TEST_F(PrintingViewTest, PrintsEveryPageAndLeavesAMissingImageBlankReportingIt)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"job.pdf"_s);
    CAPrintSettings settings;
    settings.paperSize = QSizeF(612.0, 792.0);
    GridView view({labelDesign()}, persons(8), grid(2, 3), -1, settings);
    CountingRenderer counting;
    counting.failFor->append(u"Person1"_s);
    view.setItemRenderer(counting.renderer());
    view.setVectorPrinting(false);
    view.fillCurrentMarkerDocumentMap(); // preview images, which must not be printed
    ASSERT_EQ(counting.calls->size(), 6u);
    for (const auto &call : *counting.calls)
        EXPECT_TRUE(call.vector) << "previews are vector even when printing is not";

    QString error;
    EXPECT_FALSE(printPdf(view, path, &error));
    EXPECT_TRUE(error.contains(u"item 2"_s)) << error.toStdString();
    EXPECT_EQ(view.printFailures(), QStringList {u"item 2"_s});
    EXPECT_EQ(view.viewMode(), CAPrintingView::kPrintMode);
    ASSERT_GT(counting.calls->size(), 6u);
    for (std::size_t i = 6; i < counting.calls->size(); ++i) {
        EXPECT_DOUBLE_EQ((*counting.calls)[i].resolution, 600.0);
        EXPECT_TRUE((*counting.calls)[i].withPrinting);
        EXPECT_FALSE((*counting.calls)[i].vector);
    }

    const PrintedPdf job(path);
    ASSERT_EQ(job.pageCount(), 2);
    EXPECT_EQ(job.pageSize(0).toSize(), QSize(612, 792));
    const QImage first = job.render(0, 1.0);
    EXPECT_TRUE(slotShows(first, 0, 2, colourOf(0)));
    EXPECT_TRUE(slotShows(first, 1, 2, QColor(Qt::white))) << "never the previous person's image";
    EXPECT_TRUE(slotShows(first, 2, 2, colourOf(2)));
    EXPECT_TRUE(slotShows(first, 5, 2, colourOf(5)));

    // What was printed is let go of.
    EXPECT_EQ(view.cachedImageCount(), 0u);
    for (const CADocMapEntry &entry : view.documentMap())
        EXPECT_EQ(entry.preview, nullptr);
}

TEST_F(PrintingViewTest, UnsupportedDocumentTypeIsRefusedWithAMessage)
{
    const std::shared_ptr<CADocument> letterhead = labelDesign();
    letterhead->ftDocument()->setDocumentType(dtLetterhead);
    GridView view({letterhead}, noList, grid(3, 2), 2);
    CountingRenderer counting;
    view.setItemRenderer(counting.renderer());
    QTemporaryDir folder;
    QString error;
    EXPECT_FALSE(printPdf(view, folder.filePath(u"refused.pdf"_s), &error));
    EXPECT_EQ(error, u"CADocument::printShowingPrintPanel - Document Type is not Supported"_s);
    EXPECT_TRUE(counting.calls->empty());
}

TEST_F(PrintingViewTest, PrintingLetsGoOfFilterChangedCopiesButKeepsSharedAndEditedOnes)
{
    const CAPrintingView::PersonList list {person(u"A"_s), person(u"B"_s, u"Canada"_s), person(u"C"_s)};
    GridView view({labelDesign()}, list, grid(1, 1), 0);
    view.setSuppressCountryField(true);
    view.setCopies(4);
    CountingRenderer counting;
    view.setItemRenderer(counting.renderer());
    const std::shared_ptr<CADocument> edited = editedCopy();
    ASSERT_NE(edited, nullptr);
    view.setEditingIndex(3);
    view.printControllerEndEditing(edited);

    QTemporaryDir folder;
    QString error;
    ASSERT_TRUE(printPdf(view, folder.filePath(u"lean.pdf"_s), &error)) << error.toStdString();
    const CADocumentMap &map = view.documentMap();
    EXPECT_EQ(map[0].document(), nullptr) << "a filter-changed copy is made again when needed";
    EXPECT_NE(map[2].document(), nullptr) << "the shared copy stays";
    EXPECT_EQ(map[3].document(), edited.get()) << "the edited copy stays";
    // A copy let go of comes back the same.
    CADocument *again = view.documentForMapIndex(0);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(recipientPanel(*again)->getMode(textCategory(16)), fieldMode(0));
    EXPECT_EQ(again->currentPerson(true)->valueForProperty(u"Last"_s).toString(), u"A"_s);
}

} // namespace
