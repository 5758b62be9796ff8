#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/drawing/CFTBoxField.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

using CADocumentTest = doctest::Test;

CATemplateFormat labelSheet(float width, float height)
{
    CATemplateFormat format;
    format.setManufacturer(u"Avery"_s);
    format.setID(u"05960"_s);
    format.setPageSize(u"US Letter"_s);
    format.setItemWidth(width);
    format.setItemHeight(height);
    format.setColumns(3);
    format.setRows(10);
    format.setTopMargin(36.0f);
    format.setLeftMargin(13.5f);
    format.setHSpace(9.0f);
    format.setCornerRadius(6.0f);
    return format;
}

// A design of 252 x 144 points put on another template keeps its components where they are unless
// asked to rearrange them; then the long side scales by the ratio of the long sides and the short
// side by that of the short ones, whichever way round the template gives its size.
TEST_F(CADocumentTest, SetLayoutCopiesTheTemplateAndRescalesAlongLongAndShortSidesOnlyWhenAsked)
{
    // Template size, rearranged, the box's new origin.
    const std::tuple<QSizeF, bool, QPointF> cases[] = {{{189, 72}, false, {100, 50}},
                                                       {{504, 72}, true, {200, 25}},
                                                       {{72, 504}, true, {200, 25}},
                                                       {{189, 72}, true, {75, 25}}};
    for (const auto &[size, arrange, origin] : cases) {
        CADocument document(std::make_unique<CFTADocument>(dtLabel, CDDString(u"us"_s), CDDString(u"us"_s)));
        CFTADocument *kernel = document.ftDocument();
        auto *box = new CFTBoxField(100.0, 50.0, 40.0, 20.0, nullptr);
        kernel->AddObject(box, 0, false);
        document.setLayoutArangeComponents(labelSheet(float(size.width()), float(size.height())), arrange);
        EXPECT_EQ(QPointF(box->GetOriginX(), box->GetOriginY()), origin) << size.width() << " x " << size.height() << " " << arrange;
        EXPECT_EQ(QSizeF(kernel->getCardSizeX(), kernel->getCardSizeY()), size);
        EXPECT_EQ(kernel->GetManufacturer().getData() + kernel->GetID().getData() + kernel->GetPageSize().getData(), u"Avery05960US Letter"_s);
        EXPECT_EQ(QList<double>({double(document.colCount()), double(document.rowCount()), kernel->GetTopMargin(), kernel->GetLeftMargin(),
                                 kernel->GetHSpace(), kernel->GetCornerRadius()}),
                  QList<double>({3, 10, 36, 13.5, 9, 6}));
    }
}

// A disc of radius 60 about (50, 30), cut flat 30 above and below its centre, with a hole of
// radius 7.5; turning the card does not change the outline. A disc narrower than the card is
// widened to reach its short sides.
TEST_F(CADocumentTest, SurfaceOutlineOfACutDiscWithAHole)
{
    const QPainterPath path = CADocument::documentSurfacePathForRect(QRectF(0, 0, 100, 60), 0.0, 120.0, 15.0, true);
    const QRectF bounds = path.boundingRect();
    EXPECT_LT(std::max({std::abs(bounds.left() + 10.0), std::abs(bounds.top()), std::abs(bounds.right() - 110.0), std::abs(bounds.bottom() - 60.0)}), 0.05)
        << bounds.left() << ", " << bounds.top() << " " << bounds.width() << " x " << bounds.height();
    // Above the flat top, below it, at the round end, below the hole, in the hole, at its rim,
    // beside it, outside the chord.
    const QPointF points[] = {{50.0, -0.5}, {50.0, 0.5}, {105.0, 30.0}, {50.0, 40.0}, {50.0, 30.0}, {54.0, 33.0}, {59.0, 30.0}, {105.0, 5.0}};
    QList<bool> inside;
    for (const QPointF &point : points)
        inside.append(path.contains(point));
    EXPECT_EQ(inside, QList<bool>({false, true, true, true, false, false, true, false}));
    EXPECT_EQ(CADocument::documentSurfacePathForRect(QRectF(0, 0, 100, 60), 0.0, 120.0, 15.0, false), path);
    EXPECT_NEAR(CADocument::documentSurfacePathForRect(QRectF(0, 0, 100, 60), 0.0, 20.0, 0.0, true).boundingRect().width(), 60.0, 0.05);
}

} // namespace
