// The rich-text values of CDDArchive: a text's characters and styles, or, for an empty text, the
// style of its default text.
#include "CDDArchive.h"

#include "CDDArchiveKeys.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWKeyedUnarchiver.h"
#include "platform/PWRtfd.h"
#include "text/CDDText.h"

#include <QTextDocument>

namespace {

QString defValueKey(const QString &key)
{
    return key + QStringLiteral("::DefValue");
}

bool isRtfdKey(const QString &key)
{
    return key == key_TextStorage || key == key_Label;
}

void logUnreadText(const QString &key, const QString &reason)
{
    qCWarning(lcArchive).noquote() << QStringLiteral("\"%1\" not read: %2").arg(key, reason);
}

} // namespace

bool CDDArchive::SetData(const QString &key, const CDDText &text) const
{
    if (text.isEmpty()) {
        const PWAttributedString placeholder = PWAttributedString::fromDocument(text.getDefValue());
        const QByteArray data = PWRtfd::data(placeholder);
        if (!data.isEmpty())
            store(defValueKey(key), PWPlist::fromData(data));
        return true;
    }
    const PWAttributedString contents = text.getAttributedString();
    if (key == key_TextStorage) {
        const QByteArray data = PWRtfd::data(contents);
        if (!data.isEmpty())
            store(key, PWPlist::fromData(data));
        return true;
    }
    return store(key, PWPlist::fromData(
                          PWKeyedArchiver::archivedData(contents, PWKeyedArchiver::StringClass::TextStorage)));
}

bool CDDArchive::GetData(const QString &key, CDDText &text) const
{
    QString keyRead = key;
    PWPlist stored = value(key);
    if (stored.isNull() && key != key_Label) {
        keyRead = key_TextStorage;
        stored = value(keyRead);
    }

    if (stored.isNull()) {
        const QString styleKey = defValueKey(key);
        const PWPlist placeholder = value(styleKey);
        if (placeholder.isNull())
            return false;
        if (!placeholder.isData()) {
            logUnreadText(styleKey, QStringLiteral("text data was expected"));
            return false;
        }
        QString error;
        const std::optional<PWAttributedString> style = PWRtfd::readAttributedString(placeholder.toData(), &error);
        if (!style) {
            logUnreadText(styleKey, error);
            return false;
        }
        // A stored default text without characters carries no style.
        if (!style->isEmpty())
            text.SetFontAttr(style->charFormatAt(0), false);
        return true;
    }

    if (!stored.isData()) {
        logUnreadText(keyRead, QStringLiteral("text data was expected"));
        return false;
    }
    std::optional<PWAttributedString> contents;
    QString error;
    if (isRtfdKey(keyRead))
        contents = PWRtfd::readAttributedString(stored.toData(), &error);
    if (!contents)
        contents = PWKeyedUnarchiver::unarchiveAttributedString(stored.toData(), &error);
    if (!contents) {
        logUnreadText(keyRead, error);
        return false;
    }
    text.setAttributedString(*contents);
    return true;
}
