#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"
#include "RefusedFiles.h"
#include "TestSupport.h"

#include "kernel/drawing/CFTBoxField.h"
#include "platform/PWFileReader.h"
#include "platform/PWPlist.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

namespace {

using pwtest::RefusedFile;

// A PNG, as a picture dropped where a design was expected would be.
QByteArray pictureBytes()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class DesignFileRefusals : public doctest::Test, public testing::WithParamInterface<RefusedFile>
{
};

// Opening a design from a pipe nobody writes to answers at once; a device or a file over the limit
// is not read; a file that is no property list is refused before it is read whole. Each says
// why, and the open design stays as it was.
TEST_P(DesignFileRefusals, AreRefusedWithTheirReasonAndLeaveTheDesign)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"Card.pwdc"_s);
    ASSERT_TRUE(pwtest::makeRefusedFile(GetParam(), path, PWFileReader::kDesignLimit, pictureBytes()));
    CADocument document;
    document.ftDocument()->AddObject(new CFTBoxField(10.0, 10.0, 50.0, 30.0, nullptr), 0, false);
    const QByteArray before = document.documentDataForComponents(nullptr);
    QString error;
    EXPECT_FALSE(document.readFromFile(path, &error));
    EXPECT_EQ(error, u"The document could not be opened: "_s + pwtest::refusedReason(GetParam(), u"the file is not a design"_s));
    EXPECT_EQ(document.documentDataForComponents(nullptr), before);
}

INSTANTIATE_TEST_SUITE_P(Files, DesignFileRefusals,
                         ::testing::Values(RefusedFile::Fifo, RefusedFile::Zero, RefusedFile::OverLimit,
                                           RefusedFile::WrongKind),
                         [](const auto &info) { return std::string(pwtest::refusedFileName(info.param)); });

class DesignFileReads : public doctest::Test
{
};

// Both forms of property list pass the check of the first bytes and open.
TEST_F(DesignFileReads, XmlAndBinaryDesignsOpen)
{
    CADocument written;
    written.ftDocument()->AddObject(new CFTBoxField(10.0, 10.0, 50.0, 30.0, nullptr), 0, false);
    const QByteArray xml = written.documentDataForComponents(nullptr);
    const std::optional<PWPlist> parsed = PWPlist::parse(xml);
    ASSERT_TRUE(parsed);
    QTemporaryDir folder;
    for (const QByteArray &bytes : {xml, parsed->toBinary()}) {
        const QString path = folder.filePath(u"Card.pwdc"_s);
        ASSERT_TRUE(pwtest::writeFile(path, bytes));
        CADocument document;
        QString error;
        EXPECT_TRUE(document.readFromFile(path, &error)) << error.toStdString();
        EXPECT_EQ(document.documentDataForComponents(nullptr), xml);
    }
}

// A design's file read once makes the same design as its bytes, as often as it is read; a property
// list that is no design is refused as the bytes would be, and the open design stays.
TEST_F(DesignFileReads, APropertyListReadOnceMakesTheDesignItsBytesMake)
{
    CADocument written;
    written.ftDocument()->AddObject(new CFTBoxField(10.0, 10.0, 50.0, 30.0, nullptr), 0, false);
    const QByteArray xml = written.documentDataForComponents(nullptr);
    const std::optional<PWPlist> parsed = PWPlist::parse(xml);
    ASSERT_TRUE(parsed);
    for (int copy = 0; copy < 2; ++copy) {
        CADocument document;
        QString error;
        EXPECT_TRUE(document.loadPropertyList(*parsed, &error)) << error.toStdString();
        EXPECT_EQ(document.documentDataForComponents(nullptr), xml);
    }
    CADocument document;
    const QByteArray before = document.documentDataForComponents(nullptr);
    const PWPlist notADesign(PWPlist::Dictionary{{u"Name"_s, PWPlist::fromString(u"list"_s)}});
    QString fromList;
    QString fromBytes;
    EXPECT_FALSE(document.loadPropertyList(notADesign, &fromList));
    EXPECT_FALSE(document.loadDataRepresentation(notADesign.toXml(), CADocument::kAddressDocumentType, &fromBytes));
    EXPECT_TRUE(!fromList.isEmpty() && fromList == fromBytes) << fromList.toStdString();
    EXPECT_EQ(document.documentDataForComponents(nullptr), before);
}

} // namespace
