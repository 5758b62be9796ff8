#pragma once

#include "platform/PWPathStatus.h"

#include <QByteArray>
#include <QList>

// The changes the kernel and the application make to what stands at a path named by the bytes the
// system knows it by, made here so that they name no system call. Each answers 0 when done, else
// the errno of the call, and never follows a link where the system call does not.
namespace PWFileSystem {

// One folder (its parent must exist) with mode, less the process's umask; EEXIST when anything,
// a link too, has the name.
int makeFolder(const QByteArray &path, int mode);
// Takes the file or link at path away (never a folder).
int removeFile(const QByteArray &path);
// Takes the folder at path away when it is empty.
int removeEmptyFolder(const QByteArray &path);
// Renames from to to in one step, replacing a file or an empty folder there.
int renamePath(const QByteArray &from, const QByteArray &to);
// Sets the permissions of path to mode (a link is followed).
int setPermissions(const QByteArray &path, int mode);
// Sets the times of the file at path to now (a link is followed).
int touch(const QByteArray &path);
// Sets the access and modification times of the file at path (a link is followed).
int setTimes(const QByteArray &path, PWPathStatus::Timestamp accessed, PWPathStatus::Timestamp modified);
// The names a folder holds, "." and ".." left out, in the order the system lists them.
int list(const QByteArray &folder, QList<QByteArray> *names);

} // namespace PWFileSystem
