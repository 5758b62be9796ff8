#pragma once

#include <QByteArray>
#include <QString>

class QSaveFile;

// Writes a whole file so that the old one is replaced only once the new one is complete on disk.
// A failure answers a reason a person can act on: a full disk, a file over the system's size
// limit or an exhausted quota are named as such rather than as "Unknown error".
namespace PWSaveFile {

bool write(const QString &path, const QByteArray &bytes, QString *reason);

// The same for a file named by the bytes the system knows it by (a name that is no UTF-8 has no
// faithful QString). For both, a symbolic link is followed (the file it points to is replaced,
// the link stays) and an existing file keeps its permissions.
bool writeAtBytes(const QByteArray &path, const QByteArray &bytes, QString *reason);

// Finishes a QSaveFile written by the caller (a PDF streamed into it, say): its buffer is written
// out and checked before the old file is replaced. On failure the new file is discarded, the old
// one stays as it was and reason says why.
bool commit(QSaveFile &file, QString *reason);

// The reason for a failed write that left the system error number `error` (0 when unknown) and
// Qt's own description `qtReason`.
QString failureReason(int error, const QString &qtReason);

} // namespace PWSaveFile
