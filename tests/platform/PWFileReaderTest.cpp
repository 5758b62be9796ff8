#include "platform/PWFileReader.h"

#include "RefusedFiles.h"
#include "TestSupport.h"
#include "platform/PWAddressBook.h"
#include "platform/PWBundle.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using namespace Qt::StringLiterals;
using Status = PWFileReader::Status;
using pwtest::RefusedFile;

// --- The reader -------------------------------------------------------------------------------

// The head the signature below was last shown.
QByteArray &lastHead()
{
    static QByteArray head;
    return head;
}

bool startsWell(QByteArrayView head)
{
    lastHead() = head.toByteArray();
    return head.startsWith("GOOD");
}

const PWFileReader::Signature kGood{&startsWell, 8, QStringLiteral("the file is not good")};

// Bytes that differ at every position of a long stretch, so a misplaced step shows.
QByteArray pattern(qsizetype size)
{
    QByteArray bytes("GOOD");
    bytes.reserve(size);
    for (qsizetype i = bytes.size(); i < size; ++i)
        bytes.append(char((i * 7 + i / 251) & 0xFF));
    return bytes;
}

struct ReadCase
{
    const char *name;
    // Makes the file in the folder and answers its path.
    QString (*make)(const QString &folder);
    qint64 limit;
    bool checksKind;
    Status expected;
    // The bytes answered (for a file read), or a part of the reason (for a refusal).
    QByteArray bytes;
    QString reason;
};

QString writeTo(const QString &folder, const QByteArray &bytes)
{
    const QString path = folder + QStringLiteral("/file");
    return pwtest::writeFile(path, bytes) ? path : QString();
}

class PWFileReaderCases : public testing::TestWithParam<ReadCase>
{
};

TEST_P(PWFileReaderCases, ReadsOrRefusesWithItsReason)
{
    const ReadCase &c = GetParam();
    QTemporaryDir folder;
    const QString path = c.make(folder.path());
    ASSERT_FALSE(path.isNull());
    const PWFileReader::Result result =
        c.checksKind ? PWFileReader::read(path, c.limit, kGood) : PWFileReader::read(path, c.limit);
    EXPECT_EQ(int(result.status), int(c.expected)) << result.reason.toStdString();
    EXPECT_EQ(result.ok(), c.expected == Status::Read);
    if (c.expected == Status::Read) {
        EXPECT_TRUE(result.reason.isEmpty());
        EXPECT_TRUE(result.bytes.startsWith(c.bytes)) << result.bytes.left(40).toStdString();
        if (!path.startsWith(QStringLiteral("/proc/"))) {
            EXPECT_EQ(result.bytes, c.bytes);
        }
    } else {
        EXPECT_TRUE(result.bytes.isEmpty());
        EXPECT_TRUE(result.reason.contains(c.reason)) << result.reason.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, PWFileReaderCases,
    ::testing::Values(
        ReadCase{"Whole", [](const QString &f) { return writeTo(f, "GOOD and the rest"); }, 100, true, Status::Read,
                 "GOOD and the rest", {}},
        ReadCase{"Empty", [](const QString &f) { return writeTo(f, ""); }, 100, false, Status::Read, "", {}},
        ReadCase{"ShorterThanTheHead", [](const QString &f) { return writeTo(f, "GOOD"); }, 100, true, Status::Read,
                 "GOOD", {}},
        ReadCase{"AtTheLimit", [](const QString &f) { return writeTo(f, QByteArray(16, 'x')); }, 16, false,
                 Status::Read, QByteArray(16, 'x'), {}},
        ReadCase{"OneOverTheLimit", [](const QString &f) { return writeTo(f, QByteArray(17, 'x')); }, 16, false,
                 Status::TooLarge, {}, u"the file is too large"_s},
        ReadCase{"SeveralSteps", [](const QString &f) { return writeTo(f, pattern(5 * 1024 * 1024 / 2)); },
                 3 * 1024 * 1024, true, Status::Read, pattern(5 * 1024 * 1024 / 2), {}},
        // Refused on its size alone: reading it would take gigabytes.
        ReadCase{"FarOverALargeLimit",
                 [](const QString &f) {
                     const QString path = f + u"/huge"_s;
                     return pwtest::makeRefusedFile(RefusedFile::OverLimit, path, qint64(8) << 30) ? path : QString();
                 },
                 qint64(8) << 30, true, Status::TooLarge, {}, u"the file is too large"_s},
        ReadCase{"NotOfItsKind", [](const QString &f) { return writeTo(f, "BAD, though long enough"); }, 100, true,
                 Status::NotOfKind, {}, u"the file is not good"_s},
        ReadCase{"Missing", [](const QString &f) { return f + u"/absent"_s; }, 100, false, Status::CannotOpen, {},
                 u"No such file"_s},
        ReadCase{"NoName", [](const QString &) { return u""_s; }, 100, false, Status::CannotOpen, {}, u"no file"_s},
        ReadCase{"Folder", [](const QString &f) { return f; }, 100, false, Status::NotRegularFile, {},
                 u"not a regular file"_s},
        ReadCase{"FifoWithoutWriter",
                 [](const QString &f) {
                     const QString path = f + u"/fifo"_s;
                     return pwtest::makeRefusedFile(RefusedFile::Fifo, path, 0) ? path : QString();
                 },
                 100, true, Status::NotRegularFile, {}, u"not a regular file"_s},
        ReadCase{"DevZero", [](const QString &) { return u"/dev/zero"_s; }, 100, false, Status::NotRegularFile, {},
                 u"not a regular file"_s},
        // System files that claim no size are read on to their end, within the limit.
        ReadCase{"SizelessSystemFile", [](const QString &) { return u"/proc/self/status"_s; }, 1024 * 1024, false,
                 Status::Read, "Name:", {}},
        ReadCase{"SizelessSystemFileOverTheLimit", [](const QString &) { return u"/proc/self/status"_s; }, 8, false,
                 Status::TooLarge, {}, u"the file is too large"_s}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PWFileReaderTest, OnlyTheHeadIsShownToTheSignature)
{
    QTemporaryDir folder;
    const QByteArray bytes = pattern(100000);
    const PWFileReader::Result read = PWFileReader::read(writeTo(folder.path(), bytes), bytes.size(), kGood);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(lastHead(), bytes.left(kGood.headBytes));
    EXPECT_EQ(read.bytes, bytes);

    QByteArray wrong = bytes;
    wrong[0] = 'B';
    const PWFileReader::Result refused = PWFileReader::read(writeTo(folder.path(), wrong), bytes.size(), kGood);
    EXPECT_EQ(int(refused.status), int(Status::NotOfKind));
    EXPECT_EQ(lastHead(), wrong.left(kGood.headBytes));
    EXPECT_TRUE(refused.bytes.isEmpty());
}

// A large file is held at its own size: contact imports keep the bytes while they read them.
TEST(PWFileReaderTest, BytesAreHeldAtTheFileSizeNotAtTheRoomOfAGrowingArray)
{
    QTemporaryDir folder;
    for (const qsizetype size : {qsizetype(10), qsizetype(5000), qsizetype(3000000)}) {
        const QByteArray bytes = pattern(size);
        for (const bool signature : {false, true}) {
            const PWFileReader::Result read =
                PWFileReader::read(writeTo(folder.path(), bytes), size, signature ? kGood : PWFileReader::Signature());
            ASSERT_TRUE(read.ok()) << size;
            EXPECT_EQ(read.bytes, bytes);
            // Allowing for the rounding of a small block.
            EXPECT_LE(read.bytes.capacity(), size + 32) << size << (signature ? " with a signature" : "");
        }
    }
}

// The file the signature below appends to while it is shown the head, and what it appends: the
// file grows after its size was taken and before the rest of it is read.
struct Growth
{
    QString path;
    QByteArray more;
};

Growth &growth()
{
    static Growth grown;
    return grown;
}

bool startsWellAndGrows(QByteArrayView head)
{
    QFile file(growth().path);
    if (!file.open(QIODevice::Append) || file.write(growth().more) != growth().more.size())
        return false;
    return head.startsWith("GOOD");
}

// A contacts file still being written when it is read: what was added after its size was taken
// and before the reading reached its end is read, none of it lost to that size; a file whose head
// was its whole is the file as it stood then.
TEST(PWFileReaderTest, AFileThatGrowsWhileReadIsReadToItsEnd)
{
    QTemporaryDir folder;
    const PWFileReader::Signature growing{&startsWellAndGrows, kGood.headBytes, kGood.refusal};
    const qsizetype head = kGood.headBytes;
    const struct
    {
        const char *name;
        qsizetype size;
        qsizetype added;
    } cases[] = {
        {"shorter than the head", head - 2, 100},
        {"one byte short of the head", head - 1, 100},
        {"as long as the head", head, 100},
        {"longer than the head", 5000, 100},
        {"growing by more than a step", 5000, 3 * 1024 * 1024},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray first = pattern(c.size);
        growth() = Growth{folder.filePath(u"file"_s), QByteArray(c.added, 'n')};
        const PWFileReader::Result read = PWFileReader::read(writeTo(folder.path(), first), 64 * 1024 * 1024, growing);
        ASSERT_TRUE(read.ok()) << qPrintable(read.reason);
        const bool endReadWithTheHead = c.size < head;
        EXPECT_EQ(read.bytes, endReadWithTheHead ? first : first + growth().more);
    }
}

TEST(PWFileReaderTest, MissingFilesAnswerTheSystemError)
{
    const PWFileReader::Result missing = PWFileReader::read(u"/nonexistent/file"_s, 100);
    EXPECT_EQ(int(missing.status), int(Status::CannotOpen));
    EXPECT_EQ(missing.systemError, ENOENT);
}

TEST(PWFileReaderTest, PropertyListsAreKnownByTheirFirstBytes)
{
    for (const char *head : {"bplist00", "<?xml version", "\xEF\xBB\xBF<?xml", " \r\n\t<plist", "<!DOCTYPE plist"})
        EXPECT_TRUE(PWFileReader::looksLikePropertyList(head)) << head;
    for (const char *head : {"", "   ", "\x89PNG\r\n", "{\"json\": 1}", "bplis", "\xEF\xBB\xBF"})
        EXPECT_FALSE(PWFileReader::looksLikePropertyList(head)) << head;
}

// --- Every platform reader refuses the same files ---------------------------------------------

struct PlatformReader
{
    const char *name;
    // The name of the file in the folder the reader is pointed at.
    const char *fileName;
    qint64 limit;
    QByteArray wrongKind; // empty: the reader takes any bytes
    QString notOfKind;
    // Reads the file; answers what it said (its error and its log lines).
    QString (*read)(const QString &folder, const QString &path);
};

QString joinedLog()
{
    return pwtest::LogCapture::lines().join(QLatin1Char('\n'));
}

const PlatformReader kPlatformReaders[] = {
    {"Image", "picture.png", PWFileReader::kImageLimit, "This is a letter, not a picture.",
     u"the file is not a picture"_s,
     [](const QString &, const QString &path) {
         QString error;
         EXPECT_EQ(PWImage::fromFile(path, &error), nullptr);
         return error;
     }},
    {"PropertyList", "value.plist", PWFileReader::kPropertyListLimit, "This is a letter, not a property list.",
     u"the file is not a property list"_s,
     [](const QString &, const QString &path) {
         QString error;
         EXPECT_FALSE(PWPlist::readFile(path, &error));
         return error;
     }},
    // The settings file is there but no store: moved aside, never written over.
    {"Settings", "Parcelwick.plist", PWFileReader::kSettingsLimit, "not settings", u"the file is not a property list"_s,
     [](const QString &, const QString &path) {
         const pwtest::LogCapture log;
         const bool regular = QFileInfo(path).isFile();
         const PWUserDefaults defaults(path);
         EXPECT_TRUE(defaults.storedValues().isEmpty());
         // A file that is no store is set aside; a pipe or a device in its place is the user's
         // and stays where it is.
         EXPECT_EQ(QFileInfo::exists(path + u".corrupt"_s), regular);
         EXPECT_EQ(QFileInfo(path).exists(), !regular);
         return joinedLog();
     }},
    {"BundleInfo", "Info.plist", PWFileReader::kCatalogueLimit, "CFBundleVersion = 80;",
     u"the file is not a property list"_s,
     [](const QString &folder, const QString &) {
         const pwtest::LogCapture log;
         EXPECT_TRUE(PWBundle(folder).infoDictionary().isEmpty());
         return joinedLog();
     }},
    {"BundleResource", "Catalogue.xml", PWFileReader::kCatalogueLimit, {}, {},
     [](const QString &folder, const QString &) {
         const pwtest::LogCapture log;
         EXPECT_TRUE(PWBundle(folder).resourceData(u"Catalogue"_s, u"xml"_s).isEmpty());
         return joinedLog();
     }},
    {"AddressBookMarker", "AddressBook.plist", PWFileReader::kPropertyListLimit, "Me = nobody",
     u"the file is not a property list"_s,
     [](const QString &folder, const QString &) {
         const pwtest::LogCapture log;
         PWAddressBook book(folder);
         EXPECT_TRUE(book.load());
         return joinedLog();
     }},
};

using PlatformCase = std::tuple<const PlatformReader *, RefusedFile>;

std::vector<PlatformCase> platformCases()
{
    std::vector<PlatformCase> cases;
    for (const PlatformReader &reader : kPlatformReaders) {
        for (RefusedFile kind : {RefusedFile::Fifo, RefusedFile::Zero, RefusedFile::OverLimit, RefusedFile::WrongKind}) {
            if (kind != RefusedFile::WrongKind || !reader.wrongKind.isEmpty())
                cases.emplace_back(&reader, kind);
        }
    }
    return cases;
}

class PlatformReaderRefusals : public testing::TestWithParam<PlatformCase>
{
};

// A pipe with no writer must not block, an endless device or a huge file must not be read into
// memory, and bytes of another kind are refused before they are read whole.
TEST_P(PlatformReaderRefusals, RefusesWithItsReason)
{
    const auto &[reader, kind] = GetParam();
    QTemporaryDir folder;
    const QString path = folder.filePath(QLatin1String(reader->fileName));
    ASSERT_TRUE(pwtest::makeRefusedFile(kind, path, reader->limit, reader->wrongKind));
    const QString said = reader->read(folder.path(), path);
    const QString reason = pwtest::refusedReason(kind, reader->notOfKind);
    EXPECT_TRUE(said.contains(reason)) << "wanted \"" << reason.toStdString() << "\" in: " << said.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Readers, PlatformReaderRefusals, ::testing::ValuesIn(platformCases()),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param)->name) + "_"
                                    + pwtest::refusedFileName(std::get<1>(info.param));
                         });

// A vCard file over the limit is left out with its reason; the rest of the folder is read.
TEST(PWAddressBookRefusalTest, AnOverLargeCardFileIsLeftOutWithItsReason)
{
    QTemporaryDir folder;
    ASSERT_TRUE(pwtest::makeRefusedFile(RefusedFile::OverLimit, folder.filePath(u"huge.vcf"_s),
                                        PWFileReader::kVCardLimit));
    ASSERT_TRUE(pwtest::writeFile(folder.filePath(u"ann.vcf"_s),
                                  "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\nEND:VCARD\r\n"));
    const pwtest::LogCapture log;
    PWAddressBook book(folder.path());
    ASSERT_TRUE(book.load());
    EXPECT_EQ(book.people().size(), 1);
    EXPECT_TRUE(joinedLog().contains(u"huge.vcf not read: the file is too large"_s)) << joinedLog().toStdString();
}

// Saving compares the marker on disk with the new one first: a pipe in its place is replaced by
// the file, not waited on.
TEST(PWAddressBookRefusalTest, SavingOverAPipeInPlaceOfTheMarkerDoesNotBlock)
{
    QTemporaryDir folder;
    const QString marker = folder.filePath(u"AddressBook.plist"_s);
    ASSERT_TRUE(pwtest::makeRefusedFile(RefusedFile::Fifo, marker, 0));
    const pwtest::LogCapture log;
    PWAddressBook book(folder.path());
    ASSERT_TRUE(book.load());
    // Nothing changed, so nothing is written: the save answers at once and leaves the pipe alone.
    EXPECT_TRUE(book.save());
    EXPECT_TRUE(QFileInfo(marker).exists() && !QFileInfo(marker).isFile());
}

} // namespace
