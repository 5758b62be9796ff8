#pragma once

#include <QByteArray>

#include <future>
#include <optional>

// What a document window knows of its file: the size and the digest of the bytes it last read
// from it or wrote to it, taken from those bytes themselves, never from the file looked at again
// later (another program may have written it in between). A save over the file first asks
// whether the file still holds those bytes, so that what another program (another user's
// instance) wrote there meanwhile is not replaced without a word. A value.
class CAFileStamp
{
public:
    // The stamp of bytes read from or written to the file. Their digest is taken on a worker
    // thread (a design may be hundreds of megabytes), while the window goes on.
    static CAFileStamp ofBytes(const QByteArray &bytes);

    // Whether the file at path no longer holds the stamped bytes: another size, or the same size
    // with other bytes. A file only touched (its time changed, its bytes the same) is no change,
    // nor is a file that is gone: a save makes it anew. The file's digest is taken on the calling
    // thread, which hears a stop of the long work it runs under (CDDFileProgress) between its
    // megabytes.
    bool changedAt(const QByteArray &path) const;

    // The size of the stamped bytes, which a file of the same size must be hashed to compare.
    qint64 size() const { return m_size; }

private:
    // The digest of the file's bytes; none when it cannot be read.
    static std::optional<QByteArray> digestOf(const QByteArray &path);

    qint64 m_size = 0;
    std::shared_future<QByteArray> m_digest;
};
