// The kernel's readers of the user's files, and the reading of resources compiled into the kernel,
// all through PWFileReader.
#include "kernel/base/CDDFile.h"
#include "kernel/base/FTImageUtilities.h"

#include "RefusedFiles.h"
#include "TestSupport.h"
#include "platform/PWFileReader.h"
#include "platform/PWUserDefaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using Status = PWFileReader::Status;
using pwtest::RefusedFile;

struct ResourceCase
{
    const char *name;
    const char *path;
    qint64 limit;
    bool asPropertyList;
    Status expected;
    QString reason;
};

class ResourceReads : public testing::TestWithParam<ResourceCase>
{
};

// Resources are read under the same rules as files on disk.
TEST_P(ResourceReads, FollowTheRulesOfFiles)
{
    const ResourceCase &c = GetParam();
    const QString path = QString::fromLatin1(c.path);
    const PWFileReader::Result result = c.asPropertyList
                                            ? PWFileReader::read(path, c.limit, PWFileReader::propertyListSignature())
                                            : PWFileReader::read(path, c.limit);
    EXPECT_EQ(int(result.status), int(c.expected)) << result.reason.toStdString();
    if (c.expected == Status::Read)
        EXPECT_EQ(result.bytes, pwtest::readFile(path));
    else
        EXPECT_TRUE(result.bytes.isEmpty() && result.reason.contains(c.reason)) << result.reason.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Bundle, ResourceReads,
    ::testing::Values(
        ResourceCase{"Catalogue", ":/bundle/Info.plist", PWFileReader::kCatalogueLimit, true, Status::Read, {}},
        ResourceCase{"Picture", ":/bundle/Cursors/openhandCursor.png", PWFileReader::kImageLimit, false, Status::Read, {}},
        ResourceCase{"OverTheLimit", ":/bundle/Info.plist", 10, false, Status::TooLarge, u"the file is too large"_s},
        ResourceCase{"NotOfItsKind", ":/bundle/Cursors/openhandCursor.png", PWFileReader::kCatalogueLimit, true,
                     Status::NotOfKind, u"the file is not a property list"_s},
        ResourceCase{"Missing", ":/bundle/absent.plist", PWFileReader::kCatalogueLimit, false, Status::CannotOpen, {}}),
    [](const auto &info) { return std::string(info.param.name); });

struct KernelReader
{
    const char *name;
    const char *fileName;
    qint64 limit;
    QByteArray wrongKind; // empty: the reader takes any bytes
    QString notOfKind;
    // What it says of a file over its limit, when not the common reason.
    QString overLimit;
    // Reads the file; answers what it logged.
    QString (*read)(const QString &path);
};

QString joinedLog()
{
    return pwtest::LogCapture::lines().join(QLatin1Char('\n'));
}

const KernelReader kKernelReaders[] = {
    {"DelimitedText", "names.txt", PWFileReader::kDelimitedTextLimit, {}, {}, u"is larger than 67108864 bytes"_s,
     [](const QString &path) {
         const pwtest::LogCapture log;
         CDDFile file;
         EXPECT_FALSE(file.SetFile(CDDString(path)));
         EXPECT_EQ(file.lineCount(), 0);
         return joinedLog();
     }},
    // The container logs its refusals in debug mode only.
    {"HpiContainer", "clip.hpi", PWFileReader::kImageLimit, "\x89PNG\r\n\x1A\n and more than a header",
     u"not an hpi container"_s, {},
     [](const QString &path) {
         PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
         defaults.setBool(u"FTDebugMode"_s, true);
         const pwtest::LogCapture log;
         EXPECT_EQ(loadHemeraImage(path), nullptr);
         defaults.removeObject(u"FTDebugMode"_s);
         return joinedLog();
     }},
};

using KernelCase = std::tuple<const KernelReader *, RefusedFile>;

std::vector<KernelCase> kernelCases()
{
    std::vector<KernelCase> cases;
    for (const KernelReader &reader : kKernelReaders) {
        for (RefusedFile kind : {RefusedFile::Fifo, RefusedFile::Zero, RefusedFile::OverLimit, RefusedFile::WrongKind}) {
            if (kind != RefusedFile::WrongKind || !reader.wrongKind.isEmpty())
                cases.emplace_back(&reader, kind);
        }
    }
    return cases;
}

class KernelReaderRefusals : public testing::TestWithParam<KernelCase>
{
};

TEST_P(KernelReaderRefusals, RefusesWithItsReason)
{
    const auto &[reader, kind] = GetParam();
    QTemporaryDir folder;
    const QString path = folder.filePath(QLatin1String(reader->fileName));
    ASSERT_TRUE(pwtest::makeRefusedFile(kind, path, reader->limit, reader->wrongKind));
    const QString said = reader->read(path);
    const QString reason = kind == RefusedFile::OverLimit && !reader->overLimit.isEmpty()
                               ? reader->overLimit
                               : pwtest::refusedReason(kind, reader->notOfKind);
    EXPECT_TRUE(said.contains(reason)) << "wanted \"" << reason.toStdString() << "\" in: " << said.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Readers, KernelReaderRefusals, ::testing::ValuesIn(kernelCases()),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param)->name) + "_"
                                    + pwtest::refusedFileName(std::get<1>(info.param));
                         });

} // namespace
