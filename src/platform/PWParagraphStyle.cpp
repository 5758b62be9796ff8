#include "platform/PWParagraphStyle.h"

#include "platform/PWTextAttributes.h"

#include <QTextOption>

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

PWParagraphStyle PWParagraphStyle::fromBlockFormat(const QTextBlockFormat &format)
{
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
