// A text whose archived styles hold one number that does not read (a font size or paragraph
// spacing that is NaN, infinite or text), exported and saved as a user runs the program: every
// character is drawn and kept, only that style is left out, and the reading names it.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWAttributedString.h"
#include "platform/PWFont.h"
#include "platform/PWKeyedUnarchiver.h"
#include "platform/PWPlist.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString kTextKey = u"Text Storage 2"_s;
const QString kWords = u"Hello World"_s;

QString pdfTextOfAllPages(const QString &pdf)
{
    QProcess reader;
    reader.start(u"pdftotext"_s, {pdf, u"-"_s});
    if (!reader.waitForFinished(120000))
        return QString();
    return QString::fromUtf8(reader.readAllStandardOutput());
}

// Calls change on every dictionary of the tree, which it may replace; answers the new tree.
PWPlist edited(const PWPlist &node, const std::function<PWPlist(const QString &, const PWPlist &)> &change)
{
    if (node.isArray()) {
        PWPlist::Array array;
        for (const PWPlist &element : node.toArray())
            array.append(edited(element, change));
        return array;
    }
    if (!node.isDictionary())
        return node;
    PWPlist::Dictionary dictionary;
    for (const auto &[k, v] : node.toDictionary())
        dictionary.insert(k, change(k, edited(v, change)));
    return dictionary;
}

QByteArray storedText(const QString &path)
{
    QByteArray found;
    if (const std::optional<PWPlist> file = PWPlist::readFile(path))
        edited(*file, [&found](const QString &key, const PWPlist &value) {
            if (key == kTextKey)
                found = value.toData();
            return value;
        });
    return found;
}

// The design with the value under key in the text's archive replaced where it equals from.
bool damage(const QString &path, const QString &key, const PWPlist &from, const PWPlist &to)
{
    const QByteArray bytes = pwtest::readFile(path);
    const std::optional<PWPlist> file = PWPlist::parse(bytes);
    int count = 0;
    const auto inArchive = [&](const QString &k, const PWPlist &value) {
        if (k == key && value == from) {
            ++count;
            return to;
        }
        return value;
    };
    const PWPlist changed = edited(*file, [&](const QString &k, const PWPlist &value) {
        if (k != kTextKey)
            return value;
        const std::optional<PWPlist> archive = PWPlist::parse(value.toData());
        return archive ? PWPlist::fromData(edited(*archive, inArchive).toBinary()) : value;
    });
    return count > 0 && pwtest::writeFile(path, bytes.startsWith("bplist") ? changed.toBinary() : changed.toXml());
}

} // namespace

TEST(DamagedTextStyleTest, OneStyleThatDoesNotReadDropsOnlyItself)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct
    {
        const char *name;
        QString key;
        PWPlist from;
        PWPlist to;
        QString attribute;
    } cases[] = {
        {"font size NaN", u"NSSize"_s, PWPlist::fromReal(20.0), PWPlist::fromReal(nan), u"NSFont"_s},
        {"font size infinite", u"NSSize"_s, PWPlist::fromReal(20.0), PWPlist::fromReal(-inf), u"NSFont"_s},
        {"font size text", u"NSSize"_s, PWPlist::fromReal(20.0), PWPlist::fromString(u"twenty"_s), u"NSFont"_s},
        {"paragraph spacing NaN", u"NSParagraphSpacing"_s, PWPlist::fromReal(6.0), PWPlist::fromReal(nan),
         u"NSParagraphStyle"_s},
        {"paragraph spacing infinite", u"NSParagraphSpacing"_s, PWPlist::fromReal(6.0), PWPlist::fromReal(inf),
         u"NSParagraphStyle"_s},
    };
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString design = work.filePath(u"design.pwdc"_s);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        ASSERT_TRUE(commandtest::writeBlankDesign(design, &error)) << qPrintable(error);
        {
            CADocument document;
            ASSERT_TRUE(document.readFromFile(design, &error)) << qPrintable(error);
            QTextCharFormat small;
            PWFont(u"Helvetica"_s, 12.0).applyTo(&small);
            QTextCharFormat large;
            PWFont(u"Helvetica"_s, 20.0).applyTo(&large);
            QTextBlockFormat spaced;
            spaced.setBottomMargin(6.0);
            PWAttributedString text;
            text.append(u"Hello "_s, small, spaced);
            text.append(u"World"_s, large, spaced);
            auto *component = new CFTAText(10.0, 10.0, 200.0, 60.0, nullptr);
            component->GetText()->setAttributedString(text);
            document.ftDocument()->AddObject(component, 0, false);
            ASSERT_TRUE(document.writeToFile(design, &error)) << qPrintable(error);
        }
        ASSERT_TRUE(damage(design, c.key, c.from, c.to));

        const QString out = work.filePath(u"out.pdf"_s);
        const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
        EXPECT_EQ(run.status, CACommandLine::kFailure) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(u"\"%1\" of some characters does not read"_s.arg(c.attribute)))
            << qPrintable(run.err);
        EXPECT_TRUE(pdfTextOfAllPages(out).simplified().contains(kWords)) << qPrintable(pdfTextOfAllPages(out));

        CADocument document;
        ASSERT_TRUE(document.readFromFile(design, &error)) << qPrintable(error);
        EXPECT_TRUE(document.readProblems().join(u'\n').contains(c.attribute))
            << qPrintable(document.readProblems().join(u'\n'));
        const QString saved = work.filePath(u"saved.pwdc"_s);
        ASSERT_TRUE(document.writeToFile(saved, &error)) << qPrintable(error);
        const std::optional<PWAttributedString> kept =
            PWKeyedUnarchiver::unarchiveAttributedString(storedText(saved), &error);
        ASSERT_TRUE(kept) << qPrintable(error);
        EXPECT_EQ(kept->string(), kWords);
    }
}
