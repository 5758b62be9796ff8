#include "app/printsheet/CAPrintJobTexts.h"

#include "platform/PWBundle.h"

using namespace Qt::StringLiterals;

QString CAPrintJobTexts::layoutDescription(const QString &manufacturer, const QString &id)
{
    const QString maker = manufacturer.trimmed();
    const QString number = id.trimmed();
    if (number.isEmpty())
        return maker;
    const QString identified = PWLocalizedString(u"ID: %1"_s).arg(number);
    return maker.isEmpty() ? identified : u"%1 (%2)"_s.arg(maker, identified);
}

QString CAPrintJobTexts::itemCount(documentType kind, int count)
{
    const bool one = count == 1;
    QString noun;
    switch (kind) {
    case dtEnvelope:
        noun = one ? u"envelope"_s : u"envelopes"_s;
        break;
    case dtPostcard:
        noun = one ? u"card"_s : u"cards"_s;
        break;
    default:
        noun = one ? u"label"_s : u"labels"_s;
        break;
    }
    return u"%1 %2"_s.arg(count).arg(PWLocalizedString(noun));
}
