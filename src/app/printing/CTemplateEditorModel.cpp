#include "app/printing/CTemplateEditorModel.h"

#include "kernel/base/CDDNumberRange.h"

#include <QLocale>

#include <cmath>

double CTemplateEditorModel::factorForUnits(cardUnits units)
{
    return units == cuMillimeters ? 2.8346457 : 72.0;
}

QString CTemplateEditorModel::formatLength(double displayValue, cardUnits units)
{
    QString text = QString::number(displayValue, 'f', units == cuMillimeters ? 3 : 4);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

std::optional<double> CTemplateEditorModel::parseNumber(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void CTemplateEditorModel::setFormat(const CATemplateFormat &format, bool isNew)
{
    m_format = format;
    m_contextInfo = isNew;
    m_refusedTag = -1;
    m_dirty.clear();
    beginEdit();
    updateControls();
}

double CTemplateEditorModel::longestLength() const
{
    return CDDRanges::kLength.highest / factor();
}

std::optional<std::pair<double, double>> CTemplateEditorModel::range(int tag) const
{
    if (tag == NameTag || tag == DescriptionTag)
        return std::nullopt;
    // Lengths are never negative; the subclasses narrow this.
    return std::make_pair(0.0, longestLength());
}

std::optional<std::pair<QString, QString>> CTemplateEditorModel::shownRange(int tag) const
{
    const auto bounds = range(tag);
    if (!bounds)
        return std::nullopt;
    const double scale = units() == cuMillimeters ? 1e3 : 1e4;
    // Rounded to the nearest as a field shows it, unless that falls outside the range.
    const auto shown = [scale](double end, bool top) {
        double value = std::round(end * scale) / scale;
        if (top ? value > end : value < end)
            value = (top ? std::floor(end * scale) : std::ceil(end * scale)) / scale;
        return value;
    };
    return std::make_pair(formatLength(shown(bounds->first, false), units()),
                          formatLength(shown(bounds->second, true), units()));
}

bool CTemplateEditorModel::isAcceptableText(int tag, const QString &text) const
{
    const auto bounds = range(tag);
    if (!bounds)
        return true;
    const std::optional<double> value = parseNumber(text);
    return value && *value >= bounds->first && *value <= bounds->second;
}

bool CTemplateEditorModel::isAcceptable(int tag) const
{
    // A disabled field holds no value of the user's; it is written as it was shown.
    if (!isEnabled(tag) && !m_dirty.value(tag))
        return true;
    return isAcceptableText(tag, text(tag));
}

void CTemplateEditorModel::setText(int tag, const QString &text)
{
    Field &field = m_fields[tag];
    if (field.text == text)
        return;
    field.text = text;
    field.shownPoints.reset();
    m_dirty[tag] = true;
}

bool CTemplateEditorModel::commit(int tag)
{
    if (!isAcceptable(tag)) {
        m_refusedTag = tag;
        return false;
    }
    m_dirty.remove(tag);
    if (m_refusedTag == tag)
        m_refusedTag = -1;
    apply(tag);
    return true;
}

bool CTemplateEditorModel::commitAll()
{
    for (int tag : tags()) {
        if (!m_dirty.value(tag))
            continue;
        if (!commit(tag))
            return false;
    }
    m_refusedTag = -1;
    return true;
}

bool CTemplateEditorModel::changeUnits(int item)
{
    if (!commitAll())
        return false;
    m_format.setUnits(item == 0 ? cuMillimeters : cuInches);
    updateControls();
    return true;
}

bool CTemplateEditorModel::save()
{
    if (!commitAll())
        return false;
    for (int tag : tags()) {
        if (!isAcceptable(tag)) {
            m_refusedTag = tag;
            return false;
        }
    }
    writeAll();
    m_format.setManufacturer(QStringLiteral("Custom"));
    return true;
}

void CTemplateEditorModel::showText(int tag, const QString &text)
{
    Field &field = m_fields[tag];
    field.text = text;
    field.shownPoints.reset();
    m_dirty.remove(tag);
}

void CTemplateEditorModel::showLength(int tag, double points)
{
    Field &field = m_fields[tag];
    field.text = formatLength(points / factor(), units());
    field.shownPoints = points;
    m_dirty.remove(tag);
}

double CTemplateEditorModel::lengthValue(int tag) const
{
    const Field field = m_fields.value(tag);
    if (field.shownPoints)
        return *field.shownPoints;
    return parseNumber(field.text).value_or(0.0) * factor();
}

double CTemplateEditorModel::displayValue(int tag) const
{
    const Field field = m_fields.value(tag);
    if (field.shownPoints)
        return *field.shownPoints / factor();
    return parseNumber(field.text).value_or(0.0);
}
