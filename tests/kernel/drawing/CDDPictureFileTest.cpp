#include "kernel/drawing/CDDPicture.h"

#include "RefusedFiles.h"
#include "TestSupport.h"
#include "platform/PWFileReader.h"
#include "platform/PWImage.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using pwtest::RefusedFile;

class NamedPictureRefusals : public testing::TestWithParam<RefusedFile>
{
};

// A picture a design names by path is read like any picture file: a pipe in its place does not
// stop the opening of the design, a device or a huge file is not read into memory, and a file
// that is no picture is refused before it is read whole. The refusal is logged with its reason.
TEST_P(NamedPictureRefusals, AreRefusedWithTheirReason)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"Design.pwdc/picture.png"_s);
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"Design.pwdc"_s));
    ASSERT_TRUE(pwtest::makeRefusedFile(GetParam(), path, PWFileReader::kImageLimit, "Dear Ann, this is no picture."));
    const pwtest::LogCapture log;
    EXPECT_EQ(CDDPicture::getDataFromRef(CDDString(path)), nullptr);
    const QString said = pwtest::LogCapture::lines().join(u'\n');
    const QString reason = pwtest::refusedReason(GetParam(), u"the file is not a picture"_s);
    EXPECT_TRUE(said.contains(reason)) << said.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, NamedPictureRefusals,
                         ::testing::Values(RefusedFile::Fifo, RefusedFile::Zero, RefusedFile::OverLimit,
                                           RefusedFile::WrongKind),
                         [](const auto &info) { return std::string(pwtest::refusedFileName(info.param)); });

// The check of the first bytes takes every kind of picture the decoder takes.
TEST(NamedPictureTest, EveryKindOfPictureIsKnownByItsFirstBytes)
{
    for (const char *format : {"png", "jpeg", "bmp", "gif", "tiff", "webp", "ppm"}) {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
        if (!image.save(&buffer, format))
            continue; // no writer for it here; its reader is checked where there is one
        EXPECT_TRUE(PWImage::looksLikePicture(bytes.left(4096))) << format;
    }
    EXPECT_TRUE(PWImage::looksLikePicture("%PDF-1.4\n"));
    EXPECT_TRUE(PWImage::looksLikePicture(QByteArray(100, ' ') + "%PDF-1.4\n"));
    EXPECT_TRUE(PWImage::looksLikePicture("%!PS-Adobe-3.0 EPSF-3.0\n"));
    EXPECT_TRUE(PWImage::looksLikePicture("\xC5\xD0\xD3\xC6 binary EPS header"));
    for (const char *other : {"", "Dear Ann,", "BEGIN:VCARD\r\n", "bplist00"})
        EXPECT_FALSE(PWImage::looksLikePicture(other)) << other;
}

} // namespace
