#include "app/shell/CAFileStamp.h"

#include "platform/PWDescriptor.h"

#include <QCryptographicHash>

std::optional<QByteArray> CAFileStamp::digestOf(const QByteArray &path)
{
    const PWDescriptor file = PWDescriptor::openToRead(path);
    if (!file.isValid() || !file.isRegularFile())
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qsizetype read = file.readSome(buffer.data(), buffer.size());
        if (read < 0)
            return std::nullopt;
        if (read == 0)
            break;
        hash.addData(QByteArrayView(buffer.constData(), read));
    }
    return hash.result();
}

std::optional<CAFileStamp> CAFileStamp::ofFile(const QByteArray &path)
{
    const PWPathStatus::Entry status = PWPathStatus::statusAt(path);
    if (status.kind != PWPathStatus::Kind::RegularFile)
        return std::nullopt;
    const std::optional<QByteArray> digest = digestOf(path);
    if (!digest)
        return std::nullopt;
    CAFileStamp stamp;
    stamp.m_size = status.size;
    stamp.m_modified = status.modified;
    stamp.m_digest = *digest;
    return stamp;
}

bool CAFileStamp::changedAt(const QByteArray &path) const
{
    const PWPathStatus::Entry status = PWPathStatus::statusAt(path);
    if (status.kind == PWPathStatus::Kind::Missing)
        return false;
    if (status.kind != PWPathStatus::Kind::RegularFile || status.size != m_size || !(status.modified == m_modified))
        return true;
    // Looking the same, the bytes tell: a file written twice within the clock's step, or a copy
    // that kept the time and size of the one it replaced.
    const std::optional<QByteArray> digest = digestOf(path);
    return !digest || *digest != m_digest;
}
