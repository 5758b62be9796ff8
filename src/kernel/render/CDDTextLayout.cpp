// Measuring, hit testing and drawing of CDDText.
#include "kernel/render/CDDText.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/render/CDDDrawerSupport.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDPen.h"
#include "kernel/render/CDDTextRuns.h"
#include "platform/PWFont.h"
#include "platform/PWJobReport.h"
#include "platform/PWTextAttributes.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QFontInfo>
#include <QHash>
#include <QPainter>
#include <QTextBlock>
#include <QPaintDevice>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

namespace {

constexpr double kWideOpen = CDDText::kContainerSize - 2.0 * CDDText::kLinePadding;
// No line of a design's text comes near this width.
constexpr double kOpenWidth = CDDText::kContainerSize / 2.0;

// Whether no paragraph of the document's present layout was broken into several lines.
bool laidOutUnbroken(const QTextDocument *document)
{
    document->size(); // finishes the layout
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *lines = block.layout();
        if (lines && lines->lineCount() > 1)
            return false;
    }
    return true;
}

// Lays a document out in a width for the length of a query and then puts the former width back,
// so that measuring leaves the layout as drawing last set it. Every width from the open width on
// breaks no line, so a document already laid out that wide is measured as it stands, and so is
// one whose narrower layout broke no paragraph: its lines are the open width's lines. A change of
// width lays the whole document out again, twice with the way back, and shapes its glyphs anew.
class WidthScope
{
public:
    WidthScope(QTextDocument *document, double width)
        : m_document(document), m_saved(document->pageSize())
    {
        textruns::layOutInPoints(m_document);
        // A held layout is out of date: it is laid out for the query and held again after it, so
        // that the text is laid out in its own width only when it is drawn.
        const bool held = textruns::isLayoutHeld(m_document);
        const double present = textruns::toPoints(m_saved.width());
        if (held
            || (present != width && !(present >= kOpenWidth && width >= kOpenWidth)
                && !(width >= kOpenWidth && laidOutUnbroken(m_document)))) {
            textruns::keepGlyphs(m_document);
            textruns::setTextWidthInPoints(m_document, width);
        }
        m_document->size(); // finishes the layout
        textruns::keepInLayoutRange(m_document);
    }
    ~WidthScope()
    {
        if (m_document->pageSize() != m_saved)
            m_document->setPageSize(m_saved);
    }
    WidthScope(const WidthScope &) = delete;
    WidthScope &operator=(const WidthScope &) = delete;

private:
    QTextDocument *m_document;
    QSizeF m_saved;
};

// What a text measures laid out wide open: its widest line with the padding, and its height.
struct OpenMeasure
{
    double widestLine = 0.0;
    double height = 0.0;
    // The unpadded width of the first line: the default text's one letter is asked for it.
    double firstLine = 0.0;
    // The first line's baseline from the top of the document.
    double baseline = 0.0;
};

// Everything the open layout of a one-paragraph, one-style text depends on.
struct MeasureKey
{
    QString text;
    QTextCharFormat format;
    QTextBlockFormat block;
    QFont font;
    double margin = 0.0;
    QTextOption::WrapMode wrap = QTextOption::WrapAtWordBoundaryOrAnywhere;
    QTextOption::Flags flags;
    Qt::Alignment alignment;
    // The resolution of the device the text is laid out for (0 for the screen's default): a
    // device's address could be reused by another of other metrics once the first is gone.
    int deviceDpiX = 0;
    int deviceDpiY = 0;

    bool operator==(const MeasureKey &other) const
    {
        return text == other.text && margin == other.margin && wrap == other.wrap && flags == other.flags
               && alignment == other.alignment && deviceDpiX == other.deviceDpiX
               && deviceDpiY == other.deviceDpiY && format == other.format
               && block == other.block && font == other.font;
    }
};

// A merge measures the same few texts in the same styles over and over (each field as it is
// filled, fitted and put back), and each measure lays the text out twice: once wide open and
// once back at its drawn width. The answers are kept per distinct text and style, per thread.
class OpenMeasureCache
{
public:
    static constexpr std::size_t kLimit = 4096;

    static std::optional<MeasureKey> keyFor(const QTextDocument *document)
    {
        if (document->blockCount() != 1)
            return std::nullopt;
        // What an input method is composing is shown in the layout but is no part of the text:
        // a measure taken with it is not the text's, and kept it would be given to the same
        // text in the same style long after the composition ended.
        if (const QTextLayout *lines = document->begin().layout(); lines && !lines->preeditAreaText().isEmpty())
            return std::nullopt;
        const std::vector<textruns::Run> runs = textruns::runsOf(document);
        if (runs.size() != 1)
            return std::nullopt;
        const QTextOption option = document->defaultTextOption();
        MeasureKey key;
        key.text = document->begin().text();
        if (runs.front().length != key.text.size())
            return std::nullopt;
        key.format = runs.front().format;
        key.block = document->begin().blockFormat();
        key.font = document->defaultFont();
        key.margin = document->documentMargin();
        key.wrap = option.wrapMode();
        key.flags = option.flags();
        key.alignment = option.alignment();
        if (const QPaintDevice *device = document->documentLayout()->paintDevice()) {
            key.deviceDpiX = device->logicalDpiX();
            key.deviceDpiY = device->logicalDpiY();
        }
        return key;
    }

    const OpenMeasure *find(const MeasureKey &key) const
    {
        const auto range = m_entries.equal_range(qHash(key.text));
        for (auto entry = range.first; entry != range.second; ++entry)
            if (entry->second.first == key)
                return &entry->second.second;
        return nullptr;
    }

    void insert(MeasureKey key, const OpenMeasure &measure)
    {
        if (m_entries.size() >= kLimit)
            m_entries.clear();
        const std::size_t hash = qHash(key.text);
        m_entries.emplace(hash, std::make_pair(std::move(key), measure));
    }

    static OpenMeasureCache &local()
    {
        static thread_local OpenMeasureCache cache;
        return cache;
    }

private:
    std::unordered_multimap<std::size_t, std::pair<MeasureKey, OpenMeasure>> m_entries;
};

template <typename Visit>
void forEachLine(const QTextDocument *document, Visit visit)
{
    const QAbstractTextDocumentLayout *layout = document->documentLayout();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *lines = block.layout();
        if (!lines)
            continue;
        const QPointF origin = layout->blockBoundingRect(block).topLeft();
        for (int i = 0; i < lines->lineCount(); ++i)
            visit(lines->lineAt(i), origin);
    }
}

// What the glyphs of the laid-out lines cover, in points from the frame's top-left corner (the
// line padding included); a null rectangle when no line is laid out. Lines that draw nothing
// (an empty paragraph) count only when asked for.
QRectF glyphBounds(const QTextDocument *document, bool blankLines)
{
    QRectF bounds;
    forEachLine(document, [&bounds, blankLines](const QTextLine &line, QPointF origin) {
        if (!blankLines && line.naturalTextWidth() <= 0.0)
            return;
        const QRectF units = line.naturalTextRect().translated(origin);
        QRectF glyphs(textruns::toPoints(units.x()), textruns::toPoints(units.y()), textruns::toPoints(units.width()),
                      textruns::toPoints(units.height()));
        glyphs.translate(CDDText::kLinePadding, 0.0);
        bounds = bounds.isNull() ? glyphs : bounds.united(glyphs);
    });
    return bounds;
}

// Lays the text out in the lines of a frame of the width, as it is drawn there. Setting even the
// present width lays the whole text out again: a text laid out so already is left as it is.
void layOutInFrame(QTextDocument *contents, double width)
{
    textruns::layOutInPoints(contents);
    const double lineWidth = std::max(0.0, width - 2.0 * CDDText::kLinePadding);
    if (textruns::isLayoutHeld(contents) || contents->textWidth() != textruns::toUnits(lineWidth)) {
        textruns::keepGlyphs(contents);
        textruns::setTextWidthInPoints(contents, lineWidth);
    }
    textruns::keepInLayoutRange(contents);
}

void rotateAboutCentre(QPainter *painter, double x, double y, double width, double height, double angle)
{
    if (angle == 0.0)
        return;
    painter->translate(x + width / 2.0, y + height / 2.0);
    painter->rotate(angle * 180.0 / M_PI);
    painter->translate(-(x + width / 2.0), -(y + height / 2.0));
}

} // namespace

double CDDText::minSizeY() const
{
    const std::optional<QTextCharFormat> format = GetFontAttr();
    if (!format)
        return 15.0;
    return textruns::pointMetrics(textruns::fontOf(*format, m_defText.get())).lineSpacing();
}

namespace {

OpenMeasure measureOpen(QTextDocument *document)
{
    textruns::layOutInPoints(document);
    std::optional<MeasureKey> key = OpenMeasureCache::keyFor(document);
    if (key) {
        if (const OpenMeasure *known = OpenMeasureCache::local().find(*key))
            return *known;
    }
    OpenMeasure measure;
    measure.widestLine = -std::numeric_limits<double>::infinity();
    {
        WidthScope scope(document, kWideOpen);
        bool first = true;
        forEachLine(document, [&measure, &first](const QTextLine &line, QPointF origin) {
            if (first) {
                measure.firstLine = textruns::toPoints(line.naturalTextWidth());
                measure.baseline = textruns::toPoints(origin.y() + line.y() + line.ascent());
            }
            first = false;
            measure.widestLine = std::max(measure.widestLine,
                                          textruns::toPoints(line.naturalTextWidth()) + 2.0 * CDDText::kLinePadding);
        });
        measure.height = textruns::toPoints(document->size().height());
    }
    if (key)
        OpenMeasureCache::local().insert(std::move(*key), measure);
    return measure;
}

} // namespace

namespace {

// A frame fitted to its text is saved to six significant digits: in whole thousandths of a point
// (rounded up, so that the text stays inside), the size read back is the size measured again, and
// a frame fitted before and after a save, or in two copies of a design, is the same frame.
double savedSize(double points)
{
    return std::ceil(points * 1000.0 - 1e-6) / 1000.0;
}

} // namespace

double CDDText::getContSizeX() const
{
    double width = minSizeX();
    if (!isEmpty())
        width = std::max(width, measureOpen(m_contents.get()).widestLine);
    return savedSize(width + 1.0);
}

double CDDText::getContSizeY() const
{
    if (isEmpty()) {
        // An empty text is measured in its default text's style.
        WidthScope scope(m_defText.get(), kContainerSize);
        const QTextLayout *lines = m_defText->begin().layout();
        return savedSize(lines && lines->lineCount() > 0 ? textruns::toPoints(lines->lineAt(0).height()) : minSizeY());
    }
    return savedSize(measureOpen(m_contents.get()).height);
}

double CDDText::GetBaseLineOffset() const
{
    if (isEmpty()) {
        const std::optional<QTextCharFormat> format = GetFontAttr();
        if (!format)
            return 0.0;
        const textruns::PointMetrics metrics = textruns::pointMetrics(textruns::fontOf(*format, m_defText.get()));
        return metrics.ascent() + metrics.leading();
    }
    // A one-style text has its first baseline where the open layout has it. The fit asks for
    // every field at every size it tries, before the fields are widened to their texts (a width
    // left from an earlier text would break the line only for the moment of the question), and a
    // widened field draws that one open line. The answer is kept per text and style, and a held
    // text stays held until it is drawn.
    if (OpenMeasureCache::keyFor(m_contents.get()))
        return measureOpen(m_contents.get()).baseline;
    textruns::layOutInPoints(m_contents.get());
    // The present layout serves while it holds the whole text; otherwise widen it for the query.
    // A held text is laid out in its own width for good: the lines asked about are the drawn ones,
    // and the rows of a panel ask again for every field.
    if (textruns::layoutWidth(m_contents.get(), kContainerSize) > 0.0)
        textruns::releaseLayout(m_contents.get(), kContainerSize);
    const double present = textruns::textWidthInPoints(m_contents.get());
    WidthScope scope(m_contents.get(), present > 0.0 ? present : kWideOpen);
    const QTextBlock first = m_contents->begin();
    const QTextLayout *lines = first.layout();
    if (!lines || lines->lineCount() == 0)
        return 0.0;
    const QTextLine line = lines->lineAt(0);
    return textruns::toPoints(m_contents->documentLayout()->blockBoundingRect(first).top() + line.y() + line.ascent());
}

double CDDText::getLineOffsetX() const
{
    if (isEmpty())
        return 0.0;
    textruns::layOutInPoints(m_contents.get());
    textruns::releaseLayout(m_contents.get(), kContainerSize);
    m_contents->size();
    const QTextBlock first = m_contents->begin();
    const QTextLayout *lines = first.layout();
    if (!lines || lines->lineCount() == 0)
        return 0.0;
    return kLinePadding + textruns::toPoints(lines->lineAt(0).cursorToX(0));
}

double CDDText::getDefXSpacing() const
{
    // Its one letter breaks no line, so the open measure, kept per style, is its measure.
    return measureOpen(m_defText.get()).firstLine - 2.0 * kLinePadding;
}

double CDDText::getSpaceXSpacing(const QString &text) const
{
    const std::optional<QTextCharFormat> format = GetFontAttr();
    const QFont font = format ? textruns::fontOf(*format, m_contents.get()) : m_contents->defaultFont();
    // The rows of a panel ask for the space after every field at every size the fit tries: the
    // advances are kept per font and text, per thread.
    thread_local QHash<std::pair<QFont, QString>, double> known;
    const std::pair<QFont, QString> key(font, text);
    if (const auto found = known.constFind(key); found != known.constEnd())
        return *found;
    if (known.size() >= 1024)
        known.clear();
    return *known.insert(key, textruns::pointMetrics(font).horizontalAdvance(text));
}

bool CDDText::hitPoint(double x, double y) const
{
    if (isEmpty())
        return false;
    textruns::layOutInPoints(m_contents.get());
    textruns::releaseLayout(m_contents.get(), kContainerSize);
    m_contents->size();
    textruns::keepInLayoutRange(m_contents.get());
    const QRectF bounds = glyphBounds(m_contents.get(), true);
    return !bounds.isNull() && bounds.contains(QPointF(x, y));
}

QRectF CDDText::laidOutLetters(double width, double height) const
{
    if (isEmpty() || isCircleText())
        return isEmpty() ? QRectF() : QRectF(0.0, 0.0, width, height);
    // As draw() lays the lines out: right after a drawing nothing is laid out again.
    layOutInFrame(m_contents.get(), width);
    const QRectF bounds = glyphBounds(m_contents.get(), false);
    return bounds.isNull() ? bounds : bounds.intersected(QRectF(0.0, 0.0, width, height));
}

void CDDText::noteDrawnWithoutFonts()
{
    // Without any font every glyph is a box: the job that prints them says so once.
    if (PWFont::noneInstalled() && PWJobReport::anyOpen())
        PWJobReport::note(PWJobReport::Kind::NoFonts, QStringLiteral("fonts"),
                          QStringLiteral("no fonts are installed (the font configuration names none): "
                                         "every text was printed as boxes"));
}

namespace {

// Spaces, marks of format and controls draw nothing whatever the font.
bool drawsALetter(char32_t code)
{
    const QChar::Category category = QChar::category(code);
    return !QChar::isSpace(code) && category != QChar::Other_Format && category != QChar::Other_Control;
}

// Whether a font or any font the system falls back on for it has a glyph for a letter, as every
// thread has asked so far: the workers of each print job would otherwise ask the fonts again for
// the same few letters.
bool heldAskedOnce(const QFont &font, char32_t code)
{
    static std::mutex mutex;
    static QHash<std::pair<QString, char32_t>, bool> known;
    const std::pair<QString, char32_t> key(font.family(), code);
    {
        const std::lock_guard lock(mutex);
        if (const auto found = known.constFind(key); found != known.constEnd())
            return *found;
    }
    const bool held = QFontMetricsF(font).inFontUcs4(code);
    const std::lock_guard lock(mutex);
    if (known.size() >= 4096)
        known.clear();
    known.insert(key, held);
    return held;
}

// The same, remembered per letter for one family on each thread: most letters are asked again and
// again. A text's run finds its family once and asks for each of its letters there.
class LettersHeld
{
public:
    static LettersHeld &of(const QFont &font)
    {
        thread_local QHash<QString, LettersHeld> families;
        const QString family = font.family();
        if (const auto found = families.find(family); found != families.end())
            return *found;
        if (families.size() >= 64)
            families.clear();
        return *families.insert(family, LettersHeld());
    }

    bool holds(const QFont &font, char32_t code)
    {
        if (const auto found = m_known.constFind(code); found != m_known.constEnd())
            return *found;
        if (m_known.size() >= 4096)
            m_known.clear();
        return *m_known.insert(code, heldAskedOnce(font, code));
    }

private:
    QHash<char32_t, bool> m_known;
};

// A family's name as the system gives it, without the foundry it may carry ("Nimbus Sans [urw]").
QString withoutFoundry(QString family)
{
    if (const qsizetype foundry = family.indexOf(QLatin1String(" [")); foundry > 0 && family.endsWith(u']'))
        family.truncate(foundry);
    return family;
}

// The family the system draws in place of the font's own when that is not installed; empty when
// it is. A family the system maps on purpose to one made to stand in for it, of the same metrics
// ("Helvetica" drawn in a clone of it), counts as installed: only one drawn in the system's
// fallback for a family nobody has is replaced. Remembered per family and style on each thread: a
// job asks for every run of every text.
struct FaceKey
{
    QString family;
    int weight;
    bool italic;
    bool operator==(const FaceKey &) const = default;
};

size_t qHash(const FaceKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.family, key.weight, key.italic);
}

QString familyInPlaceOf(const QFont &font)
{
    thread_local QHash<FaceKey, QString> known;
    const QString asked = font.families().value(0, font.family());
    const FaceKey key{asked, font.weight(), font.italic()};
    if (const auto found = known.constFind(key); found != known.constEnd())
        return *found;
    if (known.size() >= 256)
        known.clear();
    const auto spaceless = [](QString family) { return family.remove(u' ').toCaseFolded(); };
    // A generic family (a text without a font of its own) names no font to be installed.
    static const QStringList kGeneric = {QStringLiteral("sansserif"), QStringLiteral("serif"), QStringLiteral("monospace"),
                                         QStringLiteral("sans"), QStringLiteral("mono")};
    if (asked.isEmpty() || kGeneric.contains(spaceless(asked).remove(u'-')))
        return *known.insert(key, QString());
    const QString drawn = withoutFoundry(QFontInfo(font).family());
    QFont nowhere(font);
    nowhere.setFamilies({QStringLiteral("Parcelwick No Such Family")});
    const QString fallback = withoutFoundry(QFontInfo(nowhere).family());
    const bool replaced = spaceless(drawn) != spaceless(asked) && spaceless(drawn) == spaceless(fallback);
    return *known.insert(key, replaced ? drawn : QString());
}

void noteFontInPlace(const QFont &font, const QTextCharFormat &format)
{
    // A run whose stored font names no family ("" or "-5") is drawn in whatever family the system
    // gives for none, as a font that is not installed is.
    if (format.hasProperty(PWTextAttributes::PostScriptFontName)) {
        const QString stored = format.stringProperty(PWTextAttributes::PostScriptFontName);
        if (PWFont::parsePostScriptName(stored).family.trimmed().isEmpty()) {
            const QString shown = stored.left(40);
            PWJobReport::note(PWJobReport::Kind::FontReplaced, QStringLiteral("\"%1\"").arg(stored),
                              QStringLiteral("a text names no font (\"%1\"): it prints in \"%2\"")
                                  .arg(shown, withoutFoundry(QFontInfo(font).family())));
            return;
        }
    }
    if (format.hasProperty(PWTextAttributes::FontUnderOtherKey)) {
        const QString key = format.stringProperty(PWTextAttributes::FontUnderOtherKey).left(40);
        PWJobReport::note(PWJobReport::Kind::FontReplaced, key,
                          QStringLiteral("a text's font is stored under \"%1\", which names no style: it prints in \"%2\"")
                              .arg(key, withoutFoundry(QFontInfo(font).family())));
        return;
    }
    const QString drawn = familyInPlaceOf(font);
    if (drawn.isEmpty())
        return;
    const QString asked = font.families().value(0, font.family());
    PWJobReport::note(PWJobReport::Kind::FontReplaced, asked,
                      QStringLiteral("the font \"%1\" is not installed: its texts print in \"%2\"").arg(asked, drawn));
}

} // namespace

void CDDText::noteMissingLetters() const
{
    if (!PWJobReport::anyOpen() || PWFont::noneInstalled())
        return;
    QString missing;
    for (QTextBlock block = m_contents->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QFont font = textruns::fontOf(fragment.charFormat(), m_contents.get());
            noteFontInPlace(font, fragment.charFormat());
            LettersHeld &held = LettersHeld::of(font);
            const QString text = fragment.text();
            for (qsizetype i = 0; i < text.size() && missing.size() < 4 * PWJobReport::kNamedLetters;) {
                const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
                const qsizetype length = pair ? 2 : 1;
                const char32_t code = pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
                // A letter is copied out only when it is lacking, which it almost never is.
                if (drawsALetter(code) && !held.holds(font, code)) {
                    const QStringView letter = QStringView(text).mid(i, length);
                    if (!missing.contains(letter))
                        missing += letter;
                }
                i += length;
            }
        }
    }
    // Most texts lack nothing: their characters are not copied out for a note that is not made.
    if (!missing.isEmpty())
        PWJobReport::noteMissingLetters(m_contents->toPlainText(), missing);
}

void CDDText::draw(double x, double y, double width, double height, bool fill, const CDDColor *backColor,
                   CDDDrawer *drawer, double angle, const CDDColor *outlineColor, const CDDPen *pen)
{
    QPainter *painter = drawer ? drawer->GetPainter() : nullptr;
    if (!painter)
        return;
    const QRectF frame(x, y, width, height);

    if ((fill && backColor) || outlineColor) {
        painter->save();
        rotateAboutCentre(painter, x, y, width, height, angle);
        if (fill && backColor)
            painter->fillRect(frame, backColor->toQColor());
        if (outlineColor) {
            QPen stroke(outlineColor->toQColor());
            stroke.setWidthF(pen ? pen->GetWidth() : 1.0);
            painter->setPen(stroke);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(frame);
        }
        painter->restore();
    }

    if (m_isEditing) {
        // The editor shows the text; only a one-pixel frame marks where it stands.
        painter->save();
        rotateAboutCentre(painter, x, y, width, height, angle);
        QPen stroke(drawsupport::knobColor());
        const double resolution = drawer->GetResolution();
        stroke.setWidthF(resolution > 0.0 ? 1.0 / resolution : 1.0);
        painter->setPen(stroke);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(frame);
        painter->restore();
        return;
    }
    if (isEmpty())
        return;
    noteDrawnWithoutFonts();

    m_containerSize = QSizeF(width, height);
    layOutInFrame(m_contents.get(), width);
    // The layout's units are finer than points: the lines are drawn scaled down to the page.
    constexpr double kToPage = 1.0 / textruns::kLayoutScale;
    const QRectF clip(textruns::toUnits(-kLinePadding), 0.0, textruns::toUnits(width), textruns::toUnits(height));
    const QSizeF extent = m_contents->size() * kToPage;
    noteMissingLetters();
    if (angle == 0.0 && extent.width() <= width - kLinePadding && extent.height() <= height) {
        // The usual case, an upright text whose lines all lie inside its frame: drawn without
        // saving the painter's state or clipping, as a printer's engine writes the whole state
        // out at every save, restore and clip. What the lines change is put back by hand.
        const QTransform transform = painter->worldTransform();
        const QPen pen = painter->pen();
        const QBrush brush = painter->brush();
        const QFont font = painter->font();
        painter->translate(x + kLinePadding, y);
        painter->scale(kToPage, kToPage);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        m_contents->documentLayout()->draw(painter, context);
        painter->setWorldTransform(transform);
        painter->setPen(pen);
        painter->setBrush(brush);
        if (painter->font() != font)
            painter->setFont(font);
        return;
    }
    painter->save();
    rotateAboutCentre(painter, x, y, width, height, angle);
    painter->translate(x + kLinePadding, y);
    painter->scale(kToPage, kToPage);
    // Lines that do not fit the frame's height are not shown.
    m_contents->drawContents(painter, clip);
    painter->restore();
}

void CDDText::updateFontSizeWithKoeff(double factor)
{
    const std::optional<PWFont> font = GetFont();
    if (!font)
        return;
    double size = std::trunc(font->pointSize() * factor);
    if (!(size >= kMinFontSize))
        size = kMinFontSize;
    SetFont(PWFont(font->postScriptName(), size, font->flags()));
}
