#pragma once

#include "platform/PWPlist.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// Bytes to PWPlist and back through libplist 2.2. What libplist leaves unchecked is checked here
// first (binary object graphs, XML nesting, input size), and what it gets wrong is done here:
// dates keep their exact seconds and use the proleptic Gregorian calendar in XML, and a
// dictionary holding only "CF$UID" in XML reads as a UID, as the XML form writes UIDs.
class PWPlistCodec
{
public:
    static constexpr qint64 kMaxInputSize = qint64(256) * 1024 * 1024;
    // Whatever depth a caller asks for, trees deeper than this are refused: building, freeing
    // and converting them recurses, and the stack of a worker thread is not unbounded.
    static constexpr int kDepthCeiling = 2048;

    // The XML form in the plain shape our writer produces is read directly (PWPlistXmlReader);
    // everything else goes through libplist and the checks around it.
    static std::optional<PWPlist> decode(const QByteArray &bytes, QString *error, int maxDepth);
    // The general path alone, whatever the shape of the text.
    static std::optional<PWPlist> decodeThroughLibplist(const QByteArray &bytes, QString *error, int maxDepth);
    // The text of a <date> element: "YYYY-MM-DDTHH:MM:SSZ", optionally with a fraction of a
    // second, in the proleptic Gregorian calendar; nothing when it is no such date.
    static std::optional<QDateTime> dateFromXmlText(const QByteArray &text);
    static QByteArray encodeXml(const PWPlist &value);
    static QByteArray encodeBinary(const PWPlist &value);
    // What encodeXml writes, but with each data value it writes apart (those of many bytes) left
    // as the element kDataStandIn, and their sizes in dataSizes in the order of the text: the
    // text of each such value's element is told by dataElementTextSize, without writing it.
    // Where the stand-ins could not be told apart, the whole form, and dataSizes empty.
    static QByteArray encodeXmlStandingIn(const PWPlist &value, QList<qsizetype> *dataSizes);
    static constexpr char kDataStandIn[] = "<string>\x01</string>";
    // The characters between "<data>" and "</data>" of a data value of that many bytes whose
    // element is indented by depth tabs, as encodeXml writes it.
    static qsizetype dataElementTextSize(qsizetype bytes, qsizetype depth);
};
