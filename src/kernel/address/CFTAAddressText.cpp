#include "kernel/address/CFTAAddressText.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/render/CDDArchiveText.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/FTGeometry.h"
#include "kernel/component/FTComponentFactory.h"
#include "kernel/text/CFTACapitalsTyping.h"

#include <QTextDocument>

#include <utility>

namespace {

const CDDColor &labelGrey()
{
    static const CDDColor grey(0.48f, 0.48f, 0.48f, 1.0f);
    return grey;
}

} // namespace

CFTAAddressText::CFTAAddressText(bool toFrom, textCategory category, addressType type, const CDDString *label,
                                 const CFTComponent *parent)
    : CFTAText(parent, false)
{
    init(parent);
    m_bToFrom = toFrom;
    m_textCategory = category;
    m_addressType = type;
    if (label)
        CFTAAddressText::setLabel(*label);
}

CFTAAddressText::CFTAAddressText(const CFTComponent *parent)
    : CFTAText(parent, false)
{
    init(parent);
}

CFTAAddressText::CFTAAddressText(double x, double y, textCategory category, const CDDString *label,
                                 CFTComponent *parent)
    : CFTAText(x, y, parent, false)
{
    init(parent);
    m_textCategory = category;
    if (label)
        CFTAAddressText::setLabel(*label);
}

CFTAAddressText::~CFTAAddressText()
{
    QObject::disconnect(m_typingWatch);
}

void CFTAAddressText::init(const CFTComponent *parent)
{
    m_bEnumMark = false;
    if (parent) {
        mLabel.setDefComponentStyle(parent->GetFontAttr(nullptr));
        if (const std::optional<PWFont> font = parent->GetFont(nullptr))
            mLabel.SetFont(*font);
        mLabel.setTextColor(labelGrey());
    }
    m_textCategory = tcSimpleText;
    m_bToFrom = true;
    m_addressType = adWork;
    m_fieldMode = fmWhenFilled;
    m_bPreferred = true;
    m_countryStyle = kCountryStyleOther;
}

const CDDText &CFTAAddressText::shownText() const
{
    return mText.isEmpty() && !m_bIsEditing ? mLabel : mText;
}

// --- Showing and spacing -----------------------------------------------------------------------------

bool CFTAAddressText::isEnabled(bool showAll) const
{
    if (m_fieldMode == fmNever)
        return false;
    if (m_fieldMode == fmAlways)
        return true;
    return showAll || !mText.isEmpty() || m_bIsEditing;
}

double CFTAAddressText::GetPaddedRightSizeX() const
{
    const double inset = 2.0 * mText.getContOffsetX();
    if (m_countryStyle == kCountryStyleCanada && (m_textCategory == tcState || m_textCategory == tcZIP))
        return mText.getSpaceXSpacing(QStringLiteral("  ")) - inset;
    if (m_countryStyle == kCountryStyleUS
        && (m_textCategory == tcCity || m_textCategory == tcState || m_textCategory == tcZIP))
        return mText.getDefXSpacing() - inset;
    return mText.getSpaceXSpacing(QStringLiteral(" ")) - inset;
}

int CFTAAddressText::setFormat(const CAddressFormat *format, int)
{
    m_countryStyle = kCountryStyleOther;
    if (!format || !m_bToFrom)
        return 0;
    const CAddressFormat *country = format->getFormatWithKey(tcAddress);
    const CDDString *code = country ? country->name() : nullptr;
    if (!code)
        return 0;
    if (code->getData() == QLatin1String("us"))
        m_countryStyle = kCountryStyleUS;
    else if (code->getData() == QLatin1String("ca"))
        m_countryStyle = kCountryStyleCanada;
    return 0;
}

double CFTAAddressText::GetBaseLineOffset() const
{
    return (mText.isEmpty() ? mLabel : mText).GetBaseLineOffset() + mdOriginY;
}

// --- Fitting, drawing and picking --------------------------------------------------------------------

void CFTAAddressText::ExpandByText()
{
    const CDDText &shown = shownText();
    const double width = shown.getContSizeX();
    if (width > mdSizeX || !m_bIsEditing)
        m_bTouched = false;
    ExpandBySize(width, shown.getContSizeY());
}

void CFTAAddressText::SetMinMax(int dot)
{
    SetMinMaxSize(dot, mText.isEmpty() ? &mLabel : &mText);
}

void CFTAAddressText::Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool,
                           bool printing)
{
    if (!mText.isEmpty() || m_bIsEditing) {
        CFTAText::Draw(drawer, selected, components, false, false);
        return;
    }
    if (printing)
        return;
    if (m_bNeedAutoExpand) {
        ExpandByText();
        m_bNeedAutoExpand = false;
    }
    if (!drawer)
        return;
    mLabel.draw(mdOriginX, mdOriginY, mdSizeX, mdSizeY, false, nullptr, drawer, mdAngle, nullptr, nullptr);
    if (selected)
        drawer->DrawSelectTextRect(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdAngle);
}

CFTComponent *CFTAAddressText::PickMe(double x, double y, bool &selected, double tolerance, actionType &action,
                                      int mode)
{
    if (!mText.isEmpty())
        return CFTAText::PickMe(x, y, selected, tolerance, action, mode);
    if (mdAngle != 0.0)
        rotatePoint(&x, &y, -mdAngle, centerX(), centerY());
    if (!(x > mdOriginX && x < mdOriginX + mdSizeX && y > mdOriginY && y < mdOriginY + mdSizeY))
        return nullptr;
    if (!m_bFillBack && !mLabel.hitPoint(x - mdOriginX, y - mdOriginY))
        action = actionNone;
    return this;
}

// --- Editing -----------------------------------------------------------------------------------------

void CFTAAddressText::beginEditing(QObject *view, QObject *editor)
{
    CFTAText::startEditText(view, editor);
}

void CFTAAddressText::startEditText(QObject *view, QObject *editor)
{
    if (mText.isEmpty())
        m_bTouched = true;
    beginEditing(view, editor);
}

void CFTAAddressText::startEditText(QObject *view, QObject *editor, bool)
{
    beginEditing(view, editor);
    if (mText.isEmpty())
        m_bTouched = true;
}

CFTComponent *CFTAAddressText::endEditText(QObject *editor)
{
    const bool wasEditing = m_bIsEditing;
    CFTComponent *const result = CFTAText::endEditText(editor);
    QObject::disconnect(m_typingWatch);
    const qsizetype delimiterAt = std::exchange(m_delimiterAt, -1);
    if (mText.isEmpty())
        NeedAutoExpand();
    if (wasEditing) {
        const QString text = mText.getString();
        // The panel's delimiter still at the end, where the user left it: the text before it is
        // what was typed, the delimiter stays the panel's to keep or take away. Anything else
        // typed is the field's own text, a typed delimiter included.
        if (delimiterAt > 0 && delimiterAt + m_formatDelimiter.size() == text.size() && text.endsWith(m_formatDelimiter)) {
            keepOwnString(text.left(delimiterAt), text);
            m_bResetFormatRules = false;
        } else {
            keepOwnString(text, text);
        }
    }
    return result;
}

void CFTAAddressText::watchPunctuationWhileTyping()
{
    QObject::disconnect(m_typingWatch);
    m_delimiterAt = -1;
    const QString shown = mText.getString();
    QTextDocument *contents = mText.getContents();
    // Only a delimiter the panel put there: one the person's or the user's text ends with is theirs.
    if (!contents || m_formatDelimiter.isEmpty() || !shown.endsWith(m_formatDelimiter) || personString() == shown)
        return;
    m_delimiterAt = shown.size() - m_formatDelimiter.size();
    m_typingWatch = QObject::connect(contents, &QTextDocument::contentsChange, contents,
                                     [this, contents](int position, int removed, int added) {
                                         if (m_delimiterAt < 0)
                                             return;
                                         const qsizetype length = m_formatDelimiter.size();
                                         if (position + removed <= m_delimiterAt) {
                                             m_delimiterAt += added - removed;
                                             return;
                                         }
                                         if (position >= m_delimiterAt + length)
                                             return;
                                         // Over the delimiter: kept only when its letters stay (a
                                         // style given to them).
                                         const bool restyled =
                                             removed == added
                                             && contents->toPlainText().mid(m_delimiterAt, length) == m_formatDelimiter;
                                         if (!restyled)
                                             m_delimiterAt = -1;
                                     });
}

void CFTAAddressText::selectAll()
{
    CFTAText::selectAll();
}

// --- Text and label ----------------------------------------------------------------------------------

void CFTAAddressText::SetString(const CDDString &text)
{
    CFTAText::SetString(text);
}

void CFTAAddressText::SetString(bool toFrom, textCategory category, addressType type, const CDDString &text,
                                textCategory, bool)
{
    if (toFrom != m_bToFrom || category != m_textCategory || type != m_addressType)
        return;
    if (!m_bFilled) {
        m_textBeforeFill = mText.getDDString();
        m_bTypedBeforeFill = m_bResetFormatRules;
        m_bFilled = true;
    }
    // The mark of typing belongs to the text typed: a person's other text is punctuated by the
    // panel again. The person's own text put back after typing keeps it.
    if (m_bResetFormatRules && text.getData() != personString())
        m_bResetFormatRules = false;
    // Known before the text changes: whoever hears of the change reads the field back.
    keepOwnString(text.getData(), text.getData());
    replaceShownString(text);
}

// --- Punctuation of a panel ------------------------------------------------------------------------

void CFTAAddressText::keepOwnString(const QString &own, const QString &shown)
{
    m_ownText = own;
    m_punctuatedText = shown;
    m_bOwnTextKnown = true;
}

bool CFTAAddressText::ownStringKnown() const
{
    return m_bOwnTextKnown && (m_bReplacingShown || mText.getString() == m_punctuatedText);
}

QString CFTAAddressText::personString() const
{
    if (ownStringKnown())
        return m_ownText;
    const CDDString shown = mText.getDDString();
    if (m_formatDelimiter.isEmpty())
        return shown.getData();
    return CDDString::createStringByRemovingString(m_formatDelimiter, shown, shown, true, false)->getData();
}

QString CFTAAddressText::personLetters() const
{
    const QString own = personString();
    const QString shown = mText.getString();
    const QString typed = typedString();
    // The shown text is the own one, the panel's delimiter perhaps after it: the letters typed
    // beneath it stand at the same places.
    if (typed != shown && typed.size() == shown.size() && shown.startsWith(own))
        return typed.left(own.size());
    return own;
}

QString CFTAAddressText::lettersBeneathCapitals() const
{
    const QString shown = mText.getString();
    if (m_personLetters && typedString() == shown) {
        const QString own = personString();
        if (m_personLetters->size() == own.size() && CFTACapitalsTyping::inCapitals(*m_personLetters) == own
            && shown.startsWith(own))
            return *m_personLetters + shown.mid(own.size());
    }
    return CFTAText::lettersBeneathCapitals();
}

void CFTAAddressText::restoreOwnText(const OwnText &kept)
{
    m_ownText = kept.own;
    m_punctuatedText = kept.punctuated;
    m_bOwnTextKnown = kept.known;
    m_bResetFormatRules = kept.typed;
}

void CFTAAddressText::setPunctuatedString(const CDDString &shown)
{
    keepOwnString(personString(), shown.getData());
    replaceShownString(shown);
}

void CFTAAddressText::adoptPersonString(const QString &person)
{
    const QString shown = mText.getString();
    bool own = shown == person;
    if (!own && !person.isEmpty() && !m_formatDelimiter.isEmpty()) {
        const CDDString text(person);
        const std::unique_ptr<CDDString> punctuated =
            CDDString::createStringByAppendingString(m_formatDelimiter, text, text, true, false);
        own = punctuated && punctuated->getData() == shown;
    }
    if (own)
        keepOwnString(person, shown);
}

void CFTAAddressText::showOwnString()
{
    const QString own = personString();
    keepOwnString(own, own);
    if (own != mText.getString())
        replaceShownString(CDDString(own));
}

void CFTAAddressText::replaceShownString(const CDDString &shown)
{
    // The text is replaced piece by piece, and each piece is heard of: meanwhile the field's own
    // text is the one it had.
    m_bReplacingShown = true;
    CFTAText::SetString(shown);
    m_bReplacingShown = false;
}

void CFTAAddressText::setLabel(const CDDString &label)
{
    const std::optional<QTextCharFormat> style = mLabel.GetFontAttr(nullptr);
    mLabel.setString(label.getData(), style ? &*style : nullptr);
    if (mText.isEmpty())
        ExpandByText();
}

CFTComponent *CFTAAddressText::SetTextCategory(textCategory category, const CDDString *label)
{
    m_textCategory = category;
    if (label)
        mLabel.setString(label->getData(), nullptr);
    return this;
}

CFTComponent *CFTAAddressText::GetObjectForTextCategory(textCategory category)
{
    return category == m_textCategory ? this : nullptr;
}

const CFTComponent *CFTAAddressText::GetObjectForTextCategory(textCategory category) const
{
    return category == m_textCategory ? this : nullptr;
}

int CFTAAddressText::GetContainTextCategories(textCategory *categories, int maximum)
{
    if (!categories || maximum <= 0)
        return 0;
    categories[0] = m_textCategory;
    return 1;
}

// --- Text style: the label follows the text -----------------------------------------------------------

void CFTAAddressText::updateFontSizeWithKoeff(double factor)
{
    mText.updateFontSizeWithKoeff(factor);
    mLabel.updateFontSizeWithKoeff(factor);
    ExpandByText();
}

void CFTAAddressText::SetAlignment(textAlignment alignment)
{
    mLabel.SetAlignment(alignment);
    CFTAText::SetAlignment(alignment);
}

void CFTAAddressText::SetFont(const PWFont &font)
{
    mLabel.SetFont(font);
    CFTAText::SetFont(font);
}

void CFTAAddressText::SetFontAttr(const QTextCharFormat &attributes)
{
    mLabel.SetFontAttr(attributes, true);
    CFTAText::SetFontAttr(attributes);
}

void CFTAAddressText::MergeFontAttr(const QTextCharFormat &changed)
{
    mLabel.MergeFontAttr(changed, true);
    CFTAText::MergeFontAttr(changed);
}

void CFTAAddressText::IncreaseFontSize()
{
    mLabel.IncreaseFontSize();
    CFTAText::IncreaseFontSize();
}

void CFTAAddressText::DecreaseFontSize()
{
    mLabel.DecreaseFontSize();
    CFTAText::DecreaseFontSize();
}

void CFTAAddressText::raiseBaseline()
{
    mLabel.raiseBaseline();
    CFTAText::raiseBaseline();
}

void CFTAAddressText::lowerBaseline()
{
    mLabel.lowerBaseline();
    CFTAText::lowerBaseline();
}

void CFTAAddressText::loosenKerning()
{
    mLabel.loosenKerning();
    CFTAText::loosenKerning();
}

void CFTAAddressText::tightenKerning()
{
    mLabel.tightenKerning();
    CFTAText::tightenKerning();
}

void CFTAAddressText::setBaseline(float baseline)
{
    mLabel.setBaseline(baseline);
    CFTAText::setBaseline(baseline);
}

void CFTAAddressText::setKerning(float kerning)
{
    mLabel.setKerning(kerning);
    CFTAText::setKerning(kerning);
}

void CFTAAddressText::ChangeFontSize(double delta)
{
    mLabel.ChangeFontSize(delta);
    CFTAText::ChangeFontSize(delta);
}

void CFTAAddressText::SetFontSize(double size)
{
    // The label keeps its own size: only the face follows.
    const std::optional<PWFont> font = mText.GetFont(nullptr);
    const std::optional<PWFont> labelFont = mLabel.GetFont(nullptr);
    if (font && labelFont)
        mLabel.SetFont(PWFont(font->postScriptName(), labelFont->pointSize(), font->flags()));
    CFTAText::SetFontSize(size);
}

// --- Copy, undo and archive --------------------------------------------------------------------------

void CFTAAddressText::snapshotObject()
{
    CFTAText::snapshotObject();
}

void CFTAAddressText::restoreObject()
{
    CFTAText::restoreObject();
    ExpandByText();
}

void CFTAAddressText::Copy(const CFTComponent *other)
{
    CFTAText::Copy(other);
    const auto *source = dynamic_cast<const CFTAText *>(other);
    if (!source)
        return;
    if (const std::optional<QTextCharFormat> style = source->getDDText()->GetFontAttr(nullptr))
        mLabel.SetFontAttr(*style, false);
}

void CFTAAddressText::noteNoCategory(const CDDArchive &archive) const
{
    if (archive.getBundleVersion() <= FTComponentFactory::kLastOldBundleVersion)
        return;
    archive.noteKept(key_TextCategory,
                     QStringLiteral("\"%1\" of %2 is -1, which names no field: it is read as %3")
                         .arg(key_TextCategory, CDDReadReport::placeOf(archive.readDictionary()),
                              m_textCategory == tcSimpleText
                                  ? QStringLiteral("a text of its own, which no person fills")
                                  : QStringLiteral("the field its class makes")));
}

bool CFTAAddressText::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *)
{
    if (!CFTAText::Serialize(archive, nullptr))
        return false;
    if (archive.isStoring()) {
        // Written whether or not the text is empty: an empty field shown always must come back
        // shown, with its style carried by the text's default value.
        archive.SetData(key_TextCategory, int(m_textCategory));
        archive.SetData(key_FieldMode, int(m_fieldMode));
        archive.SetData(key_AddressPanelToFrom, m_bToFrom);
        archive.SetData(key_AddressSource, int(m_addressType));
        archive.SetData(key_IsPreferred, m_bPreferred);
        archiveSetText(archive, key_Label, mLabel);
        return true;
    }
    int category = int(m_textCategory);
    if (archive.GetData(key_TextCategory, &category, CDDRanges::kTextCategory)) {
        if (category != tcNone)
            m_textCategory = textCategory(category);
        else
            noteNoCategory(archive);
    }
    // A simple text prints what was typed into it; every other field is filled from a person, and
    // prints what it holds where none is given.
    if (getClassID() == ciAddressText && m_textCategory == tcSimpleText)
        showInCapitalsAsAsked();
    // Older files carry "Enabled" instead of a mode: its presence alone, whatever it holds,
    // means the field shows when filled.
    if (!archive.getDict().value(key_Enabled).isNull()) {
        m_fieldMode = fmWhenFilled;
    } else {
        int mode = int(m_fieldMode);
        if (archive.GetData(key_FieldMode, &mode, CDDRanges::kFieldMode))
            m_fieldMode = fieldMode(mode);
    }
    archive.GetData(key_AddressPanelToFrom, &m_bToFrom);
    int type = int(m_addressType);
    if (archive.GetData(key_AddressSource, &type, CDDRanges::kAddressType))
        m_addressType = addressType(type);
    archive.GetData(key_IsPreferred, &m_bPreferred);
    if (!archiveGetText(archive, key_Label, mLabel)) {
        const std::optional<QTextCharFormat> style = mText.GetFontAttr(nullptr);
        mLabel.setString(CDDString::createDefTextLabel().getData(), style ? &*style : nullptr);
        mLabel.setTextColor(labelGrey());
    }
    ExpandByText();
    return true;
}
