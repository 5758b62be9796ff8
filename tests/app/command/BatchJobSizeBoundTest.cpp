// The batch command weighs a design however its file spells or shares it: the panels of a design as
// the program writes it, repeated past what a design may cost, are refused with the reason before the
// file is read, whether the file lists each, refers to one from every place (binary), or writes its
// keys in a CDATA section or in character references; the same design of two panels, in each form,
// exports as the plain one does.
#include "TestSupport.h"
#include "ProgramRunSupport.h"
#include "SharedBinaryPlist.h"

#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "platform/PWPlist.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

// The design with its one panel repeated count times.
PWPlist withPanels(const PWPlist &design, qsizetype count)
{
    const PWPlist front = design.value(key_FrontSide);
    const PWPlist panel = front.value(key_Components).at(0);
    PWPlist::Dictionary side = front.toDictionary();
    side.insert(key_Components, PWPlist(PWPlist::Array(count, panel)));
    PWPlist::Dictionary whole = design.toDictionary();
    whole.insert(key_FrontSide, PWPlist(side));
    return PWPlist(whole);
}

// The forms of one design's file: plain, shared (one panel object referred to from every place),
// keys in CDATA, keys in character references.
QList<std::pair<const char *, QByteArray>> formsOf(const PWPlist &design)
{
    const QByteArray plain = design.toXml();
    QByteArray cdata = plain;
    QByteArray references = plain;
    const QByteArray key = "<key>" + key_ClassID.toUtf8() + "</key>";
    cdata.replace(key, "<key><![CDATA[" + key_ClassID.toUtf8() + "]]></key>");
    references.replace(key, "<key>" + key_ClassID.toUtf8().replace(' ', "&#32;") + "</key>");
    return {{"plain", plain}, {"shared", pwtest::sharedBinary(design)}, {"cdata", cdata}, {"references", references}};
}

TEST(BatchJobSizeBoundTest, EveryFormOfADesignPastTheBoundIsRefusedWithItsReason)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString error;
    ASSERT_TRUE(commandtest::writeAddressDesign(folder.filePath(u"one.pwdc"_s), &error)) << qPrintable(error);
    const std::optional<PWPlist> design = PWPlist::readFile(folder.filePath(u"one.pwdc"_s));
    ASSERT_TRUE(design.has_value());
    // The fewest panels the plain file is refused at, counted from what the file of one holds.
    using CFTADocumentFileCheck::Cost;
    const std::optional<Cost> none = CFTADocumentFileCheck::costOf(withPanels(*design, 0).toXml());
    const std::optional<Cost> one = CFTADocumentFileCheck::costOf(design->toXml());
    ASSERT_TRUE(none && one);
    ASSERT_EQ(one->panels, 1);
    const auto costWith = [&](qsizetype panels) {
        Cost cost = *none;
        cost.components += panels * (one->components - none->components);
        cost.texts += panels * (one->texts - none->texts);
        cost.panels += panels;
        cost.textBytes += panels * (one->textBytes - none->textBytes);
        cost.textBytesLaidOut += panels * (one->textBytesLaidOut - none->textBytesLaidOut);
        return cost;
    };
    qsizetype refusedAt = 1;
    while (costWith(refusedAt).withinBounds())
        ++refusedAt;
    ASSERT_GT(refusedAt, 2);

    for (const qsizetype panels : {qsizetype(2), refusedAt}) {
        const bool refused = panels == refusedAt;
        const QList<std::pair<const char *, QByteArray>> forms = formsOf(withPanels(*design, panels));
        const QString reason = CFTADocumentFileCheck::refusalBeforeReading(forms.first().second);
        ASSERT_EQ(!reason.isEmpty(), refused) << qPrintable(reason);
        QImage plainPage;
        for (const auto &[form, bytes] : forms) {
            SCOPED_TRACE(std::string(form) + (refused ? " refused" : " read"));
            const QString input = folder.filePath(QString::fromLatin1(form) + u".pwdc"_s);
            const QString output = folder.filePath(QString::fromLatin1(form) + u".pdf"_s);
            QFile::remove(output);
            ASSERT_TRUE(pwtest::writeFile(input, bytes));
            const ProgramRun run = runProgram({u"--export"_s, input, output});
            if (refused) {
                EXPECT_EQ(run.status, 1) << qPrintable(run.err);
                EXPECT_TRUE(run.err.contains(reason)) << qPrintable(run.err);
                EXPECT_FALSE(QFileInfo::exists(output));
                continue;
            }
            EXPECT_EQ(run.status, 0) << qPrintable(run.err);
            const QImage page = commandtest::exportedPage(output);
            ASSERT_FALSE(page.isNull());
            if (plainPage.isNull())
                plainPage = page;
            EXPECT_EQ(page, plainPage);
        }
    }
}

} // namespace
