#include "kernel/printing/CAPrintSettings.h"

#include "kernel/printing/CAPrintingLog.h"

#include <QPageSize>

#include <utility>

namespace {

bool fail(QString *error, const QString &reason)
{
    qCWarning(lcPrinting) << "print settings:" << reason;
    if (error)
        *error = reason;
    return false;
}

// Flags stored as text: the words the settings write, and numbers or booleans from older writers.
std::optional<bool> textFlag(const PWPlist &value, const QString &yes, const QString &no)
{
    if (value.isBool())
        return value.toBool();
    if (value.isNumber())
        return value.toReal() != 0.0;
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString().trimmed();
    if (text.compare(yes, Qt::CaseInsensitive) == 0 || text == QLatin1String("1"))
        return true;
    if (text.compare(no, Qt::CaseInsensitive) == 0 || text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

std::optional<qint64> number(const PWPlist &value)
{
    if (value.isInteger())
        return value.toInteger();
    if (value.isReal())
        return qint64(value.toReal());
    if (value.isString()) {
        bool ok = false;
        const qint64 n = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return n;
    }
    return std::nullopt;
}

} // namespace

PWPlist::Dictionary CAPrintSettings::dictionary() const
{
    return PWPlist::Dictionary{
        {piStartFrom, PWPlist::fromInteger(startFrom)},
        {piCutLines, PWPlist::fromBool(cutLines)},
        {piDotMark, PWPlist::fromBool(dottedMark)},
        {piEnvelopeAlign, PWPlist::fromInteger(envelopeAlignment)},
        {piEnvelopeRotation, PWPlist::fromInteger(envelopeRotation)},
        {piPersonList, PWPlist::fromString(personList ? QStringLiteral("YES") : QStringLiteral("NO"))},
        {piKnownFormat, PWPlist::fromString(knownPaperFormat ? QStringLiteral("1") : QStringLiteral("0"))},
        {piUsePrinterSettings, PWPlist::fromString(usePrinterSettings ? QStringLiteral("1") : QStringLiteral("0"))},
    };
}

std::optional<PWPlist> CAPrintSettings::valueForKey(const QString &key) const
{
    const PWPlist::Dictionary all = dictionary();
    if (!all.contains(key))
        return std::nullopt;
    return all.value(key);
}

bool CAPrintSettings::setValueForKey(const QString &key, const PWPlist &value, QString *error)
{
    const auto bad = [&]() { return fail(error, QStringLiteral("bad value for \"%1\"").arg(key)); };
    if (key == piStartFrom) {
        const std::optional<qint64> n = number(value);
        if (!n || *n < 1 || *n > 100000)
            return bad();
        startFrom = int(*n);
    } else if (key == piCutLines || key == piDotMark) {
        const std::optional<bool> flag = textFlag(value, QStringLiteral("YES"), QStringLiteral("NO"));
        if (!flag)
            return bad();
        (key == piCutLines ? cutLines : dottedMark) = *flag;
    } else if (key == piEnvelopeAlign) {
        const std::optional<qint64> n = number(value);
        if (!n || *n < 0 || *n > 2)
            return bad();
        envelopeAlignment = int(*n);
    } else if (key == piEnvelopeRotation) {
        const std::optional<qint64> n = number(value);
        if (!n || *n < 0 || *n > 359)
            return bad();
        envelopeRotation = int(*n);
    } else if (key == piPersonList) {
        const std::optional<bool> flag = textFlag(value, QStringLiteral("YES"), QStringLiteral("NO"));
        if (!flag)
            return bad();
        personList = *flag;
    } else if (key == piKnownFormat || key == piUsePrinterSettings) {
        const std::optional<bool> flag = textFlag(value, QStringLiteral("YES"), QStringLiteral("NO"));
        if (!flag)
            return bad();
        (key == piKnownFormat ? knownPaperFormat : usePrinterSettings) = *flag;
    } else {
        return fail(error, QStringLiteral("unknown print-info key \"%1\"").arg(key));
    }
    return true;
}

bool CAPrintSettings::setDictionary(const PWPlist::Dictionary &dictionary, QString *error)
{
    // All or nothing: a bad value leaves every field as it was.
    CAPrintSettings changed = *this;
    for (const auto &[key, value] : dictionary) {
        if (!changed.valueForKey(key))
            continue; // keys of other parts of the print info
        if (!changed.setValueForKey(key, value, error))
            return false;
    }
    *this = std::move(changed);
    return true;
}

QSizeF CAPrintSettings::orientedPaperSize() const
{
    if (orientation == QPageLayout::Landscape)
        return QSizeF(paperSize.height(), paperSize.width());
    return paperSize;
}

bool CAPrintSettings::paperHolds(const QSizeF &paper, const QSizeF &item)
{
    constexpr double kSlack = 0.5;
    const auto fits = [&paper](double w, double h) {
        return w <= paper.width() + kSlack && h <= paper.height() + kSlack;
    };
    return fits(item.width(), item.height()) || fits(item.height(), item.width());
}

QPageLayout CAPrintSettings::pageLayout() const
{
    return QPageLayout(QPageSize(paperSize * (25.4 / 72.0), QPageSize::Millimeter, QString(), QPageSize::ExactMatch), orientation,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}
