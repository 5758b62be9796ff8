// What a batch job writes, read back as a user would: a roll label whole on its page, and designs
// named by bytes that are no UTF-8 read and written under their own names.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

constexpr double kMarkSize = 4.0;

std::unique_ptr<Poppler::Document> loadPdf(const QString &path)
{
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (document)
        document->setPaperColor(Qt::white);
    return document;
}

// The red pixels of a page rendered at 144 dpi, in points, within the page region `within`.
QRectF redIn(const QImage &image, const QRectF &within)
{
    QRect red;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() > 150 && pixel.green() < 110 && pixel.blue() < 110
                && within.contains(QPointF(x / 2.0, y / 2.0)))
                red |= QRect(x, y, 1, 1);
        }
    }
    return QRectF(red.x() / 2.0, red.y() / 2.0, red.width() / 2.0, red.height() / 2.0);
}

class BatchJobOutputTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    QString path(const QString &name) const { return m_folder.filePath(name); }
    QByteArray folderBytes() const { return QFile::encodeName(m_folder.path()); }

    QTemporaryDir m_folder;
};

// A roll label prints on paper of its printable area: each of the four red marks in its corners
// lands whole on the page, however the roll's offsets would move the label on larger paper.
TEST_F(BatchJobOutputTest, RollLabelPrintsWholeOnItsPaper)
{
    const std::shared_ptr<CATemplateFormat> layout =
        CATemplateFormat::findPredefLayoutManufacturerID(dtLabel, u"Brother"_s, u"DK-11201"_s);
    ASSERT_TRUE(layout);
    CADocument document;
    document.setLayoutArangeComponents(*layout, false);
    CFTADocument *design = document.ftDocument();
    ASSERT_TRUE(design->isLabelRoll());
    ASSERT_GT(design->GetDYMOOffsetX(), 0.0) << "a roll whose offsets would move it";
    const double width = design->getDocumentSizeX(0);
    const double height = design->getDocumentSizeY(0);
    const CDDColor red(1.0f, 0.0f, 0.0f, 1.0f);
    for (const QPointF corner : {QPointF(0, 0), QPointF(width - kMarkSize, 0), QPointF(0, height - kMarkSize),
                                 QPointF(width - kMarkSize, height - kMarkSize)}) {
        auto *mark = new CFTBoxField(corner.x(), corner.y(), kMarkSize, kMarkSize, nullptr);
        mark->SetFilled(true);
        mark->SetFillColor(&red);
        design->AddObject(mark, 0, false);
    }
    ASSERT_TRUE(document.writeToFile(path(u"roll.pwdc"_s)));

    const QString out = path(u"roll.pdf"_s);
    const ProgramRun run = runProgram({u"--print"_s, path(u"roll.pwdc"_s), u"--output"_s, out});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const std::unique_ptr<Poppler::Document> pdf = loadPdf(out);
    ASSERT_TRUE(pdf);
    ASSERT_EQ(pdf->numPages(), 1);
    // Paper of the printable area, 29 by 90 mm, as the design lies.
    const QSizeF page = pdf->page(0)->pageSizeF();
    EXPECT_NEAR(std::max(page.width(), page.height()), 255.1, 1.0);
    EXPECT_NEAR(std::min(page.width(), page.height()), 82.2, 1.0);
    EXPECT_EQ(page.width() > page.height(), width > height) << "the label lies on its paper as the design lies";
    const QImage image = pdf->page(0)->renderToImage(144.0, 144.0).convertToFormat(QImage::Format_RGB32);
    const QRectF halves[] = {{0, 0, page.width() / 2, page.height() / 2},
                             {page.width() / 2, 0, page.width() / 2, page.height() / 2},
                             {0, page.height() / 2, page.width() / 2, page.height() / 2},
                             {page.width() / 2, page.height() / 2, page.width() / 2, page.height() / 2}};
    for (const QRectF &quarter : halves) {
        const QRectF mark = redIn(image, quarter);
        SCOPED_TRACE(qPrintable(u"the quarter at %1, %2"_s.arg(quarter.x()).arg(quarter.y())));
        EXPECT_NEAR(mark.width(), kMarkSize, 1.0);
        EXPECT_NEAR(mark.height(), kMarkSize, 1.0);
    }
}

// The shell hands the program the name's own bytes, as a user's shell does.
ProgramRun runWithByteNames(const QString &folder, const QStringList &script)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"QT_QPA_PLATFORM"_s);
    process.setProcessEnvironment(environment);
    process.start(u"/bin/sh"_s, QStringList{u"-c"_s, script.join(u' '), QStringLiteral(PW_PARCELWICK_BINARY)});
    ProgramRun run;
    if (!process.waitForFinished(240000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST_F(BatchJobOutputTest, DesignsNamedInLatin1AreExportedAndPrintedByTheirBytes)
{
    // The temporary folder removes only names that are text: these go by their bytes.
    const QByteArray folder = folderBytes();
    const struct Cleanup
    {
        QByteArray folder;
        ~Cleanup()
        {
            for (const char *name : {"d\xE9sign.pwdc", "sortie-\xE9.pdf", "imprim\xE9.pdf"})
                ::unlink((folder + '/' + name).constData());
        }
    } cleanup{folder};
    CADocument document;
    QString error;
    // "désign.pwdc" in Latin-1: the é is the one byte 0xE9.
    ASSERT_TRUE(document.writeToFileAtBytes(folderBytes() + "/d\xE9sign.pwdc", &error)) << qPrintable(error);
    const struct
    {
        const char *name;
        QStringList script;
        QByteArray written;
        QByteArray magic;
    } cases[] = {
        {"export to PDF", {u"exec \"$0\" --export \"$(printf 'd\\351sign.pwdc')\" out.pdf"_s}, "out.pdf", "%PDF"},
        {"export to TIFF", {u"exec \"$0\" --export \"$(printf 'd\\351sign.pwdc')\" out.tiff"_s}, "out.tiff", "II*"},
        {"export to a Latin-1 name",
         {u"exec \"$0\" --export \"$(printf 'd\\351sign.pwdc')\" \"$(printf 'sortie-\\351.pdf')\""_s},
         "sortie-\xE9.pdf", "%PDF"},
        {"print to a Latin-1 name",
         {u"exec \"$0\" --print \"$(printf 'd\\351sign.pwdc')\" --output \"$(printf 'imprim\\351.pdf')\""_s},
         "imprim\xE9.pdf", "%PDF"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun run = runWithByteNames(m_folder.path(), c.script);
        ASSERT_EQ(run.status, 0) << qPrintable(run.err);
        EXPECT_TRUE(pwtest::readFileAtBytes(folderBytes() + '/' + c.written).startsWith(c.magic));
    }
    // A design that is not there is still told apart from one that is.
    const ProgramRun missing =
        runWithByteNames(m_folder.path(), {u"exec \"$0\" --export \"$(printf 'autr\\351.pwdc')\" out.pdf"_s});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(u"the design does not exist"_s)) << qPrintable(missing.err);
}

TEST(CommandLineBytesTest, ArgumentTextKeepsEveryByte)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"ascii", "plain.pwdc", u"plain.pwdc"_s},
        {"utf-8", "d\xC3\xA9sign", u"d\u00E9sign"_s},
        {"four-byte utf-8", "\xF0\x9F\x93\xAE", QString::fromUtf8("\xF0\x9F\x93\xAE")},
        {"latin-1", "d\xE9sign", u"d"_s + QChar(0xDCE9) + u"sign"_s},
        {"overlong slash", "\xC0\xAF", QString(QChar(0xDCC0)) + QChar(0xDCAF)},
        {"encoded surrogate", "\xED\xB3\xA9", QString(QChar(0xDCED)) + QChar(0xDCB3) + QChar(0xDCA9)},
        {"cut short", "ab\xE2\x82", u"ab"_s + QChar(0xDCE2) + QChar(0xDC82)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CACommandLine::argumentText(c.bytes), c.text);
        EXPECT_EQ(CACommandLine::pathBytes(c.text), c.bytes);
    }
}

// A label printed to a PDF file is searched as it was written: pdftotext finds "Springfield" and
// "Buffalo", never their letters drawn as one ligature ("ﬁ", "ﬀ").
TEST_F(BatchJobOutputTest, PrintedWordsAreFoundAsWritten)
{
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(dtLabel);
    ASSERT_TRUE(layout);
    CADocument design;
    design.setLayoutArangeComponents(*layout, false);
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
    ASSERT_TRUE(format);
    auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
    panel->SetOrigin(8.0, 6.0);
    design.ftDocument()->AddObject(panel.release(), 0, false);
    ASSERT_TRUE(design.writeToFile(path(u"label.pwdc"_s)));
    ASSERT_TRUE(pwtest::writeFile(path(u"people.vcf"_s),
                                  "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Office;Buffalo;;;\r\nFN:Buffalo Office\r\n"
                                  "ORG:Waffle Staffing\r\nADR;TYPE=WORK:;;1 Fifth Ave;Springfield;IL;62701;USA\r\n"
                                  "END:VCARD\r\n"));
    const ProgramRun run = runProgram({u"--print"_s, path(u"label.pwdc"_s), u"--contacts"_s, path(u"people.vcf"_s),
                                       u"--output"_s, path(u"label.pdf"_s)});
    ASSERT_EQ(run.status, CACommandLine::kSuccess) << run.err.toStdString();
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, {path(u"label.pdf"_s), u"-"_s});
    ASSERT_TRUE(pdftotext.waitForFinished(60000)) << pdftotext.errorString().toStdString();
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    for (const QString &word : {u"Buffalo Office"_s, u"Waffle Staffing"_s, u"1 Fifth Ave"_s, u"Springfield"_s})
        EXPECT_TRUE(text.contains(word)) << word.toStdString() << " in: " << text.toStdString();
    for (const QChar c : text)
        EXPECT_FALSE(c.unicode() >= 0xFB00 && c.unicode() <= 0xFB06) << "a ligature in: " << text.toStdString();
}

} // namespace
