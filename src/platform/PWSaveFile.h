#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <functional>

// Writes a whole file so that the old one is replaced only once the new one is complete on disk.
// A failure answers a reason a person can act on: a full disk, a file over the system's size
// limit or an exhausted quota are named as such rather than as "Unknown error".
// A file the user cannot write (one made read-only, say) is never replaced, nor is anything that
// is no regular file (a pipe, a device): the user owns them, and renaming over them would change
// them behind the user's back. The new bytes go to an unnamed file where the file system allows
// it; otherwise, and for the moment between naming the new file and renaming it into place, a
// hidden ".NAME.pwsave-TAG.part" file stands beside the target, and the next save of the same
// target takes away any such file whose writer is gone (and nothing else: the marker and the tag
// of fixed length keep a name the user gave a file of their own from matching).
// What is replaced is what was checked: a link or another file put at the name while the new
// bytes were written is left as it is, and the save fails with the reason.
namespace PWSaveFile {

bool write(const QString &path, const QByteArray &bytes, QString *reason);

// The same for a file named by the bytes the system knows it by (a name that is no UTF-8 has no
// faithful QString). For both, a symbolic link is followed (the file it points to is replaced,
// the link stays) and an existing file keeps its permissions; but a link another user made in a
// shared folder (world-writable, with the sticky bit) is refused unless that user owns the folder,
// as the system's protection of links has it: it would lead the save onto a file of this user's.
// Any link on the way counts, not only the last.
bool writeAtBytes(const QByteArray &path, const QByteArray &bytes, QString *reason);

// Whether path may be replaced: false, with the reason, when it exists and is no regular file
// (after following links) or is a file the user cannot write. A missing file may be made.
bool checkTarget(const QString &path, QString *reason);
bool checkTargetAtBytes(const QByteArray &path, QString *reason);

// The new file of output that Qt streams (a PDF writer writes into it and looks at no answer):
// every write goes out whole or is remembered as failed, with the system's reason, so that a
// disk that fills in the middle of the stream fails the commit as one full at its end does. (The
// file device answers a write cut short by a full disk with the bytes that went, and no error.)
class File : public QSaveFile
{
public:
    using QSaveFile::QSaveFile;
    // The system error number of the first write that failed; 0 while every write went out.
    int failedWrite() const { return m_failedWrite; }

protected:
    qint64 writeData(const char *data, qint64 length) override;

private:
    int m_failedWrite = 0;
};

// Opens a File for writing after checkTarget(); false with the reason otherwise. The file is
// then named by the path its links were checked to lead to, and commit() refuses it when what
// stands there is no longer what was checked.
bool open(File &file, QString *reason);

// Finishes a File written by the caller (a PDF streamed into it, say): a failed write anywhere in
// the stream, and its buffer written out last, are checked before the old file is replaced. On
// failure the new file is discarded, the old one stays as it was and reason says why.
bool commit(File &file, QString *reason);

// The reason for a failed write that left the system error number `error` (0 when unknown) and
// Qt's own description `qtReason`.
QString failureReason(int error, const QString &qtReason);

// Called, when set, once the new bytes are complete and about to replace the old file; a test
// ends its process there to leave what a save killed at that moment leaves, or changes the
// target there as another process could.
void setBeforeReplaceHook(std::function<void()> hook);
// Whether an unnamed temporary file is tried first (the default); a test turns it off to take
// the road of file systems without one.
void setUnnamedTemporaryAllowed(bool allowed);

} // namespace PWSaveFile
