// A batch print whose addresses are fitted to their labels: an address too long for its label
// even in the smallest type is printed as it comes, named on standard error once for each person,
// and the job fails after writing its output.
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

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

// A street no label of the default layout holds at three points.
const QString kEndlessStreet = u"1 "_s + QString(u"Extraordinarily Long Avenue of the Many Gardens "_s).repeated(4);

struct FitCase
{
    const char *name;
    QStringList people; // "First,Last,Street"
    int status;
    QStringList named;
    const char *reason;
};

class BatchJobAddressFitTest : public ::testing::TestWithParam<FitCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        CAEnvironment::setDefaultCountry(u"us"_s);
        CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
        const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
        ASSERT_TRUE(layout);
        CADocument document;
        document.setLayoutArangeComponents(*layout, false);
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
                u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
        auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
        panel->SetOrigin(8.0, 6.0);
        document.ftDocument()->AddObject(panel.release(), 0, false);
        QString error;
        ASSERT_TRUE(document.writeToFile(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
};

TEST_P(BatchJobAddressFitTest, NamesEachPersonWhoseAddressDoesNotFit)
{
    const FitCase &c = GetParam();
    QByteArray csv = "First Name,Last Name,Street,City,State,Zip\r\n";
    for (const QString &person : c.people)
        csv += person.toUtf8() + ",Springfield,IL,62701\r\n";
    ASSERT_TRUE(pwtest::writeFile(path(u"people.csv"_s), csv));
    const QString out = path(u"out.pdf"_s);
    const ProgramRun run = runProgram({u"--print"_s, path(u"design.pwdc"_s), u"--contacts"_s, path(u"people.csv"_s),
                                       u"--output"_s, out});
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
}

INSTANTIATE_TEST_SUITE_P(
    BatchJobAddressFitTest, BatchJobAddressFitTest,
    ::testing::Values(FitCase {"AllFit", {u"Ann,Short,1 Elm St"_s, u"Dan,Brief,2 Oak Rd"_s}, 0, {}, ""},
                      FitCase {"OneOfThree",
                               {u"Ann,Short,1 Elm St"_s, u"Bob,Long,"_s + kEndlessStreet, u"Dan,Brief,2 Oak Rd"_s},
                               1,
                               {u"Bob Long"_s},
                               "parcelwick: the job was done, but 1 address does not fit its label"},
                      // The same person on two labels is one line.
                      FitCase {"Two",
                               {u"Bob,Long,"_s + kEndlessStreet, u"Cy,Longer,"_s + kEndlessStreet,
                                u"Bob,Long,"_s + kEndlessStreet},
                               1,
                               {u"Bob Long"_s, u"Cy Longer"_s},
                               "parcelwick: the job was done, but 2 addresses do not fit their labels"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
