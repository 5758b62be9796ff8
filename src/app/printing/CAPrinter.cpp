#include "app/printing/CAPrinter.h"

#include <QPageLayout>

#include <cmath>

namespace {

// Templates give A4 as 595.28 by 841.89 as well as 594.72 by 841.68: both are the standard sheet.
constexpr double kTolerance = 1.5;

bool near(const QSizeF &a, const QSizeF &b)
{
    return std::abs(a.width() - b.width()) <= kTolerance && std::abs(a.height() - b.height()) <= kTolerance;
}

} // namespace

QPageSize CAPrinter::pageSizeForPaper(const QSizeF &points, bool *landscape)
{
    if (landscape)
        *landscape = false;
    for (const QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::Letter}) {
        const QSizeF standard = QPageSize::definitionSize(id);
        const QSizeF inPoints = QPageSize::definitionUnits(id) == QPageSize::Millimeter
                                    ? standard * (72.0 / 25.4)
                                    : standard * 72.0;
        if (near(points, inPoints))
            return QPageSize(id);
        if (near(points, inPoints.transposed())) {
            if (landscape)
                *landscape = true;
            return QPageSize(id);
        }
    }
    return QPageSize(points * (25.4 / 72.0), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

bool CAPrinter::setPageLayout(const QPageLayout &layout)
{
    bool landscape = false;
    const QSizeF oriented = layout.fullRect(QPageLayout::Point).size();
    const QPageSize size = pageSizeForPaper(oriented, &landscape);
    if (size.id() == QPageSize::Custom)
        return QPrinter::setPageLayout(layout);
    QPageLayout standard(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, layout.margins(),
                         layout.units());
    standard.setMode(layout.mode());
    return QPrinter::setPageLayout(standard);
}

bool CAPrinter::setPageSize(const QPageSize &size)
{
    if (size.id() != QPageSize::Custom)
        return QPrinter::setPageSize(size);
    bool landscape = false;
    const QPageSize standard = pageSizeForPaper(size.size(QPageSize::Point), &landscape);
    if (standard.id() == QPageSize::Custom || landscape)
        return QPrinter::setPageSize(size);
    return QPrinter::setPageSize(standard);
}
