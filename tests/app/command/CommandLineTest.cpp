// The command line as a user runs it: the program started as a process of its own, without a
// display, its exit status, its standard error and the files it leaves.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDColor.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>

#include <algorithm>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <random>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

QByteArray vCards(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person" + QByteArray::number(i) + ";Alex;;;\r\nFN:Alex Person" +
                 QByteArray::number(i) + "\r\nADR;TYPE=WORK:;;" + QByteArray::number(100 + i) +
                 " Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";
    }
    return bytes;
}

class CommandLineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        CAEnvironment::setDefaultCountry(QStringLiteral("us"));
        CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
        const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
        ASSERT_TRUE(layout);
        m_perSheet = layout->Rows() * layout->Columns();
        ASSERT_GT(m_perSheet, 1);
        CADocument document;
        document.setLayoutArangeComponents(*layout, false);
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
                QStringLiteral("Name+Company"), QStringLiteral("us"), true, CAddressFormatController::kBarcodeBelow);
        auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
        panel->SetOrigin(8.0, 6.0);
        document.ftDocument()->AddObject(panel.release(), 0, false);
        m_cardSize = QSizeF(document.ftDocument()->getCardSizeX(), document.ftDocument()->getCardSizeY());
        QString error;
        ASSERT_TRUE(document.writeToFile(path(QStringLiteral("design.pwdc")), &error)) << qPrintable(error);
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    void writeCards(const QString &name, int count) const
    {
        ASSERT_TRUE(pwtest::writeFile(path(name), vCards(count)));
    }

    // The last names of the PDF's words "PersonN", page by page in reading order.
    static std::vector<std::vector<int>> namesByPage(const QString &pdf)
    {
        std::vector<std::vector<int>> pages;
        const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
        if (!document)
            return pages;
        for (int page = 0; page < document->numPages(); ++page) {
            std::vector<std::pair<QPointF, int>> found;
            for (const std::unique_ptr<Poppler::TextBox> &box : document->page(page)->textList()) {
                if (box->text().startsWith(QStringLiteral("Person")))
                    found.emplace_back(box->boundingBox().topLeft(), box->text().mid(6).toInt());
            }
            std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
                return std::abs(a.first.y() - b.first.y()) > 2.0 ? a.first.y() < b.first.y() : a.first.x() < b.first.x();
            });
            std::vector<int> names;
            for (const auto &item : found)
                names.push_back(item.second);
            pages.push_back(names);
        }
        return pages;
    }

    QTemporaryDir m_folder;
    int m_perSheet = 0;
    QSizeF m_cardSize;
};

TEST_F(CommandLineTest, PrintsOneLabelPerPersonInOrderOnFullSheets)
{
    writeCards(QStringLiteral("persons.vcf"), 1000);
    const ProgramRun run = runProgram({QStringLiteral("--print"), path(QStringLiteral("design.pwdc")), QStringLiteral("--contacts"),
                                path(QStringLiteral("persons.vcf")), QStringLiteral("--output"), path(QStringLiteral("out.pdf"))});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const auto pages = namesByPage(path(QStringLiteral("out.pdf")));
    ASSERT_EQ(int(pages.size()), (1000 + m_perSheet - 1) / m_perSheet);
    int expected = 0;
    for (const std::vector<int> &page : pages) {
        for (int name : page)
            ASSERT_EQ(name, expected++);
    }
    EXPECT_EQ(expected, 1000);
    EXPECT_TRUE(run.err.contains(QStringLiteral("printing page"))) << "a long job shows its progress";
}

TEST_F(CommandLineTest, StartPositionCopiesAndUpperCaseVcfExtension)
{
    writeCards(QStringLiteral("three.VCF"), 3);
    const QString out = path(QStringLiteral("start.pdf"));
    // An upper-case extension is a vCard file too; two copies each, from the third slot on.
    ProgramRun run = runProgram({QStringLiteral("--print"), path(QStringLiteral("design.pwdc")), QStringLiteral("--contacts"),
                          path(QStringLiteral("three.VCF")), QStringLiteral("--copies"), QStringLiteral("2"),
                          QStringLiteral("--start"), QStringLiteral("3"), QStringLiteral("--output"), out});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const auto pages = namesByPage(out);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], (std::vector<int>{0, 0, 1, 1, 2, 2}));
}

TEST_F(CommandLineTest, ExportsTheDesignAsPdfAndTiffOfItsSize)
{
    const QString pdf = path(QStringLiteral("design.pdf"));
    ProgramRun run = runProgram({QStringLiteral("--export"), path(QStringLiteral("design.pwdc")), pdf});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    ASSERT_TRUE(document);
    ASSERT_EQ(document->numPages(), 1);
    const QSizeF page = document->page(0)->pageSizeF();
    const QSizeF landscape(std::max(m_cardSize.width(), m_cardSize.height()),
                           std::min(m_cardSize.width(), m_cardSize.height()));
    EXPECT_NEAR(std::max(page.width(), page.height()), landscape.width(), 1.0);
    EXPECT_NEAR(std::min(page.width(), page.height()), landscape.height(), 1.0);

    const QString tiff = path(QStringLiteral("design.TIFF"));
    run = runProgram({QStringLiteral("--export"), path(QStringLiteral("design.pwdc")), tiff});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const QImage image(tiff);
    ASSERT_FALSE(image.isNull());
    EXPECT_NEAR(image.width(), landscape.width() * 600.0 / 72.0, 2.0);
    EXPECT_NEAR(image.height(), landscape.height() * 600.0 / 72.0, 2.0);
}

// A 4 × 6 in card without a sheet grid prints one card to a page of its own size, whole and
// unscaled: the red square of its top-left corner lands 10 points from two edges of the page.
TEST_F(CommandLineTest, PostcardPrintsOnItsOwnCardPaper)
{
    const std::shared_ptr<CATemplateFormat> layout =
        CATemplateFormat::findPredefLayoutManufacturerID(dtPostcard, QString(), QStringLiteral("4 x 6"));
    ASSERT_TRUE(layout);
    ASSERT_TRUE(layout->Columns() == 0 || layout->Rows() == 0);
    CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
    document.setLayoutArangeComponents(*layout, false);
    ASSERT_EQ(document.docType(), dtPostcard);
    auto *box = new CFTBoxField(10.0, 10.0, 30.0, 30.0, nullptr);
    const CDDColor red(1.0f, 0.0f, 0.0f, 1.0f);
    box->SetFilled(true);
    box->SetFillColor(&red);
    document.ftDocument()->AddObject(box, 0, false);
    ASSERT_TRUE(document.writeToFile(path(QStringLiteral("card.pwdc"))));
    const QString out = path(QStringLiteral("card.pdf"));
    const ProgramRun run = runProgram({QStringLiteral("--print"), path(QStringLiteral("card.pwdc")), QStringLiteral("--output"), out});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(out);
    ASSERT_TRUE(pdf);
    ASSERT_EQ(pdf->numPages(), 1);
    const QSizeF page = pdf->page(0)->pageSizeF();
    EXPECT_NEAR(std::min(page.width(), page.height()), 288.0, 1.0);
    EXPECT_NEAR(std::max(page.width(), page.height()), 432.0, 1.0);
    pdf->setPaperColor(Qt::white);
    const QImage image = pdf->page(0)->renderToImage(144.0, 144.0).convertToFormat(QImage::Format_RGB32);
    QRect redPixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() > 150 && pixel.green() < 110 && pixel.blue() < 110)
                redPixels |= QRect(x, y, 1, 1);
        }
    ASSERT_FALSE(redPixels.isEmpty());
    const QRectF square(redPixels.x() / 2.0, redPixels.y() / 2.0, redPixels.width() / 2.0, redPixels.height() / 2.0);
    EXPECT_NEAR(square.width(), 30.0, 1.5);
    EXPECT_NEAR(square.height(), 30.0, 1.5);
    const double edges[] = {square.left(), square.top(), page.width() - square.right(), page.height() - square.bottom()};
    EXPECT_EQ(std::count_if(std::begin(edges), std::end(edges), [](double gap) { return std::abs(gap - 10.0) < 1.5; }), 2);
}

struct BadInput
{
    const char *name;
    QStringList arguments; // %d the design, %f the folder
    int status;
    const char *message;
};

class CommandLineBadInputTest : public CommandLineTest, public ::testing::WithParamInterface<BadInput>
{
};

TEST_P(CommandLineBadInputTest, FailsWithOneLineReasonAndNoOutput)
{
    ASSERT_TRUE(pwtest::writeFile(path(QStringLiteral("empty.vcf")), "no cards here\n"));
    writeCards(QStringLiteral("persons.vcf"), 2);
    ASSERT_TRUE(QDir(m_folder.path()).mkpath(QStringLiteral("folder.vcf")));
    // 100 KB of junk without a NUL byte, which passes for text at a first glance.
    QByteArray junk(100 * 1024, Qt::Uninitialized);
    std::mt19937 generator(11);
    for (char &byte : junk)
        byte = char(std::uniform_int_distribution<int>(1, 255)(generator));
    ASSERT_TRUE(pwtest::writeFile(path(QStringLiteral("junk.csv")), junk));
    QStringList arguments;
    for (QString argument : GetParam().arguments)
        arguments.append(argument.replace(QStringLiteral("%f"), m_folder.path()));
    const ProgramRun run = runProgram(arguments);
    EXPECT_EQ(run.status, GetParam().status) << qPrintable(run.err);
    const QStringList lines = run.err.trimmed().split(QLatin1Char('\n'));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(run.err.contains(QLatin1String(GetParam().message))) << qPrintable(run.err);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("out.pdf"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("missing/out.pdf"))));
}

const QString kDesign = QStringLiteral("%f/design.pwdc");
const QString kOut = QStringLiteral("%f/out.pdf");

INSTANTIATE_TEST_SUITE_P(
    Inputs, CommandLineBadInputTest,
    ::testing::Values(
        BadInput{"MissingDesign", {u"--print"_s, u"%f/nothing.pwdc"_s, u"--output"_s, kOut}, 1, "the design does not exist"},
        BadInput{"DesignNotADesign", {u"--print"_s, u"%f/empty.vcf"_s, u"--output"_s, kOut}, 1, "the design cannot be read"},
        BadInput{"ContactsWithoutCards", {u"--print"_s, kDesign, u"--contacts"_s, u"%f/empty.vcf"_s, u"--output"_s, kOut}, 1, "no persons in the contacts file"},
        BadInput{"ContactsMissing", {u"--print"_s, kDesign, u"--contacts"_s, u"%f/gone.csv"_s, u"--output"_s, kOut}, 1, "the contacts file does not exist"},
        BadInput{"ContactsOfRandomBytes", {u"--print"_s, kDesign, u"--contacts"_s, u"%f/junk.csv"_s, u"--output"_s, kOut}, 1, "junk.csv: the file holds binary data, not text"},
        BadInput{"ContactsAFolder", {u"--print"_s, kDesign, u"--contacts"_s, u"%f/folder.vcf"_s, u"--output"_s, kOut}, 1, "the contacts file cannot be read"},
        BadInput{"UnknownOption", {u"--print"_s, kDesign, u"--colour"_s, u"--output"_s, kOut}, 2, "Unknown option 'colour'"},
        BadInput{"NoOutput", {u"--print"_s, kDesign}, 2, "needs either --output"},
        BadInput{"CopiesNotANumber", {u"--print"_s, kDesign, u"--copies"_s, u"two"_s, u"--output"_s, kOut}, 2, "--copies needs a whole number"},
        BadInput{"OutputFolderMissing", {u"--print"_s, kDesign, u"--output"_s, u"%f/missing/out.pdf"_s}, 1, "the output folder does not exist"},
        BadInput{"UnknownPrintList", {u"--print"_s, kDesign, u"--print-list"_s, u"Nobody"_s, u"--output"_s, kOut}, 1, "there is no print list named \"Nobody\""},
        BadInput{"ExportOfUnknownType", {u"--export"_s, kDesign, u"%f/out.png"_s}, 2, "must end in .pdf, .tif or .tiff"},
        BadInput{"JobOptionWithoutJob", {u"--copies"_s, u"2"_s}, 2, "--copies belongs to --print"}),
    [](const ::testing::TestParamInfo<BadInput> &info) { return std::string(info.param.name); });

struct CopiesCase
{
    const char *name;
    const char *copies;
    int status;
    const char *message;
};

class CommandLineCopiesTest : public CommandLineTest, public ::testing::WithParamInterface<CopiesCase>
{
};

// Each count of copies is taken, or refused with its true reason. A count taken goes on to the
// job, which then stops at the start past the sheet, before any page is made.
TEST_P(CommandLineCopiesTest, ACountIsTakenOrRefusedWithItsReason)
{
    const ProgramRun run =
        runProgram({u"--print"_s, path(u"design.pwdc"_s), u"--copies"_s, QString::fromLatin1(GetParam().copies),
                    u"--start"_s, u"2147483647"_s, u"--output"_s, path(u"out.pdf"_s)});
    EXPECT_EQ(run.status, GetParam().status) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(QLatin1String(GetParam().message))) << qPrintable(run.err);
    EXPECT_FALSE(QFileInfo::exists(path(u"out.pdf"_s)));
}

INSTANTIATE_TEST_SUITE_P(
    Counts, CommandLineCopiesTest,
    ::testing::Values(
        CopiesCase{"Zero", "0", 2, "--copies needs a whole number of at least 1, not \"0\""},
        CopiesCase{"One", "1", 1, "--start 2147483647 is past the last position of the sheet"},
        CopiesCase{"TheLargest", "1000000", 1, "--start 2147483647 is past the last position of the sheet"},
        CopiesCase{"OnePastTheLargest", "1000001", 2, "--copies 1000001 is too large: the largest is 1000000"},
        CopiesCase{"PastAWholeNumberOfTheMachine", "2147483648", 2,
                   "--copies 2147483648 is too large: the largest is 1000000"},
        CopiesCase{"NoNumber", "abc", 2, "--copies needs a whole number of at least 1, not \"abc\""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CommandLineTest, RefusesAnOutputFolderThatIsNotWritable)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "every folder is writable for the superuser";
    const QString locked = path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(locked));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const ProgramRun run = runProgram({QStringLiteral("--print"), path(QStringLiteral("design.pwdc")), QStringLiteral("--output"),
                                locked + QStringLiteral("/out.pdf")});
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("the output folder is not writable"))) << qPrintable(run.err);
}

TEST_F(CommandLineTest, HelpListsEveryOption)
{
    const ProgramRun run = runProgram({QStringLiteral("--help")});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    for (const QCommandLineOption &option : CACommandLine::options()) {
        for (const QString &name : option.names())
            EXPECT_TRUE(run.out.contains(QStringLiteral("--") + name)) << qPrintable(name);
    }
}

} // namespace

namespace {

// A delimited file whose header the keywords do not know: nothing prints and the job fails with
// the reason, unless --column places its columns as the import dialog would.
TEST_F(CommandLineTest, ColumnsTheHeaderDoesNotNameArePlacedByColumnOrRefused)
{
    // A German export, in Latin-1: "Straße" is one byte 0xDF.
    const QByteArray text = "Vorname;Nachname;Stra\xDF" "e;PLZ;Ort;Notiz\r\n"
                            "Alex;Person7;Hauptstr. 1;10115;Berlin;x\r\n"
                            "Kim;Person8;Ring 2;50667;K\xF6ln;y\r\n";
    ASSERT_TRUE(pwtest::writeFile(path(QStringLiteral("adressen.csv")), text));
    const QStringList base = {QStringLiteral("--print"), path(QStringLiteral("design.pwdc")), QStringLiteral("--contacts"),
                              path(QStringLiteral("adressen.csv"))};
    const QStringList placed = {QStringLiteral("--column"), QStringLiteral("Vorname=firstname"),
                                QStringLiteral("--column"), QStringLiteral("Nachname=lastname"),
                                QStringLiteral("--column"), QStringLiteral("Stra\u00DFe=homestreet"),
                                QStringLiteral("--column"), QStringLiteral("PLZ=homezip"),
                                QStringLiteral("--column"), QStringLiteral("Ort=homecity")};
    struct Row
    {
        const char *name;
        QStringList options;
        int status;
        const char *message;
        std::vector<int> names;
        bool written; // a merge refused writes no PDF; one whose contacts file had problems does
    };
    // A column left unread is named as a note, and so is a file that is Latin-1 throughout.
    const Row rows[] = {
        {"no column known", {}, 1, "holds a name (first, last or company name)", {}, false},
        {"columns placed", placed, 0, "adressen.csv: the column \"Notiz\" holds no field the program knows and is not read",
         {7, 8}, true},
        {"a key the import does not know", {QStringLiteral("--column"), QStringLiteral("Vorname=given")}, 2,
         "--column needs HEADER=KEY", {}, false},
        {"a header no column has", {QStringLiteral("--column"), QStringLiteral("Vorname=firstname"),
                                    QStringLiteral("--column"), QStringLiteral("Name=lastname")}, 1,
         "No column is headed \"Name\"", {}, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString out = path(QStringLiteral("columns.pdf"));
        QFile::remove(out);
        const ProgramRun run = runProgram(base + row.options + QStringList{QStringLiteral("--output"), out});
        EXPECT_EQ(run.status, row.status) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(QLatin1String(row.message))) << qPrintable(run.err);
        EXPECT_EQ(QFile::exists(out), row.written) << "a refused merge writes no PDF";
        if (row.written && !row.names.empty()) {
            const auto pages = namesByPage(out);
            ASSERT_EQ(pages.size(), 1u);
            EXPECT_EQ(pages[0], row.names);
        }
    }
    const ProgramRun help = runProgram({QStringLiteral("--help")});
    EXPECT_TRUE(help.out.contains(QStringLiteral("--column <HEADER=KEY>"))) << qPrintable(help.out);
}

} // namespace
