#include "kernel/address/CFTAAddressPanel.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/FTAddressLog.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDBundleVersion.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/component/FTComponentFactory.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

// The panel's barcode encodes the address the panel shows: its ZIP, street and country fields,
// as filled from a person or read from a file (whose stored "ZIP for Barcode" another program
// may not have kept in step). A part the panel has no field for keeps what the person gave the
// barcode.
void barcodeFollowsAddress(const CFTAAddressPanel &panel, std::optional<textCategory> only = std::nullopt)
{
    auto *barcode = dynamic_cast<CFTABarcode *>(panel.getAddressComponentWithTextCategory(tcBarcode));
    if (!barcode)
        return;
    const struct
    {
        textCategory part;
        const CDDString &encoded;
    } parts[] = {{tcCountry, barcode->country()}, {tcStreet, barcode->street()}, {tcZIP, barcode->zip()}};
    for (const auto &[part, encoded] : parts) {
        const CFTAAddressText *field = only && *only != part ? nullptr : panel.getAddressComponentWithTextCategory(part);
        if (!field)
            continue;
        // Capitals the panel shows (a preference, the field's style) change nothing the post
        // reads: the barcode keeps the person's own writing then.
        const QString shown = field->personString();
        if (shown.compare(encoded.getData(), Qt::CaseInsensitive) != 0)
            barcode->SetString(barcode->GetToFrom(), part, barcode->GetAddressType(), CDDString(shown), tcNone, false);
    }
}

} // namespace

CFTAAddressPanel::CFTAAddressPanel()
{
    init(true);
}

CFTAAddressPanel::CFTAAddressPanel(bool toFrom, const CAddressFormat *format, const CFTComponent *styleSource,
                                   bool placeholder)
{
    init(toFrom);
    if (styleSource) {
        if (const std::optional<QTextCharFormat> style = styleSource->GetFontAttr(nullptr))
            mDefText.SetFontAttr(*style);
    }
    m_bAuto = placeholder;
    if (format) {
        replaceFormat(format, kApplyLeafModes);
        // A panel made with a barcode in its format shows it, and says so.
        m_bBarcodeHidden = !mpFormat || !mpFormat->containKey(tcBarcode);
    }
}

CFTAAddressPanel::~CFTAAddressPanel()
{
    // The fields measure their labels against the default settings: they go first.
    mCurrentText = nullptr;
    mAddressTexts.clear();
}

void CFTAAddressPanel::init(bool toFrom)
{
    mCurrentText = nullptr;
    mDefText.Init();
    mDefText.SetAlignment(taLeft);
    mdColumnSpacing = 0.0;
    mdRowSpacing = 0.0;
    mdMarginX = 5.0;
    mdMarginY = 5.0;
    mdMinSizeX = 40.0;
    mdMinSizeY = 20.0;
    m_bEmpty = false;
    m_bToFrom = toFrom;
    m_addressType = adWork;
    m_bPreferred = true;
    m_bNeedAutoExpand = false;
    m_bEditing = false;
    mdCornerRadius = 5.0;
    m_bBarcodeHidden = true;
    m_barcodeLocation = -1;
    m_bNeedUpdate = true;
    m_bShowAllFields = false;
    m_bAuto = false;
    m_bPrintMode = false;
    mfContentRight = float(mdMarginX);
    mfContentBottom = float(mdMarginY);
}

QString CFTAAddressPanel::getContextMenu() const
{
    // The canvas shows its address menu for kind "1".
    return QStringLiteral("1");
}

// --- Fields --------------------------------------------------------------------------------------

CFTAAddressText *CFTAAddressPanel::addressComponentAtIndex(unsigned int index) const
{
    return index < mAddressTexts.size() ? mAddressTexts[index].get() : nullptr;
}

CFTAAddressText *CFTAAddressPanel::getAddressComponentWithTextCategory(textCategory category) const
{
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field && field->GetTextCategory() == category)
            return field.get();
    return nullptr;
}

CDDText *CFTAAddressPanel::getText(textCategory category) const
{
    CFTAAddressText *const field = getAddressComponentWithTextCategory(category);
    return field ? field->GetText() : nullptr;
}

bool CFTAAddressPanel::containKey(textCategory category) const
{
    return mpFormat && mpFormat->containKey(category);
}

CFTAAddressText *CFTAAddressPanel::createObjectFromType(textCategory category, bool reuse)
{
    if (reuse) {
        if (CFTAAddressText *existing = getAddressComponentWithTextCategory(category))
            return existing;
    }
    std::unique_ptr<CFTAAddressText> field;
    if (category == tcBarcode) {
        field = std::make_unique<CFTABarcode>(0.0, 0.0);
        field->SetToFrom(m_bToFrom);
        field->SetAddressType(m_addressType);
    } else {
        const CDDString *label = mpFormat ? mpFormat->labelForKey(category) : nullptr;
        field = std::make_unique<CFTAAddressText>(m_bToFrom, category, m_addressType, label, &mDefText);
    }
    // A field made for a later format reads the same address of the person as the others.
    field->SetPreferredAddress(m_bPreferred);
    mAddressTexts.push_back(std::move(field));
    return mAddressTexts.back().get();
}

void CFTAAddressPanel::initEnumerator()
{
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field)
            field->setEnumMark(false);
}

CFTAAddressText *CFTAAddressPanel::getNextAddressComponent(textCategory category, bool create)
{
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts) {
        if (field && field->GetTextCategory() == category && !field->isEnumMark()) {
            field->setEnumMark(true);
            return field.get();
        }
    }
    if (!create)
        return nullptr;
    CFTAAddressText *const made = createObjectFromType(category, false);
    made->setEnumMark(true);
    return made;
}

CFTAAddressText *CFTAAddressPanel::getNextAddressComponent()
{
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts) {
        if (field && !field->isEnumMark()) {
            field->setEnumMark(true);
            return field.get();
        }
    }
    return nullptr;
}

qsizetype CFTAAddressPanel::indexOf(const CFTAAddressText *field) const
{
    for (size_t i = 0; i < mAddressTexts.size(); ++i)
        if (field && mAddressTexts[i].get() == field)
            return qsizetype(i);
    return -1;
}

bool CFTAAddressPanel::removeAddressComponent(CFTAAddressText *field)
{
    const qsizetype index = indexOf(field);
    if (index < 0)
        return false;
    if (mCurrentText == field)
        mCurrentText = nullptr;
    (void)mAddressTexts[size_t(index)].release();
    mAddressTexts.erase(mAddressTexts.begin() + index);
    m_bNeedUpdate = true;
    return true;
}

bool CFTAAddressPanel::eraseAddressComponent(CFTAAddressText *field)
{
    return removeAddressComponent(field);
}

int CFTAAddressPanel::replaceAddressComponent(textCategory category, CFTAAddressText *newField)
{
    CFTAAddressText *const old = getNextAddressComponent(category, false);
    const qsizetype index = indexOf(old);
    if (index < 0 || !newField || newField == old)
        return 0;
    if (mCurrentText == old)
        mCurrentText = newField;
    newField->setEnumMark(true);
    mAddressTexts[size_t(index)].reset(newField);
    m_bNeedUpdate = true;
    return 1;
}

CFTComponent *CFTAAddressPanel::GroupObject(CFTComponent *component)
{
    auto *const field = dynamic_cast<CFTAAddressText *>(component);
    if (!field || indexOf(field) >= 0)
        return nullptr;
    CFTAAddressText *const found = getAddressComponentWithTextCategory(field->GetTextCategory());
    if (!found) {
        mAddressTexts.emplace_back(field);
    } else {
        // The field it replaces goes to the caller rather than being deleted, so that an undo
        // can put it back.
        const qsizetype index = indexOf(found);
        if (mCurrentText == found)
            mCurrentText = field;
        (void)mAddressTexts[size_t(index)].release();
        mAddressTexts[size_t(index)].reset(field);
    }
    m_bNeedUpdate = true;
    return found;
}

CFTComponent *CFTAAddressPanel::UngroupObjectWithCategory(textCategory index)
{
    // The argument is a list position: one outside the list answers null and changes nothing.
    if (int(index) < 0 || size_t(index) >= mAddressTexts.size())
        return nullptr;
    CFTAAddressText *const field = mAddressTexts[size_t(index)].release();
    mAddressTexts.erase(mAddressTexts.begin() + int(index));
    if (mCurrentText == field)
        mCurrentText = nullptr;
    m_bNeedUpdate = true;
    return field;
}

void CFTAAddressPanel::appendAddressComponent(CFTAAddressText *field)
{
    if (!field || indexOf(field) >= 0)
        return;
    field->setEnumMark(true);
    mAddressTexts.emplace_back(field);
    m_bNeedUpdate = true;
}

void CFTAAddressPanel::Ungroup(std::vector<CFTComponent *> &out, std::vector<CFTComponent *> *leftOut)
{
    const bool showAll = m_bShowAllFields;
    setShowAllFields(true);
    updateFormat();
    std::vector<CFTAAddressText *> kept;
    forEachLeafField([&](const CAddressFormat *, CFTAAddressText *field) {
        if (field && field->isEnabled(forced()))
            kept.push_back(field);
        return true;
    });
    for (std::unique_ptr<CFTAAddressText> &field : mAddressTexts) {
        if (field && std::find(kept.begin(), kept.end(), field.get()) != kept.end())
            out.push_back(field.release());
        else if (field && leftOut)
            leftOut->push_back(field.release());
    }
    mAddressTexts.clear();
    mCurrentText = nullptr;
    m_bEditing = false;
    setShowAllFields(showAll);
}

void CFTAAddressPanel::Group(std::vector<CFTComponent *> &components)
{
    std::vector<CFTComponent *> left;
    for (CFTComponent *component : components) {
        auto *const field = dynamic_cast<CFTAAddressText *>(component);
        if (!field || indexOf(field) >= 0) {
            left.push_back(component);
            continue;
        }
        // A field of a category the panel already has is merged in its place; the one it
        // replaces is handed back among the components left to the caller.
        if (CFTComponent *replaced = GroupObject(field))
            left.push_back(replaced);
    }
    components = std::move(left);
    m_bNeedUpdate = true;
    applyAlignment();
}

int CFTAAddressPanel::GetContainTextCategories(textCategory *categories, int maximum)
{
    if (!categories)
        return int(mAddressTexts.size());
    int written = 0;
    for (auto it = mAddressTexts.rbegin(); it != mAddressTexts.rend() && written < maximum; ++it) {
        if (!*it)
            continue;
        const textCategory category = (*it)->GetTextCategory();
        if (std::find(categories, categories + written, category) == categories + written)
            categories[written++] = category;
    }
    return written;
}

void CFTAAddressPanel::GetExportKeys(addressExportOptions options, std::vector<textCategory> &keys)
{
    forEachLeafField([&](const CAddressFormat *leaf, CFTAAddressText *field) {
        if (field && (int(options) != 1 || field->isEnabled(forced())))
            keys.push_back(leaf->getTextCategory());
        return true;
    });
}

// --- Format --------------------------------------------------------------------------------------

std::unique_ptr<CAddressFormat> CFTAAddressPanel::replaceFormat(const CAddressFormat *format, int flags)
{
    if (!format)
        return nullptr;
    std::unique_ptr<CAddressFormat> previous = std::move(mpFormat);
    mpFormat = format->clone();

    bool focusSurvives = false;
    CFTAAddressText *firstField = nullptr;
    initEnumerator();
    if (mpFormat->initEnumeration()) {
        do {
            while (CAddressFormat *leaf = mpFormat->nextObjectInRow()) {
                const textCategory category = leaf->getTextCategory();
                CFTAAddressText *const field = getNextAddressComponent(category, true);
                if (!firstField)
                    firstField = field;
                if (mCurrentText && mCurrentText->GetTextCategory() == category)
                    focusSurvives = true;
                if (!(flags & kKeepLabels) && category != tcBarcode && leaf->getLabel())
                    field->setLabel(*leaf->getLabel());
                field->setFormat(mpFormat.get(), 0);
                // A format applied anew punctuates every field again, typed ones included.
                field->resetFormatRules(false);
                if (flags & kApplyLeafModes) {
                    if (leaf->getMode() != fmUnset)
                        field->setMode(leaf->getMode());
                    if (leaf->getText() && !leaf->getText()->isEmpty())
                        field->SetString(*leaf->getText());
                }
                const CDDString *delimiter = leaf->getDelimiter();
                field->setFormatDelimiter(delimiter ? delimiter->getData() : QString());
            }
        } while (mpFormat->nextRow());
    }

    if (!focusSurvives) {
        if (mCurrentText && m_bEditing)
            mCurrentText->endEditText(nullptr);
        m_bEditing = false;
        mCurrentText = firstField;
    }
    if (!(flags & kKeepLayout))
        m_bNeedUpdate = true;
    const CAddressFormat *root = mpFormat->getFormatWithKey(tcRootFormat);
    const CDDString *name = root ? root->name() : nullptr;
    mTemplateName = name ? *name : CDDString();
    return previous;
}

int CFTAAddressPanel::setFormat(const CAddressFormat *format, int flags)
{
    if (!format)
        return 0;
    replaceFormat(format, flags);
    return 1;
}

// --- Modes, side and type ------------------------------------------------------------------------

bool CFTAAddressPanel::isEnabled(textCategory category) const
{
    const CFTAAddressText *const field = getAddressComponentWithTextCategory(category);
    return field && field->isEnabled(forced());
}

void CFTAAddressPanel::setMode(textCategory category, fieldMode mode)
{
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts) {
        if (field && field->GetTextCategory() == category) {
            field->setMode(mode);
            m_bNeedUpdate = true;
        }
    }
}

fieldMode CFTAAddressPanel::getMode(textCategory category) const
{
    CFTAAddressText *const field = getAddressComponentWithTextCategory(category);
    return field ? field->getMode() : fmNever;
}

void CFTAAddressPanel::setBatchMode(textCategory category, fieldMode mode)
{
    static constexpr std::array<textCategory, 5> kNameParts = {tcFirstName, tcLastName, tcPrefix, tcSuffix,
                                                               tcMiddleName};
    if (std::find(kNameParts.begin(), kNameParts.end(), category) == kNameParts.end()) {
        setMode(category, mode);
        return;
    }
    for (textCategory part : kNameParts)
        setMode(part, mode);
}

void CFTAAddressPanel::SwitchCountryFieldVisible()
{
    if (containKey(tcCountry) && getMode(tcCountry) == fmNever)
        setMode(tcCountry, fmWhenFilled);
}

void CFTAAddressPanel::setShowAllFields(bool show)
{
    m_bShowAllFields = show;
    m_bNeedUpdate = true;
}

void CFTAAddressPanel::SetToFrom(bool toFrom)
{
    m_bToFrom = toFrom;
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field)
            field->SetToFrom(toFrom);
}

addressType CFTAAddressPanel::GetAddressType() const
{
    if (int(m_addressType) != -1 || mAddressTexts.empty())
        return m_addressType;
    std::optional<addressType> common;
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts) {
        if (!field)
            continue;
        if (common && *common != field->GetAddressType())
            return adNone;
        common = field->GetAddressType();
    }
    return common.value_or(adNone);
}

void CFTAAddressPanel::SetAddressType(addressType type)
{
    m_addressType = type;
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field)
            field->SetAddressType(type);
}

void CFTAAddressPanel::SetPreferredAddress(bool preferred)
{
    m_bPreferred = preferred;
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field)
            field->SetPreferredAddress(preferred);
}

void CFTAAddressPanel::setRepresentationType(objectRepType type, bool)
{
    _representation = type;
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field)
            field->setRepresentationType(type, true);
}

// --- Barcode -------------------------------------------------------------------------------------

void CFTAAddressPanel::SetBarcodeLocation(barcodeLocation location)
{
    // A barcode field the format has taken out keeps the location too: it is what designs store.
    CFTComponent *field = getAddressComponentWithTextCategory(tcBarcode);
    if (!field)
        field = GetObjectForTextCategory(tcBarcode);
    if (auto *barcode = dynamic_cast<CFTABarcode *>(field))
        barcode->SetLocation(location);
    NeedAutoExpand();
    m_barcodeLocation = location;
}

int CFTAAddressPanel::GetBarcodeLocation() const
{
    const CFTComponent *const barcode = getAddressComponentWithTextCategory(tcBarcode);
    return barcode ? barcode->GetLocation() : m_barcodeLocation;
}

void CFTAAddressPanel::restoreBarcodeLocation(int location)
{
    if (location >= blPanelRoomBelow && location <= blStandalone)
        SetBarcodeLocation(barcodeLocation(location));
    else
        m_barcodeLocation = -1;
}

// --- Categories and filling ----------------------------------------------------------------------

textCategory CFTAAddressPanel::GetTextCategory() const
{
    return mCurrentText ? mCurrentText->GetTextCategory() : tcNone;
}

CDDText *CFTAAddressPanel::GetText()
{
    return mCurrentText ? mCurrentText->GetText() : nullptr;
}

CFTComponent *CFTAAddressPanel::GetObjectForTextCategory(textCategory category)
{
    return containKey(category) ? createObjectFromType(category, true) : nullptr;
}

const CFTComponent *CFTAAddressPanel::GetObjectForTextCategory(textCategory category) const
{
    // A const panel cannot make the field: it answers the one it has.
    return containKey(category) ? getAddressComponentWithTextCategory(category) : nullptr;
}

void CFTAAddressPanel::SetString(bool toFrom, textCategory category, addressType type, const CDDString &text,
                                 textCategory linkCategory, bool append)
{
    if (toFrom != m_bToFrom)
        return;
    const textCategory key = linkCategory == tcNone ? category : linkCategory;
    bool filled = false;
    initEnumerator();
    while (CFTAAddressText *field = getNextAddressComponent(key, false)) {
        filled = true;
        CDDString value = text;
        // A person's text takes the comma of the field's format (which the print filter takes off
        // again where nothing follows it), as the window shows it; the text the user typed into the
        // design, and a field whose format has no delimiter, the comma the design shows after the
        // field, whichever person the copy held last. Never a comma after an empty field.
        if (append && !text.getData().trimmed().isEmpty()) {
            const CDDString design = field->textBeforeFirstFill();
            const bool asTyped = field->typedBeforeFirstFill() && text.getData() == design.getData();
            const CDDString reference =
                asTyped || field->formatDelimiter().isEmpty() ? design : CDDString(field->formatDelimiter());
            if (std::unique_ptr<CDDString> joined =
                    CDDString::createStringByAppendingString(QStringLiteral(","), reference, text, true, true))
                value = *joined;
        }
        field->SetString(toFrom, category, type, value, tcNone, false);
        m_bNeedUpdate = true;
    }
    // A fill of the barcode itself is the person's value at that moment, and the other fields
    // may not have theirs yet: only the part just filled is followed.
    if (filled && (key == tcZIP || key == tcStreet || key == tcCountry))
        barcodeFollowsAddress(*this, key);
}

// --- Snapshot and archive ------------------------------------------------------------------------

void CFTAAddressPanel::snapshotObject()
{
    CFTComponent::snapshotObject();
    // The print filters hide fields (a country, a company's contact name) as well as shrinking
    // them: the modes belong to what a restore gives back.
    m_snapshotModes.clear();
    m_snapshotModes.reserve(mAddressTexts.size());
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts) {
        m_snapshotModes.push_back(field ? field->getMode() : fmNever);
        if (field)
            field->snapshotObject();
    }
}

void CFTAAddressPanel::restoreObject()
{
    CFTComponent::restoreObject();
    const bool modesKnown = m_snapshotModes.size() == mAddressTexts.size();
    for (std::size_t i = 0; i < mAddressTexts.size(); ++i) {
        CFTAAddressText *field = mAddressTexts[i].get();
        if (!field)
            continue;
        if (modesKnown)
            field->setMode(m_snapshotModes[i]);
        field->restoreObject();
    }
    // Laid out when next drawn or measured, as after a print: laying out now, outside print
    // mode, would put the format's delimiters back into the texts the filters took them from.
    m_bNeedUpdate = true;
}

void CFTAAddressPanel::serializeFields(const CDDArchive &archive)
{
    archive.BeginArrayData();
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts) {
        // Every field is written, empty ones too: a field kept visible while empty, or hidden by
        // the user, must come back with its mode and style, which the format alone cannot give.
        if (!field)
            continue;
        CDDArchive child(true, archive.GetPackageType());
        child.SetArchivePath(archive.GetArchivePath());
        field->Serialize(child, nullptr);
        archive.SetData(key_Components, child);
    }
    archive.EndArrayData(key_Components);
}

bool CFTAAddressPanel::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    CFTComponent::Serialize(archive, list);
    if (archive.isStoring()) {
        archive.SetData(key_BundleVersion);
        serializeFields(archive);
        archive.SetData(key_BarcodeHidden, m_bBarcodeHidden);
        CDDArchive settings(true, archive.GetPackageType());
        mDefText.Serialize(settings, nullptr);
        archive.SetData(key_DefaultSettingsText, settings);
        archive.SetData(key_AddressPanelToFrom, m_bToFrom);
        archive.SetData(key_AddressSource, int(m_addressType));
        archive.SetData(key_Touched, m_bAuto);
        if (mpFormat) {
            CDDArchive format(true, archive.GetPackageType());
            mpFormat->Serialize(format);
            archive.SetData(key_AddressFormat, format);
        }
        return true;
    }

    // A panel names the version it was written by; one damaged past reading is taken for the
    // design's own, never for an old one: that would convert a current panel's fields.
    // A panel of a current design that names none is read as the design's (as an old one its
    // barcode would print as a line of text).
    int bundleVersion = 0;
    const PWPlist storedVersion = archive.value(key_BundleVersion);
    if (storedVersion.isNull() && archive.getBundleVersion() > FTComponentFactory::kLastOldBundleVersion) {
        bundleVersion = archive.getBundleVersion();
    } else if (!storedVersion.isNull()) {
        const std::optional<int> parsed = CDDBundleVersion::parse(storedVersion);
        if (!parsed)
            archive.noteUnread(key_BundleVersion, QStringLiteral("The \"%1\" of an address panel is damaged; the design's "
                                                                 "own was taken")
                                                      .arg(key_BundleVersion));
        bundleVersion = parsed.value_or(archive.getBundleVersion());
    }
    const bool oldFile = bundleVersion <= FTComponentFactory::kLastOldBundleVersion;

    mCurrentText = nullptr;
    mAddressTexts.clear();
    CDDString zip;
    CDDString street;
    CDDString country;
    loadFields(archive, oldFile, &zip, &street, &country);
    // The panel keeps no flag of its own in a file: its fields hold the choice of the person's
    // preferred address, which the fields its format adds again take from it.
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts) {
        if (field && field->GetTextCategory() != tcBarcode) {
            m_bPreferred = field->IsPreferredAddress();
            break;
        }
    }

    if (oldFile)
        m_bBarcodeHidden = true;
    archive.GetData(key_BarcodeHidden, &m_bBarcodeHidden);
    CDDArchive settings(false, archive.GetPackageType());
    if (archive.GetData(key_DefaultSettingsText, settings)) {
        settings.setBundleVersion(archive.getBundleVersion());
        mDefText.Serialize(settings, nullptr);
    }
    archive.GetData(key_AddressPanelToFrom, &m_bToFrom);
    // The fields stand on the panel's side before its format styles them: a recipient's fields
    // are spaced by the country's own style, a sender's are not, whatever side a field's own
    // key says or a field left without one takes.
    SetToFrom(m_bToFrom);
    int type = int(m_addressType);
    if (archive.GetData(key_AddressSource, &type, CDDRanges::kAddressType))
        m_addressType = addressType(type);
    archive.GetData(key_Touched, &m_bAuto);
    if (oldFile)
        loadOldBarcode(archive, zip, street, country);

    CDDArchive formatArchive(false, archive.GetPackageType());
    if (archive.GetData(key_AddressFormat, formatArchive)) {
        if (std::unique_ptr<CAddressFormat> format = CAddressFormat::SerializeFromArchive(formatArchive)) {
            replaceFormat(format.get(), kApplyLeafModes);
            keepFieldsTypedAsStored();
        } else if (!formatArchive.value(key_ClassID).isNull() || !formatArchive.getDict().isDictionary()
                   || formatArchive.getDict().toDictionary().isEmpty()) {
            archive.noteUnread(key_AddressFormat, QStringLiteral("The address format of an address panel could not be read"));
        } else if (CDDReadReport::damagedFormOf(formatArchive.getDict().toDictionary(), key_ClassID, {}).isEmpty()) {
            // A format whose class was left out is one of no kind: the panel prints no person.
            formatArchive.noteKept(key_ClassID, QStringLiteral("The address format of an address panel names no class "
                                                               "(\"%1\" is missing): its address is not printed")
                                                    .arg(key_ClassID));
        }
    } else if (!oldFile && archive.value(key_AddressFormat).isNull()
               && CDDReadReport::damagedFormOf(archive.getDict().toDictionary(), key_AddressFormat, {}).isEmpty()) {
        // Unlike the keys that hold a default, a panel left without its format prints no person
        // at all, so the file's lack is told. Older panels had none, and are converted; a key
        // damaged in its name is named by the report as such.
        archive.noteKept(key_AddressFormat, QStringLiteral("An address panel has no address format (\"%1\" is missing): "
                                                           "its address is not printed")
                                                .arg(key_AddressFormat));
    }
    frameFromFieldsWhenMissing(archive);
    // A panel's fields all stand on its side; a field archived without its side (the barcode)
    // would otherwise come back on the recipient side of a sender panel.
    SetToFrom(m_bToFrom);
    barcodeFollowsAddress(*this);
    if (oldFile)
        applyAlignment();
    m_bNeedUpdate = true;
    m_bFirstLayoutSinceRead = true;
    return true;
}
