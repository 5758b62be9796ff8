#include "app/pictures/CCGoogleSearchAnswer.h"

#include "kernel/base/FTUtilities.h"

namespace {

const QString kPictureMarker = QStringLiteral("imgurl=");
const QString kPageMarker = QStringLiteral("imgrefurl=");
const QString kThumbnailMarker = QStringLiteral("<img src=");

// A cursor over the page that, like a text scanner, passes white space before each value.
class Scanner
{
public:
    explicit Scanner(const QString &text)
        : m_text(text)
    {
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    // Moves past the next marker; false (at the end) when there is none.
    bool skipPast(const QString &marker)
    {
        const qsizetype at = m_text.indexOf(marker, m_pos);
        if (at < 0) {
            m_pos = m_text.size();
            return false;
        }
        m_pos = at + marker.size();
        return true;
    }
    // The text up to the first character for which isEnd holds, which must be there: a value
    // the page cuts off is no value. Leaves the cursor on that character.
    template<typename End>
    bool readValue(End isEnd, QString *value)
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
        qsizetype end = m_pos;
        while (end < m_text.size() && !isEnd(m_text.at(end)))
            ++end;
        if (end >= m_text.size()) {
            m_pos = m_text.size();
            return false;
        }
        *value = m_text.mid(m_pos, end - m_pos);
        m_pos = end;
        return !value->isEmpty();
    }

private:
    const QString &m_text;
    qsizetype m_pos = 0;
};

// The page's characters are bytes (Latin-1), so the value's bytes go to the address as they
// were sent: a UTF-8 address stays UTF-8.
QUrl addressOf(const QString &value)
{
    if (value.size() > CCGoogleSearchAnswer::kMaxAddressLength)
        return QUrl();
    return QUrl::fromEncoded(value.toLatin1(), QUrl::TolerantMode);
}

} // namespace

bool CCGoogleSearchAnswer::isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.isRelative() && !url.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QUrl CCGoogleSearchAnswer::serviceBase(const QString &setting)
{
    const QUrl url(setting.trimmed(), QUrl::StrictMode);
    if (!isWebAddress(url))
        return QUrl();
    QUrl base;
    base.setScheme(url.scheme().toLower());
    base.setHost(url.host());
    base.setPort(url.port());
    return base;
}

QString CCGoogleSearchAnswer::requestAddress(const QUrl &base, const QString &text, int sizeType)
{
    if (!isWebAddress(base))
        return QString();
    const char *query = nullptr;
    switch (sizeType) {
    case ExtraLarge:
        query = "/images?imgsz=xlarge&ie=UTF-8&oe=UTF-8&q=";
        break;
    case AnySize:
        query = "/images?imgsz=&ie=UTF-8&oe=UTF-8&q=";
        break;
    default:
        return QString();
    }
    return serviceBase(base.toString()).toString(QUrl::FullyEncoded) + QLatin1String(query) + urlEncode(text);
}

QUrl CCGoogleSearchAnswer::requestURL(const QUrl &base, const QString &text, int sizeType)
{
    const QString address = requestAddress(base, text, sizeType);
    return address.isEmpty() ? QUrl() : QUrl::fromEncoded(address.toLatin1(), QUrl::StrictMode);
}

std::vector<CCGoogleSearchAnswer::Record> CCGoogleSearchAnswer::parse(const QByteArray &page, const QUrl &base,
                                                                      int maxItems)
{
    std::vector<Record> records;
    if (page.size() > kMaxPageBytes || !isWebAddress(base) || maxItems <= 0)
        return records;
    const QString text = QString::fromLatin1(page);
    // The base is a whole request address: a text with blanks or non-ASCII is in its query.
    const QString host = serviceBase(base.toString(QUrl::FullyEncoded)).toString(QUrl::FullyEncoded);
    Scanner scanner(text);
    const auto isAmpersand = [](QChar c) { return c == u'&'; };
    const auto isBlank = [](QChar c) { return c.isSpace(); };
    while (!scanner.atEnd() && int(records.size()) < maxItems) {
        QString picture, site, thumbnail;
        if (!scanner.skipPast(kPictureMarker) || !scanner.readValue(isAmpersand, &picture))
            continue;
        if (!scanner.skipPast(kPageMarker) || !scanner.readValue(isAmpersand, &site))
            continue;
        if (!scanner.skipPast(kThumbnailMarker) || !scanner.readValue(isBlank, &thumbnail))
            continue;
        picture.replace(QLatin1String("%2520"), QLatin1String("%20"));
        // The thumbnail path is put after the service's host; one that does not start with a
        // single slash could name another host ("//elsewhere", "@elsewhere").
        if (!thumbnail.startsWith(u'/') || thumbnail.startsWith(QLatin1String("//")))
            continue;
        Record record;
        record.thumbnail = addressOf(host + thumbnail);
        record.image = addressOf(picture);
        if (!isWebAddress(record.thumbnail) || !isWebAddress(record.image))
            continue;
        const QUrl siteAddress = addressOf(site);
        if (isWebAddress(siteAddress))
            record.webSite = siteAddress.toString(QUrl::FullyEncoded);
        records.push_back(std::move(record));
    }
    return records;
}
