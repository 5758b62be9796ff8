// The operations that only text, address, picture and series-printing components give a meaning:
// here they do nothing and answer "none", so that callers may ask any component.

#include "kernel/component/CFTComponent.h"

#include "platform/PWImage.h"

QString CFTComponent::getContextMenu() const
{
    return QString();
}

int CFTComponent::PickText(double, double, double)
{
    return 0;
}

bool CFTComponent::GetToFrom() const
{
    return true;
}

void CFTComponent::SetToFrom(bool)
{
}

void CFTComponent::ModifyVectorForConstrain(int, double *, double *, int)
{
}

void CFTComponent::Draw(CDDDrawer *, bool, const CFTComponentsInterface *, bool, bool)
{
}

void CFTComponent::DrawSelected(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components,
                                bool flag1, bool flag2)
{
    Draw(drawer, selected, components, flag1, flag2);
}

void CFTComponent::DrawInPlace(double, double, double, double, CDDDrawer *, bool, const CFTACoreView *)
{
}

// --- Deletion and sub-blocks --------------------------------------------------------------------

void CFTComponent::onDelete()
{
}

std::vector<CFTComponent *> CFTComponent::deleteSubComponents()
{
    return {};
}

void CFTComponent::selectAll()
{
}

void CFTComponent::deselectAll()
{
}

int CFTComponent::deselectBlock(CFTComponent *)
{
    return 0;
}

int CFTComponent::removeBlock(CFTComponent *)
{
    return 0;
}

int CFTComponent::restoreBlock(CFTComponent *)
{
    return 0;
}

// --- Text editing -------------------------------------------------------------------------------

void CFTComponent::startEditText(QObject *, QObject *)
{
}

void CFTComponent::startEditText(QObject *view, QObject *editor, double, double)
{
    startEditText(view, editor);
}

CFTComponent *CFTComponent::endEditText(QObject *)
{
    return this;
}

void CFTComponent::SyncLinkedHeight()
{
}

void CFTComponent::ExpandByText()
{
}

void CFTComponent::NeedAutoExpand()
{
}

// --- Address format and text attributes ---------------------------------------------------------

int CFTComponent::setFormat(const CAddressFormat *, int)
{
    return 0;
}

const CAddressFormat *CFTComponent::getFormat() const
{
    return nullptr;
}

void CFTComponent::SetAlignment(textAlignment)
{
}

textAlignment CFTComponent::GetAlignment() const
{
    return taLeft;
}

void CFTComponent::SetListType(listType)
{
}

listType CFTComponent::GetListType() const
{
    return ltNone;
}

void CFTComponent::SetSpacingCharacter(float)
{
}

float CFTComponent::GetSpacingCharacter() const
{
    return 0.0f;
}

void CFTComponent::SetSpacingLine(float)
{
}

float CFTComponent::GetSpacingLine() const
{
    return 0.0f;
}

void CFTComponent::SetSpacingBeforeParagraph(float)
{
}

float CFTComponent::GetSpacingBeforeParagraph() const
{
    return 0.0f;
}

void CFTComponent::SetSpacingAfterParagraph(float)
{
}

float CFTComponent::GetSpacingAfterParagraph() const
{
    return 0.0f;
}

bool CFTComponent::IsHyphenation() const
{
    return false;
}

void CFTComponent::SetHyphenation(bool)
{
}

void CFTComponent::SetInsetOffset(double)
{
}

double CFTComponent::GetInsetOffset() const
{
    return 0.0;
}

void CFTComponent::SetFont(const PWFont &)
{
}

void CFTComponent::SetFontAttr(const QTextCharFormat &)
{
}

void CFTComponent::MergeFontAttr(const QTextCharFormat &changed)
{
    if (std::optional<QTextCharFormat> attributes = GetFontAttr(nullptr)) {
        attributes->merge(changed);
        SetFontAttr(*attributes);
    }
}

std::optional<PWFont> CFTComponent::GetFont(bool *) const
{
    return std::nullopt;
}

std::optional<QTextCharFormat> CFTComponent::GetFontAttr(bool *) const
{
    return std::nullopt;
}

void CFTComponent::IncreaseFontSize()
{
}

void CFTComponent::DecreaseFontSize()
{
}

void CFTComponent::raiseBaseline()
{
}

void CFTComponent::lowerBaseline()
{
}

void CFTComponent::loosenKerning()
{
}

void CFTComponent::tightenKerning()
{
}

void CFTComponent::setBaseline(float)
{
}

void CFTComponent::setKerning(float)
{
}

void CFTComponent::outline()
{
}

void CFTComponent::underline()
{
}

bool CFTComponent::canChangeTextStyle() const
{
    return false;
}

void CFTComponent::ChangeFontSize(double)
{
}

void CFTComponent::SetFontSize(double)
{
}

bool CFTComponent::IsEqualFont(const PWFont &)
{
    return false;
}

bool CFTComponent::IsEqualFontAttr(const QTextCharFormat &)
{
    return false;
}

void CFTComponent::AnchorText()
{
}

// --- Text categories and address fields ---------------------------------------------------------

textCategory CFTComponent::GetTextCategory() const
{
    return tcNone;
}

CFTComponent *CFTComponent::SetTextCategory(textCategory, const CDDString *)
{
    return this;
}

CFTComponent *CFTComponent::GetObjectForTextCategory(textCategory)
{
    return nullptr;
}

const CFTComponent *CFTComponent::GetObjectForTextCategory(textCategory) const
{
    return nullptr;
}

int CFTComponent::GetContainTextCategories(textCategory *, int)
{
    return 0;
}

int CFTComponent::numberOfDataFields() const
{
    return 0;
}

bool CFTComponent::containDataFields() const
{
    return false;
}

void CFTComponent::setHighlightedDataField(textTagAttribute)
{
}

textTagAttribute CFTComponent::getHighlightedDataField() const
{
    return ttNone;
}

addressType CFTComponent::GetAddressType() const
{
    return adNone;
}

void CFTComponent::SetAddressType(addressType)
{
}

bool CFTComponent::IsPreferredAddress() const
{
    return true;
}

void CFTComponent::SetPreferredAddress(bool)
{
}

int CFTComponent::GetLocation() const
{
    return -1;
}

void CFTComponent::setMode(fieldMode)
{
}

fieldMode CFTComponent::getMode()
{
    return fmNever;
}

// --- Grouping, representation and data ----------------------------------------------------------

bool CFTComponent::canGroup()
{
    return false;
}

bool CFTComponent::canUngroup()
{
    return false;
}

void CFTComponent::setRepresentationType(objectRepType type, bool)
{
    _representation = type;
}

objectRepType CFTComponent::representationType()
{
    return _representation;
}

void CFTComponent::SetDataFormat(const CDDString &)
{
}

CDDString CFTComponent::GetDataFormat() const
{
    return CDDString();
}

bool CFTComponent::IsShowNamed() const
{
    return false;
}

void CFTComponent::SetShowNamed(bool)
{
}

CFTComponent *CFTComponent::GetNamed()
{
    return nullptr;
}

CFTComponent *CFTComponent::GetLinked() const
{
    return nullptr;
}

void CFTComponent::SetString(const CDDString &)
{
}

void CFTComponent::SetString(bool, textCategory, addressType, const CDDString &, textCategory, bool)
{
}

void CFTComponent::setLabel(const CDDString &)
{
}

CDDText *CFTComponent::GetText()
{
    return nullptr;
}

QTextDocument *CFTComponent::GetTextData()
{
    return nullptr;
}

const CFTComponent *CFTComponent::isTextEqual(const QTextDocument *) const
{
    return nullptr;
}

void CFTComponent::SetMaxSizeForJapan(double, double, double, double) const
{
}

std::shared_ptr<PWImage> CFTComponent::GetObjectData()
{
    return nullptr;
}

void CFTComponent::SetObjectData(std::shared_ptr<PWImage>)
{
}

int CFTComponent::updateFormatRules()
{
    return 0;
}

int CFTComponent::updatePhoneticRules(bool)
{
    return 0;
}

void CFTComponent::SetDataPlacing(placingMode)
{
}

placingMode CFTComponent::GetDataPlacing()
{
    return pmCover;
}

void CFTComponent::SetTileScale(float)
{
}

float CFTComponent::GetTileScale()
{
    return 1.0f;
}

int CFTComponent::SerializeSelectedSubcomponents(std::vector<CDDArchive> &)
{
    return 0;
}

// --- Editing state and grouping by category -----------------------------------------------------

bool CFTComponent::isReplaceable()
{
    return false;
}

void CFTComponent::flipReplaceable()
{
}

bool CFTComponent::isEditing() const
{
    return false;
}

CFTComponent *CFTComponent::UngroupObjectWithCategory(textCategory)
{
    return nullptr;
}

CFTComponent *CFTComponent::GroupObject(CFTComponent *)
{
    return nullptr;
}

void CFTComponent::GetExportKeys(addressExportOptions, std::vector<textCategory> &)
{
}

bool CFTComponent::isFieldEditor()
{
    return false;
}

void CFTComponent::textDidChange(QObject *)
{
}

void CFTComponent::textDidProcessEditing(QTextDocument *)
{
}

// --- Series printing ----------------------------------------------------------------------------

void CFTComponent::Reset()
{
}

void CFTComponent::Clear()
{
}

void CFTComponent::Next()
{
}

void CFTComponent::SetValue(int)
{
}

void CFTComponent::SetValue(CDDVariant)
{
}

void CFTComponent::drawShadow(CDDDrawer *drawer, const CFTComponentsInterface *components)
{
    CDDShadow::Caster caster;
    caster.originX = mdOriginX;
    caster.originY = mdOriginY;
    caster.width = GetSizeX();
    caster.height = GetSizeY();
    caster.angle = GetAngle();
    caster.flipX = IsFlipX();
    caster.flipY = IsFlipY();
    caster.strokeWidth = GetStrokeWidth();
    // A picture's shadow is as transparent as the picture.
    caster.opacity = getType() == ctPicture ? double(GetOpacity()) : 1.0;
    caster.fill = GetFillColor();
    caster.outline = GetStrokeColor();
    caster.drawLevel = [this, components](CDDDrawer *shadowDrawer) {
        const double angle = GetAngle();
        const bool flipX = IsFlipX();
        const bool flipY = IsFlipY();
        if (angle != 0.0)
            SetAngle(0.0);
        if (flipX)
            setFlipX(false);
        if (flipY)
            setFlipY(false);
        Draw(shadowDrawer, false, components, false, false);
        if (angle != 0.0)
            SetAngle(angle);
        if (flipX)
            setFlipX(true);
        if (flipY)
            setFlipY(true);
    };
    mShadow.draw(caster, drawer);
}
