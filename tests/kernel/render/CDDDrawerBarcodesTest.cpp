#include "kernel/render/CDDDrawer.h"

#include "ReferenceImage.h"
#include "kernel/base/CDDString.h"

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

// In points above the baseline.
struct Extent { double top = 0, bottom = 0; bool present = false; };

// The dark part of the pixel column through design x, as distances above the baseline.
Extent columnAt(const QImage &image, double x)
{
    const int px = static_cast<int>(std::lround(x * kScale));
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (drawtest::isDark(image, px, y)) {
            first = first < 0 ? y : first;
            last = y;
        }
    }
    return first < 0 ? Extent() : Extent {kBaseline - first / kScale, kBaseline - (last + 1) / kScale, true};
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
    return drawtest::render(QSizeF(kX + 200, kBaseline + 10), kScale, [&](CDDDrawer &drawer) { *answer = draw(drawer); });
}

// POSTNET read back as 1 for a tall bar and 0 for a short one.
std::string readPostnet(const QImage &image, int bars)
{
    std::string read;
    for (int i = 0; i < bars; ++i) {
        const Extent e = columnAt(image, kX + i * 3.2727273);
        EXPECT_TRUE(e.present) << "bar " << i;
        EXPECT_NEAR(e.bottom, 0.0, 0.3) << "bar " << i;
        read += std::abs(e.top - 9.0) < 0.3 ? '1' : std::abs(e.top - 3.6) < 0.3 ? '0' : '?';
    }
    return read;
}

TEST(BarcodeTest, PostnetDrawsFrameDigitsAndCheckDigitAndNothingWithoutDigits)
{
    // Blanks take no room; 1 2 3 4 5 6 7 8 9 0 1, check digit 4 (sum 46).
    const std::string expected = "10001100101001100100101010011001000110010101001100000011010011";
    int answer = -1;
    const QImage image = renderBars([&](CDDDrawer &d) { return d.DrawBarcode(kX, kBaseline, CDDString(QStringLiteral(" 12345 6789 01"))); }, &answer);
    EXPECT_EQ(answer, static_cast<int>(expected.size()));
    EXPECT_EQ(barsAcross(image, 1.0), static_cast<int>(expected.size()));
    EXPECT_EQ(readPostnet(image, static_cast<int>(expected.size())), expected);
    // Bars are 1.44 points wide.
    int dark = 0;
    for (int x = static_cast<int>((kX - 2) * kScale); x < static_cast<int>((kX + 2) * kScale); ++x)
        dark += drawtest::isDark(image, x, static_cast<int>((kBaseline - 1) * kScale)) ? 1 : 0;
    EXPECT_NEAR(dark / kScale, 1.44, 0.3);
    int noDigitsAnswer = -1;
    const QImage noDigits = renderBars([](CDDDrawer &d) { return d.DrawBarcode(kX, kBaseline, CDDString(QStringLiteral("ab -"))); }, &noDigitsAnswer);
    EXPECT_EQ(noDigitsAnswer, 0);
    EXPECT_EQ(barsAcross(noDigits, 1.0), 0);
}

TEST(BarcodeTest, FimDrawsTheMarkPattern)
{
    const std::pair<FIMType, std::string> cases[] = {{fimA, "110010011"}, {fimB, "101101101"}, {fimC, "110101011"}, {fimD, "111010111"}};
    for (const auto &[type, positions] : cases) {
        int answer = -1;
        const QImage image = renderBars([&](CDDDrawer &d) { return d.DrawFIMBarcode(kX, kBaseline, type); }, &answer);
        EXPECT_EQ(answer, 9);
        std::string read;
        for (int i = 0; i < 9; ++i) {
            const Extent e = columnAt(image, kX + i * 4.5);
            EXPECT_TRUE(!e.present || (std::abs(e.top - 45.0) < 0.3 && std::abs(e.bottom) < 0.3)) << positions << " bar " << i;
            read += e.present ? '1' : '0';
        }
        EXPECT_EQ(read, positions);
        EXPECT_EQ(barsAcross(image, 20.0), static_cast<int>(std::count(read.begin(), read.end(), '1')));
    }
}

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

TEST(BarcodeTest, Rm4sccDrawsStartCharactersCheckAndStopAndNothingWithoutValidCharacters)
{
    // Start, S N 3 4 R D 1 A, check character K, stop; lower case and blanks read alike. 0 is row 1,
    // column 1, and its check character is 0 again; Z sits at row 6, column 6, which count as remainder 0.
    const std::pair<const char *, std::string> cases[] = {{"SN34RD1A", "AFTFTFDTADTAFDTFAFTADTFADTDAFDADAADDAF"},
        {"sn3 4rd 1a", "AFTFTFDTADTAFDTFAFTADTFADTDAFDADAADDAF"}, {"0", "ATTFFTTFFF"}, {"Z", "AFFTTFFTTF"}};
    for (const auto &[text, expected] : cases) {
        int answer = -1;
        const QImage image = renderBars(
            [&](CDDDrawer &d) { return d.Draw_RM4SCC_Barcode(kX, kBaseline, CDDString(QString::fromLatin1(text))); },
            &answer);
        EXPECT_EQ(answer, static_cast<int>(expected.size())) << text;
        EXPECT_EQ(barsAcross(image, 7.0), static_cast<int>(expected.size())) << text;
        EXPECT_EQ(readFourState(image, static_cast<int>(expected.size()), 2.82, 14.26, 5.33, 3.6), expected) << text;
    }
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
    const QImage image = renderBars([&](CDDDrawer &d) { return d.Draw_CPC_Barcode(kX, kBaseline, CDDString(), bars.data(), 52); }, &answer);
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
    const QImage image = renderBars([&](CDDDrawer &d) { return d.Draw_CPC_Barcode(kX, kBaseline, CDDString(), bars, -1); }, &answer);
    EXPECT_EQ(answer, 5);
    EXPECT_EQ(barsAcross(image, 5.3), 5);
    CDDDrawer drawer(false);
    EXPECT_EQ(drawer.Draw_CPC_Barcode(0, 0, CDDString(), nullptr, 10) + drawer.Draw_CPC_Barcode(0, 0, CDDString(), bars, -5), 0);
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
    EXPECT_EQ(painter.pen(), QPen(Qt::red, 7));
    painter.end();
    EXPECT_EQ(image.pixelColor(20, 78), QColor(Qt::black));
}

} // namespace
