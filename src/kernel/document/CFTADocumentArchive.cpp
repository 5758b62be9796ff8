// The kernel document's keys in a design file, and the conversion of files written by versions
// that kept address formats and country codes in the document.

#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/FTComponentFactory.h"

#include <QLoggingCategory>

#include <cmath>
#include <memory>
#include <vector>

namespace {

const QString kOldFileTemplate = QStringLiteral("Name+Company");

// Lengths are written only when there is a length to write.
void storePositive(const CDDArchive &archive, const QString &key, double value)
{
    if (value > 0.0)
        archive.SetData(key, value);
}

// Absent or unreadable lengths count as none; so do lengths no card or page can hold.
double lengthOrZero(const CDDArchive &archive, const QString &key)
{
    double value = 0.0;
    return archive.GetData(key, &value, CDDRanges::kLength) ? value : 0.0;
}

// A current design always writes these texts: one it lacks keeps the prepared value. Older designs
// count a text they lack as empty.
void readLayoutText(const CDDArchive &archive, const QString &key, CDDString &target)
{
    CDDString value;
    if (archive.GetData(key, value))
        target = value;
    else if (archive.getBundleVersion() <= FTComponentFactory::kLastOldBundleVersion)
        target = CDDString(QString());
}

// A string that is never left out of the file, even when it holds nothing.
CDDString written(const CDDString &value)
{
    return value.isNull() ? CDDString(QString()) : value;
}

// 0 is a layout with no sheet grid (envelopes, postcards printed one to a page), as their
// templates have it; reading it back must not turn the design into a label sheet.
bool readCount(const CDDArchive &archive, const QString &key, int &target)
{
    return archive.GetData(key, &target, CDDRanges::kSheetItems);
}

bool readCardSide(const CDDArchive &archive, const QString &key, double &target)
{
    return archive.GetData(key, &target, CDDRanges::kCardSide);
}

// 0 stands for the whole card.
bool readPrintableSide(const CDDArchive &archive, const QString &key, double &target)
{
    return archive.GetData(key, &target, CDDRanges::kLength);
}

bool readAddressType(const CDDArchive &archive, const QString &key, addressType &target)
{
    int type = int(target);
    if (!archive.GetData(key, &type, CDDRanges::kAddressType))
        return false;
    target = addressType(type);
    return true;
}

bool readCountryCode(const CDDArchive &archive, const QString &key, CDDString &target)
{
    CDDString value;
    if (!archive.GetData(key, value) || value.getData().trimmed().isEmpty())
        return false;
    target = CDDString(value.getData().trimmed());
    return true;
}

// The stored format of an old file, and the country its country part names.
std::unique_ptr<CAddressFormat> readOldFormat(const CDDArchive &archive, const QString &key, CDDString &countryCode)
{
    CDDArchive stored(false);
    if (!archive.GetData(key, stored) || !stored.getDict().isDictionary())
        return nullptr;
    std::unique_ptr<CAddressFormat> format = CAddressFormat::SerializeFromArchive(stored);
    if (!format) {
        qCWarning(lcArchive).noquote() << QStringLiteral("\"%1\" holds no address format").arg(key);
        return nullptr;
    }
    if (const CDDString *country = format->name(tcAddress); country && !country->getData().isEmpty())
        countryCode = *country;
    return format;
}

// A dictionary of the design read into archive. Another kind of value is named once: with the
// parts of a current design of another kind (CFTADocumentFileCheck::partsOfAnotherKind), else here.
bool readDictionary(const CDDArchive &file, const QString &key, CDDArchive &archive, bool current)
{
    const PWPlist stored = file.value(key);
    if (stored.isDictionary())
        return file.GetData(key, archive);
    if (!stored.isNull() && !current)
        file.noteValueUnread(key, QStringLiteral("a dictionary was expected"));
    return false;
}

} // namespace

int CFTADocument::Serialize(const CDDArchive &archive)
{
    if (archive.isStoring())
        store(archive);
    else
        load(archive);
    return 1;
}

// --- Storing ------------------------------------------------------------------------------------

void CFTADocument::store(const CDDArchive &archive)
{
    archive.SetData(key_BundleVersion);
    archive.SetDocumentType(getDocumentType());
    archive.SetData(key_ISOCountryCodeTo, written(m_CountryCodeTo));
    archive.SetData(key_ISOCountryCodeFrom, written(m_CountryCodeFrom));
    archive.SetData(key_AddressSourceTo, int(m_AddressTypeTo));
    archive.SetData(key_AddressSourceFrom, int(m_AddressTypeFrom));
    archive.SetData(key_CardWidth, mdSizeX);
    archive.SetData(key_CardHeight, mdSizeY);
    archive.SetData(key_PrintableCardSizeX, mdPrintableSizeX);
    archive.SetData(key_PrintableCardSizeY, mdPrintableSizeY);
    archive.SetData(key_Horizontal, IsHorizontal(0));
    archive.SetData(key_PaperColor, mPaperColor);
    archive.SetData(key_Units, int(getUnits()));
    archive.SetData(key_FIMBarcodeVisible, m_FIMVisible);

    CDDArchive layout(true, archive.GetPackageType());
    storeLayout(layout);
    archive.SetData(IsPredefinedLayout() ? key_PredefinedLayout : key_CustomLayout, layout);

    archive.SetData(key_DefaultSettings, GetArchiveFromObject(&ms_defBox, &archive));
    archive.SetData(key_DefaultSettingsText, GetArchiveFromObject(&ms_defText, &archive));

    CDDArchive front(true, archive.GetPackageType());
    front.SetArchivePath(archive.GetArchivePath());
    // What the file listed behind the side goes back there, never among the side's components.
    std::vector<CFTComponent *> components = GetComponents(0, false);
    std::erase_if(components, [this](const CFTComponent *component) { return isFromBackList(component); });
    SerializeComponents(front, &components, false);
    storeBackList(front);
    archive.SetData(key_FrontSide, front);
}

void CFTADocument::storeLayout(const CDDArchive &layout) const
{
    layout.SetData(key_Manufacturer, written(m_Manufacturer));
    layout.SetData(key_ID, written(m_ID));
    layout.SetData(key_Description, written(m_Description));
    layout.SetData(key_Category, written(m_Category));
    layout.SetData(key_Type, written(m_Type));
    layout.SetData(key_PageSize, written(m_PageSize));
    layout.SetData(key_Columns, m_ColCount);
    layout.SetData(key_Rows, m_RowCount);
    storePositive(layout, key_CornerRadius, m_CornerRadius);
    storePositive(layout, key_TopMargin, m_TopMargin);
    storePositive(layout, key_LeftMargin, m_LeftMargin);
    storePositive(layout, key_HSpace, m_HSpace);
    storePositive(layout, key_VSpace, m_VSpace);
    if (getDocumentType() == dtEnvelope) {
        layout.SetData(key_HasWindow, m_HasWindow);
        storePositive(layout, key_WindowWidth, m_WinWidth);
        storePositive(layout, key_WindowHeight, m_WinHeight);
        storePositive(layout, key_WindowBottomOffset, m_WinBottomOffset);
        storePositive(layout, key_WindowLeftOffset, m_WinLeftOffset);
    }
    storePositive(layout, key_DYMOPaperWidth, m_DYMOPaperWidth);
    storePositive(layout, key_DYMOPaperHeight, m_DYMOPaperHeight);
    storePositive(layout, key_DYMOOffsetX, m_DYMOOffsetX);
    storePositive(layout, key_DYMOOffsetY, m_DYMOOffsetY);
}

// --- Loading ------------------------------------------------------------------------------------

void CFTADocument::load(const CDDArchive &archive)
{
    // Looked up through the archive too, so that a damaged key beside it is reported.
    (void)archive.value(key_BundleVersion);
    QString problem;
    const int version = CFTADocumentFileCheck::versionOfFile(archive.getDict(), &problem);
    if (!problem.isEmpty())
        archive.noteUnread(key_BundleVersion, problem);
    // This archive carries the running version: a newer writer may have put in what this one
    // neither shows nor prints. What it does not know is kept for the next save.
    else if (version > archive.getBundleVersion())
        archive.noteKept(key_BundleVersion, QStringLiteral("The design was written by a newer version of this program "
                                                           "(%1, this is %2): what this version does not know is "
                                                           "neither shown nor printed, and is kept for the next save")
                                                .arg(version)
                                                .arg(archive.getBundleVersion()));
    // Everything below is read as written by the file's version, so that the components of old
    // files are converted and those of current files are not.
    CDDArchive file(archive);
    file.setBundleVersion(version);

    // A current design names each part it holds as another kind of value; the prepared design's
    // value stands in its place, as it does without a word for a part the file leaves out.
    const bool current = version > FTComponentFactory::kLastOldBundleVersion;
    if (current) {
        for (const CFTADocumentFileCheck::Gap &gap : CFTADocumentFileCheck::partsOfAnotherKind(file.getDict()))
            file.noteUnread(gap.key, gap.what);
    }

    documentType type = getDocumentType();
    if (file.GetDocumentType(&type))
        setDocumentType(type);
    else if (const PWPlist stored = file.value(key_DocumentType); stored.isString())
        // The design would otherwise print on another stock without a word. Another kind of value
        // than a text is named by the archive.
        file.noteKept(key_DocumentType, QStringLiteral("\"%1\" is not a kind of design (\"%2\"): it is read as %3, and "
                                                      "the kind is kept for the next save")
                                           .arg(key_DocumentType, stored.toString().left(40),
                                                type == dtEnvelope ? QStringLiteral("an envelope")
                                                : type == dtPostcard ? QStringLiteral("a postcard")
                                                                     : QStringLiteral("a label")));
    readCardSide(file, key_CardWidth, mdSizeX);
    readCardSide(file, key_CardHeight, mdSizeY);
    readPrintableSide(file, key_PrintableCardSizeX, mdPrintableSizeX);
    readPrintableSide(file, key_PrintableCardSizeY, mdPrintableSizeY);
    bool horizontal = true;
    if (file.GetData(key_Horizontal, &horizontal))
        SetHorizontal(horizontal, 0);
    CDDColor paper;
    if (file.GetData(key_PaperColor, paper))
        mPaperColor = paper;
    int units = 0;
    if (file.GetData(key_Units, &units, CDDRanges::kUnits))
        setUnits(cardUnits(units));
    file.GetData(key_FIMBarcodeVisible, &m_FIMVisible);

    CDDArchive layout(false);
    const bool predefined = readDictionary(file, key_PredefinedLayout, layout, current);
    SetPredefinedLayout(predefined);
    if (!predefined)
        readDictionary(file, key_CustomLayout, layout, current);
    loadLayout(layout);

    CDDArchive defaults(false);
    if (readDictionary(file, key_DefaultSettings, defaults, current))
        ms_defBox.Serialize(defaults, nullptr);
    CDDArchive defaultText(false);
    if (readDictionary(file, key_DefaultSettingsText, defaultText, current))
        ms_defText.Serialize(defaultText, nullptr);

    // A current design's front side of another kind is named with the gaps.
    if (!current || file.value(key_FrontSide).isDictionary())
        loadFrontSide(file);

    // Files write both sides' countries and address types; a current file's are its own.
    readCountryCode(file, key_ISOCountryCodeTo, m_CountryCodeTo);
    if (current) {
        readCountryCode(file, key_ISOCountryCodeFrom, m_CountryCodeFrom);
        readAddressType(file, key_AddressSourceTo, m_AddressTypeTo);
        readAddressType(file, key_AddressSourceFrom, m_AddressTypeFrom);
        return;
    }
    convertOldFile(file);
}

void CFTADocument::loadLayout(const CDDArchive &layout)
{
    readLayoutText(layout, key_Manufacturer, m_Manufacturer);
    readLayoutText(layout, key_ID, m_ID);
    readLayoutText(layout, key_Description, m_Description);
    readLayoutText(layout, key_Category, m_Category);
    readLayoutText(layout, key_Type, m_Type);
    readLayoutText(layout, key_PageSize, m_PageSize);
    readCount(layout, key_Columns, m_ColCount);
    readCount(layout, key_Rows, m_RowCount);
    m_CornerRadius = lengthOrZero(layout, key_CornerRadius);
    m_TopMargin = lengthOrZero(layout, key_TopMargin);
    m_LeftMargin = lengthOrZero(layout, key_LeftMargin);
    m_HSpace = lengthOrZero(layout, key_HSpace);
    m_VSpace = lengthOrZero(layout, key_VSpace);
    if (getDocumentType() == dtEnvelope) {
        layout.GetData(key_HasWindow, &m_HasWindow);
        m_WinWidth = lengthOrZero(layout, key_WindowWidth);
        m_WinHeight = lengthOrZero(layout, key_WindowHeight);
        m_WinBottomOffset = lengthOrZero(layout, key_WindowBottomOffset);
        m_WinLeftOffset = lengthOrZero(layout, key_WindowLeftOffset);
    } else {
        m_HasWindow = false;
        m_WinWidth = m_WinHeight = m_WinBottomOffset = m_WinLeftOffset = 0.0;
    }
    m_DYMOPaperWidth = lengthOrZero(layout, key_DYMOPaperWidth);
    m_DYMOPaperHeight = lengthOrZero(layout, key_DYMOPaperHeight);
    m_DYMOOffsetX = lengthOrZero(layout, key_DYMOOffsetX);
    m_DYMOOffsetY = lengthOrZero(layout, key_DYMOOffsetY);
}

void CFTADocument::loadFrontSide(const CDDArchive &file)
{
    CDDArchive front(false);
    if (!file.GetData(key_FrontSide, front) || !front.getDict().isDictionary())
        return;
    // Entries carry the file's version through the archive that lists them.
    SerializeComponents(front, GetComponentsPtr(0, false), false);

    m_backEntries.clear();
    CDDArchive back(false);
    if (!front.GetData(key_BackComponents, back) || !back.isArrayProcessing())
        return;
    std::vector<CFTComponent *> *backList = GetComponentsPtr(0, true);
    std::vector<std::vector<CFTComponent *>> made;
    std::vector<BackEntryRead> reads;
    for (int i = 0; i < back.countObjectsInArray(); ++i) {
        CDDArchive entry = back.objectAtIndexInArray(i);
        // Read like the side's own components, so that what they lack or hold damaged is named
        // and what they hold beyond it kept; only a plain text there is made as an address text,
        // as the files that carry a back list expect.
        entry.setBundleVersion(file.getBundleVersion());
        entry.SetArchivePath(file.GetArchivePath());
        const size_t before = backList->size();
        if (!CFTComponent::SerializeFromArchive(entry, backList, nullptr, 0))
            noteComponentLeftOut(entry, i);
        made.emplace_back(backList->begin() + std::ptrdiff_t(before), backList->end());
        reads.push_back({entry.readDictionary(), entry.readReport()});
    }
    // One background per side: a file listing more keeps the first.
    CFTExtPicture *first = getBackground(0);
    const std::vector<CFTComponent *> copy = *backList;
    for (CFTComponent *component : copy) {
        if (component != first && component->getClassID() == ciBackgroundPicture)
            DeleteObject(component, 0, true);
    }
    // The back list holds the side's background and nothing else: a file that lists another
    // component there has it drawn first on the side, below all the others, where it stays, so
    // that it is printed and checked with them; it is saved back where the file listed it.
    std::vector<CFTComponent *> *frontList = GetComponentsPtr(0, false);
    std::vector<CFTComponent *> below;
    for (CFTComponent *component : *backList) {
        if (component->getClassID() != ciBackgroundPicture)
            below.push_back(component);
    }
    if (!below.empty()) {
        std::erase_if(*backList, [](const CFTComponent *component) { return component->getClassID() != ciBackgroundPicture; });
        frontList->insert(frontList->begin(), below.begin(), below.end());
    }
    rememberBackEntries(front.value(key_BackComponents), made, reads);
}

void CFTADocument::convertOldFile(const CDDArchive &file)
{
    CDDString storedCountry;
    std::unique_ptr<CAddressFormat> formatTo = readOldFormat(file, key_AddressFormatTo, storedCountry);
    const bool hadFormatTo = formatTo != nullptr;
    if (hadFormatTo && !storedCountry.getData().isEmpty())
        m_CountryCodeTo = storedCountry;

    // The first panel with a barcode decides whether the recipient format asks for one.
    bool barcodeWanted = false;
    int location = 0;
    const std::vector<CFTComponent *> mainList = GetComponents(0, false);
    for (CFTComponent *component : mainList) {
        if (component->getClassID() != ciAddressPanel)
            continue;
        auto *panel = static_cast<CFTAAddressPanel *>(component);
        CFTAAddressText *field = panel->getAddressComponentWithTextCategory(tcBarcode);
        if (!field)
            continue;
        barcodeWanted = true;
        location = field->GetLocation();
        if (location == blStandalone) {
            // The separate barcode becomes a free component of the design.
            if (panel->removeAddressComponent(field)) {
                AddObject(field, 0, false);
                panel->SetBarcodeVisible(false);
            }
            barcodeWanted = false;
            location = 0;
        }
        break;
    }

    const CAddressFormatController &catalogue = CAddressFormatController::sharedAddressFormatController();
    if (!hadFormatTo || barcodeWanted)
        formatTo = catalogue.formatWithTemplate(kOldFileTemplate, m_CountryCodeTo.getData(), barcodeWanted, location);
    if (formatTo)
        setAddressFormat(formatTo.get(), true);

    CDDString senderCountry;
    std::unique_ptr<CAddressFormat> formatFrom = readOldFormat(file, key_AddressFormatFrom, senderCountry);
    // An old file's sender country counts only where no sender format was stored.
    if (!formatFrom) {
        readCountryCode(file, key_ISOCountryCodeFrom, m_CountryCodeFrom);
        formatFrom = catalogue.formatWithTemplate(kOldFileTemplate, m_CountryCodeFrom.getData(), false, 0);
    }
    if (formatFrom)
        setAddressFormat(formatFrom.get(), false);

    readAddressType(file, key_AddressSourceTo, m_AddressTypeTo);
    readAddressType(file, key_AddressSourceFrom, m_AddressTypeFrom);
    setAddressType(m_AddressTypeTo, true);
    setAddressType(m_AddressTypeFrom, false);
}
