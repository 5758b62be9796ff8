// Batch jobs whose output cannot come out as designed say so: a layout whose grid runs off its
// paper, a process without any font, a card too large for a bitmap export, an address that runs
// past its card in an export. Each is named on standard error and fails the job (exit 1) after
// its output is written, or refuses the job with the reason in words.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDString.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QDir>
#include <QFile>
#include <QRectF>
#include <QTemporaryDir>

#include <poppler-qt6.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

// The lines of standard error that start with text.
QStringList linesStarting(const ProgramRun &run, const QString &text)
{
    QStringList found;
    for (const QString &line : run.err.split(u'\n', Qt::SkipEmptyParts))
        if (line.startsWith(u"parcelwick: "_s + text))
            found.append(line);
    return found;
}

// An environment variable set for the program started within one scope.
class ScopedVariable
{
public:
    ScopedVariable(const char *name, const QByteArray &value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        if (!value.isNull())
            qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

class NotAsDesignedTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        CAEnvironment::setDefaultCountry(u"us"_s);
        CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    }
    QString path(const QString &name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
};

// --- a layout whose grid runs off its paper ------------------------------------------------------

struct GridCase
{
    const char *name;
    const char *sample; // a sample design of the build's library, a postcard sheet ("postcard:[MAKER|]ID"), else the blank design
    int columns;        // 0: as designed
    int rows;
    int status;
    const char *told;   // the start of the line that names what is off the paper; empty for none
};

class OffPaperTest : public NotAsDesignedTest, public ::testing::WithParamInterface<GridCase>
{
};

TEST_P(OffPaperTest, ItemsOffThePaperAreNamedOnceAndFailTheJob)
{
    const GridCase &c = GetParam();
    QString error;
    const QString design = path(u"grid.pwdc"_s);
    if (QByteArray(c.sample).startsWith("postcard:")) {
        // "postcard:MAKER|ID", or "postcard:ID" for a sheet of no maker.
        const QStringList name = QString::fromLatin1(c.sample + 9).split(u'|');
        const std::shared_ptr<CATemplateFormat> layout = CATemplateFormat::findPredefLayoutManufacturerID(
            dtPostcard, name.size() > 1 ? name.front() : QString(), name.back());
        ASSERT_TRUE(layout);
        CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
        document.setLayoutArangeComponents(*layout, false);
        ASSERT_TRUE(document.writeToFile(design, &error)) << qPrintable(error);
    } else if (*c.sample) {
        CADocument sample;
        ASSERT_TRUE(sample.readFromFile(QDir(QStringLiteral(PW_SAMPLE_LIBRARY_DIR))
                                            .filePath(u"Parcelwick/Templates/en.lproj/"_s + QLatin1String(c.sample)),
                                        &error))
            << qPrintable(error);
        ASSERT_TRUE(sample.writeToFile(design, &error)) << qPrintable(error);
    } else {
        ASSERT_TRUE(commandtest::writeBlankDesign(design, &error)) << qPrintable(error);
    }
    if (c.columns > 0) {
        CADocument document;
        ASSERT_TRUE(document.readFromFile(design, &error)) << qPrintable(error);
        document.ftDocument()->SetColCount(c.columns);
        document.ftDocument()->SetRowCount(c.rows);
        ASSERT_TRUE(document.writeToFile(design, &error)) << qPrintable(error);
    }
    const QString out = path(u"grid.pdf"_s);
    const ProgramRun run = runProgram({u"--print"_s, design, u"--copies"_s, u"60"_s, u"--output"_s, out});
    EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
    EXPECT_TRUE(QFile::exists(out)) << qPrintable(run.err);
    const QStringList told = linesStarting(run, u"the layout's "_s);
    if (*c.told) {
        ASSERT_EQ(told.size(), 1) << qPrintable(run.err);
        EXPECT_TRUE(told.front().startsWith(u"parcelwick: "_s + QLatin1String(c.told))) << qPrintable(told.front());
        EXPECT_TRUE(run.err.trimmed().endsWith(u"the job was done, but items were printed off the paper"_s))
            << qPrintable(run.err);
    } else {
        EXPECT_TRUE(told.isEmpty()) << qPrintable(run.err);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BatchJobNotAsDesignedTest, OffPaperTest,
    ::testing::Values(GridCase {"SampleAsDesigned", "Mailing2/Business/Classic.pwdc", 0, 0, 0, ""},
                      GridCase {"PostcardSheetAsDesigned", "postcard:A6 on A4 landscape", 0, 0, 0, ""},
                      GridCase {"FourCardLetterSheetAsDesigned", "postcard:Avery|08387", 0, 0, 0, ""},
                      GridCase {"FourCardLetterSheetOtherStockAsDesigned", "postcard:Avery|03380", 0, 0, 0, ""},
                      GridCase {"SampleWithFiveColumns", "Mailing2/Business/Classic.pwdc", 5, 5, 1,
                                "the layout's 5 columns and 5 rows do not fit its paper of 612 x 792 pt"},
                      GridCase {"SixtyBySixty", "", 60, 60, 1,
                                "the layout's 60 columns and 60 rows do not fit its paper of 612 x 792 pt"}),
    [](const auto &info) { return std::string(info.param.name); });

// --- no fonts at all ---------------------------------------------------------------------------

struct FontCase
{
    const char *name;
    bool noFonts;
    int status;
};

class NoFontsTest : public NotAsDesignedTest, public ::testing::WithParamInterface<FontCase>
{
};

TEST_P(NoFontsTest, APrintWithoutAnyFontSaysSoOnce)
{
    const FontCase &c = GetParam();
    QString error;
    ASSERT_TRUE(commandtest::writeAddressDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    ASSERT_TRUE(pwtest::writeFile(path(u"people.csv"_s), "First Name,Last Name,Street,City,State,Zip\r\n"
                                                         "Ann,Short,1 Elm St,Springfield,IL,62701\r\n"
                                                         "Dan,Brief,2 Oak Rd,Springfield,IL,62701\r\n"));
    // A font configuration that names no folder of fonts, and a cache of its own.
    ASSERT_TRUE(QDir(m_folder.path()).mkpath(u"cache"_s));
    ASSERT_TRUE(pwtest::writeFile(path(u"fonts.conf"_s),
                                  "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig><cachedir>"
                                      + path(u"cache"_s).toUtf8() + "</cachedir></fontconfig>\n"));
    const ScopedVariable fonts("FONTCONFIG_FILE", c.noFonts ? path(u"fonts.conf"_s).toUtf8() : QByteArray());
    const QString out = path(u"out.pdf"_s);
    const ProgramRun run =
        runProgram({u"--print"_s, path(u"design.pwdc"_s), u"--contacts"_s, path(u"people.csv"_s), u"--output"_s, out});
    EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
    EXPECT_TRUE(QFile::exists(out));
    const QStringList told = linesStarting(run, u"no fonts are installed"_s);
    EXPECT_EQ(told.size(), c.noFonts ? 1 : 0) << qPrintable(run.err);
    if (c.noFonts) {
        EXPECT_TRUE(run.err.trimmed().endsWith(u"the job was done, but no fonts are installed: its texts are boxes"_s))
            << qPrintable(run.err);
    }
}

INSTANTIATE_TEST_SUITE_P(BatchJobNotAsDesignedTest, NoFontsTest,
                         ::testing::Values(FontCase {"FontsInstalled", false, 0}, FontCase {"NoFonts", true, 1}),
                         [](const auto &info) { return std::string(info.param.name); });

// --- exports of cards ----------------------------------------------------------------------------

// A postcard of the given width and height (points; the 4 x 6 in card when 0) with an address
// panel at (x, y) that shows Ann Abbott at the street.
bool writeSizedCard(const QString &file, double width, double height, const QString &street, QString *error)
{
    const std::shared_ptr<CATemplateFormat> found =
        CATemplateFormat::findPredefLayoutManufacturerID(dtPostcard, QString(), u"4 x 6"_s);
    if (!found) {
        *error = u"no 4 x 6 postcard layout"_s;
        return false;
    }
    CATemplateFormat layout = *found;
    if (width > 0.0) {
        layout.setItemWidth(float(width));
        layout.setItemHeight(float(height));
    }
    CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
    document.setLayoutArangeComponents(layout, false);
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
    auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
    panel->SetOrigin(200.0, 150.0);
    const auto fill = [&panel](textCategory category, const QString &text) {
        panel->SetString(true, category, panel->GetAddressType(), CDDString(text), tcNone, false);
    };
    fill(tcFirstName, u"Ann"_s);
    fill(tcLastName, u"Abbott"_s);
    fill(tcStreet, street);
    fill(tcCity, u"Springfield"_s);
    fill(tcState, u"IL"_s);
    fill(tcZIP, u"62701"_s);
    document.ftDocument()->AddObject(panel.release(), 0, false);
    return document.writeToFile(file, error);
}

// The words of a PDF's first page whose box reaches past the page's right or bottom edge.
QStringList wordsPastThePage(const QString &pdf)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    if (!document || document->numPages() < 1)
        return {u"(no page)"_s};
    const QSizeF page = document->page(0)->pageSizeF();
    QStringList past;
    for (const std::unique_ptr<Poppler::TextBox> &box : document->page(0)->textList())
        if (box->boundingBox().right() > page.width() + 0.01 || box->boundingBox().bottom() > page.height() + 0.01)
            past.append(u"%1 at %2"_s.arg(box->text()).arg(box->boundingBox().right()));
    return past;
}

struct CardCase
{
    const char *name;
    double width; // points; 0 for the 4 x 6 in card
    double height;
    const char *street;
    const char *output;
    int status;
    const char *told;   // a line of standard error; empty for none
    const char *reason; // how the job's last line ends
};

class CardExportTest : public NotAsDesignedTest, public ::testing::WithParamInterface<CardCase>
{
};

TEST_P(CardExportTest, WhatTheExportCannotShowIsSaid)
{
    const CardCase &c = GetParam();
    QString error;
    ASSERT_TRUE(writeSizedCard(path(u"card.pwdc"_s), c.width, c.height, QString::fromUtf8(c.street), &error))
        << qPrintable(error);
    const QString out = path(QString::fromUtf8(c.output));
    const ProgramRun run = runProgram({u"--export"_s, path(u"card.pwdc"_s), u"--output"_s, out});
    EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
    const QStringList lines = run.err.split(u'\n', Qt::SkipEmptyParts);
    if (*c.told) {
        EXPECT_EQ(lines.filter(QString::fromUtf8(c.told)).size(), 1) << qPrintable(run.err);
    } else {
        EXPECT_TRUE(lines.filter(u"the address of"_s).isEmpty()) << qPrintable(run.err);
    }
    if (*c.reason) {
        EXPECT_TRUE(run.err.trimmed().endsWith(QString::fromUtf8(c.reason))) << qPrintable(run.err);
    }
    // What is said is what the PDF shows: words past the card's edge exactly when an address is named.
    if (out.endsWith(u".pdf"_s) && QFile::exists(out)) {
        const QStringList past = wordsPastThePage(out);
        EXPECT_EQ(past.isEmpty(), *c.told == 0) << qPrintable(past.join(u"; "_s));
    }
}

const char kLongStreetName[] = "1234 Extraordinarily Long Street Name Boulevard";
const char kPastCard[] = "parcelwick: the address of Ann Abbott runs past the edge of its card";

INSTANTIATE_TEST_SUITE_P(
    BatchJobNotAsDesignedTest, CardExportTest,
    ::testing::Values(CardCase {"ShortStreetPdf", 0, 0, "1 Elm St", "card.pdf", 0, "", ""},
                      CardCase {"LongStreetPdf", 0, 0, kLongStreetName, "card.pdf", 1, kPastCard,
                                "the job was done, but 1 address runs past the edge of the design"},
                      CardCase {"LongStreetTiff", 0, 0, kLongStreetName, "card.tiff", 1, kPastCard,
                                "the job was done, but 1 address runs past the edge of the design"},
                      CardCase {"HugeCardTiff", 40000, 40000, "1 Elm St", "card.tiff", 1, "",
                                "the design is 40,000 x 40,000 pt, which at 600 dpi is a picture of 333,334 x "
                                "333,334 pixels; a picture may have at most 32,000 pixels a side and 400 million "
                                "pixels in all"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
