// The rich-text values of CDDArchive: a text's characters and styles, or, for an empty text, the
// style of its default text.
#include "kernel/render/CDDArchiveText.h"

#include "kernel/base/CDDArchive.h"

#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDDecodeCache.h"
#include "kernel/base/CDDReadReport.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWKeyedUnarchiver.h"
#include "platform/PWRtfd.h"
#include "platform/PWTextAttributes.h"
#include "kernel/render/CDDText.h"

#include <QTextDocument>

#include <algorithm>
#include <initializer_list>
#include <tuple>

namespace {

QString defValueKey(const QString &key)
{
    return key + key_DefValueSuffix;
}

bool isRtfdKey(const QString &key)
{
    return key == key_TextStorage || key == key_Label;
}

// A run may set its font's size or style and leave the family to the text's default font, while
// the archive keeps a whole font per run: name the family the run draws in, not the toolkit's
// default family, so that the text reads back in the font it was measured and drawn in.
PWAttributedString withFamiliesNamed(const PWAttributedString &text, const QFont &base)
{
    const auto needsFamily = [](const QTextCharFormat &format) {
        if (format.hasProperty(QTextFormat::FontFamilies) || format.hasProperty(QTextFormat::FontFamily)
            || format.hasProperty(PWTextAttributes::PostScriptFontName))
            return false;
        return format.hasProperty(QTextFormat::FontPointSize) || format.hasProperty(QTextFormat::FontWeight)
               || format.hasProperty(QTextFormat::FontItalic);
    };
    const QList<PWAttributedString::Run> &runs = text.runs();
    if (std::none_of(runs.cbegin(), runs.cend(), [&](const auto &run) { return needsFamily(run.charFormat); }))
        return text;
    PWAttributedString named;
    for (const PWAttributedString::Run &run : runs) {
        QTextCharFormat format = run.charFormat;
        if (needsFamily(format))
            format.setFontFamilies(QStringList {base.family()});
        named.append(text.string().mid(run.start, run.length), format, run.blockFormat);
    }
    return named;
}

// Styled texts decoded from their bytes: the same label, placeholder or field text comes back
// with every reading of a design, and decoding it is most of what reading a text costs.
// A text read from a keyed archive, with what its reading left out: both come with every reading.
struct ArchivedText
{
    PWAttributedString text;
    QStringList leftOut;
};

std::optional<ArchivedText> keyedArchiveText(const QByteArray &bytes, QString *error)
{
    static CDDDecodeCache<ArchivedText> decoded;
    if (std::optional<ArchivedText> known = decoded.find(bytes))
        return known;
    ArchivedText read;
    std::optional<PWAttributedString> text = PWKeyedUnarchiver::unarchiveAttributedString(bytes, error, &read.leftOut);
    if (!text)
        return std::nullopt;
    read.text = *text;
    decoded.insert(bytes, read);
    return read;
}

std::optional<PWAttributedString> rtfdText(const QByteArray &bytes, QString *error)
{
    static CDDDecodeCache<PWAttributedString> decoded;
    if (std::optional<PWAttributedString> known = decoded.find(bytes))
        return known;
    std::optional<PWAttributedString> text = PWRtfd::readAttributedString(bytes, error);
    if (text)
        decoded.insert(bytes, *text);
    return text;
}

// format without the numbers of properties that lie outside their ranges, each named as a part
// of the text under key; the answer tells whether any was left out.
template <typename Format>
bool keepInRange(const CDDArchive &archive, const QString &key, Format &format,
                 std::initializer_list<std::tuple<int, const char *, CDDNumberRange>> properties)
{
    bool changed = false;
    for (const auto &[property, what, range] : properties) {
        if (!format.hasProperty(property))
            continue;
        if (!archive.acceptPart(key, QLatin1String(what), format.doubleProperty(property), range)) {
            format.clearProperty(property);
            changed = true;
        }
    }
    return changed;
}

bool keepCharFormatInRange(const CDDArchive &archive, const QString &key, QTextCharFormat &format)
{
    // A size of 0 is the default size, not one of type.
    const bool defaultSize =
        format.hasProperty(QTextFormat::FontPointSize) && format.doubleProperty(QTextFormat::FontPointSize) == 0.0;
    bool changed = !defaultSize
                   && keepInRange(archive, key, format, {{QTextFormat::FontPointSize, "a font size", CDDRanges::kFontSize}});
    changed = keepInRange(archive, key, format,
                          {{PWTextAttributes::BaselineOffset, "a baseline offset", CDDRanges::kLetterShift},
                           {PWTextAttributes::Kerning, "a kerning", CDDRanges::kLetterShift}})
              || changed;
    return changed;
}

bool keepBlockFormatInRange(const CDDArchive &archive, const QString &key, QTextBlockFormat &format)
{
    bool changed = keepInRange(
        archive, key, format,
        {{QTextFormat::BlockLeftMargin, "a head indent", CDDRanges::kTextLength},
         {QTextFormat::BlockRightMargin, "a tail indent", CDDRanges::kTextLength},
         {QTextFormat::TextIndent, "a first-line indent", CDDRanges::kTextLength},
         {PWTextAttributes::FirstLineHeadIndent, "a first-line head indent", CDDRanges::kTextLength},
         {QTextFormat::BlockTopMargin, "a paragraph spacing before", CDDRanges::kTextLength},
         {QTextFormat::BlockBottomMargin, "a paragraph spacing", CDDRanges::kTextLength},
         {PWTextAttributes::LineSpacing, "a line spacing", CDDRanges::kTextLength},
         {PWTextAttributes::MinimumLineHeight, "a minimum line height", CDDRanges::kTextLength},
         {PWTextAttributes::MaximumLineHeight, "a maximum line height", CDDRanges::kTextLength},
         {PWTextAttributes::LineHeightMultiple, "a line height multiple", CDDRanges::kLineHeightMultiple}});
    if (format.hasProperty(QTextFormat::TabPositions)) {
        QList<QTextOption::Tab> tabs = format.tabPositions();
        const qsizetype before = tabs.size();
        tabs.removeIf([&](const QTextOption::Tab &tab) {
            return !archive.acceptPart(key, QStringLiteral("a tab stop"), tab.position, CDDRanges::kTextLength);
        });
        if (tabs.size() != before) {
            format.setTabPositions(tabs);
            changed = true;
        }
    }
    return changed;
}

// The text with every number of its styles that no page can hold left out, each named: a font
// size, offset, indent or spacing past any card would take the text, or a line of it, off the page.
PWAttributedString inRange(const CDDArchive &archive, const QString &key, const PWAttributedString &text)
{
    PWAttributedString kept;
    bool changed = false;
    for (const PWAttributedString::Run &run : text.runs()) {
        QTextCharFormat format = run.charFormat;
        QTextBlockFormat block = run.blockFormat;
        changed = keepCharFormatInRange(archive, key, format) || changed;
        changed = keepBlockFormatInRange(archive, key, block) || changed;
        kept.append(text.string().mid(run.start, run.length), format, block);
    }
    return changed ? kept : text;
}

// Whether two formats hold the same properties, each of the same type: a format equal by value
// with a number of another type (a size of 12 and one of 12.0) may be encoded otherwise.
bool sameFormat(const QTextFormat &a, const QTextFormat &b)
{
    if (a.type() != b.type() || a.objectIndex() != b.objectIndex())
        return false;
    const QMap<int, QVariant> x = a.properties();
    const QMap<int, QVariant> y = b.properties();
    if (x.size() != y.size())
        return false;
    for (auto at = x.cbegin(), other = y.cbegin(); at != x.cend(); ++at, ++other) {
        if (at.key() != other.key() || at.value().metaType() != other.value().metaType() || at.value() != other.value())
            return false;
    }
    return true;
}

// Whether a text is stored as the same bytes as one stored before.
bool storedAlike(const PWAttributedString &a, const PWAttributedString &b)
{
    if (a.string() != b.string() || a.runs().size() != b.runs().size())
        return false;
    for (qsizetype i = 0; i < a.runs().size(); ++i) {
        const PWAttributedString::Run &x = a.runs().at(i);
        const PWAttributedString::Run &y = b.runs().at(i);
        if (x.start != y.start || x.length != y.length || !sameFormat(x.charFormat, y.charFormat)
            || !sameFormat(x.blockFormat, y.blockFormat))
            return false;
    }
    return true;
}

// The forms a text is stored in: the style of an empty text, the contents as RTFD under the older
// key, the contents as a keyed archive.
enum StoredForm : int { kPlaceholderForm, kRtfdForm, kKeyedArchiveForm };

// The bytes the text is stored in, in the form given, made from what: those the text kept from
// the last save when it was made from the same, else made by encode and kept.
template <typename Encode>
QByteArray storedBytes(const CDDText &text, StoredForm form, const PWAttributedString &from, Encode encode)
{
    const std::shared_ptr<const CDDText::StoredForm> kept = text.storedForm(form);
    if (kept && storedAlike(kept->from, from))
        return kept->bytes;
    QByteArray bytes = encode();
    text.keepStoredForm(form, std::make_shared<const CDDText::StoredForm>(CDDText::StoredForm {from, bytes}));
    return bytes;
}

} // namespace

bool archiveSetText(const CDDArchive &archive, const QString &key, const CDDText &text)
{
    if (text.isEmpty()) {
        const PWAttributedString placeholder = PWAttributedString::fromDocument(text.getDefValue());
        const QByteArray data =
            storedBytes(text, kPlaceholderForm, placeholder, [&placeholder] { return PWRtfd::data(placeholder); });
        if (!data.isEmpty())
            archive.store(defValueKey(key), PWPlist::fromData(data));
        return true;
    }
    const PWAttributedString contents = text.getAttributedString();
    if (key == key_TextStorage) {
        const QByteArray data = storedBytes(text, kRtfdForm, contents, [&contents] { return PWRtfd::data(contents); });
        if (!data.isEmpty())
            archive.store(key, PWPlist::fromData(data));
        return true;
    }
    const PWAttributedString named = withFamiliesNamed(contents, text.getContents()->defaultFont());
    return archive.store(key, PWPlist::fromData(storedBytes(text, kKeyedArchiveForm, named, [&named] {
                             return PWKeyedArchiver::archivedData(named, PWKeyedArchiver::StringClass::TextStorage);
                         })));
}

bool archiveGetText(const CDDArchive &archive, const QString &key, CDDText &text)
{
    QString keyRead = key;
    PWPlist stored = archive.value(key);
    if (stored.isNull() && key != key_Label) {
        keyRead = key_TextStorage;
        stored = archive.value(keyRead);
    }

    if (stored.isNull()) {
        const QString styleKey = defValueKey(key);
        const PWPlist placeholder = archive.value(styleKey);
        if (placeholder.isNull())
            return false;
        if (!placeholder.isData()) {
            archive.noteValueUnread(styleKey, QStringLiteral("text data was expected"));
            return false;
        }
        QString error;
        const std::optional<PWAttributedString> style = rtfdText(placeholder.toData(), &error);
        if (!style) {
            archive.noteValueUnread(styleKey, error);
            return false;
        }
        // A stored default text without characters carries no style.
        if (!style->isEmpty())
            text.SetFontAttr(inRange(archive, styleKey, *style).charFormatAt(0), false);
        return true;
    }

    if (!stored.isData()) {
        archive.noteValueUnread(keyRead, QStringLiteral("text data was expected"));
        return false;
    }
    std::optional<PWAttributedString> contents;
    QString error;
    // These keys hold flattened RTFD in old files and keyed archives in new ones; the header
    // tells which, so that a keyed archive is not first refused by the RTFD reader.
    const QByteArray bytes = stored.toData();
    if (isRtfdKey(keyRead) && bytes.startsWith("rtfd")) {
        contents = rtfdText(bytes, &error);
    } else if (std::optional<ArchivedText> read = keyedArchiveText(bytes, &error)) {
        contents = read->text;
        const PWPlist dictionary = archive.getDict();
        const QString place = CDDReadReport::placeOf(dictionary.isDictionary() ? &dictionary.toDictionary() : nullptr);
        for (const QString &part : std::as_const(read->leftOut))
            archive.noteUnread(keyRead, QStringLiteral("\"%1\" of %2 is read without a style: %3").arg(keyRead, place, part));
    }
    if (!contents) {
        archive.noteValueUnread(keyRead, error);
        return false;
    }
    text.setAttributedString(inRange(archive, keyRead, *contents));
    return true;
}
