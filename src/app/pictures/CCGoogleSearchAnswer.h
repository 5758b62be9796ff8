#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <vector>

// The two ends of an internet image search that need no network: the request address for a
// text, and the reading of an answer page into picture records. Everything read from the page
// is untrusted: only absolute http and https addresses come out, thumbnails always come from the
// service's own host, and both the page and the number of records are capped.
class CCGoogleSearchAnswer
{
public:
    static constexpr int kMaxItems = 100;
    static constexpr qint64 kMaxPageBytes = 2 * 1024 * 1024;
    // No real address comes near this; a longer value is a damaged or hostile page.
    static constexpr int kMaxAddressLength = 4096;

    enum SizeType { ExtraLarge = 1, AnySize = 2 };

    struct Record
    {
        QUrl thumbnail;
        QUrl image;
        QString webSite; // empty when the page gave no http or https address
    };

    // The service's base address (scheme, host and port, nothing after the host) of a setting;
    // invalid unless it is an absolute http or https address with a host.
    static QUrl serviceBase(const QString &setting);
    // The request for text, every byte of its UTF-8 form as "%xx"; empty for an invalid base or
    // an unknown size type.
    static QString requestAddress(const QUrl &base, const QString &text, int sizeType = ExtraLarge);
    // The same as an address to send. The network layer writes percent-encoded letters and
    // digits as themselves, which means the same to every server.
    static QUrl requestURL(const QUrl &base, const QString &text, int sizeType = ExtraLarge);

    // The records of an answer page in page order, at most maxItems. A record needs all three
    // markers with their values ended ("&" after the two addresses, a blank after the
    // thumbnail path); a value that runs to the end of the page ends the reading.
    static std::vector<Record> parse(const QByteArray &page, const QUrl &base, int maxItems = kMaxItems);

    // An absolute http or https address with a host.
    static bool isWebAddress(const QUrl &url);
};
