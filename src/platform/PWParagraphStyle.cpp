#include "platform/PWParagraphStyle.h"

#include "platform/PWTextAttributes.h"

#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QTextOption::Tab toQtTab(const PWParagraphStyle::Tab &tab)
{
    switch (tab.type) {
    case PWParagraphStyle::TabType::Right:
        return QTextOption::Tab(tab.location, QTextOption::RightTab);
    case PWParagraphStyle::TabType::Center:
        return QTextOption::Tab(tab.location, QTextOption::CenterTab);
    case PWParagraphStyle::TabType::Decimal:
        return QTextOption::Tab(tab.location, QTextOption::DelimiterTab, QLatin1Char('.'));
    case PWParagraphStyle::TabType::Left:
        break;
    }
    return QTextOption::Tab(tab.location, QTextOption::LeftTab);
}

PWParagraphStyle::Tab fromQtTab(const QTextOption::Tab &tab)
{
    PWParagraphStyle::Tab result;
    result.location = tab.position;
    switch (tab.type) {
    case QTextOption::RightTab:
        result.type = PWParagraphStyle::TabType::Right;
        break;
    case QTextOption::CenterTab:
        result.type = PWParagraphStyle::TabType::Center;
        break;
    case QTextOption::DelimiterTab:
        result.type = PWParagraphStyle::TabType::Decimal;
        break;
    case QTextOption::LeftTab:
        break;
    }
    return result;
}

void setIfNonZero(QTextBlockFormat &format, int property, double value)
{
    if (value != 0.0)
        format.setProperty(property, value);
}

} // namespace

QTextBlockFormat PWParagraphStyle::toBlockFormat() const
{
    QTextBlockFormat format;
    if (alignment != PWTextAlignment::Natural) {
        format.setAlignment(toQtAlignment(alignment));
        format.setProperty(PWTextAttributes::NativeAlignment, static_cast<int>(alignment));
    }
    if (!tabStops.isEmpty()) {
        QList<QTextOption::Tab> tabs;
        for (const Tab &tab : tabStops)
            tabs.append(toQtTab(tab));
        format.setTabPositions(tabs);
    }
    if (headIndent != 0.0)
        format.setLeftMargin(headIndent);
    if (firstLineHeadIndent != 0.0) {
        format.setProperty(PWTextAttributes::FirstLineHeadIndent, firstLineHeadIndent);
    }
    if (firstLineHeadIndent != headIndent)
        format.setTextIndent(firstLineHeadIndent - headIndent);
    if (tailIndent < 0.0)
        format.setRightMargin(-tailIndent);
    if (paragraphSpacingBefore != 0.0)
        format.setTopMargin(paragraphSpacingBefore);
    if (paragraphSpacing != 0.0)
        format.setBottomMargin(paragraphSpacing);
    setIfNonZero(format, PWTextAttributes::LineSpacing, lineSpacing);
    setIfNonZero(format, PWTextAttributes::LineHeightMultiple, lineHeightMultiple);
    setIfNonZero(format, PWTextAttributes::MinimumLineHeight, minimumLineHeight);
    setIfNonZero(format, PWTextAttributes::MaximumLineHeight, maximumLineHeight);
    if (lineBreakMode != 0)
        format.setProperty(PWTextAttributes::LineBreakMode, lineBreakMode);
    return format;
}

QTextBlockFormat PWParagraphStyle::withLengthScale(const QTextBlockFormat &format, double scale, double deviceShare)
{
    const auto factorOf = [&format](int property) {
        const double value = format.doubleProperty(property);
        // A factor that is no positive finite number is none.
        return value > 0.0 && std::isfinite(value) ? value : 1.0;
    };
    const auto valid = [](double value) { return value > 0.0 && std::isfinite(value) ? value : 1.0; };
    scale = valid(scale);
    deviceShare = valid(deviceShare);
    const double presentScale = factorOf(LengthScale);
    const double presentShare = factorOf(LengthDeviceShare);

    // Points first. The side margins and the indent scale by powers of two, which gives them
    // back exactly; what Qt multiplies by its device's share is taken as kept, unless the block
    // was changed since (the line height follows the line spacing kept beside it anyway).
    QTextBlockFormat result = format;
    const double toPoints = 1.0 / presentScale;
    const auto rescale = [&result](int property, double factor) {
        if (result.hasProperty(property))
            result.setProperty(property, result.doubleProperty(property) * factor);
    };
    const auto rescaleLineHeight = [&result](double factor) {
        if (!result.hasProperty(QTextFormat::LineHeight))
            return;
        const int type = result.lineHeightType();
        if (type == QTextBlockFormat::FixedHeight || type == QTextBlockFormat::MinimumHeight
            || type == QTextBlockFormat::LineDistanceHeight)
            result.setLineHeight(result.lineHeight() * factor, type);
    };
    const auto sameLength = [](double a, double b) { return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(b)); };
    const double spacingToPoints = presentShare / presentScale;
    const auto spacingInPoints = [&](int qtProperty, int keptProperty) {
        if (!result.hasProperty(qtProperty))
            return;
        const double points = result.doubleProperty(qtProperty) * spacingToPoints;
        const double kept = result.doubleProperty(keptProperty);
        result.setProperty(qtProperty, result.hasProperty(keptProperty) && sameLength(points, kept) ? kept : points);
    };
    if (presentScale != 1.0 || presentShare != 1.0) {
        rescale(QTextFormat::BlockLeftMargin, toPoints);
        rescale(QTextFormat::BlockRightMargin, toPoints);
        rescale(QTextFormat::TextIndent, toPoints);
        rescaleLineHeight(spacingToPoints);
        spacingInPoints(QTextFormat::BlockTopMargin, PointSpacingBefore);
        spacingInPoints(QTextFormat::BlockBottomMargin, PointSpacingAfter);
        if (result.hasProperty(QTextFormat::TabPositions)) {
            QList<QTextOption::Tab> tabs = result.tabPositions();
            for (QTextOption::Tab &tab : tabs)
                tab.position *= spacingToPoints;
            const QVariant keptValue = result.property(PointTabStops);
            if (keptValue.canConvert<QList<QTextOption::Tab>>()) {
                const QList<QTextOption::Tab> kept = keptValue.value<QList<QTextOption::Tab>>();
                bool same = kept.size() == tabs.size();
                for (qsizetype i = 0; same && i < tabs.size(); ++i)
                    same = kept[i].type == tabs[i].type && kept[i].delimiter == tabs[i].delimiter
                           && sameLength(tabs[i].position, kept[i].position);
                if (same)
                    tabs = kept;
            }
            result.setTabPositions(tabs);
        }
    }
    for (const int property : {LengthScale, LengthDeviceShare, PointSpacingBefore, PointSpacingAfter, PointTabStops})
        result.clearProperty(property);
    if (scale == 1.0 && deviceShare == 1.0)
        return result;

    // Then the layout's units.
    result.setProperty(LengthScale, scale);
    result.setProperty(LengthDeviceShare, deviceShare);
    rescale(QTextFormat::BlockLeftMargin, scale);
    rescale(QTextFormat::BlockRightMargin, scale);
    rescale(QTextFormat::TextIndent, scale);
    const double spacingToUnits = scale / deviceShare;
    rescaleLineHeight(spacingToUnits);
    for (const auto &[qtProperty, keptProperty] :
         {std::pair{int(QTextFormat::BlockTopMargin), int(PointSpacingBefore)},
          std::pair{int(QTextFormat::BlockBottomMargin), int(PointSpacingAfter)}}) {
        if (!result.hasProperty(qtProperty))
            continue;
        const double points = result.doubleProperty(qtProperty);
        result.setProperty(keptProperty, points);
        result.setProperty(qtProperty, points * spacingToUnits);
    }
    if (result.hasProperty(QTextFormat::TabPositions)) {
        QList<QTextOption::Tab> tabs = result.tabPositions();
        result.setProperty(PointTabStops, QVariant::fromValue(tabs));
        for (QTextOption::Tab &tab : tabs)
            tab.position *= spacingToUnits;
        result.setTabPositions(tabs);
    }
    return result;
}

PWParagraphStyle PWParagraphStyle::fromBlockFormat(const QTextBlockFormat &units)
{
    const QTextBlockFormat format = withLengthScale(units, 1.0);
    PWParagraphStyle style;
    if (format.hasProperty(QTextFormat::BlockAlignment)) {
        const Qt::Alignment qtAlignment = format.alignment();
        style.alignment = fromQtAlignment(qtAlignment);
        // The stored alignment wins while it still says what Qt's does (natural and left share
        // Qt's leading edge); an edited alignment wins over a stale stored one.
        if (format.hasProperty(PWTextAttributes::NativeAlignment)) {
            const int stored = format.intProperty(PWTextAttributes::NativeAlignment);
            if (stored >= 0 && stored <= 4
                && fromQtAlignment(toQtAlignment(PWTextAlignment(stored))) == style.alignment)
                style.alignment = PWTextAlignment(stored);
        }
    }
    for (const QTextOption::Tab &tab : format.tabPositions())
        style.tabStops.append(fromQtTab(tab));
    style.headIndent = format.leftMargin();
    style.firstLineHeadIndent = style.headIndent + format.textIndent();
    if (format.hasProperty(PWTextAttributes::FirstLineHeadIndent)) {
        const double stored = format.doubleProperty(PWTextAttributes::FirstLineHeadIndent);
        if (qFuzzyCompare(1.0 + stored, 1.0 + style.firstLineHeadIndent))
            style.firstLineHeadIndent = stored;
    }
    style.tailIndent = -format.rightMargin();
    style.paragraphSpacingBefore = format.topMargin();
    style.paragraphSpacing = format.bottomMargin();
    style.lineSpacing = format.doubleProperty(PWTextAttributes::LineSpacing);
    style.lineHeightMultiple = format.doubleProperty(PWTextAttributes::LineHeightMultiple);
    style.minimumLineHeight = format.doubleProperty(PWTextAttributes::MinimumLineHeight);
    style.maximumLineHeight = format.doubleProperty(PWTextAttributes::MaximumLineHeight);
    style.lineBreakMode = format.intProperty(PWTextAttributes::LineBreakMode);
    return style;
}
