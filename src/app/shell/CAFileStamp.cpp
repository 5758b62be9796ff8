#include "app/shell/CAFileStamp.h"

#include "kernel/base/CDDFileProgress.h"
#include "platform/PWDescriptor.h"
#include "platform/PWPathStatus.h"

#include <QCryptographicHash>

std::optional<QByteArray> CAFileStamp::digestOf(const QByteArray &path)
{
    const PWDescriptor file = PWDescriptor::openToRead(path);
    if (!file.isValid() || !file.isRegularFile())
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray buffer(1024 * 1024, Qt::Uninitialized);
    for (;;) {
        CDDFileProgress::checkpoint();
        const qsizetype read = file.readSome(buffer.data(), buffer.size());
        if (read < 0)
            return std::nullopt;
        if (read == 0)
            break;
        hash.addData(QByteArrayView(buffer.constData(), read));
    }
    return hash.result();
}

CAFileStamp CAFileStamp::ofBytes(const QByteArray &bytes)
{
    CAFileStamp stamp;
    stamp.m_size = bytes.size();
    // The worker holds its own share of the bytes; they are freed when both are done with them.
    stamp.m_digest = std::async(std::launch::async, [bytes] {
                         return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
                     }).share();
    return stamp;
}

bool CAFileStamp::changedAt(const QByteArray &path) const
{
    const PWPathStatus::Entry status = PWPathStatus::statusAt(path);
    if (status.kind == PWPathStatus::Kind::Missing)
        return false;
    if (status.kind != PWPathStatus::Kind::RegularFile || status.size != m_size)
        return true;
    // Of the same size, the bytes tell, whatever the file's time says: a file written twice
    // within the clock's step, or given back the time of the one it replaced, is changed; one
    // only touched is not.
    const std::optional<QByteArray> digest = digestOf(path);
    return !digest || !m_digest.valid() || *digest != m_digest.get();
}
