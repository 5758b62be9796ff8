#include "kernel/render/CDDText.h"

#include "kernel/base/FTGeometry.h"
#include "platform/PWObjectHandOver.h"
#include "platform/PWTextAttributes.h"
#include "kernel/render/CDDFieldEditor.h"
#include "kernel/render/CDDTextRuns.h"

#include <QLoggingCategory>
#include <QMap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>

Q_LOGGING_CATEGORY(lcText, "pw.kernel.text")

namespace {

// Characters without a font draw in 12-point Helvetica, as styled text without attributes
// always has; the user's default font reaches texts through the default component instead.
const QFont &unstyledFont()
{
    static const QFont font = [] {
        QFont unstyled = PWFont(QStringLiteral("Helvetica"), 12.0).toQFont();
        textruns::spellOutLigatures(&unstyled);
        return unstyled;
    }();
    return font;
}

// Both documents lay out without a frame margin: the contents' line inset is added where the
// text is measured and drawn.
std::unique_ptr<QTextDocument> makeDocument()
{
    auto document = std::make_unique<QTextDocument>();
    PWObjectHandOver::noteMade(document.get());
    textruns::layOutInPoints(document.get());
    document->setDocumentMargin(0.0);
    document->setDefaultFont(unstyledFont());
    // Only typing in the editor is taken back through the document; merges and commands are
    // the document's undo manager's, so the document keeps no history of them.
    document->setUndoRedoEnabled(false);
    textruns::setTextWidthInPoints(document.get(), CDDText::kContainerSize);
    return document;
}

QTextBlockFormat firstBlockFormat(const QTextDocument *document)
{
    return document->begin().blockFormat();
}

// The data field a run belongs to, or nothing.
std::optional<int> textTag(const QTextCharFormat &format)
{
    const QVariantMap custom = format.property(PWTextAttributes::CustomAttributes).toMap();
    const auto found = custom.constFind(QStringLiteral("FTTextTag"));
    if (found == custom.constEnd())
        return std::nullopt;
    bool ok = false;
    const int tag = found->toInt(&ok);
    return ok ? std::optional<int>(tag) : std::nullopt;
}

} // namespace

CDDText::CDDText(bool circleText)
    : m_contents(makeDocument()),
      m_defText(makeDocument()),
      m_isCircleText(circleText)
{
    // The default text carries a style; it is laid out only for the rare query of its measures.
    textruns::holdLayout(m_defText.get());
    m_defText->setPlainText(QStringLiteral("M"));
}

CDDText::~CDDText() = default;

CDDText &CDDText::operator=(const CDDText &other)
{
    if (this != &other)
        m_contents = other.m_contents;
    return *this;
}

std::shared_ptr<const CDDText::StoredForm> CDDText::storedForm(int form) const
{
    std::lock_guard lock(m_storedMutex);
    return form >= 0 && form < kStoredForms ? m_stored[size_t(form)] : nullptr;
}

void CDDText::keepStoredForm(int form, std::shared_ptr<const StoredForm> stored) const
{
    std::lock_guard lock(m_storedMutex);
    if (form >= 0 && form < kStoredForms)
        m_stored[size_t(form)] = std::move(stored);
}

void CDDText::copy(const CDDText *other)
{
    if (!other || other == this)
        return;
    if (!m_isEditing)
        textruns::holdLayout(m_contents.get());
    other->getAttributedString().writeTo(m_contents.get());
    PWAttributedString::fromDocument(other->m_defText.get()).writeTo(m_defText.get());
    textruns::applyLayoutExtras(m_contents.get());
    textruns::applyLayoutExtras(m_defText.get());
}

// --- Reading --------------------------------------------------------------------------------------

QTextDocument *CDDText::getContents() const
{
    textruns::releaseLayout(m_contents.get(), kContainerSize);
    return m_contents.get();
}

bool CDDText::isEmpty() const
{
    return m_contents->isEmpty();
}

QString CDDText::getString() const
{
    // The raw text keeps no-break spaces and line separators as typed; only the paragraph
    // separators between blocks become the newlines the text was typed with.
    QString text = m_contents->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

PWAttributedString CDDText::getAttributedString() const
{
    return PWAttributedString::fromDocument(m_contents.get());
}

CDDString CDDText::getDDString() const
{
    return CDDString(getString());
}

bool CDDText::isEqualToString(const QString &text) const
{
    return getString() == text;
}

std::optional<QTextCharFormat> CDDText::GetFontAttr(bool *mixed) const
{
    if (isEmpty()) {
        if (mixed)
            *mixed = false;
        return textruns::firstFormat(m_defText.get());
    }
    if (mixed && textruns::hasSeveralStyles(m_contents.get(), false))
        *mixed = true;
    return textruns::firstFormat(m_contents.get());
}

std::optional<PWFont> CDDText::GetFont(bool *mixed) const
{
    const QTextDocument *document = isEmpty() ? m_defText.get() : m_contents.get();
    if (isEmpty()) {
        if (mixed)
            *mixed = false;
    } else if (mixed && textruns::hasSeveralStyles(document, true)) {
        *mixed = true;
    }
    const std::optional<QTextCharFormat> format = textruns::firstFormat(document);
    if (!format)
        return std::nullopt;
    const QFont font = textruns::fontOf(*format, document);
    return PWFont::fromQFont(font, format->stringProperty(PWTextAttributes::PostScriptFontName));
}

// --- Changing ---------------------------------------------------------------------------------------

void CDDText::restyleDefText()
{
    const std::optional<QTextCharFormat> style = GetFontAttr();
    if (!style)
        return;
    // A merge refills texts in the style they already have: restyling the default text alike
    // would only lay it out again.
    const QTextBlock first = m_defText->begin();
    if (m_defText->blockCount() == 1 && first.charFormat() == *style) {
        const std::vector<textruns::Run> runs = textruns::runsOf(m_defText.get());
        if (runs.size() == 1 && runs.front().length == first.length() - 1 && runs.front().format == *style)
            return;
    }
    textruns::setWhole(m_defText.get(), *style);
}

void CDDText::setString(const QString &text, const QTextCharFormat *attributes)
{
    if (getString() == text)
        return;
    const PWAttributedString replacement(text, attributes ? *attributes : QTextCharFormat(),
                                         firstBlockFormat(m_contents.get()));
    if (m_isEditing) {
        // The editor shows this very document: replace in one undoable step, so that the edit
        // can be taken back like typing.
        QTextDocument styled;
        replacement.writeTo(&styled);
        QTextCursor cursor(m_contents.get());
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        if (!text.isEmpty())
            cursor.insertFragment(QTextDocumentFragment(&styled));
        cursor.endEditBlock();
    } else {
        // No layout while the text is replaced piece by piece, nor after: a filled text is
        // usually restyled or measured open before it is drawn in its width.
        textruns::holdLayout(m_contents.get());
        replacement.writeTo(m_contents.get());
        textruns::keepGlyphs(m_contents.get());
    }
    restyleDefText();
    m_isNewText = false;
}

void CDDText::setAttributedString(const PWAttributedString &text)
{
    // Neither the text as written nor its paragraphs in layout units are laid out: the whole
    // text is laid out once, in its frame's width, when it is measured or drawn.
    if (!m_isEditing)
        textruns::holdLayout(m_contents.get());
    text.writeTo(m_contents.get());
    textruns::applyLayoutExtras(m_contents.get());
    m_isNewText = false;
    restyleDefText();
}

void CDDText::setDefText(const PWAttributedString &text)
{
    text.writeTo(m_defText.get());
    textruns::applyLayoutExtras(m_defText.get());
}

void CDDText::setStringIntValue(int value)
{
    const std::optional<QTextCharFormat> style = GetFontAttr();
    setString(QString::number(value), style ? &*style : nullptr);
}

void CDDText::addLeadingZeros(int width)
{
    // A width read from a damaged design must not ask for the memory of millions of zeros.
    width = std::min(width, kMaxLeadingZerosWidth);
    QString text = getString();
    if (text.size() < width)
        text.insert(text.startsWith(QLatin1Char('-')) ? 1 : 0, QString(width - text.size(), QLatin1Char('0')));
    const std::optional<QTextCharFormat> style = GetFontAttr();
    setString(text, style ? &*style : nullptr);
}

void CDDText::copyAttributesToString(PWAttributedString *target) const
{
    if (!target) {
        qCWarning(lcText) << "Attempt to set attribs to not mutable string!";
        return;
    }
    if (isEmpty() || target->isEmpty())
        return;

    // The first run of each data field gives that field's style.
    QMap<int, QTextCharFormat> tagged;
    std::optional<QTextCharFormat> untagged;
    for (const textruns::Run &run : textruns::runsOf(m_contents.get())) {
        const std::optional<int> tag = textTag(run.format);
        if (tag) {
            if (!tagged.contains(*tag))
                tagged.insert(*tag, run.format);
        } else if (!untagged) {
            untagged = run.format;
        }
    }
    QTextCharFormat fallback;
    if (untagged) {
        fallback = *untagged;
    } else if (!tagged.isEmpty()) {
        fallback = tagged.first();
        QVariantMap custom = fallback.property(PWTextAttributes::CustomAttributes).toMap();
        custom.remove(QStringLiteral("FTTextTag"));
        if (custom.isEmpty())
            fallback.clearProperty(PWTextAttributes::CustomAttributes);
        else
            fallback.setProperty(PWTextAttributes::CustomAttributes, custom);
    }

    PWAttributedString styled;
    for (const PWAttributedString::Run &run : target->runs()) {
        const std::optional<int> tag = textTag(run.charFormat);
        QTextCharFormat format = run.charFormat;
        format.merge(tag && tagged.contains(*tag) ? tagged.value(*tag) : fallback);
        // The paragraph styles of the target are dropped: the text's own alignment applies.
        styled.append(target->string().mid(run.start, run.length), format);
    }
    *target = styled;
}

std::unique_ptr<CDDText> CDDText::createTextByAppendingString(const QString &suffix, const CDDText &text,
                                                               bool avoidRepeat)
{
    QString string = text.getString();
    // A text already ending with the suffix stays as it is rather than losing its characters.
    if (!(avoidRepeat && !suffix.isEmpty() && string.trimmed().endsWith(suffix)))
        string += suffix;
    auto result = std::make_unique<CDDText>(false);
    const std::optional<QTextCharFormat> style = text.GetFontAttr();
    result->setString(string, style ? &*style : nullptr);
    return result;
}

std::unique_ptr<CDDText> CDDText::createTextWihLinkedText(const CDDText &first, const CDDText &second,
                                                           bool firstAhead)
{
    auto result = std::make_unique<CDDText>(false);
    result->setString(firstAhead ? first.getString() + second.getString() : second.getString() + first.getString(),
                      nullptr);
    return result;
}

void CDDText::setDefComponentStyle(const std::optional<QTextCharFormat> &style)
{
    if (style)
        SetFontAttr(*style, false);
}

void CDDText::snapshotObject()
{
    if (const std::optional<PWFont> font = GetFont())
        m_snapshotFontSize = font->pointSize();
}

void CDDText::restoreObject()
{
    const std::optional<PWFont> font = GetFont();
    if (!font)
        return;
    // A text the filters left at its size keeps its runs as they are (and is not laid out again).
    const double size = std::max(m_snapshotFontSize, kMinFontSize);
    if (font->pointSize() != size)
        SetFont(PWFont(font->postScriptName(), size, font->flags()));
}

// --- In-place editing ---------------------------------------------------------------------------------

namespace {

// Where the editor's lines stand in a frame: inside the line inset the text is drawn with, so that
// the editor shows the text where the canvas draws it.
QRectF linesFrame(double x, double y, double width, double height)
{
    return QRectF(x + CDDText::kLinePadding, y, std::max(0.0, width - 2.0 * CDDText::kLinePadding), height);
}

} // namespace

void CDDText::startEditing(double x, double y, double width, double height, double angle)
{
    m_isEditing = true;
    m_selectAllOnAttach = false;
    m_contents->setUndoRedoEnabled(true);
    m_editorFrame = linesFrame(x, y, width, height);
    setEditorAngle(angle, x, y, width, height);
    if (m_isNewText || isEmpty())
        m_contents->clear();
}

void CDDText::endEditing(const QTextCharFormat *typingFormat)
{
    if (!m_isEditing)
        return;
    m_isEditing = false;
    m_isNewText = false;
    m_selectAllOnAttach = false;
    m_fieldEditor = nullptr;
    m_fieldEditorLifetime.clear();
    m_contents->setUndoRedoEnabled(false);
    if (isEmpty() && typingFormat)
        textruns::setWhole(m_defText.get(), *typingFormat);
    m_editorRotation = 0.0;
}

void CDDText::setFieldEditor(CDDFieldEditor *editor, QObject *lifetime)
{
    if (!m_isEditing)
        return;
    m_fieldEditor = editor;
    m_fieldEditorLifetime = lifetime;
    if (m_selectAllOnAttach && editor && lifetime) {
        m_selectAllOnAttach = false;
        editor->selectAllText();
    }
}

bool CDDText::IsHaveSelect() const
{
    return m_isEditing && m_fieldEditor && m_fieldEditorLifetime && m_fieldEditor->hasSelectedText();
}

void CDDText::selectAll()
{
    if (m_isEditing && m_fieldEditor && m_fieldEditorLifetime)
        m_fieldEditor->selectAllText();
    else if (m_isEditing)
        m_selectAllOnAttach = true;
}

std::optional<QTextCharFormat> CDDText::editorTypingFormat() const
{
    if (!m_isEditing || !m_fieldEditor || !m_fieldEditorLifetime)
        return std::nullopt;
    return m_fieldEditor->typingFormat();
}

void CDDText::setEditingOrigin(double x, double y)
{
    if (m_isEditing)
        m_editorFrame.moveTopLeft(QPointF(x + kLinePadding, y));
}

void CDDText::setEditorAngle(double angle, double x, double y, double width, double height)
{
    if (!m_isEditing || angle == 0.0)
        return;
    // The editor turns about its own origin: place that origin where the frame's corner lands
    // when the frame turns about its centre.
    double ox = x + kLinePadding;
    double oy = y;
    rotatePoint(&ox, &oy, angle, x + width / 2.0, y + height / 2.0);
    m_editorFrame.moveTopLeft(QPointF(ox, oy));
    m_editorRotation = angle * 180.0 / M_PI;
}

void CDDText::SetMaxSizeForJapan(double x, double y, double width, double height, double angle) const
{
    if (!m_isEditing || !m_fieldEditor || !m_fieldEditorLifetime || !m_fieldEditor->hasMarkedText())
        return;
    const Qt::Alignment alignment = m_contents->firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    double ox = x + kLinePadding;
    if (alignment & Qt::AlignRight)
        ox = x + width - kLinePadding - kContainerSize;
    else if (alignment & Qt::AlignHCenter)
        ox = x + (width - kContainerSize) / 2.0;
    double oy = y;
    if (angle != 0.0) {
        ox = x;
        rotatePoint(&ox, &oy, angle, x + width / 2.0, y + height / 2.0);
    }
    m_editorFrame = QRectF(ox, oy, kContainerSize, kContainerSize);
}

void CDDText::alignEditorFrame(double angle, double x, double y, double width, double height)
{
    if (!m_isEditing)
        return;
    m_editorFrame = linesFrame(x, y, width, height);
    if (angle != 0.0 || m_editorRotation != 0.0) {
        m_editorRotation = 0.0;
        setEditorAngle(angle, x, y, width, height);
    }
}
