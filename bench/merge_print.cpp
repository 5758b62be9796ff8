// A whole mail-merge print job: persons read from a vCard file are merged into the default
// 30-up label sheet design (a recipient address panel with its POSTNET barcode) and printed to a
// PDF file. Each job runs in a child process of its own, so that its peak memory is its own.
// Prints wall time (reading, building the job, printing) and the peak resident set size.
#include "BenchSupport.h"

#include "kernel/merge/CADocument.h"
#include "kernel/merge/CALabelPrintingView.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/foundation/CAEnvironment.h"
#include "kernel/foundation/FTComponentFactory.h"
#include "platform/PWPerson.h"
#include "platform/PWVCardReader.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/printing/CAEnvironmentLayout.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPdfWriter>
#include <QDir>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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
        bytes += "ADR;TYPE=WORK:;;" + QByteArray::number(100 + i) + " Main St;" + city[0] + ";" + city[1] + ";" +
                 city[2] + "-" + QByteArray::number(1000 + i % 9000) + ";USA\r\nEND:VCARD\r\n";
    }
    return bytes;
}

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
    return document;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int runJob(int argc, char **argv, int count)
{
    BenchEnvironment environment(argc, argv);
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
    // The view builds the job's map: one item per person.
    CALabelPrintingView view({sheetDesign(*layout)}, std::move(persons), settings, *layout, true);
    const qint64 builtMs = clock.elapsed();

    const QString pdf = folder.filePath(QStringLiteral("merged.pdf"));
    bool printed = false;
    {
        QPdfWriter writer(pdf);
        printed = view.printPages(writer, &error);
    }
    const qint64 totalMs = clock.elapsed();
    // PW_BENCH_KEEP_PDF names a folder that keeps each job's PDF, to look at what was printed.
    if (const QByteArray keep = qgetenv("PW_BENCH_KEEP_PDF"); !keep.isEmpty())
        QFile::copy(pdf, QDir(QString::fromLocal8Bit(keep)).filePath(QStringLiteral("merged-%1.pdf").arg(count)));
    std::printf("%6d labels  %4d pages  read %5lld ms  job %5lld ms  print %6lld ms  total %6lld ms  "
                "peak RSS %6.1f MB  PDF %.1f MB%s\n",
                count, view.pageCount(), (long long)readMs, (long long)(builtMs - readMs),
                (long long)(totalMs - builtMs), (long long)totalMs, peakKilobytes() / 1024.0,
                QFileInfo(pdf).size() / 1048576.0, printed ? "" : "  (job reported a failure)");
    if (!printed)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return printed ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    // Label counts may be given on the command line; by default the two sizes of the target.
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        if (const int n = std::atoi(argv[i]); n > 0)
            counts.push_back(n);
    if (counts.empty())
        counts = {1000, 10000};
    int status = 0;
    for (int count : counts) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child < 0)
            return 1;
        if (child == 0) {
            const int result = runJob(argc, argv, count);
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
