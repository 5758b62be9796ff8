// What --new makes for each type the assistant's list names: the help says it, and a blank
// design of that type is of the kind the help says.
#include "TestSupport.h"

#include "app/command/CACommandLine.h"
#include "app/command/CAScriptCommands.h"

#include <QCommandLineOption>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString helpOfOption(const QString &name)
{
    for (const QCommandLineOption &option : CACommandLine::options())
        if (option.names().contains(name))
            return option.description();
    return QString();
}

TEST(NewKindHelpTest, EveryAssistantTypeIsSaidWithTheKindItMakes)
{
    const struct
    {
        const char *code;
        documentType kind;
        const char *said; // the words of the help before the next type
    } cases[] = {
        {"enp", dtEnvelope, "enp an envelope"},
        {"mps", dtPostcard, "mps a postcard"},
        {"ral", dtLabel, "ral, adr, shp and any other TYPE the same blank label"},
        {"adr", dtLabel, "adr, shp and any other TYPE the same blank label"},
        {"shp", dtLabel, "shp and any other TYPE the same blank label"},
        {"xyz", dtLabel, "any other TYPE the same blank label"},
    };
    const QString assistantHelp = helpOfOption(u"assistant"_s);
    const QString newHelp = helpOfOption(u"new"_s);
    for (const auto &c : cases) {
        const QString code = QString::fromLatin1(c.code);
        if (code != u"xyz"_s) {
            EXPECT_TRUE(assistantHelp.contains(code + u" ("_s)) << c.code << " is no type of the assistant's list";
        }
        EXPECT_TRUE(newHelp.contains(QString::fromUtf8(c.said))) << c.code << ": " << newHelp.toStdString();
        EXPECT_EQ(CAScriptCommands::typeCode(code).kind, c.kind) << c.code;
    }
}

} // namespace
