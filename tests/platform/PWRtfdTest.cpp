#include "platform/PWRtfd.h"

#include "TestSupport.h"
#include "platform/PWTextAttributes.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray rtfdFixture(const QString &name)
{
    return pwtest::readFixture(QStringLiteral("rtf/") + name);
}

QByteArray word(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

TEST(PWRtfdTest, PublishedEmptyDirectoryHoldsNoFiles)
{
    QString error;
    const std::optional<PWRtfd> rtfd =
        PWRtfd::parse(rtfdFixture(QStringLiteral("empty-directory-published.rtfd")), &error);
    ASSERT_TRUE(rtfd) << error.toStdString();
    EXPECT_TRUE(rtfd->files().isEmpty());
    EXPECT_FALSE(rtfd->attributedString(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("TXT.rtf")));
}

TEST(PWRtfdTest, AttachmentsRideThroughTheTextAndComeBack)
{
    QString error;
    const std::optional<PWAttributedString> text =
        PWRtfd::readAttributedString(rtfdFixture(QStringLiteral("logo-attachment.rtfd")), &error);
    ASSERT_TRUE(text) << error.toStdString();
    EXPECT_EQ(text->string(), QStringLiteral("Logo: \uFFFC done"));
    const QVariantMap attachment = text->charFormatAt(6).property(PWTextAttributes::CustomAttributes).toMap();
    EXPECT_EQ(attachment.value(QStringLiteral("NeXTGraphic")), QStringLiteral("pic.png"));
    EXPECT_TRUE(attachment.value(QStringLiteral("NeXTGraphicData")).toByteArray().startsWith("\x89PNG"));
    const std::optional<PWRtfd> written = PWRtfd::parse(PWRtfd::data(*text), &error);
    ASSERT_TRUE(written) << error.toStdString();
    EXPECT_EQ(
        written->files().value(QStringLiteral("pic.png")),
        PWRtfd::parse(rtfdFixture(QStringLiteral("logo-attachment.rtfd")))->files().value(QStringLiteral("pic.png")));
    EXPECT_EQ(written->attributedString(), text);
}

TEST(PWRtfdTest, NestedDirectoriesAndSerializedRegularFiles)
{
    QString error;
    const std::optional<PWRtfd> rtfd = PWRtfd::parse(rtfdFixture(QStringLiteral("nested-directory.rtfd")), &error);
    ASSERT_TRUE(rtfd) << error.toStdString();
    const QMap<QString, QByteArray> expected {{QStringLiteral("TXT.rtf"), "{\\rtf1 nested}"},
                                              {QStringLiteral("Images/anim.gif"), "GIF89a-bytes"},
                                              {QStringLiteral("Images/notes.txt"), "hello"}};
    EXPECT_EQ(rtfd->files(), expected);
    EXPECT_EQ(PWRtfd::parse(rtfd->serialized()), rtfd) << "written back as plain nested directories";
}

TEST(PWRtfdTest, WrittenLayoutIsTheDocumentedOne)
{
    const QByteArray bytes = PWRtfd({{QStringLiteral("TXT.rtf"), "ab"}}).serialized();
    const QByteArray record = word(1) + word(2) + "ab";
    EXPECT_EQ(bytes,
              "rtfd" + word(0) + word(3) + word(1) + word(7) + "TXT.rtf" + word(quint32(record.size())) + record);
}

struct MalformedRtfdCase
{
    const char *name;
    QByteArray bytes;
};

using RtfdMalformedTest = testing::TestWithParam<MalformedRtfdCase>;

TEST_P(RtfdMalformedTest, IsRefusedWithAReason)
{
    QString error;
    EXPECT_FALSE(PWRtfd::readAttributedString(GetParam().bytes, &error));
    EXPECT_FALSE(error.isEmpty());
}

QByteArray rtfdHeader()
{
    return "rtfd" + word(0);
}

// A directory of one entry whose record length is told, not computed.
QByteArray oneEntry(const QByteArray &name, quint32 told, const QByteArray &record)
{
    return rtfdHeader() + word(3) + word(1) + word(quint32(name.size())) + name + word(told) + record;
}

QByteArray nestedRtfd(int depth)
{
    QByteArray record = word(3) + word(0);
    for (int i = 0; i < depth; ++i)
        record = word(3) + word(1) + word(1) + "d" + word(quint32(record.size())) + record;
    return rtfdHeader() + record;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfdMalformedTest,
    testing::Values(
        MalformedRtfdCase {"WrongMagic", "rtfx" + word(0) + word(3) + word(0)},
        MalformedRtfdCase {"UnknownVersion", "rtfd" + word(1) + word(3) + word(0)},
        MalformedRtfdCase {"TopIsAFile", rtfdHeader() + word(1) + word(0)},
        MalformedRtfdCase {"RecordLongerThanTold", oneEntry("TXT.rtf", 9, word(1) + word(2) + "ab")},
        MalformedRtfdCase {"FileLengthPastTheEnd", oneEntry("TXT.rtf", 10, word(1) + word(0x7fffffff) + "ab")},
        MalformedRtfdCase {"PaddingPastTheEnd",
                           oneEntry("TXT.rtf", 20, word(1) + word(0x80000000) + word(2) + word(999) + "ab")},
        MalformedRtfdCase {"UnknownRecordType", oneEntry("TXT.rtf", 10, word(7) + word(2) + "ab")},
        MalformedRtfdCase {"NameWithSlash", oneEntry("../TXT.rtf", 10, word(1) + word(2) + "ab")},
        MalformedRtfdCase {"TooManyEntries", rtfdHeader() + word(3) + word(0xffffffff)},
        MalformedRtfdCase {"NestedTooDeep", nestedRtfd(PWRtfd::kMaxDepth + 1)},
        MalformedRtfdCase {"TrailingBytes", PWRtfd({{QStringLiteral("TXT.rtf"), "{\\rtf1 x}"}}).serialized() + "junk"},
        MalformedRtfdCase {"NoText", PWRtfd({{QStringLiteral("pic.png"), "x"}}).serialized()}),
    [](const testing::TestParamInfo<MalformedRtfdCase> &info) { return std::string(info.param.name); });

} // namespace
