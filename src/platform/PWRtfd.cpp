#include "platform/PWRtfd.h"

#include "platform/PWRtfReader.h"
#include "platform/PWRtfWriter.h"
#include "platform/PWTextAttributes.h"

#include <QLoggingCategory>
#include <QtEndian>

Q_LOGGING_CATEGORY(lcRtfd, "pw.platform.rtfd")

namespace {

constexpr quint32 kFileRecord = 1;
constexpr quint32 kDirectoryRecord = 3;
constexpr quint32 kPaddedLength = 0x80000000u;

const QString kAttachmentName = QStringLiteral("NeXTGraphic");
const QString kAttachmentData = QStringLiteral("NeXTGraphicData");

bool isMetadataName(const QByteArray &name)
{
    return name == "." || name == "__@PreferredName@__" || name == "__@UTF8PreferredName@__";
}

class Parser
{
public:
    explicit Parser(const QByteArray &bytes) : m_bytes(bytes) {}

    bool parse(QMap<QString, QByteArray> *files)
    {
        if (m_bytes.size() > PWRtfd::kMaxInputSize)
            return fail(QStringLiteral("%1 bytes are more than an RTFD may have").arg(m_bytes.size()));
        if (!m_bytes.startsWith("rtfd"))
            return fail(QStringLiteral("no \"rtfd\" header"));
        m_position = 4;
        quint32 version = 0;
        if (!word(&version))
            return false;
        if (version != 0)
            return fail(QStringLiteral("unknown RTFD version %1").arg(version));
        quint32 type = 0;
        if (!word(&type) || type != kDirectoryRecord)
            return fail(QStringLiteral("the RTFD does not hold a directory"));
        if (!directory(QString(), 0, files))
            return false;
        if (m_position != m_bytes.size())
            return fail(QStringLiteral("%1 bytes follow the RTFD").arg(m_bytes.size() - m_position));
        return true;
    }

    QString error() const { return m_error; }

private:
    bool fail(const QString &reason)
    {
        if (m_error.isEmpty())
            m_error = reason;
        return false;
    }

    bool word(quint32 *value)
    {
        if (m_bytes.size() - m_position < 4)
            return fail(QStringLiteral("the RTFD ends early"));
        *value = qFromLittleEndian<quint32>(m_bytes.constData() + m_position);
        m_position += 4;
        return true;
    }

    bool bytes(qint64 length, QByteArray *out)
    {
        if (length < 0 || length > m_bytes.size() - m_position)
            return fail(QStringLiteral("an RTFD entry runs past the end"));
        *out = m_bytes.mid(m_position, qsizetype(length));
        m_position += qsizetype(length);
        return true;
    }

    bool fileRecord(QByteArray *contents)
    {
        quint32 length = 0;
        if (!word(&length))
            return false;
        if (length == kPaddedLength) {
            quint32 padding = 0;
            QByteArray skipped;
            if (!word(&length) || !word(&padding) || !bytes(padding, &skipped))
                return false;
        }
        return bytes(length, contents);
    }

    // A directory record after its type; prefix is the path of the directory.
    bool directory(const QString &prefix, int depth, QMap<QString, QByteArray> *files)
    {
        if (depth >= PWRtfd::kMaxDepth)
            return fail(QStringLiteral("RTFD directories nested deeper than %1").arg(PWRtfd::kMaxDepth));
        quint32 count = 0;
        if (!word(&count))
            return false;
        if (count > PWRtfd::kMaxEntries)
            return fail(QStringLiteral("an RTFD directory of %1 entries").arg(count));
        QList<QByteArray> names;
        for (quint32 i = 0; i < count; ++i) {
            quint32 length = 0;
            QByteArray name;
            if (!word(&length) || length > 1024 || !bytes(length, &name))
                return m_error.isEmpty() ? fail(QStringLiteral("an RTFD file name is too long")) : false;
            names.append(name);
        }
        QList<quint32> lengths;
        for (quint32 i = 0; i < count; ++i) {
            quint32 length = 0;
            if (!word(&length))
                return false;
            lengths.append(length);
        }
        QMap<QString, QByteArray> entries;
        QByteArray regularContents;
        bool regularFile = false;
        for (quint32 i = 0; i < count; ++i) {
            const qsizetype start = m_position;
            const QByteArray &name = names.at(qsizetype(i));
            quint32 type = 0;
            if (!word(&type))
                return false;
            const QString decoded = QString::fromUtf8(name);
            const bool valid = !name.isEmpty() && !name.contains('/') && !name.contains('\0') && name != "..";
            if (type == kDirectoryRecord) {
                if (!valid || isMetadataName(name))
                    return fail(QStringLiteral("an RTFD directory has a malformed name"));
                if (!directory(prefix + decoded + QLatin1Char('/'), depth + 1, &entries))
                    return false;
            } else if (type == kFileRecord) {
                QByteArray contents;
                if (!fileRecord(&contents))
                    return false;
                if (name == "..") {
                    regularFile = true;
                    regularContents = contents;
                } else if (!isMetadataName(name)) {
                    if (!valid)
                        return fail(QStringLiteral("an RTFD file has a malformed name"));
                    entries.insert(prefix + decoded, contents);
                }
            } else {
                return fail(QStringLiteral("unknown RTFD record type %1").arg(type));
            }
            if (m_position - start != qsizetype(lengths.at(qsizetype(i))))
                return fail(QStringLiteral("RTFD entry \"%1\" is not as long as its directory says").arg(decoded));
        }
        if (regularFile) {
            // A serialized regular file: its name is the directory's, its bytes the ".." entry.
            if (prefix.isEmpty())
                return fail(QStringLiteral("the RTFD is a single file, not a directory"));
            files->insert(prefix.chopped(1), regularContents);
            return true;
        }
        for (auto it = entries.cbegin(); it != entries.cend(); ++it)
            files->insert(it.key(), it.value());
        return true;
    }

    const QByteArray &m_bytes;
    qsizetype m_position = 0;
    QString m_error;
};

void appendWord(QByteArray *out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out->append(bytes, 4);
}

// A directory record of the files under prefix, subdirectories made from "directory/name" keys.
QByteArray directoryRecord(const QMap<QString, QByteArray> &files, const QString &prefix)
{
    QList<QByteArray> names;
    QList<QByteArray> records;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (!it.key().startsWith(prefix))
            continue;
        const QString rest = it.key().mid(prefix.size());
        const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        const QString name = slash < 0 ? rest : rest.left(slash);
        if (names.contains(name.toUtf8()))
            continue;
        QByteArray record;
        if (slash < 0) {
            appendWord(&record, kFileRecord);
            appendWord(&record, quint32(it.value().size()));
            record += it.value();
        } else {
            record = directoryRecord(files, prefix + name + QLatin1Char('/'));
        }
        names.append(name.toUtf8());
        records.append(record);
    }
    QByteArray out;
    appendWord(&out, kDirectoryRecord);
    appendWord(&out, quint32(names.size()));
    for (const QByteArray &name : std::as_const(names)) {
        appendWord(&out, quint32(name.size()));
        out += name;
    }
    for (const QByteArray &record : std::as_const(records))
        appendWord(&out, quint32(record.size()));
    for (const QByteArray &record : std::as_const(records))
        out += record;
    return out;
}

} // namespace

std::optional<PWRtfd> PWRtfd::parse(const QByteArray &bytes, QString *error)
{
    Parser parser(bytes);
    QMap<QString, QByteArray> files;
    if (!parser.parse(&files)) {
        qCWarning(lcRtfd).noquote() << "RTFD not read:" << parser.error();
        if (error)
            *error = parser.error();
        return std::nullopt;
    }
    if (error)
        error->clear();
    return PWRtfd(files);
}

QByteArray PWRtfd::serialized() const
{
    QByteArray out = "rtfd";
    appendWord(&out, 0);
    return out + directoryRecord(m_files, QString());
}

std::optional<PWAttributedString> PWRtfd::attributedString(QString *error) const
{
    const auto text = m_files.constFind(kTextFileName);
    if (text == m_files.constEnd()) {
        qCWarning(lcRtfd).noquote() << "RTFD not read: it holds no" << kTextFileName;
        if (error)
            *error = QStringLiteral("the RTFD holds no \"%1\"").arg(kTextFileName);
        return std::nullopt;
    }
    const std::optional<PWAttributedString> styled = PWRtfReader::read(*text, error);
    if (!styled)
        return std::nullopt;
    PWAttributedString result;
    for (const PWAttributedString::Run &run : styled->runs()) {
        QTextCharFormat format = run.charFormat;
        QVariantMap custom = format.property(PWTextAttributes::CustomAttributes).toMap();
        const QString name = custom.value(kAttachmentName).toString();
        if (!name.isEmpty() && m_files.contains(name)) {
            custom.insert(kAttachmentData, m_files.value(name));
            format.setProperty(PWTextAttributes::CustomAttributes, custom);
        }
        result.append(styled->string().mid(run.start, run.length), format, run.blockFormat);
    }
    return result;
}

PWRtfd PWRtfd::fromAttributedString(const PWAttributedString &text)
{
    PWRtfd rtfd;
    PWAttributedString plain;
    for (const PWAttributedString::Run &run : text.runs()) {
        QTextCharFormat format = run.charFormat;
        QVariantMap custom = format.property(PWTextAttributes::CustomAttributes).toMap();
        const QString name = custom.value(kAttachmentName).toString();
        if (custom.contains(kAttachmentData)) {
            if (!name.isEmpty() && !name.contains(QLatin1Char('/')) && name != kTextFileName)
                rtfd.setFile(name, custom.value(kAttachmentData).toByteArray());
            custom.remove(kAttachmentData);
            format.setProperty(PWTextAttributes::CustomAttributes, custom);
        }
        plain.append(text.string().mid(run.start, run.length), format, run.blockFormat);
    }
    rtfd.setFile(kTextFileName, PWRtfWriter::write(plain));
    return rtfd;
}

std::optional<PWAttributedString> PWRtfd::readAttributedString(const QByteArray &bytes, QString *error)
{
    const std::optional<PWRtfd> rtfd = parse(bytes, error);
    if (!rtfd)
        return std::nullopt;
    return rtfd->attributedString(error);
}

QByteArray PWRtfd::data(const PWAttributedString &text)
{
    return fromAttributedString(text).serialized();
}
