// The bars of the postal barcodes: POSTNET, the facing identification marks, RM4SCC and prepared
// 4-state bar arrays. Each barcode is one path of butt-ended black strokes, stroked once.

#include "kernel/render/CDDDrawer.h"

#include "kernel/render/CDDBarcodeBars.h"
#include "kernel/render/CDDDrawerSupport.h"
#include "kernel/base/CDDString.h"
#include "platform/PWBezierPath.h"

#include <QPainter>

#include <algorithm>

#include <cstring>

namespace {

void strokeBars(QPainter *painter, PWBezierPath &bars, double lineWidth)
{
    if (!painter || bars.path().isEmpty())
        return;
    bars.setLineWidth(static_cast<float>(lineWidth));
    painter->save();
    painter->setPen(Qt::black);
    drawsupport::strokePath(painter, bars);
    painter->restore();
}

// 0-9 and A-Z (a-z folded) as 0-35; -1 for any other character.
int rm4sccIndex(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'Z')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'z')
        return u - u'a' + 10;
    return -1;
}

} // namespace

int CDDDrawer::DrawBarcode(double x, double y, const CDDString &text)
{
    PWBezierPath bars;
    int n = 0;
    int sum = 0;
    const auto addDigit = [&](int digit) {
        const std::uint32_t pattern = POSTNET_digitMap[digit];
        for (int bit = 4; bit >= 0; --bit) {
            addBarToPath(x + n * BARCODE_SPACE, y, (pattern >> bit) & 1U, &bars);
            ++n;
        }
    };
    for (const QChar c : text.getData()) {
        if (c < u'0' || c > u'9')
            continue;
        if (n == 0) {
            addBarToPath(x, y, true, &bars);
            n = 1;
        }
        const int digit = c.unicode() - u'0';
        addDigit(digit);
        sum += digit;
    }
    if (n > 0) {
        addDigit((10 - sum % 10) % 10);
        addBarToPath(x + n * BARCODE_SPACE, y, true, &bars);
        ++n;
    }
    strokeBars(mPainter, bars, BARCODE_WIDTH);
    return n;
}

int CDDDrawer::DrawFIMBarcodeOnCard(double cardWidth, FIMType type)
{
    // Nine bars 4.5 points apart.
    constexpr double kFIMWidth = 40.5;
    constexpr double kFIMRightDistance = 144.0;
    constexpr double kFIMTop = 45.0;
    return DrawFIMBarcode(std::max(0.0, cardWidth - kFIMRightDistance - kFIMWidth), kFIMTop, type);
}

int CDDDrawer::DrawFIMBarcode(double x, double y, FIMType type)
{
    // Only the four marks exist; anything else draws no bar but keeps the mark's width.
    PWBezierPath bars;
    if (type >= fimA && type <= fimD) {
        const std::uint32_t pattern = FIM_patterns[type];
        for (int i = 0; i < 9; ++i) {
            if ((pattern >> (8 - i)) & 1U) {
                const double bx = x + i * (FIM_BARCODE_WIDTH + FIM_BARCODE_SPACE);
                bars.path().moveTo(bx, y);
                bars.path().lineTo(bx, y - FIM_BARCODE_HEIGHT);
            }
        }
    }
    strokeBars(mPainter, bars, FIM_BARCODE_WIDTH);
    return 9;
}

int CDDDrawer::Draw_RM4SCC_Barcode(double x, double y, const CDDString &text)
{
    constexpr double pitch = BARCODE_RM4SCC_WIDTH + BARCODE_RM4SCC_SPACE;
    PWBezierPath bars;
    int n = 0;
    int rows = 0;
    int columns = 0;
    for (const QChar c : text.getData()) {
        const int index = rm4sccIndex(c);
        if (index < 0)
            continue;
        if (n == 0) {
            addBar_RM4SCC_ToPath(x, y, rmAscender, &bars);
            n = 1;
        }
        n += addTypeCharacter_RM4SCC_ToPath(x + n * pitch, y, index, &bars);
        rows += RM4SCC_checksum_row_index[index];
        columns += RM4SCC_checksum_col_index[index];
    }
    if (n > 0) {
        const std::uint32_t check = RM4SCC_checksum_table[(rows % 6) * 6 + columns % 6];
        n += addTypeCharacter_RM4SCC_ToPath(x + n * pitch, y, static_cast<int>(check), &bars);
        addBar_RM4SCC_ToPath(x + n * pitch, y, rmFull, &bars);
        ++n;
    }
    // The bars are as wide as POSTNET's, a little wider than the gaps between them.
    strokeBars(mPainter, bars, BARCODE_WIDTH);
    return n;
}

int CDDDrawer::Draw_CPC_Barcode(double x, double y, const CDDString &, const char *bars, int count)
{
    if (!bars)
        return 0;
    if (count == -1)
        count = static_cast<int>(std::strlen(bars));
    if (count < 0)
        return 0;
    PWBezierPath path;
    for (int j = 0; j < count; ++j)
        addBar_CPC_ToPath(x + j * (BARCODE_CPC_WIDTH + BARCODE_CPC_SPACE), y, bars[j], &path);
    strokeBars(mPainter, path, BARCODE_CPC_WIDTH);
    return count;
}
