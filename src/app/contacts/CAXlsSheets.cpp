#include "app/contacts/CAXlsSheets.h"

#include <QList>
#include <QStringDecoder>
#include <QtEndian>

namespace CAXlsSheets {

namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kLastRegular = 0xFFFFFFFA;

template<typename T> std::optional<T> readAt(QByteArrayView bytes, qint64 at)
{
    if (at < 0 || at + qint64(sizeof(T)) > bytes.size())
        return std::nullopt;
    return qFromLittleEndian<T>(bytes.data() + at);
}

class CompoundFile
{
public:
    explicit CompoundFile(QByteArrayView file)
        : m_file(file)
    {
    }

    bool load()
    {
        const std::optional<quint16> shift = readAt<quint16>(m_file, 0x1E);
        const std::optional<quint16> miniShift = readAt<quint16>(m_file, 0x20);
        if (m_file.size() < 512 || !shift || !miniShift || (*shift != 9 && *shift != 12) || *miniShift != 6)
            return false;
        m_sectorSize = qint64(1) << *shift;
        m_directoryStart = readAt<quint32>(m_file, 0x30).value_or(kEndOfChain);
        m_cutoff = readAt<quint32>(m_file, 0x38).value_or(4096);
        m_miniFatStart = readAt<quint32>(m_file, 0x3C).value_or(kEndOfChain);
        // The sectors of the allocation table: 109 in the header, the rest in a chain of their own.
        QList<quint32> fatSectors;
        for (int i = 0; i < 109; ++i) {
            const quint32 sector = readAt<quint32>(m_file, 0x4C + 4 * i).value_or(kEndOfChain);
            if (sector <= kLastRegular)
                fatSectors.append(sector);
        }
        quint32 difat = readAt<quint32>(m_file, 0x44).value_or(kEndOfChain);
        for (qint64 guard = 0; difat <= kLastRegular && guard < sectorCount(); ++guard) {
            const qint64 base = sectorOffset(difat);
            for (qint64 i = 0; i < m_sectorSize / 4 - 1; ++i) {
                const quint32 sector = readAt<quint32>(m_file, base + 4 * i).value_or(kEndOfChain);
                if (sector <= kLastRegular)
                    fatSectors.append(sector);
            }
            difat = readAt<quint32>(m_file, base + m_sectorSize - 4).value_or(kEndOfChain);
        }
        for (const quint32 sector : std::as_const(fatSectors)) {
            const qint64 base = sectorOffset(sector);
            if (base < 0 || base + m_sectorSize > m_file.size() || m_fat.size() > sectorCount())
                return false;
            for (qint64 i = 0; i < m_sectorSize / 4; ++i)
                m_fat.append(qFromLittleEndian<quint32>(m_file.data() + base + 4 * i));
        }
        return !m_fat.isEmpty();
    }

    std::optional<QByteArray> stream(const QString &name) const
    {
        const std::optional<QByteArray> directory = chain(m_directoryStart, -1);
        if (!directory)
            return std::nullopt;
        std::optional<QByteArray> miniStream;
        for (qint64 at = 0; at + 128 <= directory->size(); at += 128) {
            const QByteArrayView entry = QByteArrayView(*directory).sliced(at, 128);
            const quint16 nameBytes = qFromLittleEndian<quint16>(entry.data() + 0x40);
            const quint8 type = quint8(entry[0x42]);
            const quint32 start = qFromLittleEndian<quint32>(entry.data() + 0x74);
            const qint64 size = qFromLittleEndian<quint32>(entry.data() + 0x78);
            if (type == 5 && at == 0)
                miniStream = chain(start, size);
            if (type != 2 || nameBytes < 2 || nameBytes > 64)
                continue;
            const QString entryName =
                QString::fromUtf16(reinterpret_cast<const char16_t *>(entry.data()), nameBytes / 2 - 1);
            if (entryName.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            if (size >= m_cutoff)
                return chain(start, size);
            return miniStream ? miniChain(*miniStream, start, size) : std::nullopt;
        }
        return std::nullopt;
    }

private:
    qint64 sectorCount() const { return m_file.size() / m_sectorSize; }
    qint64 sectorOffset(quint32 sector) const { return (qint64(sector) + 1) * m_sectorSize; }

    // A chain of regular sectors; size -1 takes the whole chain.
    std::optional<QByteArray> chain(quint32 sector, qint64 size) const
    {
        if (size > m_file.size())
            return std::nullopt;
        QByteArray bytes;
        for (qint64 guard = 0; sector <= kLastRegular; ++guard) {
            const qint64 base = sectorOffset(sector);
            if (guard > m_fat.size() || base + m_sectorSize > m_file.size() || sector >= quint32(m_fat.size()))
                return std::nullopt;
            bytes.append(m_file.data() + base, m_sectorSize);
            if (size >= 0 && bytes.size() >= size)
                return bytes.left(size);
            sector = m_fat.at(sector);
        }
        if (sector != kEndOfChain || (size >= 0 && bytes.size() < size))
            return std::nullopt;
        return bytes;
    }

    std::optional<QByteArray> miniChain(const QByteArray &miniStream, quint32 sector, qint64 size) const
    {
        const std::optional<QByteArray> table = chain(m_miniFatStart, -1);
        if (!table)
            return std::nullopt;
        QByteArray bytes;
        for (qint64 guard = 0; sector <= kLastRegular && bytes.size() < size; ++guard) {
            const qint64 base = qint64(sector) * 64;
            if (guard > table->size() / 4 || base + 64 > miniStream.size() || qint64(sector) * 4 + 4 > table->size())
                return std::nullopt;
            bytes.append(miniStream.constData() + base, 64);
            sector = qFromLittleEndian<quint32>(table->constData() + qint64(sector) * 4);
        }
        if (bytes.size() < size)
            return std::nullopt;
        return bytes.left(size);
    }

    QByteArrayView m_file;
    qint64 m_sectorSize = 512;
    quint32 m_directoryStart = kEndOfChain;
    qint64 m_cutoff = 4096;
    quint32 m_miniFatStart = kEndOfChain;
    QList<quint32> m_fat;
};

} // namespace

std::optional<QByteArray> compoundStream(QByteArrayView file, const QString &name)
{
    CompoundFile compound(file);
    if (!compound.load())
        return std::nullopt;
    return compound.stream(name);
}

namespace {

// The converter name of a workbook's code page (its CODEPAGE record), which the 8-bit texts of
// Excel 5.0/95 workbooks are written in.
QByteArray codePageName(quint16 codePage)
{
    switch (codePage) {
    case 0x8000:
    case 10000:
        return "macintosh";
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "EUC-KR";
    case 950:
        return "Big5";
    case 0x8001:
        return "windows-1252";
    default:
        return codePage >= 874 && codePage <= 1258 ? "windows-" + QByteArray::number(codePage) : "windows-1252";
    }
}

QString decodeCodePage(QByteArrayView bytes, quint16 codePage)
{
    QStringDecoder decoder(codePageName(codePage).constData(), QStringConverter::Flag::Stateless);
    if (decoder.isValid()) {
        QString text = decoder.decode(bytes);
        if (!decoder.hasError())
            return text;
    }
    return QString::fromLatin1(bytes);
}

} // namespace

std::optional<ShownSheet> firstVisibleSheet(QByteArrayView file)
{
    std::optional<QByteArray> workbook = compoundStream(file, QStringLiteral("Workbook"));
    if (!workbook)
        workbook = compoundStream(file, QStringLiteral("Book"));
    if (!workbook)
        return std::nullopt;
    const QByteArrayView stream(*workbook);
    constexpr quint16 kBeginning = 0x0809, kCodePage = 0x0042, kSheet = 0x0085, kEndOfGlobals = 0x000A;
    constexpr quint16 kBiff5 = 0x0500;
    // Excel 5.0 and 95 (BIFF5) write a sheet's name as 8-bit text of the workbook's code page,
    // Excel 97 and later (BIFF8) as a Unicode string with flags; the first record tells which.
    bool biff5 = false;
    quint16 codePage = 1252;
    int index = -1;
    for (qint64 at = 0; at + 4 <= stream.size();) {
        const quint16 type = qFromLittleEndian<quint16>(stream.data() + at);
        const quint16 length = qFromLittleEndian<quint16>(stream.data() + at + 2);
        const QByteArrayView data = stream.sliced(at + 4, std::min<qint64>(length, stream.size() - at - 4));
        const bool first = at == 0;
        at += 4 + length;
        if (first) {
            if (type != kBeginning || data.size() < 2)
                return std::nullopt;
            biff5 = qFromLittleEndian<quint16>(data.data()) == kBiff5;
            continue;
        }
        if (type == kEndOfGlobals)
            break;
        if (type == kCodePage && data.size() >= 2)
            codePage = qFromLittleEndian<quint16>(data.data());
        // Position (4 bytes), visibility, kind (0 a worksheet), then the name's length and, in
        // BIFF8, its flags; its characters one byte each or two.
        if (type != kSheet || data.size() < (biff5 ? 7 : 8))
            continue;
        ++index;
        const quint8 visibility = quint8(data[4]) & 0x03;
        const quint8 kind = quint8(data[5]);
        const qsizetype characters = quint8(data[6]);
        if (visibility != 0 || kind != 0)
            continue;
        if (biff5) {
            const QByteArrayView name = data.sliced(7);
            if (name.size() < characters)
                return std::nullopt;
            return ShownSheet {index, decodeCodePage(name.first(characters), codePage)};
        }
        const bool wide = quint8(data[7]) & 0x01;
        const QByteArrayView name = data.sliced(8);
        if (name.size() < characters * (wide ? 2 : 1))
            return std::nullopt;
        if (!wide)
            return ShownSheet {index, QString::fromLatin1(name.first(characters))};
        QString text(characters, Qt::Uninitialized);
        for (qsizetype i = 0; i < characters; ++i)
            text[i] = QChar(qFromLittleEndian<quint16>(name.data() + 2 * i));
        return ShownSheet {index, text};
    }
    return std::nullopt;
}

std::optional<QString> firstVisibleWorksheet(QByteArrayView file)
{
    const std::optional<ShownSheet> sheet = firstVisibleSheet(file);
    return sheet ? std::optional<QString>(sheet->name) : std::nullopt;
}

} // namespace CAXlsSheets
