#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The one way the system reads a whole file from disk. Only a regular file is read (checked on
// the opened descriptor, which is opened without blocking, so a pipe with no writer is refused at
// once), up to a limit its caller chooses by the file's kind, in bounded steps, so that refusing a
// huge or endless file costs next to no memory. A file whose first bytes are not of the asked kind
// is refused before the rest is read. It never throws: every failure, running out of memory
// included, is a refusal with a reason a person can read. Resources compiled into the program
// (":/..." paths) are read through Qt's resource system under the same rules.
class PWFileReader
{
public:
    // Limits by kind of file, in bytes: each well above the largest file of that kind seen in use.
    static constexpr qint64 kDesignLimit = qint64(512) * 1024 * 1024;
    static constexpr qint64 kImageLimit = qint64(256) * 1024 * 1024;
    static constexpr qint64 kPropertyListLimit = qint64(256) * 1024 * 1024;
    static constexpr qint64 kSettingsLimit = qint64(64) * 1024 * 1024;
    static constexpr qint64 kVCardLimit = qint64(64) * 1024 * 1024;
    static constexpr qint64 kDelimitedTextLimit = qint64(64) * 1024 * 1024;
    // Catalogues and string tables of a bundle or of the user's folders.
    static constexpr qint64 kCatalogueLimit = qint64(64) * 1024 * 1024;

    enum class Status {
        Read,
        CannotOpen,     // missing, no permission, ...: systemError holds the error number
        NotRegularFile, // a folder, device, pipe or socket
        TooLarge,
        NotOfKind,      // the first bytes do not match the kind's signature
        ReadFailed,     // the system failed while reading: systemError holds the error number
        OutOfMemory,
    };

    // What the first bytes of a file of some kind look like.
    struct Signature
    {
        // Whether the head (the first headBytes bytes, all of a shorter file) is of the kind.
        bool (*matches)(QByteArrayView head) = nullptr;
        qsizetype headBytes = 0;
        // The reason given when it is not, as "the file is not a property list".
        QString refusal;
    };

    struct Result
    {
        Status status = Status::CannotOpen;
        QByteArray bytes; // empty unless read
        QString reason;   // empty when read
        int systemError = 0;

        bool ok() const { return status == Status::Read; }
    };

    // The whole file at path, or a refusal with its reason. maxBytes is the largest file taken.
    static Result read(const QString &path, qint64 maxBytes, const Signature &signature) noexcept;
    static Result read(const QString &path, qint64 maxBytes) noexcept;

    // XML (after an optional byte-order mark and blanks, a '<') or binary ("bplist").
    static bool looksLikePropertyList(QByteArrayView head);
    static Signature propertyListSignature();
};
