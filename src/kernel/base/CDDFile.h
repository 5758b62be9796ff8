#pragma once

#include "kernel/base/CDDString.h"
#include "platform/PWFileReader.h"

#include <QStringList>

#include <cstdint>
#include <optional>

// How a record of a delimited text file is used: the whole line, or one field of it.
enum fieldsCount : std::int32_t {
    fcWholeLine = 0,
    fcOneField = 1,
};

// The lines of a plain text file, handed out as numbered records, whole or split into fields at
// a delimiter. Record numbers start at 1 and run on from the first line after the last.
class CDDFile
{
public:
    // Larger files are refused rather than read into memory.
    static constexpr qint64 kMaxFileSize = PWFileReader::kDelimitedTextLimit;

    CDDFile() = default;

    // Reads the file. A file that cannot be read, or holds no lines, leaves no lines: records
    // then answer nothing rather than the previous file's lines. The name is kept either way; a
    // relative one is read from the folder of the Folder in effect, else the working folder.
    bool SetFile(const CDDString &path);
    const CDDString &GetFileName() const { return mFileName; }
    // Where the file was looked for: the name, a relative one resolved.
    const CDDString &readPath() const { return mReadPath; }
    // Why the named file could not be read; empty when it was, or when no file is named.
    const QString &unreadReason() const { return mUnreadReason; }
    int lineCount() const { return int(mLines.size()); }

    // While one lives, files named relatively are read, on its thread, from folder (the folder of
    // the design being read, so that a design and its text files move together).
    class Folder
    {
    public:
        explicit Folder(const QString &folder);
        ~Folder();
        Folder(const Folder &) = delete;
        Folder &operator=(const Folder &) = delete;

    private:
        QString m_outer;
    };

    // The record's line (fcWholeLine) or its field number field (counted from 1, a larger
    // number gives the last field; less than 1 gives the first). Empty fields do not count; an
    // empty delimiter is one blank. Nothing without lines or without a non-empty field.
    std::optional<CDDString> GetStringFromFile(unsigned int record, fieldsCount mode, int field,
                                               const CDDString &delimiter) const;

    // Bytes to trimmed lines: Unicode when a byte-order mark leads, else UTF-8 when valid and
    // Latin-1 otherwise. Every line end counts (LF, CR, CR LF, NEL, LS, PS); a final line end
    // adds no empty line.
    static QStringList splitLines(const QByteArray &bytes);

private:
    CDDString mFileName;
    CDDString mReadPath;
    QString mUnreadReason;
    QStringList mLines;
};
