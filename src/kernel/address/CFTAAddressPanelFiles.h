#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

// Whole-file helpers kept beside the address panel. Each answers 0 on success, else an error
// number: 5 when fewer bytes were written or read than asked (the reason goes to standard output),
// 12 when the buffer for a read cannot be had, -1 when a file's status or position cannot be
// taken, otherwise the system's error number of the failed open.

// Creates or truncates the file (permissions 0600 when created) and writes the bytes.
int writeFile(const QString &path, const char *bytes, std::size_t length);
// Appends the bytes and then one carriage return, creating the file (0600) when needed.
int appendFileWithCR(const QString &path, const char *bytes, std::size_t length);
// No file the panel reads comes near this; larger ones are refused rather than allocated for.
inline constexpr qint64 kMaxReadFileSize = 256 * 1024 * 1024;
// The whole of a regular file into contents (cleared first, and left empty on failure), through
// PWFileReader. Anything but a regular file answers -1 (a pipe without a writer at once); one
// larger than kMaxReadFileSize answers 12 without reading.
int readFile(const QString &path, QByteArray *contents);
