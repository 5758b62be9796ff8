// A long merge has its label copies prepared on worker threads while the pages are written. The
// pages must be exactly those the main thread alone prints, whatever the number of workers, with
// persons placed more than once, runs of placements across page ends, counters and every filter.
#include "kernel/merge/CADYMOPrintingView.h"
#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/merge/CAPrintPreparer.h"

#include "PrintingTestSupport.h"
#include "TestSupport.h"

#include "kernel/merge/CAPrintTarget.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/printing/CAEnvironmentLayout.h"

#include <QFile>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>

using P = printtest::Test;
using printtest::PrintedPdf;

namespace {

class CAPrintPreparerTest : public P
{
protected:
    // A new label design (the default sheet, a recipient panel with POSTNET below), with a
    // counter in its corner when told.
    static std::shared_ptr<CADocument> design(const CATemplateFormat &layout, bool counter = false)
    {
        std::shared_ptr<CADocument> document = newLabelDesign(layout);
        if (counter)
            document->ftDocument()->AddObject(new CFTCounterField(150.0, 2.0, nullptr), 0, false);
        return document;
    }
    // The thirty persons of every shape, twice over (sixty persons).
    static CAPrintingView::PersonList persons()
    {
        QString error;
        const auto read = PWVCardReader::personsFromData(pwtest::readFixture(u"merge/persons-30-varied-shapes.vcf"_s), &error);
        EXPECT_TRUE(read) << error.toStdString();
        CAPrintingView::PersonList list;
        for (int round = 0; round < 2 && read; ++round)
            list.insert(list.end(), read->begin(), read->end());
        return list;
    }
    // count persons: the thirty of every shape over and over.
    static CAPrintingView::PersonList persons(int count)
    {
        const CAPrintingView::PersonList sixty = persons();
        CAPrintingView::PersonList list;
        for (int i = 0; i < count && !sixty.empty(); ++i)
            list.push_back(sixty[std::size_t(i) % sixty.size()]);
        return list;
    }
    // The same words in the same places: rows stand their fonts' own line spacing apart, so a
    // place is a sum of fractions of a point, and copies fitted in another order may sum them in
    // another order (a millionth of a point apart).
    static bool sameWords(const std::vector<std::pair<QString, QRectF>> &one, const std::vector<std::pair<QString, QRectF>> &other)
    {
        if (one.size() != other.size())
            return false;
        for (std::size_t i = 0; i < one.size(); ++i) {
            const QRectF &a = one[i].second;
            const QRectF &b = other[i].second;
            if (one[i].first != other[i].first
                || std::max({std::abs(a.x() - b.x()), std::abs(a.y() - b.y()), std::abs(a.width() - b.width()),
                             std::abs(a.height() - b.height())}) > 1e-4)
                return false;
        }
        return true;
    }
    struct Job
    {
        std::vector<QImage> pages;
        std::vector<std::vector<std::pair<QString, QRectF>>> words;
        QStringList failures;
    };
    // Each person twice, from the second slot on: a person's two labels fall on two pages at
    // every page end.
    static Job print(int threads, bool filters, bool counter = false)
    {
        const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
        EXPECT_TRUE(layout);
        CAPrintSettings settings;
        settings.paperSize = QSizeF(612.0, 792.0);
        settings.startFrom = 2;
        CALabelPrintingView view({design(*layout, counter)}, persons(), settings, *layout, true);
        view.setSuppressCountryField(filters);
        view.setOmitContactName(filters);
        view.setCommaDelimited(filters);
        view.setFitAddressPanel(filters);
        view.setPreparationThreads(threads);
        view.setCopies(120);
        const PrintedPdf pdf = printed(view, 72, false);
        Job job;
        for (int page = 0; page < pdf.pageCount(); ++page) {
            job.pages.push_back(pdf.render(page, 100.0 / 72.0).convertToFormat(QImage::Format_Grayscale8));
            job.words.push_back(pdf.words(page));
        }
        job.failures = view.printFailures();
        return job;
    }
};

TEST_F(CAPrintPreparerTest, WorkersPrintThePagesTheMainThreadPrints)
{
    for (const bool filters : {true, false}) {
        SCOPED_TRACE(filters ? "filters on" : "filters off");
        const Job alone = print(0, filters);
        // A design with a counter prints those pages too, numbered.
        const Job numbered = print(3, filters, true);
        ASSERT_EQ(numbered.pages.size(), 5u);
        for (std::size_t page = 0; page < numbered.pages.size(); ++page)
            EXPECT_GT(numbered.words[page].size(), alone.words[page].size()) << page;
        ASSERT_EQ(alone.pages.size(), 5u); // 120 labels from the second slot of 30-up sheets
        EXPECT_TRUE(alone.failures.isEmpty());
        for (const int threads : {1, 3}) {
            SCOPED_TRACE(threads);
            const Job prepared = print(threads, filters);
            ASSERT_EQ(prepared.pages.size(), alone.pages.size());
            EXPECT_TRUE(prepared.failures.isEmpty());
            for (std::size_t page = 0; page < alone.pages.size(); ++page) {
                // The same words (counters too) in the same places, and the same pixels.
                EXPECT_TRUE(sameWords(prepared.words[page], alone.words[page])) << "page " << page + 1;
                EXPECT_TRUE(prepared.pages[page] == alone.pages[page]) << "page " << page + 1 << " differs";
            }
        }
    }
}

// Stops the job after its first page, as a user cancelling it.
class CancellingTarget : public CAPdfPrintTarget
{
public:
    using CAPdfPrintTarget::CAPdfPrintTarget;
    bool pagePrinted(int page, int) override { return page < 1; }
};

TEST_F(CAPrintPreparerTest, CancelledJobEndsItsWorkersAndThePrintListStaysPrintable)
{
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    ASSERT_TRUE(layout);
    CAPrintSettings settings;
    settings.paperSize = QSizeF(612.0, 792.0);
    CALabelPrintingView view({design(*layout)}, persons(), settings, *layout, true);
    view.setPreparationThreads(4);
    QTemporaryDir folder;
    {
        QPdfWriter writer(folder.filePath(u"cancelled.pdf"_s));
        CancellingTarget target(writer);
        QString error;
        EXPECT_FALSE(view.printPages(target, &error));
        EXPECT_EQ(error, u"The print job was cancelled."_s);
    }
    // The same view prints the whole list afterwards, on the main thread or with workers.
    for (const int threads : {0, 2}) {
        view.setPreparationThreads(threads);
        const PrintedPdf pdf = printed(view, 72, false);
        ASSERT_EQ(pdf.pageCount(), 2);
        EXPECT_TRUE(view.printFailures().isEmpty());
    }
}

TEST_F(CAPrintPreparerTest, OnlyMergesOfListPersonsAndReadableDesignsArePrepared)
{
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    ASSERT_TRUE(layout);
    const CAPrintingView::PersonList list = persons();
    CALabelPrintingView merge({design(*layout)}, list, CAPrintSettings(), *layout, true);
    merge.setCopies(3 * int(list.size()));
    const std::optional<CAPrintPreparer::Job> job =
        CAPrintPreparer::jobForMap(merge.documentMap(), merge.documentList(), list);
    ASSERT_TRUE(job);
    const std::vector<CAPrintPreparer::Run> *runs = &job->runs;
    ASSERT_EQ(job->designData.size(), 1u);
    EXPECT_TRUE(job->designData.front());
    // One run per person, three entries each, in map order.
    ASSERT_EQ(runs->size(), list.size());
    for (std::size_t i = 0; i < runs->size(); ++i) {
        EXPECT_EQ((*runs)[i].firstIndex, int(3 * i));
        EXPECT_EQ((*runs)[i].lastIndex, int(3 * i + 2));
        EXPECT_EQ((*runs)[i].person, list[i].get());
    }
    EXPECT_TRUE(merge.preparesItemsOnWorkers());
    merge.setPreparationThreads(0);
    EXPECT_FALSE(merge.preparesItemsOnWorkers());
    merge.setPreparationThreads(-1);
    // Bitmap printing draws every item through its image.
    merge.setVectorPrinting(false);
    EXPECT_FALSE(merge.preparesItemsOnWorkers());
    merge.setVectorPrinting(true);
    // A roll prints each item through its image: workers would prepare copies nobody draws.
    CADYMOPrintingView roll({design(*layout)}, list, CAPrintSettings(), true);
    EXPECT_FALSE(roll.preparesItemsOnWorkers());
    // Copies of one design without a list show its own recipient: nothing to prepare.
    CALabelPrintingView copies({design(*layout)}, std::nullopt, CAPrintSettings(), *layout, true);
    copies.setCopies(40);
    EXPECT_FALSE(CAPrintPreparer::jobForMap(copies.documentMap(), copies.documentList(), list));
    // Counters are numbered while the page is written.
    CALabelPrintingView numbered({design(*layout, true)}, list, CAPrintSettings(), *layout, true);
    EXPECT_FALSE(CAPrintPreparer::jobForMap(numbered.documentMap(), numbered.documentList(), list));
    // An item edited in place has no design to copy from.
    merge.setEditingIndex(4);
    merge.printControllerEndEditing(design(*layout));
    EXPECT_FALSE(CAPrintPreparer::jobForMap(merge.documentMap(), merge.documentList(), list));
}


// A design whose copies are large is printed one copy at a time: the job holds no more documents
// at once than the view held before it (the design, the copies of the preview it sets aside), and
// prints the pages a job of many copies at once prints.
TEST_F(CAPrintPreparerTest, LargeDesignIsPrintedOneCopyAtATime)
{
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    ASSERT_TRUE(layout);
    const std::shared_ptr<CADocument> boxes = design(*layout);
    for (int i = 0; i < 40; ++i)
        boxes->ftDocument()->AddObject(new CFTBoxField(1.0 + (i % 10) * 0.2, 1.0, 0.5, 0.5, nullptr), 0, false);
    struct Case
    {
        std::size_t bound; // components the prepared copies may hold together
        int threads;
        bool oneAtATime;
    };
    const Case cases[] = {{100000, 3, false}, {40, 3, true}, {10, 0, false}, {1, -1, true}};
    std::vector<std::vector<std::pair<QString, QRectF>>> first;
    for (const Case &test : cases) {
        SCOPED_TRACE(testing::Message() << "bound " << test.bound << ", threads " << test.threads);
        CAPrintSettings settings;
        settings.paperSize = QSizeF(612.0, 792.0);
        CALabelPrintingView view({boxes}, persons(), settings, *layout, true);
        view.setFitAddressPanel(true);
        view.setCommaDelimited(true);
        view.setCopies(20);
        view.setPreparationThreads(test.threads);
        view.setPreparedComponentBound(test.bound);
        const int before = CADocument::aliveCount();
        CADocument::resetMostAlive();
        const PrintedPdf pdf = printed(view, 72, false);
        if (test.oneAtATime) {
            EXPECT_LE(CADocument::mostAlive(), before);
        }
        EXPECT_LE(CADocument::aliveCount(), before);
        EXPECT_TRUE(view.printFailures().isEmpty());
        ASSERT_EQ(pdf.pageCount(), 1);
        const auto words = pdf.words(0);
        ASSERT_FALSE(words.empty());
        if (first.empty()) {
            first.push_back(words);
        } else {
            EXPECT_TRUE(sameWords(words, first.front()));
        }
    }
}

} // namespace

// However many persons a merge prints, it holds no more copies at once than its memory bound
// takes, as the job weighs its own first copy: a bound of a few copies holds as few for ninety
// persons as for ten, on one worker or several, and a bound below one copy prints one copy at a
// time. Every job prints every page.
TEST_F(CAPrintPreparerTest, CopiesHeldAtOnceFollowTheMemoryBoundNotThePersons)
{
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    ASSERT_TRUE(layout);
    const std::shared_ptr<CADocument> shared = design(*layout);
    struct Held
    {
        int alive = 0; // documents alive at most during the job, past those before it
        int copies = 0;
        qint64 copyBytes = 0;
    };
    const auto job = [&](int count, std::optional<qint64> bound, int threads) {
        CAPrintSettings settings;
        settings.paperSize = QSizeF(612.0, 792.0);
        CALabelPrintingView view({shared}, persons(count), settings, *layout, true);
        view.setFitAddressPanel(true);
        view.setCommaDelimited(true);
        view.setPreparationThreads(threads);
        if (bound)
            view.setPreparedMemoryBound(*bound);
        view.setCopies(count);
        const int before = CADocument::aliveCount();
        CADocument::resetMostAlive();
        const PrintedPdf pdf = printed(view, 72, false);
        EXPECT_TRUE(view.printFailures().isEmpty());
        EXPECT_EQ(pdf.pageCount(), (count + view.itemsPerPage() - 1) / view.itemsPerPage());
        return Held{CADocument::mostAlive() - before, view.lastJobHeldCopies(), view.lastJobCopyBytes()};
    };
    // What one copy of this design keeps, as a job weighs it.
    const qint64 copy = job(10, std::nullopt, 3).copyBytes;
    ASSERT_GT(copy, 0) << "the job weighed nothing";
    struct Case
    {
        int persons;
        qint64 bound;
        int threads;
    };
    const qint64 few = copy * 7 / 2;
    for (const Case &test : {Case{10, few, 3}, Case{90, few, 3}, Case{90, few, 1}, Case{90, 1, 3}}) {
        SCOPED_TRACE(testing::Message() << test.persons << " persons, bound " << test.bound << ", threads " << test.threads);
        const Held held = job(test.persons, test.bound, test.threads);
        EXPECT_GE(held.copies, 1);
        EXPECT_LE(qint64(held.copies - 1) * held.copyBytes, test.bound) << "more copies than the bound takes";
        EXPECT_LE(held.alive, held.copies) << "more copies alive than the job held";
    }
}

// A sample design shows its city with the format's comma before the state. Copies serve one
// person after another, on workers or on the main thread: each person's city has the comma
// exactly when the person has a state, whatever person the copy held before.
TEST_F(CAPrintPreparerTest, EachCityIsPunctuatedForItsOwnPersonWhateverTheCopyHeldBefore)
{
    const QByteArray cards = pwtest::readFixture(u"merge/persons-30-varied-shapes.vcf"_s);
    // From the cards themselves: the one-word cities, with and without a state after them.
    QMap<QString, int> expected;
    const QRegularExpression address(u"^ADR[^:]*:[^;]*;[^;]*;[^;]*;([A-Za-z]+);([^;]*);"_s,
                                     QRegularExpression::MultilineOption);
    for (auto match = address.globalMatch(QString::fromUtf8(cards)); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        ++expected[found.captured(1) + (found.captured(2).isEmpty() ? u""_s : u","_s)];
    }
    ASSERT_GE(expected.size(), 10);

    QFile file(QStringLiteral(PW_SAMPLE_LIBRARY_DIR) + u"/Parcelwick/Templates/en.lproj/Mailing1/Business/Classic.pwdc"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray designBytes = file.readAll();
    QString error;
    const auto read = PWVCardReader::personsFromData(cards, &error);
    ASSERT_TRUE(read) << error.toStdString();
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    ASSERT_TRUE(layout);
    for (const int threads : {0, 3}) {
        SCOPED_TRACE(threads);
        auto design = std::make_shared<CADocument>();
        ASSERT_TRUE(design->loadDataRepresentation(designBytes, u"AddressDocumentType"_s, &error)) << error.toStdString();
        CAPrintSettings settings;
        settings.paperSize = QSizeF(612.0, 792.0);
        CALabelPrintingView view({design}, CAPrintingView::PersonList(read->begin(), read->end()), settings, *layout, true);
        view.setCommaDelimited(true);
        view.setPreparationThreads(threads);
        // As the print sheet does: the items made anew for its choices, filled again to print.
        view.updateDocumentMap(view.documentList(), CAPrintingView::PersonList(read->begin(), read->end()));
        view.refreshDocumentMap();
        const PrintedPdf pdf = printed(view, 72, false);
        ASSERT_GT(pdf.pageCount(), 0);
        QMap<QString, int> cities;
        for (int page = 0; page < pdf.pageCount(); ++page)
            for (const auto &[word, box] : pdf.words(page))
                if (const QString city = word.endsWith(u',') ? word.chopped(1) : word;
                    expected.contains(city) || expected.contains(city + u','))
                    ++cities[word];
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            EXPECT_EQ(cities.value(it.key()), it.value()) << it.key().toStdString();
        for (auto it = cities.cbegin(); it != cities.cend(); ++it)
            EXPECT_EQ(it.value(), expected.value(it.key())) << it.key().toStdString();
    }
}
