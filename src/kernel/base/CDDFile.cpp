#include "kernel/base/CDDFile.h"

#include "platform/PWFileReader.h"

#include <QDir>
#include <QLoggingCategory>
#include <QStringDecoder>

#include <new>

Q_LOGGING_CATEGORY(lcDataFile, "pw.kernel.datafile")

namespace {

QString decode(const QByteArray &bytes)
{
    if (const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*bom);
        QString text = decoder.decode(bytes);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    // Stateless, so that a sequence cut off at the end is an error rather than held back.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

thread_local QString t_folder;

bool isLineEnd(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'\n' || u == u'\r' || u == 0x0085 || u == 0x2028 || u == 0x2029;
}

} // namespace

QStringList CDDFile::splitLines(const QByteArray &bytes)
{
    const QString text = decode(bytes);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (!isLineEnd(text[i]))
            continue;
        lines.append(text.mid(start, i - start).trimmed());
        if (text[i] == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start).trimmed());
    return lines;
}

CDDFile::Folder::Folder(const QString &folder)
    : m_outer(t_folder)
{
    t_folder = folder;
}

CDDFile::Folder::~Folder()
{
    t_folder = m_outer;
}

bool CDDFile::SetFile(const CDDString &path)
{
    mFileName = path;
    mReadPath = path;
    mUnreadReason.clear();
    mLines.clear();
    if (path.getData().isEmpty())
        return false;
    if (QDir::isRelativePath(path.getData()) && !t_folder.isEmpty())
        mReadPath = CDDString(QDir(t_folder).filePath(path.getData()));
    const QString readPath = mReadPath.getData();
    const PWFileReader::Result file = PWFileReader::read(readPath, kMaxFileSize);
    if (file.status == PWFileReader::Status::TooLarge) {
        mUnreadReason = QStringLiteral("it is larger than %1 bytes").arg(kMaxFileSize);
        qCWarning(lcDataFile).noquote()
            << QStringLiteral("The data file %1 is larger than %2 bytes").arg(readPath).arg(kMaxFileSize);
        return false;
    }
    if (!file.ok()) {
        mUnreadReason = file.reason.isEmpty() ? QStringLiteral("it cannot be read") : file.reason;
        qCWarning(lcDataFile).noquote()
            << QStringLiteral("Cannot read the data file %1: %2").arg(readPath, file.reason);
        return false;
    }
    try {
        mLines = splitLines(file.bytes);
    } catch (const std::bad_alloc &) {
        mLines.clear();
        mUnreadReason = QStringLiteral("there is not enough memory");
        qCWarning(lcDataFile).noquote()
            << QStringLiteral("Cannot read the data file %1: there is not enough memory").arg(readPath);
        return false;
    }
    return !mLines.isEmpty();
}

std::optional<CDDString> CDDFile::GetStringFromFile(unsigned int record, fieldsCount mode, int field,
                                                    const CDDString &delimiter) const
{
    if (mLines.isEmpty())
        return std::nullopt;
    // Unsigned on purpose: record 0 wraps to the last index a 32-bit count can reach.
    const std::uint32_t index = std::uint32_t(record - 1u) % std::uint32_t(mLines.size());
    const QString &line = mLines.at(qsizetype(index));
    if (mode == fcWholeLine)
        return CDDString(line);
    const QString separator = delimiter.getData().isEmpty() ? QStringLiteral(" ") : delimiter.getData();
    const QStringList pieces = line.split(separator, Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return std::nullopt;
    const qsizetype wanted = field < 1 ? 0 : std::min<qsizetype>(field, pieces.size()) - 1;
    return CDDString(pieces.at(wanted));
}
