// The codecs of document values: keyed archives of a colour, a font and a 300-character styled
// text (also as RTF and flattened RTFD), and the document archive writing and reading 500
// components' worth of typed values through an XML property list.
#include "BenchSupport.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDPen.h"
#include "platform/PWAttributedString.h"
#include "platform/PWFont.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWKeyedUnarchiver.h"
#include "platform/PWParagraphStyle.h"
#include "platform/PWRtfReader.h"
#include "platform/PWRtfWriter.h"
#include "platform/PWRtfd.h"
#include "platform/PWTextAttributes.h"


#include <benchmark/benchmark.h>

namespace {

constexpr int kComponents = 500;

// 300 characters in 12 runs of 25, cycling through fonts, colours and two paragraph styles.
PWAttributedString styledText()
{
    static const char *const fonts[] = {"Helvetica", "Helvetica-Bold", "TimesNewRomanPSMT", "Courier-Oblique"};
    PWParagraphStyle left;
    left.alignment = PWTextAlignment::Left;
    left.tabStops = {{36.0, PWParagraphStyle::TabType::Left}, {72.0, PWParagraphStyle::TabType::Right}};
    PWParagraphStyle centred;
    centred.alignment = PWTextAlignment::Center;
    centred.paragraphSpacing = 4.0;
    PWAttributedString text;
    for (int run = 0; run < 12; ++run) {
        QTextCharFormat format;
        PWFont(QLatin1String(fonts[run % 4]), 9.0 + run).applyTo(&format);
        format.setForeground(QBrush(QColor::fromHsv(run * 30, 200, 200)));
        if (run % 3 == 0)
            format.setProperty(PWTextAttributes::Kerning, 0.5);
        QString chunk = QStringLiteral("Run %1 of the sample text").arg(run, 2, 10, QLatin1Char('0')).left(24);
        chunk += run % 4 == 3 ? QLatin1Char('\n') : QLatin1Char(' ');
        text.append(chunk, format, (run / 4) % 2 ? centred.toBlockFormat() : left.toBlockFormat());
    }
    return text;
}

void BM_ColorEncode(benchmark::State &state)
{
    const PWColor color = PWColor::calibratedRGB(0.25f, 0.5f, 0.75f, 0.9f);
    for (auto _ : state)
        benchmark::DoNotOptimize(PWKeyedArchiver::archivedData(color));
}

void BM_ColorDecode(benchmark::State &state)
{
    const QByteArray bytes = PWKeyedArchiver::archivedData(PWColor::calibratedRGB(0.25f, 0.5f, 0.75f, 0.9f));
    for (auto _ : state)
        benchmark::DoNotOptimize(PWKeyedUnarchiver::unarchiveColor(bytes));
}

void BM_FontEncode(benchmark::State &state)
{
    const PWFont font(QStringLiteral("Helvetica-BoldOblique"), 12.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(PWKeyedArchiver::archivedData(font));
}

void BM_FontDecode(benchmark::State &state)
{
    const QByteArray bytes = PWKeyedArchiver::archivedData(PWFont(QStringLiteral("Helvetica-BoldOblique"), 12.0));
    for (auto _ : state)
        benchmark::DoNotOptimize(PWKeyedUnarchiver::unarchiveFont(bytes));
}

void BM_StyledTextKeyedEncode(benchmark::State &state)
{
    const PWAttributedString text = styledText();
    for (auto _ : state)
        benchmark::DoNotOptimize(PWKeyedArchiver::archivedData(text, PWKeyedArchiver::StringClass::TextStorage));
}

void BM_StyledTextKeyedDecode(benchmark::State &state)
{
    const QByteArray bytes = PWKeyedArchiver::archivedData(styledText(), PWKeyedArchiver::StringClass::TextStorage);
    for (auto _ : state)
        benchmark::DoNotOptimize(PWKeyedUnarchiver::unarchiveAttributedString(bytes));
}

void BM_StyledTextRtfdWrite(benchmark::State &state)
{
    const PWAttributedString text = styledText();
    for (auto _ : state)
        benchmark::DoNotOptimize(PWRtfd::data(text));
}

void BM_StyledTextRtfdRead(benchmark::State &state)
{
    const QByteArray bytes = PWRtfd::data(styledText());
    for (auto _ : state)
        benchmark::DoNotOptimize(PWRtfd::readAttributedString(bytes));
}

void writeComponent(const CDDArchive &archive, int index)
{
    archive.SetClassID(index % 20);
    archive.SetRectData(key_Bounds, index * 1.5, index * 0.75, 120.25, 48.5);
    archive.SetData(key_Angle, index * 0.01);
    archive.SetData(key_Color, CDDColor(0.1f, 0.2f, float(index % 10) / 10.0f, 1.0f));
    archive.SetData(key_BackColor, CDDColor());
    archive.SetData(key_Stroke, index % 2 == 0);
    CDDPen pen;
    pen.SetWidth(0.5 + index % 3);
    archive.SetData(key_PenWidth, pen);
    archive.SetData(key_ShadowHorizontalOffset, 2.0);
    archive.SetData(key_ShadowVerticalOffset, -2.0);
    archive.SetData(key_TextWrapping, 3);
    archive.SetData(key_Label, CDDString(QStringLiteral("Component %1").arg(index)));
}

QByteArray writeDocument()
{
    CDDArchive document(true);
    document.SetData(key_BundleVersion);
    document.SetDocumentType(dtLabel);
    document.BeginArrayData();
    for (int i = 0; i < kComponents; ++i) {
        CDDArchive child(true);
        writeComponent(child, i);
        document.SetData(key_Components, child);
    }
    document.EndArrayData(key_Components);
    return document.getDict().toXml();
}

void BM_DocumentArchiveWrite500(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(writeDocument());
}

void BM_DocumentArchiveRead500(benchmark::State &state)
{
    const QByteArray xml = writeDocument();
    for (auto _ : state) {
        CDDArchive document(false);
        document.Attach(PWPlist::parse(xml).value_or(PWPlist()));
        documentType type = dtUnknown;
        document.GetDocumentType(&type);
        CDDArchive list(false);
        document.GetData(key_Components, list);
        double sum = 0.0;
        for (int i = 0; i < list.countObjectsInArray(); ++i) {
            const CDDArchive entry = list.objectAtIndexInArray(i);
            int classID = 0;
            double x = 0, y = 0, width = 0, height = 0, angle = 0;
            bool stroke = false;
            CDDColor color;
            CDDPen pen;
            CDDString label;
            entry.GetClassID(&classID);
            entry.GetRectData(key_Bounds, &x, &y, &width, &height);
            entry.GetData(key_Angle, &angle, CDDRanges::kAngle);
            entry.GetData(key_Color, color);
            entry.GetData(key_BackColor, color);
            entry.GetData(key_Stroke, &stroke);
            entry.GetData(key_PenWidth, pen);
            entry.GetData(key_ShadowHorizontalOffset, &angle, CDDRanges::kSignedLength);
            entry.GetData(key_ShadowVerticalOffset, &angle, CDDRanges::kSignedLength);
            entry.GetData(key_TextWrapping, &classID, CDDRanges::kTextWrap);
            entry.GetData(key_Label, label);
            sum += x + width + angle + pen.GetWidth();
        }
        benchmark::DoNotOptimize(sum);
    }
}

BENCHMARK(BM_ColorEncode);
BENCHMARK(BM_ColorDecode);
BENCHMARK(BM_FontEncode);
BENCHMARK(BM_FontDecode);
BENCHMARK(BM_StyledTextKeyedEncode);
BENCHMARK(BM_StyledTextKeyedDecode);
BENCHMARK(BM_StyledTextRtfdWrite);
BENCHMARK(BM_StyledTextRtfdRead);
BENCHMARK(BM_DocumentArchiveWrite500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentArchiveRead500)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
