#pragma once

#include "platform/PWPathStatus.h"

#include <QByteArray>

#include <optional>

// What a document window knows of its file as it last read or wrote it: the size, the time it
// was changed and the digest of its bytes. A save over the file first asks whether the file is
// still that one, so that what another program (another user's instance) wrote there meanwhile
// is not replaced without a word. A value.
class CAFileStamp
{
public:
    // The stamp of the file at path (the bytes the system knows it by); none when it cannot be
    // read.
    static std::optional<CAFileStamp> ofFile(const QByteArray &path);

    // Whether the file at path is no longer the one stamped: another size or time of change, or,
    // with both the same, other bytes (the digest is taken only then). A file that is gone is no
    // change: a save makes it anew.
    bool changedAt(const QByteArray &path) const;

    friend bool operator==(const CAFileStamp &, const CAFileStamp &) = default;

private:
    // The digest of the file's bytes; none when it cannot be read.
    static std::optional<QByteArray> digestOf(const QByteArray &path);

    qint64 m_size = 0;
    PWPathStatus::Timestamp m_modified;
    QByteArray m_digest;
};
