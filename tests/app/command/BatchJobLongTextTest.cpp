// A design whose text component holds a text of a hundred thousand lines, exported by the batch as
// a user runs it: the export ends (well within the bound, even under the sanitizers) and its PDF
// shows the text's first lines in the frame. A layout past Qt's first open page took minutes for
// twenty thousand lines and never ended for a hundred thousand.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWAttributedString.h"
#include "platform/PWFont.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

struct LongTextCase
{
    const char *name;
    int lines;
    double size;
    double spaceAfter; // points after each paragraph
    bool alternate;    // every other line bold and centred
};

// The text of the PDF's first page, as a reader finds it.
QString pdfText(const QString &pdf)
{
    QProcess reader;
    reader.start(u"pdftotext"_s, {u"-l"_s, u"1"_s, pdf, u"-"_s});
    if (!reader.waitForFinished(120000))
        return QString();
    return QString::fromUtf8(reader.readAllStandardOutput());
}

class BatchJobLongTextTest : public ::testing::TestWithParam<LongTextCase>
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
};

TEST_P(BatchJobLongTextTest, ExportEndsAndDrawsTheFirstLines)
{
    const LongTextCase &c = GetParam();
    QString error;
    ASSERT_TRUE(commandtest::writeBlankDesign(path(u"blank.pwdc"_s), &error)) << qPrintable(error);
    {
        CADocument document;
        ASSERT_TRUE(document.readFromFile(path(u"blank.pwdc"_s), &error)) << qPrintable(error);
        QTextCharFormat plain;
        PWFont(u"Helvetica"_s, c.size).applyTo(&plain);
        QTextCharFormat bold;
        PWFont(u"Helvetica-Bold"_s, c.size).applyTo(&bold);
        QTextBlockFormat left;
        left.setBottomMargin(c.spaceAfter);
        QTextBlockFormat centred = left;
        centred.setAlignment(Qt::AlignHCenter);
        PWAttributedString text;
        for (int line = 0; line < c.lines; ++line) {
            const bool odd = c.alternate && line % 2 != 0;
            text.append(u"Line %1 of the text\n"_s.arg(line), odd ? bold : plain, odd ? centred : left);
        }
        auto *component = new CFTAText(10.0, 10.0, 160.0, 60.0, nullptr);
        component->GetText()->setAttributedString(text);
        document.ftDocument()->AddObject(component, 0, false);
        ASSERT_TRUE(document.writeToFile(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    }

    const ProgramRun run = runProgram({u"--export"_s, path(u"design.pwdc"_s), path(u"out.pdf"_s)}, std::nullopt, -1);
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const QString shown = pdfText(path(u"out.pdf"_s));
    EXPECT_TRUE(shown.contains(u"Line 0 of the text"_s)) << qPrintable(shown.left(400));
    EXPECT_TRUE(shown.contains(u"Line 1 of the text"_s)) << qPrintable(shown.left(400));
    // The frame holds a few lines, never the text's end.
    EXPECT_FALSE(shown.contains(u"Line %1 of the text"_s.arg(c.lines - 1))) << qPrintable(shown.left(400));
}

INSTANTIATE_TEST_SUITE_P(
    BatchJobLongTextTest, BatchJobLongTextTest,
    ::testing::Values(LongTextCase {"PlainLines", 100000, 10.0, 0.0, false},
                      LongTextCase {"SpacedAlternatingParagraphs", 100000, 12.0, 4.0, true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
