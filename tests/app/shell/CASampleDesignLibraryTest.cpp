#include "app/shell/CASampleDesignLibrary.h"

#include "AssistantTestSupport.h"

#include "app/canvas/CACanvasAddressEdits.h"
#include "app/shell/CAAssistantDesingController.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QSysInfo>
#include <QTemporaryDir>

#include <functional>

#include <csignal>
#include <cstdio>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace assistanttest;

namespace {

// What the side check of a design of this family and category must find.
struct Sides
{
    bool sender;
    bool recipient;
};

Sides expectedSides(const QString &group, const QString &category)
{
    if (category == u"Handling"_s)
        return {false, false};
    if (group.startsWith(u"Return"_s))
        return {true, false};
    if (group.startsWith(u"Mailing"_s) || group.startsWith(u"Postcard"_s))
        return {false, true};
    return {true, true};
}

// Every design the build made opens as a design, whole, fits its size group, and the design
// step's side check finds the sides its family calls for.
TEST(SampleDesignLibraryTest, EverySampleOpensFitsItsGroupAndTheSideCheckHolds)
{
    const QStringList designs = sampleDesigns();
    ASSERT_GE(designs.size(), 15);
    useContentLibrary(sampleLibrary());
    CAAssistantDesingController step;
    int barcodes = 0;
    for (const QString &relative : designs) {
        SCOPED_TRACE(relative.toStdString());
        const QStringList parts = relative.split(u'/');
        ASSERT_EQ(parts.size(), 3);
        const QString path = QDir(sampleTemplates()).filePath(relative);

        CADocument document;
        QString error;
        ASSERT_TRUE(document.readFromFile(path, &error)) << error.toStdString();
        EXPECT_TRUE(document.readProblems().isEmpty()) << document.readProblems().join(u"; "_s).toStdString();
        const CFTADocument *design = document.ftDocument();
        const float longSide = float(std::max(design->getDocumentSizeX(0), design->getDocumentSizeY(0)));
        const float shortSide = float(std::min(design->getDocumentSizeX(0), design->getDocumentSizeY(0)));
        EXPECT_EQ(CATemplateFormat::getSizeGroupNameForSize(longSide, shortSide, int(design->getDocumentType())),
                  std::optional<QString>(parts.at(0)));
        EXPECT_FALSE(design->GetComponents(0, false).empty());
        // Nothing is cut off by the paper's edge. An address panel's frame keeps a least size
        // that a small label's lettering need not fill; the frame only has to start on the paper.
        const QRectF page(0.0, 0.0, design->getDocumentSizeX(0), design->getDocumentSizeY(0));
        for (CFTComponent *component : design->GetComponents(0, false)) {
            if (component->getType() == ctAddressPanel) {
                EXPECT_TRUE(page.contains(QPointF(component->GetOriginX(), component->GetOriginY())));
                // A barcode stands below the address, and the design says so where it keeps it.
                const auto *panel = static_cast<const CFTAAddressPanel *>(component);
                if (panel->getFormat() && panel->getFormat()->containKey(tcBarcode)) {
                    ++barcodes;
                    EXPECT_EQ(CACanvasAddressEdits::drawnBarcodeLocation(panel), 1);
                    EXPECT_EQ(panel->GetBarcodeLocation(), 1);
                }
                continue;
            }
            const QRectF bounds(component->GetOriginX(), component->GetOriginY(), component->GetSizeX(),
                                component->GetSizeY());
            EXPECT_TRUE(page.adjusted(-0.5, -0.5, 0.5, 0.5).contains(bounds))
                << "component of type " << int(component->getType()) << " at " << bounds.x() << "," << bounds.y()
                << " " << bounds.width() << "x" << bounds.height() << " on " << page.width() << "x" << page.height();
        }

        step.imageWithPath(path);
        step.checkDocSenderAndRecipient();
        const Sides sides = expectedSides(parts.at(0), parts.at(1));
        EXPECT_EQ(step.isDocHasSender(), sides.sender);
        EXPECT_EQ(step.isDocHasRecipient(), sides.recipient);
    }
    EXPECT_GT(barcodes, 0) << "some designs show a barcode";
    PWUserDefaults::standardUserDefaults().removeObject(u"FTSharedContentLibraryPath"_s);
}

// Each family of size groups has at least three designs in two categories besides "Handling";
// the #10 and DL envelopes have theirs.
TEST(SampleDesignLibraryTest, EveryFamilyHasDesignsInTwoCategoriesAndHandling)
{
    QHash<QString, QSet<QString>> categories;
    QHash<QString, int> ordinary;
    for (const QString &relative : sampleDesigns()) {
        const QStringList parts = relative.split(u'/');
        categories[parts.at(0)].insert(parts.at(1));
        if (parts.at(1) != u"Handling"_s)
            ++ordinary[parts.at(0)];
    }
    for (const QString &family : {u"Return"_s, u"Mailing"_s, u"Shipping"_s, u"Envelope"_s, u"Postcard"_s}) {
        SCOPED_TRACE(family.toStdString());
        int groups = 0;
        for (auto it = categories.cbegin(); it != categories.cend(); ++it) {
            if (!it.key().startsWith(family))
                continue;
            ++groups;
            EXPECT_GE(ordinary.value(it.key()), 3) << it.key().toStdString();
            EXPECT_GE(it.value().size(), 3) << it.key().toStdString();
            EXPECT_TRUE(it.value().contains(u"Handling"_s)) << it.key().toStdString();
        }
        EXPECT_GT(groups, 0);
    }
    for (const QString &id : {u"10"_s, u"DL"_s}) {
        std::optional<QString> group;
        for (const auto &format : *CATemplateFormat::predefLayouts(dtEnvelope))
            if (format->ID() == id)
                group = format->sizeGroup();
        ASSERT_TRUE(group.has_value()) << id.toStdString();
        EXPECT_TRUE(categories.contains(*group)) << id.toStdString() << " has no designs in " << group->toStdString();
    }
}

// Previews show what a user picks by: an envelope's recipient with its postal barcode and a sender,
// drawn with plenty of ink on white.
TEST(SampleDesignLibraryTest, EnvelopePreviewsShowSenderRecipientAndBarcode)
{
    std::optional<QString> group;
    for (const auto &format : *CATemplateFormat::predefLayouts(dtEnvelope))
        if (format->ID() == u"10"_s)
            group = format->sizeGroup();
    ASSERT_TRUE(group.has_value());
    const QString path = QDir(sampleTemplates()).filePath(*group + u"/Personal/Leaf.pwdc"_s);
    const std::unique_ptr<CFTADocument> design = CAAssistantDesingController::createDocumentFromPath(path);
    ASSERT_NE(design, nullptr);
    int barcodes = 0;
    int senders = 0;
    int pictures = 0;
    for (CFTComponent *component : design->GetComponents(0, false)) {
        if (auto *panel = dynamic_cast<CFTAAddressPanel *>(component)) {
            if (panel->GetToFrom() && panel->getAddressComponentWithTextCategory(tcBarcode))
                ++barcodes;
            if (!panel->GetToFrom())
                ++senders;
        }
        if (component->getType() == ctPicture)
            ++pictures;
    }
    EXPECT_EQ(barcodes, 1);
    EXPECT_EQ(senders, 1);
    EXPECT_EQ(pictures, 1);

    CAAssistantDesingController step;
    const QImage preview = step.imageWithPath(path);
    ASSERT_FALSE(preview.isNull());
    int ink = 0;
    for (int y = 0; y < preview.height(); y += 2)
        for (int x = 0; x < preview.width(); x += 2)
            if (qGray(preview.pixel(x, y)) < 128)
                ++ink;
    const double share = double(ink) / double((preview.width() / 2) * (preview.height() / 2));
    EXPECT_GT(share, 0.01);
    EXPECT_LT(share, 0.5);
}

// --- the first copy into the user's library -----------------------------------------------------

class SampleInstall : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        shipped = QDir(folder.path()).filePath(u"shipped"_s);
        ASSERT_TRUE(QDir().mkpath(shipped + u"/Mailing3/Business/Old"_s));
        ASSERT_TRUE(pwtest::writeFile(shipped + u"/Mailing3/Business/Classic.pwdc"_s, "one"));
        ASSERT_TRUE(pwtest::writeFile(shipped + u"/Mailing3/Business/Old/Framed.pwdc"_s, "two"));
        target = QDir(folder.path()).filePath(u"user/Library/Parcelwick/Templates/en.lproj"_s);
    }
    QTemporaryDir folder;
    QString shipped;
    QString target;
};

TEST_F(SampleInstall, CopiesIntoALibraryThatHasNoneAndNeverOverAUsersOwn)
{
    QString error;
    ASSERT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, target, &error)) << error.toStdString();
    EXPECT_EQ(pwtest::readFile(target + u"/Mailing3/Business/Classic.pwdc"_s), QByteArray("one"));
    EXPECT_EQ(pwtest::readFile(target + u"/Mailing3/Business/Old/Framed.pwdc"_s), QByteArray("two"));
    const QFileInfo info(target);
    EXPECT_EQ(info.absoluteDir().entryList({info.fileName() + u".incoming*"_s}, QDir::AllEntries | QDir::Hidden),
              QStringList());

    // The user's own library is left as it is.
    ASSERT_TRUE(pwtest::writeFile(target + u"/Mailing3/Business/Classic.pwdc"_s, "mine"));
    ASSERT_TRUE(QFile::remove(target + u"/Mailing3/Business/Old/Framed.pwdc"_s));
    EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, target));
    EXPECT_EQ(pwtest::readFile(target + u"/Mailing3/Business/Classic.pwdc"_s), QByteArray("mine"));
    EXPECT_FALSE(QFileInfo::exists(target + u"/Mailing3/Business/Old/Framed.pwdc"_s));
}

TEST_F(SampleInstall, AnEmptyFolderIsFilledAndNothingShippedChangesNothing)
{
    ASSERT_TRUE(QDir().mkpath(target));
    EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, target));
    EXPECT_TRUE(QFileInfo::exists(target + u"/Mailing3/Business/Classic.pwdc"_s));

    const QString other = QDir(folder.path()).filePath(u"other"_s);
    EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(QDir(folder.path()).filePath(u"missing"_s), other));
    EXPECT_FALSE(QFileInfo::exists(other));
}

TEST_F(SampleInstall, AFailedCopyLeavesNoHalfLibrary)
{
    // A file where the library's parent folder should be: the copy cannot be put in place.
    const QString blocked = QDir(folder.path()).filePath(u"blocked"_s);
    ASSERT_TRUE(pwtest::writeFile(blocked, "a file"));
    QString error;
    pwtest::LogCapture log;
    EXPECT_FALSE(CASampleDesignLibrary::installIfMissing(shipped, blocked + u"/Templates/en.lproj"_s, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(pwtest::readFile(blocked), QByteArray("a file"));
}

// A library seeded by an earlier version has entries and no mark of completion: it is complete as
// the user keeps it, and nothing the user took away comes back, whichever folder it is.
TEST_F(SampleInstall, ALibraryOfAnEarlierVersionIsKeptAsTheUserLeftIt)
{
    const QString library = QDir(folder.path()).filePath(u"library"_s);
    ASSERT_TRUE(QDir().mkpath(library + u"/Masks/Images"_s));
    ASSERT_TRUE(pwtest::writeFile(library + u"/Masks/Images/Oval.png"_s, "oval"));
    ASSERT_TRUE(pwtest::writeFile(library + u"/Masks/Images/Star.png"_s, "star"));
    const QString userLibrary = QDir(folder.path()).filePath(u"user/Library"_s);
    const struct
    {
        const char *name;
        QString kept;
        QString removed;
        std::function<bool()> install;
    } cases[] = {
        {"sample designs", target + u"/Mailing3/Business/Classic.pwdc"_s,
         target + u"/Mailing3/Business/Old/Framed.pwdc"_s,
         [&] { return CASampleDesignLibrary::installIfMissing(shipped, target); }},
        {"masks", userLibrary + u"/Masks/Images/Oval.png"_s, userLibrary + u"/Masks/Images/Star.png"_s,
         [&] { return CASampleDesignLibrary::installMasksIfMissing(library, userLibrary); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // What an earlier version left: everything copied, no mark; then the user's changes.
        ASSERT_TRUE(QDir().mkpath(QFileInfo(c.kept).absolutePath()));
        ASSERT_TRUE(pwtest::writeFile(c.kept, "changed by the user"));
        for (int start = 0; start < 2; ++start) {
            EXPECT_TRUE(c.install());
            EXPECT_EQ(pwtest::readFile(c.kept), QByteArray("changed by the user"));
            EXPECT_FALSE(QFileInfo::exists(c.removed));
        }
    }
}

// A shipped file that cannot be read is named; every other file is copied, and the library is
// not taken as complete: once the file can be read, a later start copies it, and only it.
TEST_F(SampleInstall, AnUnreadableShippedFileIsNamedTheRestCopiedAndItIsCopiedLater)
{
    const QString bad = shipped + u"/Mailing3/Business/Broken.pwdc"_s;
    const QString badFolder = shipped + u"/Mailing3/Locked"_s;
    const struct
    {
        const char *name;
        QString path;
        std::function<bool()> damage;
        bool needsNoRoot;
    } cases[] = {
        {"a link to nothing", bad, [&] { return QFile::link(folder.filePath(u"nowhere"_s), bad); }, false},
        {"a FIFO", bad, [&] { return ::mkfifo(QFile::encodeName(bad).constData(), 0600) == 0; }, false},
        {"a file nobody may read", bad,
         [&] { return pwtest::writeFile(bad, "x") && QFile::setPermissions(bad, QFileDevice::Permissions()); }, true},
        {"a folder nobody may read", badFolder,
         [&] { return QDir().mkpath(badFolder) && QFile::setPermissions(badFolder, QFileDevice::Permissions()); },
         true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsNoRoot && ::geteuid() == 0)
            continue; // permissions hold nobody back who runs as root
        ASSERT_TRUE(c.damage());
        const QString user = QDir(folder.path()).filePath(u"user-"_s + QString::fromLatin1(c.name));
        QString error;
        {
            pwtest::LogCapture log;
            EXPECT_FALSE(CASampleDesignLibrary::installIfMissing(shipped, user, &error));
        }
        EXPECT_TRUE(error.contains(c.path)) << error.toStdString();
        EXPECT_EQ(pwtest::readFile(user + u"/Mailing3/Business/Classic.pwdc"_s), QByteArray("one"));
        EXPECT_EQ(pwtest::readFile(user + u"/Mailing3/Business/Old/Framed.pwdc"_s), QByteArray("two"));

        // Mended: the next start copies what was owed, never what the user took away since.
        QFile::setPermissions(c.path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ASSERT_TRUE(QFile::remove(c.path) || QDir(c.path).removeRecursively());
        const QString mended = c.path == bad ? bad : badFolder + u"/Kept.pwdc"_s;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(mended).absolutePath()));
        ASSERT_TRUE(pwtest::writeFile(mended, "mended"));
        ASSERT_TRUE(QFile::remove(user + u"/Mailing3/Business/Old/Framed.pwdc"_s));
        EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, user, &error)) << error.toStdString();
        EXPECT_EQ(pwtest::readFile(user + u'/' + QDir(shipped).relativeFilePath(mended)), QByteArray("mended"));
        EXPECT_FALSE(QFileInfo::exists(user + u"/Mailing3/Business/Old/Framed.pwdc"_s));
        // Complete now: what the user takes away stays away.
        ASSERT_TRUE(QFile::remove(user + u'/' + QDir(shipped).relativeFilePath(mended)));
        EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, user));
        EXPECT_FALSE(QFileInfo::exists(user + u'/' + QDir(shipped).relativeFilePath(mended)));
        ASSERT_TRUE(QFile::remove(mended));
        QDir(badFolder).removeRecursively();
    }
}

// A full disk is named as such, and a copy it cut short leaves nothing behind: the next start,
// with room again, seeds the whole library.
TEST_F(SampleInstall, AFullDiskIsNamedAndLeavesNothingBehind)
{
    const struct
    {
        int error;
        const char *reason;
    } cases[] = {{ENOSPC, "the disk is full"}, {EDQUOT, "the disk quota is used up"}, {EROFS, "the disk is read-only"}};
    static int s_error = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reason);
        s_error = c.error;
        CASampleDesignLibrary::setWriteCall([](int, const void *, size_t) -> ssize_t {
            errno = s_error;
            return -1;
        });
        QString error;
        {
            pwtest::LogCapture log;
            EXPECT_FALSE(CASampleDesignLibrary::installIfMissing(shipped, target, &error));
        }
        CASampleDesignLibrary::setWriteCall(nullptr);
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.reason))) << error.toStdString();
        EXPECT_FALSE(error.contains(u"another start"_s));
        EXPECT_FALSE(QFileInfo::exists(target));
        const QFileInfo info(target);
        EXPECT_EQ(info.absoluteDir().entryList({info.fileName() + u".incoming*"_s}, QDir::AllEntries | QDir::Hidden),
                  QStringList());
    }
    ASSERT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, target));
    EXPECT_EQ(pwtest::readFile(target + u"/Mailing3/Business/Old/Framed.pwdc"_s), QByteArray("two"));
}

// The same through the system's own refusal: a start limited in the size of the files it may write
// (as a full disk would stop it at one file) names that file and why, and copies the others.
TEST_F(SampleInstall, AFileTheSystemRefusesToWriteIsNamedWithItsReason)
{
    const QString big = shipped + u"/Mailing3/Business/Large.pwdc"_s;
    ASSERT_TRUE(pwtest::writeFile(big, QByteArray(64 * 1024, 'l')));
    const pid_t child = ::fork();
    if (child == 0) {
        const struct rlimit room = {16 * 1024, 16 * 1024};
        ::signal(SIGXFSZ, SIG_IGN);
        QString error;
        const bool done = ::setrlimit(RLIMIT_FSIZE, &room) == 0
            && !CASampleDesignLibrary::installIfMissing(shipped, target, &error)
            && error.contains(target + u"/Mailing3/Business/Large.pwdc"_s)
            && error.contains(u"larger than this program may write"_s);
        if (!done)
            std::fprintf(stderr, "%s\n", qPrintable(error));
        ::_exit(done ? 0 : 1);
    }
    ASSERT_GT(child, 0);
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(QFileInfo::exists(target + u"/Mailing3/Business/Large.pwdc"_s));
    EXPECT_EQ(pwtest::readFile(target + u"/Mailing3/Business/Old/Framed.pwdc"_s), QByteArray("two"));
    // With room again, the next start copies it.
    EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, target));
    EXPECT_EQ(pwtest::readFile(target + u"/Mailing3/Business/Large.pwdc"_s), pwtest::readFile(big));
}

// A lock whose holder cannot be shown alive (empty, written on another host, or left by a start
// that is gone) and that nobody kept fresh is taken away: the library is seeded at once.
TEST_F(SampleInstall, ALockNobodyKeptFreshIsAgedOut)
{
    const struct
    {
        const char *name;
        QByteArray content;
    } cases[] = {
        {"empty", QByteArray()},
        {"another host", "4242\nparcelwick\nsome-other-host\n"},
        {"a start that is gone", "999999999\nparcelwick\n" + QSysInfo::machineHostName().toLocal8Bit() + "\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString user = QDir(folder.path()).filePath(u"user-"_s + QString::fromLatin1(c.name));
        const QString lock = user + u".lock"_s;
        ASSERT_TRUE(pwtest::writeFile(lock, c.content));
        // Older than a copy would leave it.
        const time_t old = ::time(nullptr) - 3 * CASampleDesignLibrary::kLockAgeMs / 1000;
        const struct timeval times[2] = {{old, 0}, {old, 0}};
        ASSERT_EQ(::utimes(QFile::encodeName(lock).constData(), times), 0);
        QElapsedTimer clock;
        clock.start();
        QString error;
        EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, user, &error)) << error.toStdString();
        EXPECT_LT(clock.elapsed(), CASampleDesignLibrary::kLockAgeMs);
        EXPECT_EQ(pwtest::readFile(user + u"/Mailing3/Business/Classic.pwdc"_s), QByteArray("one"));
        EXPECT_FALSE(QFileInfo::exists(lock));
    }
}

// A lock that cannot be taken at all is named for what is wrong, not as another start copying.
TEST_F(SampleInstall, ALockThatCannotBeTakenIsNamedWithItsReason)
{
    const QString readOnly = QDir(folder.path()).filePath(u"read-only"_s);
    const struct
    {
        const char *name;
        QString target;
        std::function<bool()> prepare;
        const char *reason;
        bool needsNoRoot;
    } cases[] = {
        {"a folder in the lock's place", target, [&] { return QDir().mkpath(target + u".lock"_s); },
         "something that is no file is in its place", false},
        {"a folder nobody may write", readOnly + u"/Templates"_s,
         [&] {
             return QDir().mkpath(readOnly)
                 && QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
         },
         "permission denied", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsNoRoot && ::geteuid() == 0)
            continue; // permissions hold nobody back who runs as root
        ASSERT_TRUE(c.prepare());
        QString error;
        QElapsedTimer clock;
        clock.start();
        {
            pwtest::LogCapture log;
            EXPECT_FALSE(CASampleDesignLibrary::installIfMissing(shipped, c.target, &error));
        }
        EXPECT_LT(clock.elapsed(), CASampleDesignLibrary::kLockAgeMs);
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.reason))) << error.toStdString();
        EXPECT_FALSE(error.contains(u"another start"_s)) << error.toStdString();
    }
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// A library folder the user linked to another disk is seeded where the link points, and stays a link.
TEST_F(SampleInstall, AFolderLinkedElsewhereIsSeededWhereItLies)
{
    const QString elsewhere = QDir(folder.path()).filePath(u"other-disk/Templates"_s);
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(target).absolutePath()));
    ASSERT_TRUE(QFile::link(elsewhere, target));
    QString error;
    ASSERT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, target, &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(target).isSymLink());
    EXPECT_EQ(pwtest::readFile(elsewhere + u"/Mailing3/Business/Old/Framed.pwdc"_s), QByteArray("two"));
}

// A library pointed at the shipped one is left as it is: nothing is written into what the
// application ships.
TEST_F(SampleInstall, TheShippedLibraryItselfIsLeftAlone)
{
    const QStringList before = QDir(shipped + u"/Mailing3/Business"_s).entryList(QDir::AllEntries | QDir::Hidden);
    EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, shipped));
    EXPECT_EQ(QDir(shipped + u"/Mailing3/Business"_s).entryList(QDir::AllEntries | QDir::Hidden), before);
    EXPECT_EQ(QDir(shipped).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// Three first starts at the same moment: one seeds, the others find the library complete, and
// every shipped file is there.
TEST_F(SampleInstall, SimultaneousFirstStartsLeaveACompleteLibrary)
{
    for (int folderIndex = 0; folderIndex < 12; ++folderIndex) {
        const QString sub = shipped + u"/Many/Folder"_s + QString::number(folderIndex);
        ASSERT_TRUE(QDir().mkpath(sub));
        for (int file = 0; file < 25; ++file)
            ASSERT_TRUE(pwtest::writeFile(sub + u"/Design"_s + QString::number(file) + u".pwdc"_s, QByteArray(2048, 'd')));
    }
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    QList<pid_t> starts;
    for (int i = 0; i < 3; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(go[1]);
            char byte = 0;
            // Every start waits here until all are made, then all go at once.
            const bool released = ::read(go[0], &byte, 1) == 0;
            ::_exit(released && CASampleDesignLibrary::installIfMissing(shipped, target) ? 0 : 1);
        }
        ASSERT_GT(child, 0);
        starts.append(child);
    }
    ::close(go[0]);
    ::close(go[1]);
    for (const pid_t child : std::as_const(starts)) {
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    QStringList missing;
    QDirIterator it(shipped, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (pwtest::readFile(target + u'/' + QDir(shipped).relativeFilePath(file)) != pwtest::readFile(file))
            missing.append(QDir(shipped).relativeFilePath(file));
    }
    EXPECT_EQ(missing, QStringList());
    const QFileInfo info(target);
    EXPECT_EQ(info.absoluteDir().entryList({info.fileName() + u".incoming*"_s}, QDir::AllEntries | QDir::Hidden),
              QStringList());
}

TEST(SampleDesignLibraryTest, TheBuildsLibraryIsFoundAndItsEnglishTemplatesChosen)
{
    const QString library = CASampleDesignLibrary::shippedLibraryPath();
    ASSERT_FALSE(library.isEmpty());
    EXPECT_EQ(CASampleDesignLibrary::shippedTemplatesPath(library, u"de.lproj"_s),
              QDir(library).filePath(u"Parcelwick/Templates/en.lproj"_s));
    EXPECT_TRUE(CASampleDesignLibrary::shippedTemplatesPath(QString(), u"en.lproj"_s).isEmpty());
}

} // namespace
