#include "kernel/printing/CATemplateFormat.h"

#include "kernel/base/FTGeometry.h"
#include "platform/PWBundle.h"

#include <QPageSize>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// Single-precision factors of the template units, as templates have always been converted.
constexpr float kPointsPerInch = 72.0f;
constexpr float kMillimetresPerPoint = 0.35277778f;
constexpr float kInchesPerPoint = 0.013888889f;

const QString kLabelRoll = QStringLiteral("Label Roll");

} // namespace

bool CATemplateFormat::isLabelRoll() const
{
    return _DocumentType == dtLabel && _PageSize == kLabelRoll;
}

std::optional<QSizeF> CATemplateFormat::sheetPaperForName(const QString &name)
{
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return std::nullopt;
    const auto is = [&wanted](const QString &other) { return wanted.compare(other, Qt::CaseInsensitive) == 0; };
    // Labels have always been laid out on this A4, a little smaller than the standard's.
    if (is(QStringLiteral("A4")) || is(PWLocalizedString(QStringLiteral("A4"))))
        return QSizeF(594.72, 841.68);
    if (is(QStringLiteral("Letter")) || is(PWLocalizedString(QStringLiteral("Letter"))))
        return QSizeF(612.0, 792.0);
    for (int id = 0; id <= int(QPageSize::LastPageSize); ++id) {
        const auto paper = QPageSize::PageSizeId(id);
        if (paper != QPageSize::Custom && (is(QPageSize::key(paper)) || is(QPageSize::name(paper))))
            return QPageSize::size(paper, QPageSize::Point);
    }
    return std::nullopt;
}

float CATemplateFormat::ItemWidth() const
{
    return isLabelRoll() ? std::max(_ItemWidth, _ItemHeight) : _ItemWidth;
}

float CATemplateFormat::ItemHeight() const
{
    return isLabelRoll() ? std::min(_ItemWidth, _ItemHeight) : _ItemHeight;
}

float CATemplateFormat::PrintableWidth() const
{
    return std::max(_PrintableWidth, _PrintableHeight);
}

float CATemplateFormat::PrintableHeight() const
{
    return std::min(_PrintableWidth, _PrintableHeight);
}

std::optional<QString> CATemplateFormat::sizeGroup() const
{
    if (_sizeGroup)
        return _sizeGroup;
    std::optional<QString> name = getSizeGroupNameForSize(std::max(_ItemWidth, _ItemHeight),
                                                          std::min(_ItemWidth, _ItemHeight),
                                                          _DocumentType);
    if (name)
        _sizeGroup = name;
    return name;
}

std::optional<QString> CATemplateFormat::getSizeGroupNameForSize(float width, float height, int type)
{
    const int group = getSizeGroupType(width, height, static_cast<documentType>(type));
    QString word;
    int index = 0;
    if (group <= 10) {
        word = QStringLiteral("Return");
        index = group;
    } else if (group <= 20) {
        word = QStringLiteral("Mailing");
        index = group - 10;
    } else if (group <= 50) {
        word = QStringLiteral("Shipping");
        index = group - 20;
    } else if (group <= 80) {
        word = QStringLiteral("Envelope");
        index = group - 50;
    } else if (group == 81) {
        word = QStringLiteral("Postcard");
        index = 1;
    }
    if (word.isEmpty() || index == 0)
        return std::nullopt;
    return word + QString::number(index);
}

QString CATemplateFormat::sizeString() const
{
    if (_units == cuMillimeters)
        return QString::asprintf("%.1fx%.1f mm", _ItemWidth / 72.0 * 25.4, _ItemHeight / 72.0 * 25.4);
    return QString::asprintf("%.3fx%.3f in", _ItemWidth / 72.0, _ItemHeight / 72.0);
}

PWBezierPath CATemplateFormat::documentSurfacePathForRect(const QRectF &rect) const
{
    // With no diameters the horizontal flag makes no difference to the outline.
    if (!_predef)
        return documentSurfacePathForRectCornerRadiusOuterDiameterInnerDiameterHorizontal(rect, 0.0, 0.0,
                                                                                          0.0, true);
    return documentSurfacePathForRectCornerRadiusOuterDiameterInnerDiameterHorizontal(
        rect, _CornerRadius, 0.0, 0.0, rect.width() > rect.height());
}

PWBezierPath CATemplateFormat::documentSurfacePathForRectCornerRadiusOuterDiameterInnerDiameterHorizontal(
    const QRectF &rect, double cornerRadius, double outerDiameter, double innerDiameter, bool horizontal)
{
    QPainterPath path;
    const double left = rect.left();
    const double top = rect.top();
    const double right = rect.right();
    const double bottom = rect.bottom();
    if (cornerRadius > 0.0) {
        const double r = cornerRadius;
        const double d = 2.0 * r;
        // From the left edge one radius above the bottom, round by the top-left, top-right,
        // bottom-right and bottom-left corners (Qt's angles count counter-clockwise on screen).
        path.moveTo(left, bottom - r);
        path.lineTo(left, top + r);
        path.arcTo(QRectF(left, top, d, d), 180.0, -90.0);
        path.lineTo(right - r, top);
        path.arcTo(QRectF(right - d, top, d, d), 90.0, -90.0);
        path.lineTo(right, bottom - r);
        path.arcTo(QRectF(right - d, bottom - d, d, d), 0.0, -90.0);
        path.lineTo(left + r, bottom);
        path.arcTo(QRectF(left, bottom - d, d, d), 270.0, -90.0);
        path.closeSubpath();
    } else if (outerDiameter / 2.0 > 0.0) {
        const double shorter = std::min(rect.width(), rect.height());
        const double radius = std::max(outerDiameter / 2.0, shorter / 2.0);
        const QPointF centre = rect.center();
        const QRectF circle(centre.x() - radius, centre.y() - radius, 2.0 * radius, 2.0 * radius);
        const double a = radius > 0.0 ? qRadiansToDegrees(std::asin((shorter / 2.0) / radius)) : 90.0;
        // Two arcs about the axis the flat sides do not cut, joined by the straight cuts.
        const double first = horizontal ? 0.0 : 90.0;
        path.arcMoveTo(circle, first - a);
        path.arcTo(circle, first - a, 2.0 * a);
        path.arcTo(circle, first + 180.0 - a, 2.0 * a);
        path.closeSubpath();
    } else {
        path.addRect(rect);
    }
    if (innerDiameter / 2.0 > 0.0) {
        const double r = innerDiameter / 2.0;
        path.addEllipse(rect.center(), r, r);
        // The hole must stay empty whatever the outline's own direction.
        return PWBezierPath(path, PWBezierPath::WindingRule::EvenOdd);
    }
    return PWBezierPath(path);
}

PWPlist::Dictionary CATemplateFormat::toDictionary() const
{
    const float factor = _units == cuMillimeters ? kMillimetresPerPoint : kInchesPerPoint;
    const auto length = [factor](float points) { return PWPlist::fromReal(points * factor); };
    PWPlist::Dictionary entry;
    entry.insert(QStringLiteral("ID"), PWPlist::fromString(_ID));
    entry.insert(QStringLiteral("Description"), PWPlist::fromString(_Description));
    entry.insert(QStringLiteral("Category"), PWPlist::fromString(_Category));
    entry.insert(QStringLiteral("Type"), PWPlist::fromString(_Type));
    entry.insert(QStringLiteral("PageSize"), PWPlist::fromString(_PageSize));
    entry.insert(QStringLiteral("Units"), PWPlist::fromString(_units == cuMillimeters
                                                                  ? QStringLiteral("Millimeters")
                                                                  : QStringLiteral("Inches")));
    entry.insert(QStringLiteral("IsHorizontal"), PWPlist::fromBool(_bHorizontal));
    entry.insert(QStringLiteral("ItemWidth"), length(ItemWidth()));
    entry.insert(QStringLiteral("ItemHeight"), length(ItemHeight()));
    const auto optional = [&](const char *key, float points) {
        if (points != 0.0f)
            entry.insert(QLatin1String(key), length(points));
    };
    optional("CornerRadius", _CornerRadius);
    entry.insert(QStringLiteral("PrintableWidth"), length(PrintableWidth()));
    entry.insert(QStringLiteral("PrintableHeight"), length(PrintableHeight()));
    entry.insert(QStringLiteral("Columns"), PWPlist::fromInteger(_Columns));
    entry.insert(QStringLiteral("Rows"), PWPlist::fromInteger(_Rows));
    optional("TopMargin", _TopMargin);
    optional("LeftMargin", _LeftMargin);
    optional("HSpace", _HSpace);
    optional("VSpace", _VSpace);
    if (_hasWindow)
        entry.insert(QStringLiteral("HasWindow"), PWPlist::fromString(QStringLiteral("YES")));
    optional("WinWidth", _winWidth);
    optional("WinHeight", _winHeight);
    optional("WinBottomOffset", _winBottomOffset);
    optional("WinLeftOffset", _winLeftOffset);
    optional("DYMOPaperWidth", _DYMOPaperWidth);
    optional("DYMOPaperHeight", _DYMOPaperHeight);
    optional("DYMOOffsetX", _DYMOOffsetX);
    optional("DYMOOffsetY", _DYMOOffsetY);
    return entry;
}

namespace {

// A stored number; numbers kept as text (an older or hand-edited store) read in the C locale.
std::optional<double> storedNumber(const PWPlist &value)
{
    if (value.isNumber())
        return value.toReal();
    if (value.isBool())
        return value.toBool() ? 1.0 : 0.0;
    if (value.isString()) {
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok);
        if (ok)
            return number;
    }
    return std::nullopt;
}

} // namespace

CATemplateFormat CATemplateFormat::fromDictionary(const PWPlist::Dictionary &entry, bool customForm)
{
    CATemplateFormat format;
    const auto text = [&](const char *key, void (CATemplateFormat::*setter)(const QString &)) {
        const PWPlist value = entry.value(QLatin1String(key));
        if (value.isString())
            (format.*setter)(value.toString());
    };
    text("ID", &CATemplateFormat::setID);
    text("Description", &CATemplateFormat::setDescription);
    text("Category", &CATemplateFormat::setCategory);
    text("Type", &CATemplateFormat::setType);
    text("PageSize", &CATemplateFormat::setPageSize);

    float factor = kPointsPerInch;
    const PWPlist units = entry.value(QStringLiteral("Units"));
    if (units.isString()) {
        if (units.toString() == QLatin1String("Millimeters")) {
            format._units = cuMillimeters;
            factor = 72.0f / 25.4f;
        } else {
            format._units = cuInches;
        }
    }
    const PWPlist horizontal = entry.value(QStringLiteral("IsHorizontal"));
    if (const std::optional<double> flag = storedNumber(horizontal))
        format._bHorizontal = *flag != 0.0;
    else if (horizontal.isString())
        format._bHorizontal = horizontal.toString().compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0
                              || horizontal.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;

    const auto length = [&](const char *key, float &field) {
        if (const std::optional<double> value = storedNumber(entry.value(QLatin1String(key))))
            field = static_cast<float>(*value) * factor;
    };
    length("ItemWidth", format._ItemWidth);
    length("ItemHeight", format._ItemHeight);
    length("CornerRadius", format._CornerRadius);
    if (customForm) {
        // Custom templates print on the whole item, whatever was stored.
        format._PrintableWidth = format.ItemWidth();
        format._PrintableHeight = format.ItemHeight();
    } else {
        length("PrintableWidth", format._PrintableWidth);
        length("PrintableHeight", format._PrintableHeight);
    }
    const auto integer = [&](const char *key, int &field) {
        if (const std::optional<double> value = storedNumber(entry.value(QLatin1String(key))))
            field = static_cast<int>(*value);
    };
    integer("Columns", format._Columns);
    integer("Rows", format._Rows);
    length("TopMargin", format._TopMargin);
    length("LeftMargin", format._LeftMargin);
    length("HSpace", format._HSpace);
    length("VSpace", format._VSpace);
    const PWPlist window = entry.value(QStringLiteral("HasWindow"));
    if (!window.isNull())
        format._hasWindow = window.isString() && window.toString() == QLatin1String("YES");
    length("WinWidth", format._winWidth);
    length("WinHeight", format._winHeight);
    length("WinBottomOffset", format._winBottomOffset);
    length("WinLeftOffset", format._winLeftOffset);
    length("DYMOPaperWidth", format._DYMOPaperWidth);
    length("DYMOPaperHeight", format._DYMOPaperHeight);
    length("DYMOOffsetX", format._DYMOOffsetX);
    length("DYMOOffsetY", format._DYMOOffsetY);
    return format;
}

bool CATemplateFormat::matchesLayout(const CATemplateFormat &entry, const CATemplateFormat &format)
{
    // Lengths reach here after the documents' "%.3f" texts and the defaults' unit conversion,
    // so equal templates may differ in the last digits: a hundredth of a point is the tolerance.
    const auto near = [](float a, float b) { return std::fabs(double(a) - double(b)) <= 0.01 + 1e-9; };
    return entry._ID == format._ID && entry._Description == format._Description
           && entry._Category == format._Category && entry._PageSize == format._PageSize
           && near(entry.ItemWidth(), format.ItemWidth()) && near(entry.ItemHeight(), format.ItemHeight())
           && entry._Columns == format._Columns && entry._Rows == format._Rows
           && near(entry._TopMargin, format._TopMargin) && near(entry._LeftMargin, format._LeftMargin)
           && near(entry._HSpace, format._HSpace) && near(entry._VSpace, format._VSpace);
}
