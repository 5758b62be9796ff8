// The reading of the options that go to the running instance: each becomes the command the door
// takes, with absolute paths, and options that do not belong together are refused with a reason.
#include "TestSupport.h"

#include "app/command/CACommandLine.h"

#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::optional<CACommandRequest> parse(QStringList arguments, QString *error = nullptr)
{
    arguments.prepend(u"parcelwick"_s);
    return CACommandLine::parse(arguments, u"/home/user/work"_s, error);
}

TEST(CommandLineParseTest, InstanceOptionsBecomeCommandsWithAbsolutePaths)
{
    const struct
    {
        QStringList arguments;
        QList<QJsonObject> commands;
    } cases[] = {
        {{u"--preview"_s, u"a.pwdc"_s},
         {{{u"command"_s, u"preview"_s}, {u"file"_s, u"/home/user/work/a.pwdc"_s}}}},
        {{u"--print-dialog"_s, u"../b.pwdc"_s},
         {{{u"command"_s, u"printWithDialog"_s}, {u"file"_s, u"/home/user/b.pwdc"_s}}}},
        {{u"--print-multiple"_s, u"a.pwdc"_s, u"--contacts"_s, u"c.vcf"_s},
         {{{u"command"_s, u"printMultiple"_s},
           {u"file"_s, u"/home/user/work/a.pwdc"_s},
           {u"contacts"_s, u"/home/user/work/c.vcf"_s},
           {u"showPreview"_s, false}}}},
        {{u"--print-multiple"_s, u"a.pwdc"_s, u"--contacts"_s, u"c.vcf"_s, u"--show-sheet"_s},
         {{{u"command"_s, u"printMultiple"_s},
           {u"file"_s, u"/home/user/work/a.pwdc"_s},
           {u"contacts"_s, u"/home/user/work/c.vcf"_s},
           {u"showPreview"_s, true}}}},
        // The import comes first, so that a print of the same start sees the persons.
        {{u"--preview"_s, u"a.pwdc"_s, u"--import-contacts"_s, u"c.txt"_s, u"--into"_s, u"a.pwdc"_s, u"--append"_s},
         {{{u"command"_s, u"importContacts"_s},
           {u"contacts"_s, u"/home/user/work/c.txt"_s},
           {u"file"_s, u"/home/user/work/a.pwdc"_s},
           {u"append"_s, true}},
          {{u"command"_s, u"preview"_s}, {u"file"_s, u"/home/user/work/a.pwdc"_s}}}},
        {{u"--import-contacts"_s, u"c.vcf"_s},
         {{{u"command"_s, u"importContacts"_s}, {u"contacts"_s, u"/home/user/work/c.vcf"_s}, {u"append"_s, false}}}},
        {{u"--assistant"_s, u"shp"_s}, {{{u"command"_s, u"assistant"_s}, {u"withType"_s, u"shp"_s}}}},
        {{u"--new"_s, u"enp"_s}, {{{u"command"_s, u"blankDocument"_s}, {u"withType"_s, u"enp"_s}}}},
        {{u"x.pwdc"_s}, {}},
    };
    for (const auto &c : cases) {
        QString error;
        const std::optional<CACommandRequest> request = parse(c.arguments, &error);
        ASSERT_TRUE(request) << qPrintable(c.arguments.join(u' ') + u": "_s + error);
        EXPECT_EQ(request->mode, CACommandRequest::Mode::Interactive);
        EXPECT_EQ(request->commands, c.commands) << qPrintable(c.arguments.join(u' '));
    }
}

TEST(CommandLineParseTest, RefusesOptionsThatDoNotBelongTogether)
{
    const struct
    {
        QStringList arguments;
        const char16_t *reason;
    } cases[] = {
        {{u"--print-multiple"_s, u"a.pwdc"_s}, u"--contacts"},
        {{u"--show-sheet"_s}, u"--print-multiple"},
        {{u"--into"_s, u"a.pwdc"_s}, u"--import-contacts"},
        {{u"--append"_s}, u"--import-contacts"},
        {{u"--contacts"_s, u"c.vcf"_s}, u"--print"},
        {{u"--print"_s, u"a.pwdc"_s, u"--output"_s, u"o.pdf"_s, u"--preview"_s, u"a.pwdc"_s}, u"--preview"},
        {{u"--export"_s, u"a.pwdc"_s, u"o.pdf"_s, u"--new"_s, u"enp"_s}, u"--new"},
        {{u"--assistant"_s}, u"assistant"},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_FALSE(parse(c.arguments, &error)) << qPrintable(c.arguments.join(u' '));
        EXPECT_TRUE(error.contains(QString::fromUtf16(c.reason))) << qPrintable(error);
    }
}

TEST(CommandLineParseTest, HelpListsEveryInstanceOption)
{
    const QString help = CACommandLine::helpText();
    for (const char16_t *option : {u"--preview", u"--print-dialog", u"--print-multiple", u"--show-sheet",
                                   u"--import-contacts", u"--into", u"--append", u"--assistant", u"--new"})
        EXPECT_TRUE(help.contains(QString::fromUtf16(option))) << qPrintable(QString::fromUtf16(option));
}

// Every option the help lists is one the program takes (a missing value aside): none is answered
// as unknown.
TEST(CommandLineParseTest, EveryOptionTheHelpListsIsKnown)
{
    const QString help = CACommandLine::helpText();
    static const QRegularExpression listed(u"(?:^|[\\s,])(--?[A-Za-z][A-Za-z0-9-]*)"_s);
    QStringList options;
    for (QRegularExpressionMatchIterator it = listed.globalMatch(help); it.hasNext();)
        options << it.next().captured(1);
    options.removeDuplicates();
    ASSERT_TRUE(options.contains(u"--help"_s)) << qPrintable(help);
    ASSERT_TRUE(options.contains(u"--print"_s)) << qPrintable(help);
    for (const QString &option : std::as_const(options)) {
        QString error;
        parse({option}, &error);
        EXPECT_FALSE(error.contains(u"Unknown option"_s, Qt::CaseInsensitive)) << qPrintable(option + u": "_s + error);
    }
}

// "--" ends the options: what follows is a file name, whatever it looks like, and no batch or
// toolkit option is seen there.
TEST(CommandLineParseTest, TwoDashesEndTheOptions)
{
    const struct
    {
        const char *name;
        std::vector<const char *> argv;
        bool headless;
        bool toolkit;
        QStringList files;
    } cases[] = {
        {"--version as a file", {"parcelwick", "--", "--version"}, false, false, {u"/home/user/work/--version"_s}},
        {"--export as a file", {"parcelwick", "--", "--export", "-style"}, false, false,
         {u"/home/user/work/--export"_s, u"/home/user/work/-style"_s}},
        {"--version before the dashes", {"parcelwick", "--version", "--", "a.pwdc"}, true, false, {}},
        {"a toolkit option before the dashes", {"parcelwick", "-style", "fusion", "--", "a.pwdc"}, false, true, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CACommandLine::isHeadless(int(c.argv.size()), c.argv.data()), c.headless);
        EXPECT_EQ(CACommandLine::mentionsToolkitOption(int(c.argv.size()), c.argv.data()), c.toolkit);
        if (c.headless || c.toolkit)
            continue;
        QStringList arguments;
        for (std::size_t i = 1; i < c.argv.size(); ++i)
            arguments << QString::fromLatin1(c.argv[i]);
        QString error;
        bool helpOrVersion = true;
        arguments.prepend(u"parcelwick"_s);
        const std::optional<CACommandRequest> request =
            CACommandLine::parse(arguments, u"/home/user/work"_s, &error, &helpOrVersion);
        ASSERT_TRUE(request) << qPrintable(error);
        EXPECT_FALSE(helpOrVersion);
        EXPECT_EQ(request->mode, CACommandRequest::Mode::Interactive);
        EXPECT_EQ(request->files, c.files);
    }
}

} // namespace
