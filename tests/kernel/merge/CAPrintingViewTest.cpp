#include "kernel/merge/CAPrintingView.h"

#include "PrintingTestSupport.h"

#include "platform/PWPersonProperties.h"

#include <QTemporaryDir>

#include <set>

using P = printtest::Test;
using printtest::PrintedPdf;

namespace {

// The simplest page layout: items 200 x 110 points apart, each drawn from its map entry or left blank.
class GridView : public CAPrintingView
{
public:
    GridView(std::optional<PersonList> list, const CATemplateFormat &format, int copies, std::shared_ptr<CADocument> design = P::labelDesign())
        : CAPrintingView({std::move(design)}, std::move(list), CAPrintSettings(), true)
    {
        setLayout(format);
        setCardSize(QSizeF(180.0, 100.0));
        setCopiesValue(copies);
        setDocumentMap(getDocumentMap(documentList(), personList(), copies));
    }
    void drawPage(QPainter &painter, int page) override
    {
        const auto [first, count] = mapRangeForPage(page);
        for (int slot = 0; slot < count; ++slot) {
            if (CAImageEx *image = imageForMapIndex(first + slot))
                image->drawInRect(painter, slotRect(slot, std::max(1, layout()->Columns())));
        }
    }
    static QRectF slotRect(int slot, int columns) { return QRectF(20.0 + (slot % columns) * 200.0, 20.0 + (slot / columns) * 110.0, 180.0, 100.0); }
};

// Renders every item as a flat bitmap in its recipient's colour, except for the persons named in
// failFor, and records what it was asked for: the design, vector, with printing, resolution, bleed.
struct CountingRenderer
{
    using Call = std::tuple<const CADocument *, bool, bool, double, double>;
    std::shared_ptr<std::vector<Call>> calls = std::make_shared<std::vector<Call>>();
    std::shared_ptr<QStringList> failFor = std::make_shared<QStringList>();
    CountingRenderer &on(CAPrintingView &view)
    {
        view.setItemRenderer([log = calls, failing = failFor](CADocument &document, bool vector, bool withPrinting,
                                                              double resolution, double bleed) -> std::shared_ptr<CAImageEx> {
            log->emplace_back(&document, vector, withPrinting, resolution, bleed);
            QImage image(18, 10, QImage::Format_RGB32);
            image.fill(P::colourOf(P::recipientName(document)));
            return failing->contains(P::recipientName(document)) ? nullptr : std::shared_ptr<CAImageEx>(CAImageEx::initWithImage(image));
        });
        return *this;
    }
};

using PrintingViewTest = P;

const std::optional<CAPrintingView::PersonList> noList;

// A copy of the design read back from its own bytes, as in-place editing hands it over.
std::shared_ptr<CADocument> editedCopy()
{
    auto edited = std::make_shared<CADocument>(std::make_unique<CFTADocument>());
    const QByteArray bytes = P::labelDesign()->dataRepresentationOfType(CADocument::kAddressDocumentType);
    return edited->loadDataRepresentation(bytes, CADocument::kAddressDocumentType) ? edited : nullptr;
}

bool shows(CAPrintingView &view, int index, int category)
{
    for (CFTComponent *component : view.documentForMapIndex(index)->ftDocument()->GetComponents(0, false))
        if (component->getClassID() == 8 && component->GetToFrom())
            return static_cast<CFTAAddressPanel *>(component)->getMode(textCategory(category)) != fmNever;
    return false;
}

// Rows of copies, persons (none for no list) and the map's persons; an empty list falls back to the design's own recipient.
TEST_F(PrintingViewTest, MapSpreadsCopiesOverPersonsInOrder)
{
    for (const auto &[copies, count, expected] :
         {std::tuple {7, 3, std::vector<int> {0, 0, 0, 1, 1, 2, 2}}, std::tuple {3, 5, std::vector<int> {0, 1, 2}},
          std::tuple {-1, 4, std::vector<int> {0, 1, 2, 3}}, std::tuple {0, 4, std::vector<int> {}},
          std::tuple {-7, 3, std::vector<int> {}}, std::tuple {5, -1, std::vector<int> {-1, -1, -1, -1, -1}},
          std::tuple {0, 0, std::vector<int> {-1}}, std::tuple {-1, 0, std::vector<int> {-1}}}) {
        GridView view(count < 0 ? noList : std::optional(persons(count)), grid(3, 2), copies);
        std::vector<int> indices;
        for (const CADocMapEntry &entry : view.documentMap())
            indices.push_back(entry.personIndex);
        EXPECT_EQ(indices, expected) << copies << " copies";
        EXPECT_TRUE(count != 0 || recipientName(*view.documentForMapIndex(0)) == u"Own"_s);
    }
}

// Indices and pages past the map's end are no items: nothing is made for them, nothing fails.
TEST_F(PrintingViewTest, PagesTreatAnEmptyGridAsOneItemAndStopAtTheMapsEnd)
{
    GridView view(noList, grid(3, 2), 13);
    EXPECT_EQ(view.pageCount(), 3);
    EXPECT_EQ(view.mapRangeForPage(3), std::make_pair(12, 1));
    EXPECT_EQ(view.mapRangeForPage(4).second + view.mapRangeForPage(0).second, 0);
    const CountingRenderer counting = CountingRenderer().on(view);
    EXPECT_EQ(std::tuple(view.documentForMapIndex(13), view.documentForMapIndex(-1), view.imageForMapIndex(13)),
              std::tuple(nullptr, nullptr, nullptr));
    view.refreshDocumentMap(13, true);
    view.refreshDocumentMap(-3, true);
    view.releaseMapRange(12, 100);
    view.setCurPage(5);
    EXPECT_TRUE(counting.calls->empty() && view.printFailures().isEmpty());
    GridView envelope(noList, grid(0, 0), 2);
    EXPECT_EQ(envelope.fullSheetCopies(), 1) << "a job of no copies would print nothing";
    EXPECT_EQ(envelope.pageCount(), 2);
}

TEST_F(PrintingViewTest, EndingInPlaceEditingGivesTheEntryItsOwnUncachedCopy)
{
    GridView view(persons(3), grid(3, 3), 3);
    const CountingRenderer counting = CountingRenderer().on(view);
    view.setVectorPrinting(false);
    view.fillCurrentMarkerDocumentMap();
    const std::shared_ptr<CADocument> edited = editedCopy();
    ASSERT_NE(edited, nullptr);
    view.printControllerEndEditing(edited);
    EXPECT_EQ(counting.calls->size(), 3u) << "no item is being edited";
    view.setEditingIndex(1);
    view.printControllerEndEditing(edited);
    const CADocMapEntry &entry = view.documentMap()[1];
    EXPECT_EQ(std::tuple(view.editingIndex(), entry.document(), entry.personIndex, entry.documentIndex), std::tuple(-1, edited.get(), -1, -1));
    // Made with the view's own vector flag, also in the preview; not cached, so made again on every refresh.
    EXPECT_EQ(counting.calls->back(), std::tuple(edited.get(), false, false, 100.0, 4.0));
    view.refreshDocumentMap(1, true);
    EXPECT_EQ(std::pair(view.cachedImageCount(), counting.calls->size()), std::pair(std::size_t(3), std::size_t(5)));
    view.setEditingIndex(3);
    view.printControllerEndEditing(edited);
    EXPECT_EQ(view.editingIndex(), 3) << "an index past the map's end is ignored";
}

// Printing then lets go of the changed copies but keeps the shared one and an edited one.
TEST_F(PrintingViewTest, SuppressedCountriesGetCopiesOfTheirOwnAndOthersKeepTheirCountry)
{
    // Home, home, abroad, home: the sender lives in the United States.
    GridView view(CAPrintingView::PersonList {person(u"A"_s), person(u"B"_s), person(u"C"_s, u"Canada"_s), person(u"D"_s)}, grid(1, 1), 0);
    view.setSuppressCountryField(true);
    view.setCopies(4);
    // Only the page in view (one item) is filled in; the others wait on the unchanged copy.
    const CADocumentMap &map = view.documentMap();
    EXPECT_FALSE(map[0].pending);
    EXPECT_TRUE(map[1].pending && map[2].pending && map[3].pending);
    EXPECT_EQ(std::set<const CADocMapCopy *>({map[1].copy.get(), map[2].copy.get(), map[3].copy.get()}).size(), 1u);
    EXPECT_FALSE(map[1].copy->disposable);
    // Each home address is changed on a copy of its own; the foreign address keeps the shared copy.
    EXPECT_EQ(QList<bool>({shows(view, 0, 16), shows(view, 1, 16), shows(view, 2, 16), shows(view, 3, 16)}),
              QList<bool>({false, false, true, false}));
    EXPECT_EQ(std::set<const CADocMapCopy *>({map[0].copy.get(), map[1].copy.get(), map[2].copy.get(), map[3].copy.get()}).size(), 4u);
    EXPECT_FALSE(map[2].copy->disposable);
    EXPECT_FALSE(map[0].pending || map[3].pending);
    CountingRenderer().on(view);
    const std::shared_ptr<CADocument> edited = editedCopy();
    view.setEditingIndex(3);
    view.printControllerEndEditing(edited);
    printed(view);
    EXPECT_EQ(std::tuple(map[0].document(), map[2].document() != nullptr, map[3].document()), std::tuple(nullptr, true, edited.get()));
    // A copy let go of comes back the same.
    EXPECT_FALSE(shows(view, 0, 16));
    EXPECT_EQ(recipientName(*view.documentForMapIndex(0)), u"A"_s);
}

bool showsCountry(CADocument &document)
{
    for (CFTComponent *component : document.ftDocument()->GetComponents(0, false))
        if (component->getClassID() == 8 && component->GetToFrom())
            return static_cast<CFTAAddressPanel *>(component)->getMode(tcCountry) != fmNever;
    return false;
}

// Entries are settled when their image is asked for, in whatever order: a later person settled
// first must not leave its person or its filter's change on an earlier one's image.
TEST_F(PrintingViewTest, EntriesSettledOutOfOrderShowTheirOwnPersonAndChange)
{
    GridView view(CAPrintingView::PersonList {person(u"A"_s), person(u"B"_s, u"Canada"_s), person(u"C"_s), person(u"D"_s, u"Canada"_s)},
                  grid(1, 1), 0);
    view.setSuppressCountryField(true);
    // Each kind of item in a colour of its own.
    const QStringList kinds({u"A"_s, u"B+country"_s, u"C"_s, u"D+country"_s, u"A+country"_s, u"B"_s, u"C+country"_s, u"D"_s});
    const auto colour = [&kinds](const QString &kind) { return QColor::fromHsv(int(kinds.indexOf(kind)) * 40, 255, 255); };
    auto seen = std::make_shared<QStringList>();
    view.setItemRenderer([seen, colour](CADocument &document, bool, bool, double, double) {
        seen->append(recipientName(document) + (showsCountry(document) ? u"+country"_s : QString()));
        QImage image(18, 10, QImage::Format_RGB32);
        image.fill(colour(seen->back()));
        return std::shared_ptr<CAImageEx>(CAImageEx::initWithImage(image));
    });
    view.setCopies(8); // two items a person; the page in view settles the first
    QStringList shown;
    for (const int index : {7, 4, 2, 6, 3, 5, 1}) {
        CAImageEx *image = view.imageForMapIndex(index);
        ASSERT_NE(image, nullptr);
        QImage pixels(18, 10, QImage::Format_RGB32);
        QPainter painter(&pixels);
        image->drawInRect(painter, QRectF(0, 0, 18, 10));
        painter.end();
        for (const QString &kind : kinds)
            if (pixels.pixel(9, 5) == colour(kind).rgb())
                shown.append(kind);
    }
    EXPECT_EQ(shown, QStringList({u"D+country"_s, u"C"_s, u"B+country"_s, u"D+country"_s, u"B+country"_s, u"C"_s, u"A"_s}));
    // Each person's image made once, in the order asked for.
    EXPECT_EQ(*seen, QStringList({u"A"_s, u"D+country"_s, u"C"_s, u"B+country"_s}));
    // A person's two items share one copy; home addresses each have their own.
    const CADocumentMap &map = view.documentMap();
    EXPECT_EQ(map[4].copy, map[5].copy);
    EXPECT_NE(map[4].copy, map[0].copy);
    EXPECT_EQ(map[2].copy, map[6].copy) << "foreign addresses keep the unchanged copy";
}

TEST_F(PrintingViewTest, OmittedContactNamesNeverReachTheSharedCopy)
{
    GridView view(CAPrintingView::PersonList {person(u"A"_s, u"Canada"_s), person(u"B"_s, u"Canada"_s, u"Acme"_s),
                                              person(u"C"_s, u"Canada"_s)},
                  grid(3, 2), 0);
    view.setOmitContactName(true);
    view.setCopies(3);
    EXPECT_EQ(QList<bool>({shows(view, 0, 17), shows(view, 1, 17), shows(view, 2, 17)}), QList<bool>({true, false, true}));
    EXPECT_EQ(view.documentMap()[0].copy, view.documentMap()[2].copy);
    EXPECT_NE(view.documentMap()[0].copy, view.documentMap()[1].copy);
}

TEST_F(PrintingViewTest, PrintsEveryPageAndLeavesAMissingImageBlankReportingIt)
{
    QTemporaryDir folder;
    GridView view(persons(8), grid(2, 3), -1);
    CountingRenderer counting = CountingRenderer().on(view);
    counting.failFor->append(u"Person1"_s);
    view.setVectorPrinting(false);
    view.fillCurrentMarkerDocumentMap(); // preview images, which must not be printed
    ASSERT_EQ(counting.calls->size(), 6u);
    QString error;
    EXPECT_FALSE(printPdf(view, folder.filePath(u"job.pdf"_s), &error));
    EXPECT_TRUE(error.contains(u"item 2"_s) && view.printFailures() == QStringList {u"item 2"_s}) << error.toStdString();
    const auto &[document, vector, withPrinting, resolution, bleed] = counting.calls->back();
    EXPECT_EQ(std::tuple(vector, withPrinting, resolution), std::tuple(false, true, 600.0));
    const PrintedPdf job(folder.filePath(u"job.pdf"_s));
    ASSERT_EQ(job.pageCount(), 2);
    const QImage first = job.render(0, 1.0);
    // Never the previous person's image in the missing one's slot; what was printed is let go of.
    for (const auto &[slot, colour] : {std::pair {0, colourOf(u"Person0"_s)}, std::pair {1, QColor(Qt::white)},
                                       std::pair {5, colourOf(u"Person5"_s)}})
        EXPECT_TRUE(near(QColor(first.pixel(GridView::slotRect(slot, 2).center().toPoint())), colour, 3)) << slot;
    EXPECT_EQ(view.cachedImageCount(), 0u);
}

// Items share copies (the unchanged one, and runs of a person's own) and print in whatever order
// pages ask for them: each must show its own person, filled in once per person, never the person
// the shared copy held last. A refresh asked for by name fills the list's person in again, so
// that a person changed in the list shows.
TEST_F(PrintingViewTest, EveryItemShowsItsOwnPersonWhateverTheCopyHeldBefore)
{
    for (const bool suppress : {false, true}) {
        GridView view(CAPrintingView::PersonList {person(u"A"_s), person(u"B"_s, u"Canada"_s), person(u"C"_s),
                                                  person(u"D"_s, u"Canada"_s)},
                      grid(3, 2), 0);
        view.setSuppressCountryField(suppress);
        view.setCopies(7);
        auto names = std::make_shared<QStringList>();
        view.setItemRenderer([names](CADocument &document, bool, bool, double, double) {
            names->append(recipientName(document));
            QImage image(18, 10, QImage::Format_RGB32);
            image.fill(Qt::white);
            return std::shared_ptr<CAImageEx>(CAImageEx::initWithImage(image));
        });
        QTemporaryDir folder;
        names->clear();
        ASSERT_TRUE(printPdf(view, folder.filePath(u"job.pdf"_s)));
        // One image per person: a person's second item is the same picture.
        EXPECT_EQ(*names, QStringList({u"A"_s, u"B"_s, u"C"_s, u"D"_s})) << suppress;
        // Out of order, on the shared copies the map left held.
        names->clear();
        view.clearDocMapPreviewCache();
        for (const int index : {6, 0, 2, 5})
            view.refreshDocumentMap(index, true);
        EXPECT_EQ(*names, QStringList({u"D"_s, u"A"_s, u"B"_s, u"C"_s})) << suppress;
        (*view.personList())[0]->setValueForProperty(kPWLastNameProperty, PWPlist::fromString(u"Changed"_s));
        view.refreshDocumentMap(1, true);
        EXPECT_EQ(recipientName(*view.documentForMapIndex(1)), u"Changed"_s) << suppress;
    }
}

TEST_F(PrintingViewTest, UnsupportedDocumentTypeIsRefusedWithAMessage)
{
    const std::shared_ptr<CADocument> letterhead = labelDesign();
    letterhead->ftDocument()->setDocumentType(dtLetterhead);
    GridView view(noList, grid(3, 2), 2, letterhead);
    const CountingRenderer counting = CountingRenderer().on(view);
    QTemporaryDir folder;
    QString error;
    EXPECT_FALSE(printPdf(view, folder.filePath(u"job.pdf"_s), &error) || !counting.calls->empty());
    EXPECT_EQ(error, u"CADocument::printShowingPrintPanel - Document Type is not Supported"_s);
}

// Persons whose addresses a filter changes alternate with persons it leaves alone, for every kind
// of change: each image shows its own person with exactly its own change, and the copies change
// hands (the copy a changed person took is put back as it was and serves the next persons).
TEST_F(PrintingViewTest, ChangedAndUnchangedPersonsAlternatingEachShowTheirOwn)
{
    struct Case
    {
        bool suppress;
        bool omit;
    };
    for (const Case filters : {Case {true, false}, Case {false, true}, Case {true, true}}) {
        SCOPED_TRACE(::testing::Message() << "suppress " << filters.suppress << " omit " << filters.omit);
        CAPrintingView::PersonList list;
        QStringList expected;
        for (int i = 0; i < 8; ++i) {
            // Even: at home and a company (both filters change it); odd: abroad, a private person.
            const QString name = u"P%1"_s.arg(i);
            const bool changed = i % 2 == 0;
            list.push_back(P::person(name, changed ? u"USA"_s : u"Canada"_s, changed ? u"Firm %1"_s.arg(i) : QString()));
            const bool country = !(changed && filters.suppress);
            const bool names = !(changed && filters.omit);
            expected << name + (country ? u"+country"_s : QString()) + (names ? u"+names"_s : QString());
        }
        GridView view(list, grid(4, 2), 8);
        view.setSuppressCountryField(filters.suppress);
        view.setOmitContactName(filters.omit);
        auto seen = std::make_shared<QStringList>();
        auto documents = std::make_shared<std::set<const CADocument *>>();
        view.setItemRenderer([seen, documents](CADocument &document, bool, bool, double, double) {
            QString shown = P::recipientName(document);
            for (CFTComponent *component : document.ftDocument()->GetComponents(0, false)) {
                if (component->getClassID() != 8 || !component->GetToFrom())
                    continue;
                const auto *panel = static_cast<CFTAAddressPanel *>(component);
                if (panel->getMode(tcCountry) != fmNever)
                    shown += u"+country"_s;
                if (panel->getMode(tcFirstName) != fmNever)
                    shown += u"+names"_s;
            }
            seen->append(shown);
            documents->insert(&document);
            QImage image(18, 10, QImage::Format_RGB32);
            image.fill(Qt::white);
            return std::shared_ptr<CAImageEx>(CAImageEx::initWithImage(image));
        });
        for (int index = 0; index < 8; ++index)
            ASSERT_NE(view.imageForMapIndex(index), nullptr);
        EXPECT_EQ(*seen, expected);
        EXPECT_LE(documents->size(), 2u) << "a copy is read from the design for each changed person";
    }
}

// A fresh account prints with the settings' own defaults: the comma rule and the fit to the label.
TEST_F(PrintingViewTest, AFreshAccountPrintsWithTheCommaRuleAndTheFit)
{
    for (const QString &key : {u"FTCommaDelimitedAddress"_s, u"FTAddressAutoResize"_s})
        PWUserDefaults::standardUserDefaults().removeObject(key);
    GridView view(noList, grid(3, 2), 2, labelDesign());
    EXPECT_TRUE(view.commaDelimited() && view.fitAddressPanel());
}

} // namespace
