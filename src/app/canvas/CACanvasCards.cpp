#include "app/canvas/CACanvasCards.h"

#include "platform/PWFileReader.h"
#include "platform/PWPerson.h"
#include "platform/PWVCardKept.h"
#include "platform/PWVCardParser.h"
#include "platform/PWVCardReader.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringList>

#include <algorithm>

Q_DECLARE_LOGGING_CATEGORY(lcCanvas)

using namespace Qt::StringLiterals;

namespace {

// A reason stands in one line of the window: a damaged file's own words could run on.
constexpr qsizetype kLongestReason = 200;

QString cards(int count)
{
    return count == 1 ? QStringLiteral("1 card") : QStringLiteral("%1 cards").arg(count);
}

// What the reader says of the cards it left out comes before what it says of single lines.
QString cardReason(const QStringList &problems, const QString &error)
{
    const auto aboutACard = std::find_if(problems.cbegin(), problems.cend(), [](const QString &problem) {
        return problem.startsWith(QLatin1String("The card"));
    });
    if (aboutACard != problems.cend())
        return *aboutACard;
    return problems.isEmpty() ? error : problems.constFirst();
}

} // namespace

void CACanvasCards::refuse(int count, const QString &from, const QString &reason)
{
    m_refused += count;
    if (!m_reason.isEmpty() || reason.isEmpty())
        return;
    QString said = reason.simplified();
    // It follows a colon: a sentence of its own starts small there, a name or acronym stays.
    if (said.size() > 1 && said.at(0).isUpper() && said.at(1).isLower())
        said[0] = said.at(0).toLower();
    if (!said.endsWith(u'.'))
        said.append(u'.');
    if (said.size() > kLongestReason)
        said = said.left(kLongestReason - 1) + QChar(0x2026);
    m_reason = from.isEmpty() ? said : QStringLiteral("\u201c%1\u201d: %2").arg(from, said);
}

std::shared_ptr<PWPerson> CACanvasCards::read(const QByteArray &bytes, const QString &from)
{
    if (bytes.trimmed().isEmpty()) {
        qCWarning(lcCanvas) << "Contact refused: the vCard is empty";
        refuse(1, from, QStringLiteral("the vCard is empty"));
        return nullptr;
    }
    if (bytes.size() > PWFileReader::kVCardLimit) {
        qCWarning(lcCanvas) << "Contact refused:" << bytes.size() << "bytes is more than a vCard holds";
        refuse(1, from, QStringLiteral("%1 bytes is more than a vCard holds").arg(bytes.size()));
        return nullptr;
    }
    // The card goes with the person, and its UID: the design stores the card as it came.
    const PWVCardReader::Options options(true);
    std::shared_ptr<PWPerson> first;
    int complete = 0;
    int persons = 0;
    const auto take = [&](PWVCard &card, PWVCardSource &source) {
        ++complete;
        if (PWVCardReader::isGroupCard(card))
            return;
        ++persons;
        if (!first)
            first = PWVCardKept::person(card, source, options);
    };
    QString error;
    int begun = 0;
    QStringList problems;
    const bool parsed = PWVCardParser::parseEachWithSource(bytes, take, &error, &begun, &problems);
    // Each line that opens a card is a card the user meant, read or not.
    const int lost = std::max(begun - complete, parsed ? 0 : 1);
    if (lost > 0)
        refuse(lost, from, cardReason(problems, error));
    if (!parsed) {
        qCWarning(lcCanvas).noquote() << "Contact refused: no person in the vCard" << error;
        return nullptr;
    }
    m_read += persons;
    if (!first)
        qCWarning(lcCanvas) << "Contact refused: no person card in the vCard";
    return first;
}

std::shared_ptr<PWPerson> CACanvasCards::readFile(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const PWFileReader::Result file = PWFileReader::read(path, PWFileReader::kVCardLimit);
    if (!file.ok()) {
        qCWarning(lcCanvas).noquote() << "Contact refused:" << path << file.reason;
        refuse(1, name, file.reason);
        return nullptr;
    }
    return read(file.bytes, name);
}

QString CACanvasCards::line() const
{
    QStringList said;
    if (const int others = unused(); others > 0)
        said.append(m_used ? QStringLiteral("One card was used, %1 %2 not: a design shows one person at a time.")
                                 .arg(others == 1 ? u"1 other"_s : u"%1 others"_s.arg(others),
                                      others == 1 ? u"was"_s : u"were"_s)
                           : QStringLiteral("%1 %2 not used.").arg(cards(others), others == 1 ? u"was"_s : u"were"_s));
    if (m_refused > 0) {
        const QString refused = m_refused == 1 && m_read == 0 ? QStringLiteral("The card was refused")
                                                              : QStringLiteral("%1 refused").arg(cards(m_refused));
        said.append(m_reason.isEmpty() ? refused + u'.' : refused + QStringLiteral(": ") + m_reason);
    }
    return said.join(u' ');
}
