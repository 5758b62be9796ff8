#include "FuzzSupport.h"

#include "platform/PWAddressBook.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

namespace {

QMap<QString, QByteArray> folderContents(const QString &path)
{
    QMap<QString, QByteArray> all;
    const QDir folder(path);
    for (const QString &name : folder.entryList(QDir::Files)) {
        QFile file(folder.filePath(name));
        all.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return all;
}

} // namespace

// The address-book folder read from files of any bytes: the input is cut at "\n--\n" into up to
// four vCard files. Loading and saving with nothing changed must leave every file as it was:
// whatever the reader made of a file, the book never writes over what it did not change.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QTemporaryDir folder;
    if (!folder.isValid())
        return 0;
    const QByteArrayList parts = bytes.split('\n');
    QByteArrayList files {QByteArray()};
    for (const QByteArray &line : parts) {
        if (line == "--" && files.size() < 4)
            files.append(QByteArray());
        else
            files.last() += line + '\n';
    }
    // With its marker there already, a book that changes nothing writes nothing at all.
    files.append("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Me</key><string></string></dict></plist>");
    for (qsizetype i = 0; i < files.size(); ++i) {
        QFile file(folder.filePath(i + 1 < files.size() ? QStringLiteral("card-%1.vcf").arg(i)
                                                         : QStringLiteral("AddressBook.plist")));
        if (!file.open(QIODevice::WriteOnly) || file.write(files.at(i)) != files.at(i).size())
            return 0;
    }
    const QMap<QString, QByteArray> before = folderContents(folder.path());

    PWAddressBook book(folder.path());
    pwFuzzCheck(book.load());
    book.save();
    pwFuzzCheck(folderContents(folder.path()) == before);
    return 0;
}
