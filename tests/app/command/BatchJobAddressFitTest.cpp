// A batch print whose addresses are fitted to their labels: each address that fits ends inside its
// label on the page; one too long for its label even in the smallest type is printed as it comes,
// named on standard error once for each person, and the job fails after writing its output.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CAEnvironment.h"
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

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

// A street no label of the default layout holds at three points.
const QString kEndlessStreet = u"1 "_s + QString(u"Extraordinarily Long Avenue of the Many Gardens "_s).repeated(4);
// A street of 59 characters: wider than any sample label in its designed type.
const QString kLongStreet = u"1234 Extraordinarily Long Boulevard of the Gardens Apt 5678"_s;

struct FitCase
{
    const char *name;
    QStringList people; // "First,Last,Street"
    int status;
    QStringList named;
    const char *reason;
    // A sample design of the build's library, else a design of the default layout made here.
    const char *sample = "";
};

// The labels of a design's sheet, in points from the page's top left corner.
QList<QRectF> labelsOf(const QString &design)
{
    CADocument document;
    QList<QRectF> labels;
    if (!document.readFromFile(design))
        return labels;
    const CFTADocument &sheet = *document.ftDocument();
    for (int row = 0; row < sheet.GetRowCount(); ++row)
        for (int column = 0; column < sheet.GetColCount(); ++column)
            labels.append(QRectF(sheet.GetLeftMargin() + column * (sheet.getCardSizeX() + sheet.GetHSpace()),
                                 sheet.GetTopMargin() + row * (sheet.getCardSizeY() + sheet.GetVSpace()),
                                 sheet.getCardSizeX(), sheet.getCardSizeY()));
    return labels;
}

// The words of a PDF's first page that lie inside none of the labels.
QStringList wordsOutside(const QString &pdf, const QList<QRectF> &labels)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    if (!document || document->numPages() < 1)
        return {u"(no page)"_s};
    QStringList outside;
    int words = 0;
    for (const std::unique_ptr<Poppler::TextBox> &box : document->page(0)->textList()) {
        ++words;
        const QRectF word = box->boundingBox();
        if (std::none_of(labels.begin(), labels.end(), [&word](const QRectF &label) {
                return label.adjusted(-0.01, -0.01, 0.01, 0.01).contains(word);
            }))
            outside.append(u"%1 at %2..%3"_s.arg(box->text()).arg(word.left()).arg(word.right()));
    }
    if (words == 0)
        outside.append(u"(no words)"_s);
    return outside;
}

class BatchJobAddressFitTest : public ::testing::TestWithParam<FitCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeAddressDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
};

TEST_P(BatchJobAddressFitTest, NamesEachPersonWhoseAddressDoesNotFit)
{
    const FitCase &c = GetParam();
    const QString design = *c.sample ? QDir(QStringLiteral(PW_SAMPLE_LIBRARY_DIR))
                                           .filePath(u"Parcelwick/Templates/en.lproj/"_s + QLatin1String(c.sample))
                                     : path(u"design.pwdc"_s);
    ASSERT_TRUE(QFile::exists(design)) << qPrintable(design);
    QByteArray csv = "First Name,Last Name,Street,City,State,Zip\r\n";
    for (const QString &person : c.people)
        csv += person.toUtf8() + ",Springfield,IL,62701\r\n";
    ASSERT_TRUE(pwtest::writeFile(path(u"people.csv"_s), csv));
    const QString out = path(u"out.pdf"_s);
    const ProgramRun run =
        runProgram({u"--print"_s, design, u"--contacts"_s, path(u"people.csv"_s), u"--output"_s, out});
    EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
    EXPECT_TRUE(QFile::exists(out));
    const QStringList lines = run.err.split(u'\n', Qt::SkipEmptyParts).filter(u"parcelwick: the address of "_s);
    QStringList expected;
    for (const QString &name : c.named)
        expected.append(u"parcelwick: the address of %1 does not fit its label, even in the smallest type"_s.arg(name));
    EXPECT_EQ(lines, expected) << qPrintable(run.err);
    if (*c.reason) {
        EXPECT_TRUE(run.err.trimmed().endsWith(QLatin1String(c.reason))) << qPrintable(run.err);
    }
    // Every address fits: each of its words ends inside the label it is printed on.
    if (c.named.isEmpty()) {
        const QList<QRectF> labels = labelsOf(design);
        ASSERT_FALSE(labels.isEmpty());
        const QStringList outside = wordsOutside(out, labels);
        EXPECT_TRUE(outside.isEmpty()) << qPrintable(outside.join(u"; "_s));
    }
}

INSTANTIATE_TEST_SUITE_P(
    BatchJobAddressFitTest, BatchJobAddressFitTest,
    ::testing::Values(FitCase {"AllFit", {u"Ann,Short,1 Elm St"_s, u"Dan,Brief,2 Oak Rd"_s}, 0, {}, ""},
                      FitCase {"OneOfThree",
                               {u"Ann,Short,1 Elm St"_s, u"Bob,Long,"_s + kEndlessStreet, u"Dan,Brief,2 Oak Rd"_s},
                               1,
                               {u"Bob Long"_s},
                               "parcelwick: the job was done, but 1 address does not fit where it is printed"},
                      // The same person on two labels is one line.
                      FitCase {"Two",
                               {u"Bob,Long,"_s + kEndlessStreet, u"Cy,Longer,"_s + kEndlessStreet,
                                u"Bob,Long,"_s + kEndlessStreet},
                               1,
                               {u"Bob Long"_s, u"Cy Longer"_s},
                               "parcelwick: the job was done, but 2 addresses do not fit where they are printed"},
                      // A long street on the samples' address labels shrinks until it ends inside.
                      FitCase {"LongStreetOnSampleLabel",
                               {u"Ann,Abbott,"_s + kLongStreet, u"Dan,Brief,2 Oak Rd"_s},
                               0,
                               {},
                               "",
                               "Mailing2/Business/Classic.pwdc"},
                      FitCase {"LongStreetOnSampleMailingLabel",
                               {u"Ann,Abbott,"_s + kLongStreet},
                               0,
                               {},
                               "",
                               "Mailing6/Business/Classic.pwdc"},
                      // A small round label holds it in no type: it is named.
                      FitCase {"LongStreetOnSampleRoundLabel",
                               {u"Ann,Abbott,"_s + kLongStreet, u"Dan,Brief,2 Oak Rd"_s},
                               1,
                               {u"Ann Abbott"_s},
                               "parcelwick: the job was done, but 1 address does not fit where it is printed",
                               "Mailing1/Business/Classic.pwdc"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
