// A whole mail-merge print job as a user runs it: persons of four to five lines read from a vCard
// file are merged into a new label design (the default 30-up sheet and text size, a recipient
// address panel with its POSTNET barcode below) and printed to a PDF file, with the settings the
// application registers (the fit-to-label and comma filters on; "--filters=off" turns both off).
// Each job runs in a child process of its own, so that its peak memory is its own. Prints wall
// time (reading, building the job, printing) and the peak resident set size, then checks what was
// printed: every name once and in order, every label's text and barcode inside its label (with the
// filters off only the names: an address the fit does not shrink may run out of its label).
#include "BenchSupport.h"

#include "kernel/merge/CADocument.h"
#include "kernel/merge/CALabelPrintingView.h"
#include "kernel/merge/CAPrintPreparer.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/component/FTComponentFactory.h"
#include "platform/PWJobReport.h"
#include "platform/PWPerson.h"
#include "platform/PWVCardReader.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CALabelSheetLayout.h"
#include "platform/PWUserDefaults.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPdfWriter>
#include <QDir>
#include <QTemporaryDir>

#include <poppler-qt6.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char *const kCities[][3] = {{"Springfield", "IL", "62701"}, {"Portland", "OR", "97201"},
                                  {"Madison", "WI", "53703"},     {"Austin", "TX", "78701"},
                                  {"Denver", "CO", "80202"},      {"Albany", "NY", "12207"}};

QByteArray vCards(int count)
{
    QByteArray bytes;
    bytes.reserve(count * 200);
    for (int i = 0; i < count; ++i) {
        const auto &city = kCities[i % 6];
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person" + QByteArray::number(i) + ";Alex;;;\r\nFN:Alex Person" +
                 QByteArray::number(i) + "\r\n";
        if (i % 4 == 0)
            bytes += "ORG:Widgets " + QByteArray::number(i) + ";\r\n";
        // Every third person has a second street line: four to five lines a label.
        const QByteArray suite = i % 3 == 0 ? "\\nSuite " + QByteArray::number(1 + i % 500) : QByteArray();
        bytes += "ADR;TYPE=WORK:;;" + QByteArray::number(100 + i) + " Main St" + suite + ";" + city[0] + ";" + city[1] +
                 ";" + city[2] + "-" + QByteArray::number(1000 + i % 9000) + ";USA\r\nEND:VCARD\r\n";
    }
    return bytes;
}

// Small boxes added to the design ("--components=N"): the memory of a job of a large design.
int extraComponents = 0;

std::shared_ptr<CADocument> sheetDesign(const CATemplateFormat &layout)
{
    auto document = std::make_shared<CADocument>();
    document->setLayoutArangeComponents(layout, false);
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            QStringLiteral("Name+Company"), QStringLiteral("us"), true, CAddressFormatController::kBarcodeBelow);
    auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
    panel->SetOrigin(8.0, 6.0);
    document->ftDocument()->AddObject(panel.release(), 0, false);
    for (int i = 0; i < extraComponents; ++i)
        document->ftDocument()->AddObject(new CFTBoxField(1.0 + (i % 10) * 0.2, 1.0, 0.5, 0.5, nullptr), 0, false);
    return document;
}

// Reads the printed PDF back: the last names ("PersonN") in slot order must run 0, 1, ..., count - 1;
// every word and every dark pixel lies inside a label; every label shows dark ink (its barcode)
// below its lowest word. Answers the first fault, or nothing. Without the fit (fitted false) an
// address taller than its label runs out of it, as the user asked: the words outside their label
// are counted in overflowing instead, and only the names are checked.
QString checkOutput(const QString &pdf, const CATemplateFormat &layout, int count, bool fitted, int *overflowing)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    if (!document)
        return QStringLiteral("the PDF cannot be read");
    const CALabelSheetLayout sheet(layout);
    const int perPage = sheet.itemsPerPage();
    const auto slotRect = [&](int slot) {
        return QRectF(QPointF(sheet.originX(), sheet.originY()) + sheet.slotOrigin(slot),
                      QSizeF(sheet.itemWidth(), sheet.itemHeight()));
    };
    const auto slotAt = [&](const QPointF &point) {
        for (int slot = 0; slot < perPage; ++slot)
            if (slotRect(slot).contains(point))
                return slot;
        return -1;
    };
    constexpr double kScale = 1.0; // 72 dots per inch: a POSTNET bar is more than one pixel wide
    int expected = 0;
    for (int page = 0; page < document->numPages(); ++page) {
        const std::unique_ptr<Poppler::Page> sheetPage = document->page(page);
        std::vector<QString> names(static_cast<std::size_t>(perPage));
        std::vector<double> lowest(static_cast<std::size_t>(perPage), -1.0);
        for (const std::unique_ptr<Poppler::TextBox> &box : sheetPage->textList()) {
            const QRectF rect = box->boundingBox();
            const int slot = slotAt(rect.center());
            if (slot < 0 || !slotRect(slot).adjusted(-0.5, -0.5, 0.5, 0.5).contains(rect)) {
                if (fitted)
                    return QStringLiteral("page %1: \"%2\" outside its label").arg(page + 1).arg(box->text());
                ++*overflowing;
                if (slot < 0)
                    continue;
            }
            lowest[std::size_t(slot)] = std::max(lowest[std::size_t(slot)], rect.bottom());
            if (box->text().startsWith(QStringLiteral("Person"))) {
                if (!names[std::size_t(slot)].isEmpty())
                    return QStringLiteral("page %1: two names in label %2").arg(page + 1).arg(slot + 1);
                names[std::size_t(slot)] = box->text();
            }
        }
        for (int slot = 0; slot < perPage && expected < count; ++slot, ++expected) {
            if (names[std::size_t(slot)] != QStringLiteral("Person%1").arg(expected))
                return QStringLiteral("page %1, label %2: \"%3\" where Person%4 belongs")
                    .arg(page + 1).arg(slot + 1).arg(names[std::size_t(slot)]).arg(expected);
        }
        if (!fitted)
            continue;
        document->setPaperColor(Qt::white);
        const QImage image = sheetPage->renderToImage(72.0 * kScale, 72.0 * kScale).convertToFormat(QImage::Format_Grayscale8);
        std::vector<bool> barcode(static_cast<std::size_t>(perPage), false);
        for (int y = 0; y < image.height(); ++y) {
            const uchar *line = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x) {
                if (line[x] > 96)
                    continue;
                const QPointF point((x + 0.5) / kScale, (y + 0.5) / kScale);
                const int slot = slotAt(point);
                if (slot < 0)
                    return QStringLiteral("page %1: ink outside every label at (%2, %3)").arg(page + 1).arg(x).arg(y);
                if (point.y() > lowest[std::size_t(slot)] + 1.0 && lowest[std::size_t(slot)] >= 0.0)
                    barcode[std::size_t(slot)] = true;
            }
        }
        for (int slot = 0; slot < perPage; ++slot)
            if (!names[std::size_t(slot)].isEmpty() && !barcode[std::size_t(slot)])
                return QStringLiteral("page %1, label %2: no barcode below the address").arg(page + 1).arg(slot + 1);
    }
    if (expected != count)
        return QStringLiteral("%1 labels printed of %2").arg(expected).arg(count);
    return QString();
}

// The resident set size now, in megabytes.
double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0.0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0 : 0.0;
}

// User and system time of this process so far, in seconds.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int runJob(int argc, char **argv, int count, bool filtersOn, int threads)
{
    // The whole process as a batch print runs it: start-up included.
    QElapsedTimer process;
    process.start();
    BenchEnvironment environment(argc, argv);
    if (!filtersOn) {
        PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
        defaults.setBool(QStringLiteral("FTAddressAutoResize"), false);
        defaults.setBool(QStringLiteral("FTCommaDelimitedAddress"), false);
    }
    // One warning per copy would measure the terminal, not the job.
    QLoggingCategory::setFilterRules(QStringLiteral("pw.*.warning=false"));
    CAEnvironment::setDefaultCountry(QStringLiteral("us"));
    CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });

    QTemporaryDir folder;
    const QString cards = folder.filePath(QStringLiteral("persons.vcf"));
    {
        QFile file(cards);
        if (!file.open(QIODevice::WriteOnly) || file.write(vCards(count)) < 0) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(cards));
            return 1;
        }
    }
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    if (!layout || layout->Columns() * layout->Rows() != 30) {
        std::fprintf(stderr, "the default label template is not a 30-up sheet\n");
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    QFile file(cards);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "could not read %s\n", qPrintable(cards));
        return 1;
    }
    QString error;
    const std::optional<QList<std::shared_ptr<PWPerson>>> read = PWVCardReader::personsFromData(file.readAll(), &error);
    if (!read) {
        std::fprintf(stderr, "no persons: %s\n", qPrintable(error));
        return 1;
    }
    const qint64 readMs = clock.elapsed();
    CAPrintingView::PersonList persons(read->begin(), read->end());

    CAPrintSettings settings;
    settings.paperSize = QSizeF(612.0, 792.0);
    std::shared_ptr<CADocument> design = sheetDesign(*layout);
    const double designMb = residentMegabytes();
    // The view builds the job's map: one item per person.
    CALabelPrintingView view({std::move(design)}, std::move(persons), settings, *layout, true);
    const double viewMb = residentMegabytes();
    view.setPreparationThreads(threads);
    const qint64 builtMs = clock.elapsed();

    const QString pdf = folder.filePath(QStringLiteral("merged.pdf"));
    bool printed = false;
    const double cpuBefore = cpuSeconds();
    {
        // As a batch job prints: with a job report open, whose checks are part of the job's cost.
        const PWJobReport report;
        QPdfWriter writer(pdf);
        printed = view.printPages(writer, &error);
    }
    const double printCpu = cpuSeconds() - cpuBefore;
    const qint64 totalMs = clock.elapsed();
    // PW_BENCH_KEEP_PDF names a folder that keeps each job's PDF, to look at what was printed.
    if (const QByteArray keep = qgetenv("PW_BENCH_KEEP_PDF"); !keep.isEmpty())
        QFile::copy(pdf, QDir(QString::fromLocal8Bit(keep)).filePath(QStringLiteral("merged-%1.pdf").arg(count)));
    std::printf("%6d labels  filters %-3s  workers %2d  %4d pages  read %5lld ms  job %5lld ms  print %6lld ms (CPU %.2f s)  total %6lld ms  "
                "process %6lld ms  RSS with the design %6.1f MB, with the job %6.1f MB  peak RSS %6.1f MB  PDF %.1f MB%s\n",
                count, filtersOn ? "on" : "off", threads < 0 ? CAPrintPreparer::defaultWorkerCount() : threads, view.pageCount(), (long long)readMs, (long long)(builtMs - readMs),
                (long long)(totalMs - builtMs), printCpu, (long long)totalMs, (long long)process.elapsed(), designMb, viewMb, peakKilobytes() / 1024.0,
                QFileInfo(pdf).size() / 1048576.0, printed ? "" : "  (job reported a failure)");
    if (!printed) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::fflush(stdout);
    int overflowing = 0;
    if (const QString fault = checkOutput(pdf, *layout, count, filtersOn, &overflowing); !fault.isEmpty()) {
        std::fprintf(stderr, "wrong output: %s\n", qPrintable(fault));
        return 1;
    }
    if (overflowing > 0)
        std::printf("        not fitted: %d words run out of their labels\n", overflowing);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // Label counts may be given on the command line; by default the two sizes of the target.
    // "--threads=N" sets the workers that prepare the labels (0: the main thread alone);
    // "--components=N" adds N small boxes to the design.
    std::vector<int> counts;
    bool filtersOn = true;
    int threads = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--filters=off") == 0)
            filtersOn = false;
        else if (std::strncmp(argv[i], "--threads=", 10) == 0)
            threads = std::max(0, std::atoi(argv[i] + 10));
        else if (std::strncmp(argv[i], "--components=", 13) == 0)
            extraComponents = std::max(0, std::atoi(argv[i] + 13));
        else if (const int n = std::atoi(argv[i]); n > 0)
            counts.push_back(n);
    }
    if (counts.empty())
        counts = {1000, 10000};
    int status = 0;
    for (int count : counts) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child < 0)
            return 1;
        if (child == 0) {
            const int result = runJob(argc, argv, count, filtersOn, threads);
            std::fflush(nullptr);
            std::_Exit(result);
        }
        int childStatus = 0;
        waitpid(child, &childStatus, 0);
        if (!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0)
            status = 1;
    }
    return status;
}
