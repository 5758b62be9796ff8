#include "kernel/foundation/CDDDrawer.h"

#include "ReferenceImage.h"
#include "kernel/foundation/CDDString.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// Bars are read back from a rendering at 4 device pixels per point.
constexpr double kScale = 4.0;
constexpr double kX = 10.0;
constexpr double kBaseline = 60.0;

struct Extent
{
    double top = 0;    // points above the baseline
    double bottom = 0; // points above the baseline
    bool present = false;
};

// The dark part of the pixel column through design x, as distances above the baseline.
Extent columnAt(const QImage &image, double x)
{
    const int px = static_cast<int>(std::lround(x * kScale));
    Extent extent;
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (drawtest::isDark(image, px, y)) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    if (first < 0)
        return extent;
    extent.present = true;
    extent.top = kBaseline - first / kScale;
    extent.bottom = kBaseline - (last + 1) / kScale;
    return extent;
}

// Runs of dark pixels along the row at the given height above the baseline.
int barsAcross(const QImage &image, double height)
{
    const int py = static_cast<int>((kBaseline - height) * kScale);
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool dark = drawtest::isDark(image, x, py);
        if (dark && !inside)
            ++runs;
        inside = dark;
    }
    return runs;
}

QImage renderBars(const std::function<int(CDDDrawer &)> &draw, int *answer)
{
    return drawtest::render(QSizeF(kX + 200, kBaseline + 10), kScale,
                            [&](CDDDrawer &drawer) { *answer = draw(drawer); });
}

// POSTNET read back as 1 for a tall bar and 0 for a short one.
std::string readPostnet(const QImage &image, int bars)
{
    std::string read;
    for (int i = 0; i < bars; ++i) {
        const Extent e = columnAt(image, kX + i * 3.2727273);
        EXPECT_TRUE(e.present) << "bar " << i;
        EXPECT_NEAR(e.bottom, 0.0, 0.3) << "bar " << i;
        if (std::abs(e.top - 9.0) < 0.3)
            read += '1';
        else if (std::abs(e.top - 3.6) < 0.3)
            read += '0';
        else
            read += '?';
    }
    return read;
}

struct PostnetCase { const char *name; const char *text; const char *bars; };

class PostnetTest : public ::testing::TestWithParam<PostnetCase> {};

TEST_P(PostnetTest, DrawsFrameDigitsAndCheckDigit)
{
    const PostnetCase &c = GetParam();
    int answer = -1;
    const QImage image =
        renderBars([&](CDDDrawer &d) { return d.DrawBarcode(kX, kBaseline, CDDString(QString::fromLatin1(c.text))); },
                   &answer);
    const std::string expected = c.bars;
    EXPECT_EQ(answer, static_cast<int>(expected.size()));
    EXPECT_EQ(barsAcross(image, 1.0), static_cast<int>(expected.size()));
    EXPECT_EQ(readPostnet(image, static_cast<int>(expected.size())), expected);
    // Bars are 1.44 points wide.
    int dark = 0;
    for (int x = static_cast<int>((kX - 2) * kScale); x < static_cast<int>((kX + 2) * kScale); ++x)
        dark += drawtest::isDark(image, x, static_cast<int>((kBaseline - 1) * kScale)) ? 1 : 0;
    EXPECT_NEAR(dark / kScale, 1.44, 0.3);
}

INSTANTIATE_TEST_SUITE_P(Standard, PostnetTest, ::testing::Values(
                             // 1 2 3 4 5, check digit 5 (sum 15).
                             PostnetCase {"Zip", "12345", "10001100101001100100101010010101"},
                             // Hyphens and blanks take no room; check digit 5 (sum 45).
                             PostnetCase {"ZipPlus4", "12345-6789",
                                          "1000110010100110010010101001100100011001010100010101"},
                             PostnetCase {"DeliveryPoint", " 12345 6789 01",
                                          "10001100101001100100101010011001000110010101001100000011010011"}),
                         [](const ::testing::TestParamInfo<PostnetCase> &info) { return info.param.name; });

TEST(BarcodeTest, PostnetWithoutDigitsDrawsNothing)
{
    int answer = -1;
    const QImage image = renderBars([](CDDDrawer &d) { return d.DrawBarcode(kX, kBaseline, CDDString(QStringLiteral("ab -"))); },
                                    &answer);
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(barsAcross(image, 1.0), 0);
}

struct FimCase { const char *name; FIMType type; const char *positions; };

class FimTest : public ::testing::TestWithParam<FimCase> {};

TEST_P(FimTest, DrawsTheMarkPattern)
{
    const FimCase &c = GetParam();
    int answer = -1;
    const QImage image = renderBars([&](CDDDrawer &d) { return d.DrawFIMBarcode(kX, kBaseline, c.type); }, &answer);
    EXPECT_EQ(answer, 9);
    std::string read;
    for (int i = 0; i < 9; ++i) {
        const Extent e = columnAt(image, kX + i * 4.5);
        if (e.present) {
            EXPECT_NEAR(e.top, 45.0, 0.3);
            EXPECT_NEAR(e.bottom, 0.0, 0.3);
        }
        read += e.present ? '1' : '0';
    }
    EXPECT_EQ(read, c.positions);
    EXPECT_EQ(barsAcross(image, 20.0), static_cast<int>(std::count(read.begin(), read.end(), '1')));
}

INSTANTIATE_TEST_SUITE_P(Standard, FimTest,
                         ::testing::Values(FimCase { "A", fimA, "110010011" }, FimCase { "B", fimB, "101101101" },
                                           FimCase { "C", fimC, "110101011" }, FimCase { "D", fimD, "111010111" }),
                         [](const ::testing::TestParamInfo<FimCase> &info) { return info.param.name; });

// 4-state bars read back as F (full), A (ascender), D (descender) and T (tracker only) from the
// parts of the bar above and below the tracker band.
std::string readFourState(const QImage &image, int bars, double pitch, double full, double descender, double tracker)
{
    std::string read;
    for (int i = 0; i < bars; ++i) {
        const Extent e = columnAt(image, kX + i * pitch);
        EXPECT_TRUE(e.present) << "bar " << i;
        const bool up = std::abs(e.top - full) < 0.3;
        const bool down = std::abs(e.bottom) < 0.3;
        EXPECT_TRUE(up || std::abs(e.top - (descender + tracker)) < 0.3) << "bar " << i << " top " << e.top;
        EXPECT_TRUE(down || std::abs(e.bottom - descender) < 0.3) << "bar " << i << " bottom " << e.bottom;
        read += up ? (down ? 'F' : 'A') : (down ? 'D' : 'T');
    }
    return read;
}

struct Rm4sccCase { const char *name; const char *text; const char *bars; };

class Rm4sccTest : public ::testing::TestWithParam<Rm4sccCase> {};

TEST_P(Rm4sccTest, DrawsStartCharactersCheckAndStop)
{
    const Rm4sccCase &c = GetParam();
    int answer = -1;
    const QImage image = renderBars(
        [&](CDDDrawer &d) { return d.Draw_RM4SCC_Barcode(kX, kBaseline, CDDString(QString::fromLatin1(c.text))); },
        &answer);
    const std::string expected = c.bars;
    EXPECT_EQ(answer, static_cast<int>(expected.size()));
    EXPECT_EQ(barsAcross(image, 7.0), static_cast<int>(expected.size()));
    EXPECT_EQ(readFourState(image, static_cast<int>(expected.size()), 2.82, 14.26, 5.33, 3.6), expected);
}

INSTANTIATE_TEST_SUITE_P(Standard, Rm4sccTest, ::testing::Values(
                             // Start, S N 3 4 R D 1 A, check character K, stop.
                             Rm4sccCase {"Postcode", "SN34RD1A", "AFTFTFDTADTAFDTFAFTADTFADTDAFDADAADDAF"},
                             Rm4sccCase {"LowerCaseAndBlanks", "sn3 4rd 1a", "AFTFTFDTADTAFDTFAFTADTFADTDAFDADAADDAF"},
                             // 0 is row 1, column 1; its check character is 0 again.
                             Rm4sccCase {"Zero", "0", "ATTFFTTFFF"},
                             // Z sits at row 6, column 6, which count as remainder 0.
                             Rm4sccCase {"Z", "Z", "AFFTTFFTTF"}),
                         [](const ::testing::TestParamInfo<Rm4sccCase> &info) { return info.param.name; });

TEST(BarcodeTest, Rm4sccWithoutValidCharactersDrawsNothing)
{
    int answer = -1;
    const QImage image = renderBars(
        [](CDDDrawer &d) { return d.Draw_RM4SCC_Barcode(kX, kBaseline, CDDString(QStringLiteral(" -/\u00e9"))); },
        &answer);
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(barsAcross(image, 7.0), 0);
}

TEST(BarcodeTest, FourStateBarArray)
{
    // Kinds: 0 full, 1 ascender, 2 descender, 3 tracker; 52 bars starting and ending 1 3.
    std::vector<char> bars;
    const char pattern[] = { 1, 3, 0, 2, 1, 3, 2, 0, 3, 1, 2, 2, 0 };
    for (int i = 0; i < 50; ++i)
        bars.push_back(pattern[i % 13]);
    bars.insert(bars.begin(), { 1, 3 });
    bars.resize(50);
    bars.insert(bars.end(), { 1, 3 });
    ASSERT_EQ(bars.size(), 52u);
    std::string expected;
    for (char kind : bars)
        expected += "FADT"[static_cast<int>(kind)];
    int answer = -1;
    const QImage image = renderBars(
        [&](CDDDrawer &d) { return d.Draw_CPC_Barcode(kX, kBaseline, CDDString(), bars.data(), 52); }, &answer);
    EXPECT_EQ(answer, 52);
    EXPECT_EQ(barsAcross(image, 5.3), 52);
    EXPECT_EQ(readFourState(image, 52, 2.54, 10.62, 4.46, 1.7), expected);
    // The last bar stands at x + 51 pitches.
    EXPECT_TRUE(columnAt(image, kX + 51 * 2.54).present);
    EXPECT_FALSE(columnAt(image, kX + 51 * 2.54 + 1.27).present);
}

TEST(BarcodeTest, FourStateCountsUpToTheFirstZeroByte)
{
    const char bars[] = { 1, 3, 2, 1, 3, 0, 2 };
    int answer = -1;
    const QImage image = renderBars(
        [&](CDDDrawer &d) { return d.Draw_CPC_Barcode(kX, kBaseline, CDDString(), bars, -1); }, &answer);
    EXPECT_EQ(answer, 5);
    EXPECT_EQ(barsAcross(image, 5.3), 5);
    CDDDrawer drawer(false);
    EXPECT_EQ(drawer.Draw_CPC_Barcode(0, 0, CDDString(), nullptr, 10), 0);
    EXPECT_EQ(drawer.Draw_CPC_Barcode(0, 0, CDDString(), bars, -5), 0);
}

TEST(BarcodeTest, BarsAreBlackAndTheCallersPenSurvives)
{
    QImage image(400, 100, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(2, 2);
    painter.setPen(QPen(Qt::red, 7));
    CDDDrawer drawer(false, &painter);
    drawer.SetResolution(2);
    drawer.DrawBarcode(10, 40, CDDString(QStringLiteral("1")));
    EXPECT_EQ(painter.pen().color(), QColor(Qt::red));
    EXPECT_EQ(painter.pen().widthF(), 7.0);
    painter.end();
    EXPECT_EQ(image.pixelColor(20, 78), QColor(Qt::black));
}

} // namespace
