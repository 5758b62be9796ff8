#pragma once

#include "platform/PWAttributedString.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

// Styled text with attachments in the flattened RTFD form: the serialized file wrapper of a
// directory that holds "TXT.rtf" (the text, see PWRtfReader) and one file per attachment.
//
// The serialized layout, as publicly described from files the original platform writes (all
// numbers 32-bit little-endian): the magic "rtfd", a 0, then one record. A record begins with its
// type: 3 is a directory (the count of entries, each entry's name as a length and its bytes, each
// entry's record length, then the entries' records), 1 is a file (its length and its bytes; a
// length of 0x80000000 is followed by the real length, a padding length and that many padding
// bytes). The entries "." (file attributes) and the "__@PreferredName@__" names hold metadata, which
// is read past; a directory holding ".." is a regular file whose bytes are that entry. What the
// metadata means is not publicly described, so it is not written: a written archive holds only
// the files, the layout the readers of the form accept.
//
// Files of nested directories are kept as "directory/name". Attachments ride through the text as
// object replacement characters whose custom attributes hold "NeXTGraphic" (the file name) and
// "NeXTGraphicData" (its bytes), so that a text read and written again keeps them.
class PWRtfd
{
public:
    static constexpr int kMaxDepth = 16;
    static constexpr quint32 kMaxEntries = 4096;
    static constexpr qsizetype kMaxInputSize = qsizetype(256) * 1024 * 1024;
    static inline const QString kTextFileName = QStringLiteral("TXT.rtf");

    PWRtfd() = default;
    explicit PWRtfd(const QMap<QString, QByteArray> &files) : m_files(files) {}

    const QMap<QString, QByteArray> &files() const { return m_files; }
    void setFile(const QString &name, const QByteArray &contents) { m_files.insert(name, contents); }

    // The one entry point for bytes: the files of a flattened RTFD, or a reason.
    static std::optional<PWRtfd> parse(const QByteArray &bytes, QString *error = nullptr);
    QByteArray serialized() const;

    // The text of "TXT.rtf" with the attachments it names; nothing and a reason when there is
    // no "TXT.rtf" or it is not RTF.
    std::optional<PWAttributedString> attributedString(QString *error = nullptr) const;
    static PWRtfd fromAttributedString(const PWAttributedString &text);

    // Bytes to styled text and back.
    static std::optional<PWAttributedString> readAttributedString(const QByteArray &bytes,
                                                                  QString *error = nullptr);
    static QByteArray data(const PWAttributedString &text);

    bool operator==(const PWRtfd &other) const = default;

private:
    QMap<QString, QByteArray> m_files;
};
