#include "kernel/base/CDDArchive.h"
#include "kernel/render/CDDArchiveText.h"

#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDColor.h"
#include "platform/PWTextAttributes.h"
#include "kernel/render/CDDText.h"
#include "TextTestSupport.h"
#include "kernel/render/CDDTextRuns.h"

#include <QFontInfo>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <functional>

namespace {

QTextCharFormat fontFormat(const QString &postScriptName, double size, const QColor &color, double kerning)
{
    QTextCharFormat format;
    PWFont(postScriptName, size).applyTo(&format);
    format.setForeground(color);
    if (kerning != 0.0)
        format.setProperty(PWTextAttributes::Kerning, kerning);
    return format;
}

// Two paragraphs, three fonts and colours, kerning on one run, paragraph spacing everywhere.
void makeRichText(CDDText &text)
{
    QTextCursor cursor(text.getContents());
    cursor.insertText(QStringLiteral("Bold red "), fontFormat(QStringLiteral("DejaVuSans-Bold"), 14, Qt::red, 0.0));
    cursor.insertText(QStringLiteral("serif"), fontFormat(QStringLiteral("DejaVuSerif"), 10, Qt::blue, 1.5));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("second line"), fontFormat(QStringLiteral("LiberationSans-Italic"), 20, QColor(0, 128, 0), 0.0));
    text.SetSpacingLine(3.0f);
    text.SetSpacingBeforeParagraph(2.0f);
    text.SetSpacingAfterParagraph(6.0f);
}

struct RunStyle { QString text; PWFont font; QColor color; float kerning; bool operator==(const RunStyle &other) const = default; };

std::vector<RunStyle> stylesOf(const CDDText &text)
{
    std::vector<RunStyle> styles;
    const PWAttributedString string = text.getAttributedString();
    for (const PWAttributedString::Run &run : string.runs()) {
        const QTextCharFormat &format = run.charFormat;
        styles.push_back({string.string().mid(run.start, run.length),
                          PWFont::fromQFont(format.font(), format.stringProperty(PWTextAttributes::PostScriptFontName)),
                          format.foreground().color().toRgb(), float(format.doubleProperty(PWTextAttributes::Kerning))});
    }
    return styles;
}

TEST(CDDArchiveTextTest, SeveralFontsColoursKerningAndSpacingReadBackEqualInBothForms)
{
    for (const QString &key : {key_TextStorage2, key_TextStorage}) {
        SCOPED_TRACE(key.toStdString());
        CDDText saved, loaded;
        makeRichText(saved);
        CDDArchive archive(true);
        ASSERT_TRUE(archiveSetText(archive, key, saved));
        ASSERT_TRUE(archive.getDict().toDictionary().value(key).isData());
        archive.setStoring(false);
        ASSERT_TRUE(archiveGetText(archive, key, loaded));
        EXPECT_EQ(loaded.getString(), saved.getString());
        EXPECT_EQ(stylesOf(loaded), stylesOf(saved));
        EXPECT_EQ(QList<float>({loaded.GetSpacingLine(), loaded.GetSpacingBeforeParagraph(), loaded.GetSpacingAfterParagraph()}),
                  QList<float>({3.0f, 2.0f, 6.0f}));
        // What was read is laid out with its kerning: its points after every character.
        QTextCursor read(loaded.getContents());
        read.setPosition(11);
        EXPECT_EQ(read.charFormat().fontLetterSpacingType(), QFont::AbsoluteSpacing);
        EXPECT_DOUBLE_EQ(read.charFormat().fontLetterSpacing(), textruns::letterSpacingForKerning(1.5));
    }
}

TEST(CDDArchiveTextTest, EmptyTextRestoresItsStyleFromDefValue)
{
    CDDText saved;
    saved.SetFontAttr(fontFormat(QStringLiteral("DejaVuSerif-Bold"), 26, Qt::magenta, 0.0), false);
    CDDArchive archive(true);
    ASSERT_TRUE(archiveSetText(archive, key_TextStorage2, saved));
    EXPECT_EQ(archive.getDict().toDictionary().keys(), QStringList {key_TextStorage2 + QStringLiteral("::DefValue")});
    archive.setStoring(false);
    CDDText loaded;
    ASSERT_TRUE(archiveGetText(archive, key_TextStorage2, loaded));
    EXPECT_TRUE(loaded.isEmpty());
    EXPECT_EQ(loaded.getDefValue()->toPlainText(), QStringLiteral("M"));
    EXPECT_EQ(loaded.GetFont(), PWFont(QStringLiteral("DejaVuSerif-Bold"), 26));
    CDDColor color;
    loaded.getTextColor(color);
    EXPECT_EQ(color.toQColor().rgb(), QColor(Qt::magenta).rgb());
}

TEST(CDDArchiveTextTest, AbsentKeysFallBackToTextStorageExceptLabelAndMalformedValuesAreNotRead)
{
    CDDText saved;
    saved.setString(QStringLiteral("fallback"), nullptr);
    CDDArchive archive(true);
    archiveSetText(archive, key_TextStorage, saved);
    archive.setStoring(false);
    CDDText other, label;
    EXPECT_TRUE(archiveGetText(archive, key_TextStorage2, other));
    EXPECT_EQ(other.getString(), QStringLiteral("fallback"));
    EXPECT_FALSE(archiveGetText(archive, key_Label, label));
    EXPECT_TRUE(label.isEmpty());
    CDDArchive malformed(true);
    malformed.SetData(key_TextStorage2, CDDString(QStringLiteral("not data")));
    malformed.SetData(key_Label, 5);
    malformed.setStoring(false);
    CDDText text;
    EXPECT_FALSE(archiveGetText(malformed, key_TextStorage2, text) || archiveGetText(malformed, key_Label, text));
    CDDArchive garbage(true);
    garbage.Attach(PWPlist(PWPlist::Dictionary {{key_TextStorage, PWPlist::fromData(QByteArray("rtfd\0garbage", 12))},
        {key_Label + QStringLiteral("x::DefValue"), PWPlist::fromData(QByteArray("\x00\x01", 2))}}));
    garbage.setStoring(false);
    EXPECT_FALSE(archiveGetText(garbage, key_TextStorage, text) || archiveGetText(garbage, key_Label + QStringLiteral("x"), text));
    EXPECT_TRUE(text.isEmpty());
}

QStringList g_logged;

void keepMessage(QtMsgType, const QMessageLogContext &, const QString &message) { g_logged << message; }

// Labels are RTFD in old files and keyed archives in new ones: each form is read by its own
// reader, without the other first refusing it in the log.
TEST(CDDArchiveTextTest, LabelsOfBothFormsAreReadWithoutComplaint)
{
    CDDText written;
    written.setString(QStringLiteral("Street"), nullptr);
    CDDArchive archive(true);
    archiveSetText(archive, key_Label, written);
    archiveSetText(archive, key_TextStorage, written);
    const QByteArray rtfd = archive.getDict().value(key_TextStorage).toData();
    ASSERT_TRUE(rtfd.startsWith("rtfd"));
    CDDArchive old(false);
    old.Attach(PWPlist(PWPlist::Dictionary {{key_Label, PWPlist::fromData(rtfd)}}));
    archive.setStoring(false);
    g_logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
    CDDText fromKeyed, fromRtfd, again;
    const QList<bool> read = {archiveGetText(archive, key_Label, fromKeyed), archiveGetText(old, key_Label, fromRtfd), archiveGetText(archive, key_Label, again)};
    qInstallMessageHandler(previous);
    EXPECT_EQ(read, QList<bool>(3, true));
    EXPECT_EQ(fromKeyed.getString() + fromRtfd.getString(), QStringLiteral("StreetStreet"));
    EXPECT_EQ(again.getAttributedString(), fromKeyed.getAttributedString());
    EXPECT_TRUE(g_logged.isEmpty()) << g_logged.join(QLatin1Char('\n')).toStdString();
}

// A run that sets a size but leaves the family to the text's default font keeps that family.
TEST(CDDArchiveTextTest, RunWithoutAFamilyReadsBackInTheDefaultFamily)
{
    CDDText written;
    QTextCharFormat sized;
    sized.setFontPointSize(17.0);
    written.setString(QStringLiteral("Sized"), &sized);
    const QFont drawn = written.getContents()->begin().begin().fragment().charFormat().font().resolve(written.getContents()->defaultFont());
    CDDArchive archive(true);
    archiveSetText(archive, key_TextStorage2, written);
    archive.setStoring(false);
    CDDText read;
    ASSERT_TRUE(archiveGetText(archive, key_TextStorage2, read));
    const QFont font = read.getContents()->begin().begin().fragment().charFormat().font().resolve(read.getContents()->defaultFont());
    EXPECT_EQ(QFontInfo(font).family().toStdString(), QFontInfo(drawn).family().toStdString());
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 17.0);
    EXPECT_DOUBLE_EQ(read.getContSizeX(), written.getContSizeX());
}

// A text stored again as it was is not encoded again: the same block of bytes goes into the file.
// Changed in any way a command changes a text, it is stored as a text given the same changes and
// never stored before, in each form: an empty text's style, the older key's RTFD, the keyed archive.
TEST(CDDArchiveTextTest, ATextStoredAgainUnchangedIsNotEncodedAgainAndAChangedOneIsStoredAfresh)
{
    const struct
    {
        const char *what;
        std::function<void(CDDText &)> change;
    } changes[] = {
        {"nothing", [](CDDText &) {}},
        {"letters typed", [](CDDText &text) { QTextCursor(text.getContents()).insertText(u"typed "_s); }},
        {"a run's colour", [](CDDText &text) {
             QTextCursor cursor(text.getContents());
             cursor.setPosition(2, QTextCursor::KeepAnchor);
             QTextCharFormat green;
             green.setForeground(Qt::darkGreen);
             cursor.mergeCharFormat(green);
         }},
        {"a run's kerning", [](CDDText &text) {
             QTextCursor cursor(text.getContents());
             cursor.setPosition(3, QTextCursor::KeepAnchor);
             QTextCharFormat kerned;
             kerned.setProperty(PWTextAttributes::Kerning, 2.5);
             cursor.mergeCharFormat(kerned);
         }},
        {"a size given as a whole number", [](CDDText &text) {
             QTextCursor cursor(text.getContents());
             cursor.select(QTextCursor::Document);
             QTextCharFormat size;
             size.setProperty(QTextFormat::FontPointSize, 14);
             cursor.mergeCharFormat(size);
         }},
        {"the paragraph spacing", [](CDDText &text) { text.SetSpacingAfterParagraph(9.0f); }},
        {"the style of the whole text", [](CDDText &text) {
             text.SetFontAttr(fontFormat(u"DejaVuSerif"_s, 17, Qt::magenta, 0.0), false);
         }},
    };
    for (const QString &key : {key_TextStorage2, key_TextStorage}) {
        for (const bool empty : {false, true}) {
            for (const auto &[what, change] : changes) {
                SCOPED_TRACE(key.toStdString() + (empty ? " empty: " : ": ") + what);
                CDDText stored, fresh;
                for (CDDText *text : {&stored, &fresh}) {
                    makeRichText(*text);
                    text->SetFontAttr(fontFormat(u"DejaVuSans"_s, 11, Qt::blue, 0.0), false);
                    if (empty)
                        text->setString(QString(), nullptr);
                }
                const auto storedAs = [](const CDDArchive &archive) {
                    const PWPlist written = archive.getDict();
                    return written.toDictionary().size() == 1 ? written.toDictionary().entries().front().second.toData()
                                                              : QByteArray();
                };
                CDDArchive before(true);
                ASSERT_TRUE(archiveSetText(before, key, stored));
                const QByteArray first = storedAs(before);
                ASSERT_FALSE(first.isEmpty());
                change(stored);
                change(fresh);
                CDDArchive after(true);
                ASSERT_TRUE(archiveSetText(after, key, stored));
                CDDArchive afresh(true);
                ASSERT_TRUE(archiveSetText(afresh, key, fresh));
                EXPECT_EQ(after.getDict(), afresh.getDict());
                if (std::string(what) == "nothing") {
                    EXPECT_EQ(storedAs(after).constData(), first.constData()) << "stored unchanged, encoded again";
                } else if (!empty || std::string(what) == "letters typed" || std::string(what) == "the style of the whole text") {
                    EXPECT_NE(storedAs(after), first) << "the change did not reach the stored text";
                }
            }
        }
    }
}

} // namespace
