// Descriptors the program opens stay out of the programs it starts (contact helpers, pictures read
// in a child): a helper that inherited the instance lock or a design would hold them past the
// program's end. A started child lists what it holds.
#include "TestSupport.h"

#include "platform/PWDescriptor.h"
#include "platform/PWSaveFile.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// What a started child holds open, as it lists it itself.
QString heldByAChild()
{
    QProcess child;
    child.start(u"/bin/ls"_s, {u"-l"_s, u"/proc/self/fd"_s});
    EXPECT_TRUE(child.waitForFinished(30000));
    return QString::fromLocal8Bit(child.readAllStandardOutput());
}

TEST(PWDescriptorInheritTest, NoDescriptorOfOursReachesAStartedProgram)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QByteArray base = QFile::encodeName(folder.path()) + '/';
    ASSERT_TRUE(pwtest::writeFile(folder.filePath(u"design.pwdc"_s), "<plist/>"));
    const struct
    {
        const char *name;
        std::function<PWDescriptor()> open;
    } cases[] = {
        {"a file opened by its flags", [&] { return PWDescriptor::open(base + "design.pwdc", O_RDONLY); }},
        {"a file opened to read", [&] { return PWDescriptor::openToRead(base + "design.pwdc"); }},
        {"a new file", [&] { return PWDescriptor::createNew(base + "new.part"); }},
        {"a file of a unique name",
         [&] {
             QByteArray pattern = base + "probe-XXXXXX";
             return PWDescriptor::createUnique(&pattern);
         }},
        {"a file to replace", [&] { return PWDescriptor::openToReplace(base + "settings.plist", 0600); }},
        {"a file to append to", [&] { return PWDescriptor::openToAppend(base + "log.txt", 0600); }},
        {"the instance lock", [&] { return PWDescriptor::openLock(base + "instance.lock"); }},
        // What a folder listing owns (a save's look for part files left) and what a silenced
        // library's standard output is kept in.
        {"a duplicate", [&] { return PWDescriptor::duplicate(PWDescriptor::open(base + "design.pwdc", O_RDONLY).get()); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const PWDescriptor held = c.open();
        ASSERT_TRUE(held.isValid());
        const QString seen = heldByAChild();
        // The child did list its descriptors: its standard output at least.
        EXPECT_TRUE(seen.contains(u"pipe:"_s)) << qPrintable(seen);
        EXPECT_FALSE(seen.contains(folder.path())) << qPrintable(seen);
    }
}

// Standard output, kept aside while a library's printing is silenced, stays out of a program
// started meanwhile (a child of the picture reader answers on its own standard output).
TEST(PWDescriptorInheritTest, TheStandardOutputKeptWhileSilencedReachesNoStartedProgram)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    std::fflush(stdout);
    const PWDescriptor original = PWDescriptor::duplicate(STDOUT_FILENO);
    const PWDescriptor file = PWDescriptor::openToReplace(QFile::encodeName(folder.filePath(u"out.txt"_s)), 0600);
    ASSERT_TRUE(original.isValid() && file.isValid());
    ASSERT_GE(::dup2(file.get(), STDOUT_FILENO), 0);
    QString seen;
    {
        const PWSilencedStandardOutput silenced;
        seen = heldByAChild();
    }
    std::fflush(stdout);
    ASSERT_GE(::dup2(original.get(), STDOUT_FILENO), 0);
    EXPECT_TRUE(seen.contains(u"pipe:"_s)) << qPrintable(seen);
    EXPECT_FALSE(seen.contains(folder.path())) << qPrintable(seen);
}

// A save holds its folder, the checked file and the new bytes open while it writes; a program
// started meanwhile (a contact helper, a picture read in a child) must hold none of them, on
// either road to the new file, nor while a streamed file is open.
TEST(PWDescriptorInheritTest, NoDescriptorOfASaveReachesAProgramStartedWhileItWrites)
{
    enum class Road { Unnamed, Named, Streamed };
    const struct
    {
        const char *name;
        Road road;
    } cases[] = {
        {"an unnamed new file", Road::Unnamed},
        {"a named part file", Road::Named},
        {"a streamed file", Road::Streamed},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        const QString target = folder.filePath(u"labels.pdf"_s);
        ASSERT_TRUE(pwtest::writeFile(target, "last week's labels"));
        QString seen;
        QString reason;
        PWSaveFile::setUnnamedTemporaryAllowed(c.road != Road::Named);
        if (c.road == Road::Streamed) {
            PWSaveFile::File file(target);
            ASSERT_TRUE(PWSaveFile::open(file, &reason)) << qPrintable(reason);
            file.write("this week's labels");
            seen = heldByAChild();
            EXPECT_TRUE(PWSaveFile::commit(file, &reason)) << qPrintable(reason);
        } else {
            PWSaveFile::setBeforeReplaceHook([&seen] { seen = heldByAChild(); });
            EXPECT_TRUE(PWSaveFile::write(target, "this week's labels", &reason)) << qPrintable(reason);
            PWSaveFile::setBeforeReplaceHook(nullptr);
        }
        PWSaveFile::setUnnamedTemporaryAllowed(true);
        EXPECT_EQ(pwtest::readFile(target), QByteArray("this week's labels"));
        EXPECT_TRUE(seen.contains(u"pipe:"_s)) << qPrintable(seen);
        EXPECT_FALSE(seen.contains(folder.path())) << qPrintable(seen);
    }
}

} // namespace
