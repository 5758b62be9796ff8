// Designs edited by hand with values no page can hold, read by the batch as a user runs it: each
// is a sample design with one value changed. Export and print write PDFs a reader takes without a
// complaint, name what they could not take on standard error and fail.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "kernel/address/CFTCounterField.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWFont.h"
#include "platform/PWPlist.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

// A change made to the design's property list.
using Edit = std::function<void(PWPlist::Dictionary &design)>;

PWPlist::Dictionary dictionaryAt(const PWPlist::Dictionary &parent, const QString &key)
{
    const PWPlist value = parent.value(key);
    return value.isDictionary() ? value.toDictionary() : PWPlist::Dictionary();
}

// Changes key of the first component of class className.
Edit componentValue(const QString &className, const QString &key, const PWPlist &value)
{
    return [=](PWPlist::Dictionary &design) {
        PWPlist::Dictionary front = dictionaryAt(design, key_FrontSide);
        PWPlist::Array components = front.value(key_Components).toArray();
        for (PWPlist &component : components) {
            PWPlist::Dictionary entry = component.toDictionary();
            if (entry.value(key_ClassID).toString() != className)
                continue;
            // A null value takes the key away.
            if (value.isNull())
                entry.remove(key);
            else
                entry.insert(key, value);
            component = PWPlist(entry);
            break;
        }
        front.insert(key_Components, PWPlist(components));
        design.insert(key_FrontSide, PWPlist(front));
    };
}

Edit designValue(const QString &key, const PWPlist &value)
{
    return [=](PWPlist::Dictionary &design) { design.insert(key, value); };
}

// Changes key of the paper layout, wherever the design keeps it.
Edit layoutValue(const QString &key, const PWPlist &value)
{
    return [=](PWPlist::Dictionary &design) {
        for (const QString &layoutKey : {key_PredefinedLayout, key_CustomLayout}) {
            if (!design.contains(layoutKey))
                continue;
            PWPlist::Dictionary layout = dictionaryAt(design, layoutKey);
            layout.insert(key, value);
            design.insert(layoutKey, PWPlist(layout));
        }
    };
}

// The text component's styled text with the size of its fonts replaced by value.
Edit textFontSize(const PWPlist &value)
{
    return [=](PWPlist::Dictionary &design) {
        PWPlist::Dictionary front = dictionaryAt(design, key_FrontSide);
        PWPlist::Array components = front.value(key_Components).toArray();
        for (PWPlist &component : components) {
            PWPlist::Dictionary entry = component.toDictionary();
            if (entry.value(key_ClassID).toString() != classStringKeys.at(ciText))
                continue;
            const std::optional<PWPlist> archive = PWPlist::parse(entry.value(key_TextStorage2).toData());
            if (!archive)
                continue;
            PWPlist::Dictionary root = archive->toDictionary();
            PWPlist::Array objects = root.value(u"$objects"_s).toArray();
            for (PWPlist &object : objects) {
                if (!object.isDictionary() || !object.toDictionary().contains(u"NSSize"_s))
                    continue;
                PWPlist::Dictionary font = object.toDictionary();
                font.insert(u"NSSize"_s, value);
                object = PWPlist(font);
            }
            root.insert(u"$objects"_s, PWPlist(objects));
            entry.insert(key_TextStorage2, PWPlist::fromData(PWPlist(root).toXml()));
            component = PWPlist(entry);
        }
        front.insert(key_Components, PWPlist(components));
        design.insert(key_FrontSide, PWPlist(front));
    };
}

// What a PDF reader says while it reads every page's content; empty for a well-formed file.
QString readerComplaints(const QString &pdf)
{
    QProcess reader;
    reader.start(u"pdftotext"_s, {pdf, u"-"_s});
    if (!reader.waitForFinished(120000))
        return u"pdftotext did not end"_s;
    const QString complaints = QString::fromUtf8(reader.readAllStandardError()).trimmed();
    if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0)
        return u"pdftotext failed: "_s + complaints;
    return complaints;
}

class BatchJobExtremeValuesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeBlankDesign(path(u"blank.pwdc"_s), &error)) << qPrintable(error);
        CADocument document;
        ASSERT_TRUE(document.readFromFile(path(u"blank.pwdc"_s), &error)) << qPrintable(error);
        CFTADocument *design = document.ftDocument();
        auto *box = new CFTBoxField(10.0, 10.0, 40.0, 20.0, nullptr);
        const CDDColor red(1.0f, 0.0f, 0.0f, 1.0f);
        box->SetFilled(true);
        box->SetFillColor(&red);
        design->AddObject(box, 0, false);
        auto *counter = new CFTCounterField(60.0, 10.0, nullptr);
        counter->SetLeadingZeros(true);
        counter->SetZerosDigits(4);
        design->AddObject(counter, 0, false);
        auto *text = new CFTAText(10.0, 40.0, 120.0, 20.0, nullptr);
        QTextCharFormat style;
        PWFont(u"Helvetica"_s, 12.0).applyTo(&style);
        text->GetText()->setString(u"Sample text"_s, &style);
        design->AddObject(text, 0, false);
        ASSERT_TRUE(document.writeToFile(path(u"sample.pwdc"_s), &error)) << qPrintable(error);
        ASSERT_TRUE(pwtest::writeFile(path(u"people.csv"_s), "First Name,Last Name\r\nAda,One\r\nBo,Two\r\nCy,Three\r\n"));
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    // The sample design with edit made, as design.pwdc.
    void writeEdited(const Edit &edit)
    {
        std::optional<PWPlist> sample = PWPlist::readFile(path(u"sample.pwdc"_s));
        ASSERT_TRUE(sample && sample->isDictionary());
        PWPlist::Dictionary design = sample->toDictionary();
        edit(design);
        ASSERT_TRUE(pwtest::writeFile(path(u"design.pwdc"_s), PWPlist(design).toXml()));
    }

    QTemporaryDir m_folder;
};

TEST_F(BatchJobExtremeValuesTest, ValuesNoPageCanHoldAreNamedAndThePdfIsWellFormed)
{
    const struct
    {
        const char *name;
        Edit edit;
        // What standard error names.
        QString reason;
    } cases[] = {
        {"the largest digits count", componentValue(classStringKeys.at(ciCounter), key_DigitsCount, PWPlist::fromString(u"2147483647"_s)),
         u"\"Digits Count\" of a component of class \"Counter Field\" is out of range (2147483647); kept 1"_s},
        {"a hundred million digits", componentValue(classStringKeys.at(ciCounter), key_DigitsCount, PWPlist::fromString(u"100000000"_s)),
         u"\"Digits Count\""_s},
        {"a negative digits count", componentValue(classStringKeys.at(ciCounter), key_DigitsCount, PWPlist::fromString(u"-5"_s)),
         u"\"Digits Count\""_s},
        {"bounds far off the page", componentValue(classStringKeys.at(ciShape), key_Bounds, PWPlist::fromString(u"{{1e19, 10}, {40, 20}}"_s)),
         u"\"Bounds\" of a component of class \"Square Field\" is out of range"_s},
        {"bounds of the largest float", componentValue(classStringKeys.at(ciShape), key_Bounds, PWPlist::fromString(u"{{10, 10}, {3.4e38, 3.4e38}}"_s)),
         u"\"Bounds\""_s},
        {"bounds beyond a float", componentValue(classStringKeys.at(ciShape), key_Bounds, PWPlist::fromString(u"{{10, 1e39}, {40, 20}}"_s)),
         u"\"Bounds\""_s},
        {"a pen wider than any card", componentValue(classStringKeys.at(ciShape), key_PenWidth, PWPlist::fromString(u"1e30"_s)),
         u"\"Pen Width\""_s},
        {"a top margin of 1e30", layoutValue(key_TopMargin, PWPlist::fromString(u"1e30"_s)), u"\"TopMargin\""_s},
        {"a left margin of 1e30", layoutValue(key_LeftMargin, PWPlist::fromString(u"1e30"_s)), u"\"LeftMargin\""_s},
        {"a font size that is no number", textFontSize(PWPlist::fromString(u"big"_s)), u"\"Text Storage 2\" of a component of class \"Text\" is read without a style"_s},
        {"a shape stored with an address panel's kind",
         componentValue(classStringKeys.at(ciShape), key_ComponentType, PWPlist::fromString(u"5"_s)),
         u"\"Component Type\" of a component of class \"Square Field\" is 5, the kind of another class"_s},
        // Left out, a start number is a new counter's; held as a list, it is damaged.
        {"a counter whose start number is a list",
         componentValue(classStringKeys.at(ciCounter), key_StartNumber, PWPlist(PWPlist::Array {PWPlist::fromString(u"1"_s)})),
         u"\"Start Number\" of a component of class \"Counter Field\""_s},
        {"a card width that is no number", designValue(key_CardWidth, PWPlist::fromString(u"wide"_s)), u"\"Card Width\""_s},
        {"a card height of 1e30", designValue(key_CardHeight, PWPlist::fromString(u"1e30"_s)), u"\"Card Height\""_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        writeEdited(c.edit);
        const struct
        {
            const char *job;
            QStringList arguments;
        } jobs[] = {
            {"export", {u"--export"_s, path(u"design.pwdc"_s), path(u"out.pdf"_s)}},
            {"print", {u"--print"_s, path(u"design.pwdc"_s), u"--contacts"_s, path(u"people.csv"_s), u"--output"_s, path(u"out.pdf"_s)}},
        };
        for (const auto &job : jobs) {
            SCOPED_TRACE(job.job);
            QFile::remove(path(u"out.pdf"_s));
            const ProgramRun run = runProgram(job.arguments);
            // Written, but without the value it could not take: the job fails after its output.
            ASSERT_EQ(run.status, 1) << qPrintable(run.err);
            EXPECT_TRUE(run.err.contains(u"part of the design could not be read: "_s + c.reason)) << qPrintable(run.err);
            EXPECT_EQ(readerComplaints(path(u"out.pdf"_s)), QString());
        }
    }
}

// The sample as it is reads without a word: the cases above owe their reasons to their one change.
TEST_F(BatchJobExtremeValuesTest, TheSampleItselfIsReadWhole)
{
    writeEdited([](PWPlist::Dictionary &) {});
    const ProgramRun run = runProgram({u"--export"_s, path(u"design.pwdc"_s), path(u"out.pdf"_s)});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains(u"could not be read"_s)) << qPrintable(run.err);
    EXPECT_EQ(readerComplaints(path(u"out.pdf"_s)), QString());
}

} // namespace
