#include "kernel/address/CFTABarcode.h"

#include "AddressTestSupport.h"
#include "ReferenceImage.h"

#include "kernel/render/CDDBarcodeBars.h"
#include "kernel/render/CDDDrawer.h"

#include <cmath>
#include <string>

namespace {

using addrtest::isBlank;

// Renderings are read back at 4 device pixels per point.
constexpr double kScale = 4.0;
constexpr double kX = 10.0;
constexpr double kY = 20.0;

QImage render(CFTABarcode &field, bool printing)
{
    return drawtest::render(QSizeF(260.0, 60.0), kScale,
                            [&](CDDDrawer &d) { field.Draw(&d, false, nullptr, false, printing); });
}

// The dark part of the pixel column through design x, as distances (top, bottom) above the
// baseline; (0, 0) where the column is blank.
std::pair<double, double> columnAt(const QImage &image, double x, double baseline)
{
    const int px = int(std::lround(x * kScale));
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (drawtest::isDark(image, px, y)) {
            first = first < 0 ? y : first;
            last = y;
        }
    }
    if (first < 0)
        return {0.0, 0.0};
    return {baseline - first / kScale, baseline - (last + 1) / kScale};
}

// Runs of dark pixels along the row at the given height above the baseline.
int barsAcross(const QImage &image, double baseline, double height)
{
    const int py = int((baseline - height) * kScale);
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool dark = drawtest::isDark(image, x, py);
        runs += dark && !inside;
        inside = dark;
    }
    return runs;
}

void fill(CFTABarcode &field, textCategory category, const QString &text, bool toFrom = true)
{
    field.SetString(toFrom, category, adWork, CDDString(text), tcNone, false);
}

std::unique_ptr<CFTABarcode> barcode(barcodeType type, const QString &zip, const QString &street = QString())
{
    auto field = std::make_unique<CFTABarcode>(kX, kY);
    field->setBarcodeType(type);
    fill(*field, tcStreet, street);
    fill(*field, tcZIP, zip);
    return field;
}

TEST(CFTABarcodeTest, OnlyAnUndecidedFieldFollowsTheCountryAndTheFormat)
{
    for (const auto &[country, type] : {std::pair {"United States", btPOSTNET}, std::pair {"United Kingdom", btRM4SCC},
                                        std::pair {"Canada", btFourState}, std::pair {"Germany", btNone}}) {
        CFTABarcode field(nullptr);
        field.setBarcodeType(btNone);
        fill(field, tcCountry, QString::fromUtf8(country));
        EXPECT_EQ(field.getBarcodeType(), type) << country;
    }
    // Country code (null: a format without a country part), custom, code.
    for (const auto &[code, custom, type] : {std::tuple {"ca", false, btFourState}, std::tuple {"de", true, btPOSTNET},
                                             std::tuple {static_cast<const char *>(nullptr), false, btNone}}) {
        CFTABarcode field(nullptr);
        field.setBarcodeType(type == btNone ? btPOSTNET : btNone);
        std::unique_ptr<CAddressFormat> format = CAddressFormat::createRoot(tcRootFormat, CDDString(u"Test"_s));
        format->addSubFormat(code ? tcAddress : tcCity, CDDString(QString::fromLatin1(code ? code : "City")), 0, 0);
        format->setCustomFormat(custom);
        field.setFormat(format.get(), 0);
        EXPECT_EQ(field.getBarcodeType(), type) << (code ? code : "none") << custom;
    }
    CFTABarcode field(nullptr);
    fill(field, tcCountry, u"Canada"_s);
    EXPECT_EQ(field.getBarcodeType(), btPOSTNET) << "a decided field keeps its code";
    fill(field, tcZIP, u"12345"_s, false);
    EXPECT_TRUE(field.isZipEmpty()) << "the sender's ZIP is not the recipient's";
}

TEST(CFTABarcodeTest, POSTNETSizesAndDrawsTheZIP)
{
    auto field = barcode(btPOSTNET, u"12345-6789"_s);
    EXPECT_EQ(field->GetText()->getString(), u"12345-6789"_s);
    const QImage image = render(*field, true);
    EXPECT_NEAR(field->GetSizeX(), 53 * 3.2727273, 1e-9);
    EXPECT_DOUBLE_EQ(field->GetSizeY(), 13.0);
    const double baseline = kY + 11.0;
    // Frame bars around the digits and the check digit 5 (sum 45).
    const std::string expected = "1" "00011" "00101" "00110" "01001" "01010" "01100" "10001" "10010" "10100" "01010"
                                 "1";
    ASSERT_EQ(barsAcross(image, baseline, 1.0), 52);
    std::string read;
    for (int i = 0; i < 52; ++i) {
        const auto [top, bottom] = columnAt(image, kX + (i + 1) * 3.2727273, baseline);
        EXPECT_NEAR(bottom, 0.0, 0.3) << i;
        read += std::abs(top - 9.0) < 0.3 ? '1' : std::abs(top - 3.6) < 0.3 ? '0' : '?';
    }
    EXPECT_EQ(read, expected);
}

TEST(CFTABarcodeTest, RM4SCCEncodesALowerCasePostcodeLikeItsCapitals)
{
    auto lower = barcode(btRM4SCC, u"sw1a 1aa"_s);
    const QImage lowerImage = render(*lower, true);
    EXPECT_EQ(lowerImage, render(*barcode(btRM4SCC, u"SW1A 1AA"_s), true));
    EXPECT_NEAR(lower->GetSizeX(), 35 * 2.82, 1e-9) << "letters count after upper-casing";
    EXPECT_DOUBLE_EQ(lower->GetSizeY(), 18.26);
    const double baseline = kY + 16.26;
    EXPECT_EQ(barsAcross(lowerImage, baseline, 7.0), 34) << "every bar crosses the tracker";
    // Start bar: an ascender; stop bar: a full bar.
    const auto [startTop, startBottom] = columnAt(lowerImage, kX + 1.41, baseline);
    const auto [stopTop, stopBottom] = columnAt(lowerImage, kX + 1.41 + 33 * 2.82, baseline);
    EXPECT_NEAR(startTop, 14.26, 0.3);
    EXPECT_NEAR(startBottom, 5.33, 0.3);
    EXPECT_NEAR(stopTop, 14.26, 0.3);
    EXPECT_NEAR(stopBottom, 0.0, 0.3);
}

TEST(CFTABarcodeTest, FourStateBarsAreCachedSizedAndDrawnOneWay)
{
    auto field = barcode(btFourState, u"K1A 0B1"_s, u"123 Main Street"_s);
    const std::vector<char> bars = field->cachedBars();
    ASSERT_EQ(field->barCount(), 52);
    ASSERT_EQ(bars.size(), 52u);
    const QImage image = render(*field, true);
    EXPECT_NEAR(field->GetSizeX(), 53 * 2.54, 1e-9) << "drawing keeps the size set by sizing";
    EXPECT_DOUBLE_EQ(field->GetSizeY(), 18.26);
    const double baseline = kY + 12.62;
    EXPECT_EQ(barsAcross(image, baseline, 5.3), 52);
    for (int i = 0; i < 52; ++i) {
        const auto [top, bottom] = columnAt(image, kX + 1.13 + i * 2.54, baseline);
        ASSERT_GT(top, bottom) << i;
        const char bar = bars[size_t(i)];
        EXPECT_NEAR(top, bar == cpcFull || bar == cpcAscender ? 10.62 : 6.16, 0.3) << i;
        EXPECT_NEAR(bottom, bar == cpcFull || bar == cpcDescender ? 0.0 : 4.46, 0.3) << i;
    }
}

TEST(CFTABarcodeTest, FourStateBarsFollowZIPAndStreetWhateverTheirCase)
{
    auto field = barcode(btFourState, u"K1A 0B1"_s, u"123 Main Street"_s);
    const std::vector<char> first = field->cachedBars();
    fill(*field, tcStreet, u"123 Main Street"_s);
    EXPECT_EQ(field->cachedBars(), first) << "an unchanged street keeps the bars";
    fill(*field, tcStreet, u"RR 5"_s);
    ASSERT_TRUE(field->hasCachedBars());
    EXPECT_NE(field->cachedBars(), first);
    auto lower = barcode(btFourState, u"k1a 0b1"_s, u"rr 5"_s);
    EXPECT_EQ(lower->cachedBars(), field->cachedBars());
    EXPECT_EQ(lower->zip().getData(), u"k1a 0b1"_s) << "the postcode stays as typed";
}

TEST(CFTABarcodeTest, FailedFourStateRecomputeLeavesNoBars)
{
    auto field = barcode(btFourState, u"K1A 0B1"_s, u"123 Main Street"_s);
    ASSERT_EQ(field->barCount(), 52);
    fill(*field, tcZIP, u"12345"_s);
    EXPECT_FALSE(field->hasCachedBars());
    EXPECT_EQ(field->barCount(), 0) << "no room is kept for the old bars";
    EXPECT_DOUBLE_EQ(field->GetSizeX(), field->placeholder().getContSizeX());
    EXPECT_TRUE(isBlank(render(*field, true))) << "nothing is printed";
    const QImage shown = render(*field, false);
    EXPECT_FALSE(isBlank(shown)) << "the screen shows the invitation";
    EXPECT_EQ(barsAcross(shown, kY + 12.62, 5.3), 0);
}

TEST(CFTABarcodeTest, UndecidedFieldDrawsItsPlaceholderOnlyStandingAlone)
{
    CFTABarcode field(kX, kY);
    field.setBarcodeType(btNone);
    fill(field, tcZIP, u"12345"_s);
    EXPECT_DOUBLE_EQ(field.GetSizeX(), 0.0);
    EXPECT_DOUBLE_EQ(field.GetSizeY(), 0.0);
    EXPECT_TRUE(isBlank(render(field, false)));
    field.SetLocation(blStandalone);
    field.ExpandByText();
    EXPECT_DOUBLE_EQ(field.GetSizeX(), field.placeholder().getContSizeX());
    EXPECT_FALSE(isBlank(render(field, false)));
}

TEST(CFTABarcodeTest, AlignmentAnchorHoldsWhileTheZIPGrows)
{
    for (const textAlignment alignment : {taLeft, taCenter, taRight}) {
        CFTABarcode field(100.0, kY);
        field.SetAlignment(alignment);
        fill(field, tcZIP, u"12345"_s);
        const double left = field.GetOriginX();
        const double width = field.GetSizeX();
        fill(field, tcZIP, u"12345-6789"_s);
        const double growth = field.GetSizeX() - width;
        ASSERT_NEAR(growth, 20 * 3.2727273, 1e-9);
        const double shift = alignment == taRight ? growth : alignment == taCenter ? growth / 2.0 : 0.0;
        EXPECT_NEAR(field.GetOriginX(), left - shift, 1e-9) << int(alignment);
    }
}

TEST(CFTABarcodeTest, SaveAndLoadKeepTheFieldAndRecomputeTheBars)
{
    auto saved = barcode(btFourState, u"K1A 0B1"_s, u"123 Main Street"_s);
    saved->SetLocation(blPanelRoomAbove);
    fill(*saved, tcCountry, u"Canada"_s);
    const auto loaded = addrtest::roundTrip<CFTABarcode>(*saved);
    ASSERT_TRUE(loaded);
    const auto summary = [](CFTABarcode &b) {
        return QStringList {QString::number(b.getBarcodeType()), QString::number(b.GetLocation()), b.zip().getData(),
                            b.street().getData(), b.country().getData(), b.GetText()->getString(),
                            QString::number(b.GetSizeX()), QString::number(b.GetSizeY())};
    };
    EXPECT_EQ(summary(*loaded), summary(*saved));
    EXPECT_EQ(loaded->cachedBars(), saved->cachedBars());
}

} // namespace
