#include "kernel/text/CCTextList.h"

#include "platform/PWTextAttributes.h"

#include <atomic>
#include <optional>

const QString CCTextList::kListAttribute = QStringLiteral("FTTextList");
const QString CCTextList::kListTabOption = QStringLiteral("FTTextListTab");
const QString CCTextList::kEndListItemAttribute = QStringLiteral("FTEndTextListItem");
const QString CCTextList::kRemoveLineAttribute = QStringLiteral("FTRemoveLine");

namespace {

// Identities of lists made here lie far above the object numbers of any archive they are read
// from, so that a new list never takes the identity of a loaded one.
qint64 nextIdentity()
{
    static std::atomic<qint64> next {qint64(1) << 40};
    return next++;
}

constexpr int kLetters = 25; // A to Y: Z never marks an item

QChar letter(int index)
{
    return QChar(u'A' + index);
}

} // namespace

CCTextList::CCTextList(int type)
    : m_type(type)
    , m_identity(nextIdentity())
{
}

QString CCTextList::bulletMarkerForLineNumber(int n) const
{
    switch (m_type) {
    case ltNumbered:
        return QStringLiteral("\t%1.\t").arg(n + 1);
    case ltLettered: {
        if (n < 0)
            return QStringLiteral("\t");
        QString letters;
        if (n < kLetters) {
            letters = letter(n);
        } else if (n < kLetters * kLetters) {
            // The first letter counts from A for 1: item 25 is "AA", item 624 "XY".
            letters = QString(letter(n / kLetters - 1)) + letter(n % kLetters);
        } else {
            // Three letters carry on the same count: item 625 is "AAA".
            const int high = n / (kLetters * kLetters);
            const int rest = n % (kLetters * kLetters);
            letters = QString(letter(std::min(high - 1, kLetters - 1))) + letter(rest / kLetters) + letter(rest % kLetters);
        }
        return QStringLiteral("\t%1.\t").arg(letters);
    }
    case ltBullets:
        return QStringLiteral("\t\u2022\t");
    case ltDashes:
        return QStringLiteral("\t-\t");
    default:
        return QString();
    }
}

QVariant CCTextList::toVariant() const
{
    return PWTextAttributes::textListValue(m_type, m_identity);
}

std::optional<CCTextList> CCTextList::fromVariant(const QVariant &value)
{
    if (!PWTextAttributes::isTextListValue(value))
        return std::nullopt;
    const QVariantMap map = value.toMap();
    return CCTextList(map.value(PWTextAttributes::kTextListTypeKey).toInt(),
                      map.value(PWTextAttributes::kTextListIdentityKey).toLongLong());
}
