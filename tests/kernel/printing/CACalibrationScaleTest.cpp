#include "kernel/printing/CACalibrationScale.h"

#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

namespace {

constexpr double kMillimetre = 72.0 / 25.4;

// Notes the texts and lines drawn through it, in page coordinates, instead of painting them: the
// readings of a scale are found by their text, not by their glyphs.
struct Recording
{
    std::map<QString, QPointF> texts;
    std::vector<QLineF> lines;
};

class RecordingEngine : public QPaintEngine
{
public:
    // Every feature, so that the painter hands lines and texts over as they are.
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform)
            m_transform = state.transform();
    }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            recording.lines.push_back(m_transform.map(lines[i]));
    }
    // Texts are noted by the centre of their line box.
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        recording.texts[item.text()] = m_transform.map(QPointF(p.x() + item.width() / 2.0, p.y() - (item.ascent() - item.descent()) / 2.0));
    }
    Type type() const override { return QPaintEngine::User; }

    Recording recording;

private:
    QTransform m_transform;
};

class RecordingDevice : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &m_engine; }
    RecordingEngine &engine() { return m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
        case PdmWidthMM:
        case PdmHeightMM:
            return 1000;
        case PdmNumColors:
            return 256;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 72;
        }
    }

private:
    mutable RecordingEngine m_engine;
};

// The readings and lines of one scale drawn centred on (300, 300).
Recording drawn(CACalibrationScale::Kind kind)
{
    RecordingDevice device;
    QPainter painter(&device);
    CACalibrationScale::draw(painter, kind, QPointF(300.0, 300.0));
    painter.end();
    return device.engine().recording;
}

} // namespace

// The numbers grow the way a positive reading moves the print: right along the horizontal scale,
// up along the vertical ones; every fifth millimetre is numbered, the zero opposite the centre.
TEST(CACalibrationScaleTest, ReadingsRunTheWayTheStoredOffsetMovesThePrint)
{
    using K = CACalibrationScale;
    // Kind, the axis that carries the readings (0 x, 1 y), the direction of a positive reading.
    for (const auto &[kind, axis, sign] : {std::tuple {K::kHorizontal, 0, 1.0}, {K::kVertical, 1, -1.0}, {K::kVertical2, 1, -1.0}}) {
        const Recording scale = drawn(kind);
        const auto along = [axis](const QPointF &p) { return axis == 0 ? p.x() : p.y(); };
        ASSERT_EQ(scale.texts.size(), 5u) << kind;
        for (const int mm : {-10, -5, 0, 5, 10}) {
            const QString reading = mm > 0 ? QStringLiteral("+%1").arg(mm) : QString::number(mm);
            ASSERT_EQ(scale.texts.count(reading), 1u) << kind << " " << mm;
            EXPECT_NEAR(along(scale.texts.at(reading)), 300.0 + sign * mm * kMillimetre, 1.5) << kind << " " << mm;
        }
        EXPECT_GT(sign * (along(scale.texts.at(QStringLiteral("+5"))) - along(scale.texts.at(QStringLiteral("0")))), 2.0 * kMillimetre) << kind;
        // The zero tick is the longest and crosses the centre line.
        const QLineF zero = *std::max_element(scale.lines.begin() + 1, scale.lines.end(),
                                              [](const QLineF &a, const QLineF &b) { return a.length() < b.length(); });
        EXPECT_NEAR(along(zero.p1()), 300.0, 1e-6) << kind;
        EXPECT_NEAR(zero.length(), 14.0, 1e-6) << kind;
    }
}

// The left scale ticks rightwards from its left edge, the right one leftwards from its right edge.
TEST(CACalibrationScaleTest, VerticalScalesTickInwardFromTheirOwnEdge)
{
    const QRectF rect = CACalibrationScale::rectCenteredOn(CACalibrationScale::kVertical, QPointF(300.0, 300.0));
    EXPECT_EQ(rect.size(), CACalibrationScale::size(CACalibrationScale::kVertical));
    EXPECT_GT(rect.height(), 20.0 * kMillimetre);
    for (const auto &[kind, edge, inward] : {std::tuple {CACalibrationScale::kVertical, rect.left(), 1.0},
                                             {CACalibrationScale::kVertical2, rect.right(), -1.0}}) {
        const Recording scale = drawn(kind);
        ASSERT_EQ(scale.lines.size(), 22u) << kind;
        for (std::size_t i = 1; i < scale.lines.size(); ++i) {
            EXPECT_NEAR(scale.lines[i].x1(), edge, 1e-6) << kind << " " << i;
            EXPECT_GT(inward * (scale.lines[i].x2() - scale.lines[i].x1()), 0.0) << kind << " " << i;
        }
    }
}
