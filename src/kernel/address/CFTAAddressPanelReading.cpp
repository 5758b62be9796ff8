// The reading of a panel's own parts from its archive: its fields, the barcode of an old file,
// and the frame a panel stored without one takes.

#include "kernel/address/CFTAAddressPanel.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDFileProgress.h"
#include "kernel/component/FTComponentFactory.h"

#include <QRectF>

void CFTAAddressPanel::loadFields(const CDDArchive &archive, bool oldFile, CDDString *zip, CDDString *street,
                                  CDDString *country)
{
    // Without a list the panel has no fields of its own. A list held as another kind of value loses the fields the file has, which a save would make
    // final; a dictionary reads as a list of none.
    CDDArchive entries(false, archive.GetPackageType());
    if (!archive.GetData(key_Components, entries) || !entries.isArrayProcessing()) {
        if (!oldFile && archive.value(key_Components).isDictionary())
            archive.noteUnread(key_Components, QStringLiteral("The fields of an address panel could not be read"));
        return;
    }
    for (int i = 0; i < entries.countObjectsInArray(); ++i) {
        CDDFileProgress::step();
        CDDArchive entry = entries.objectAtIndexInArray(i);
        entry.setBundleVersion(archive.getBundleVersion());
        entry.SetArchivePath(archive.GetArchivePath());
        std::unique_ptr<CFTComponent> made;
        if (oldFile) {
            made = std::make_unique<CFTAAddressText>(&mDefText);
            made->Serialize(entry, nullptr);
        } else {
            made = CFTComponent::CreateFromArchive(entry, nullptr, &mDefText);
        }
        auto *const field = dynamic_cast<CFTAAddressText *>(made.get());
        // A field whose class was left out is one of no kind, which makes nothing; one emptied of
        // every key is named.
        if (!field && (made || !entry.value(key_ClassID).isNull() || entry.getDict().toDictionary().isEmpty())) {
            entry.noteUnread(key_ClassID, made ? QStringLiteral("Field %1 of an address panel was left out: it is not an address field").arg(i + 1)
                                               : QStringLiteral("Field %1 of an address panel was left out: its class could not be read").arg(i + 1));
            continue;
        }
        if (!field)
            continue;
        if (field->GetTextCategory() == tcNone)
            continue;
        if (oldFile && field->GetToFrom()) {
            if (field->GetTextCategory() == tcZIP)
                *zip = field->GetString();
            else if (field->GetTextCategory() == tcStreet)
                *street = field->GetString();
            else if (field->GetTextCategory() == tcCountry)
                *country = field->GetString();
        }
        (void)made.release();
        mAddressTexts.emplace_back(field);
    }
}

void CFTAAddressPanel::loadOldBarcode(const CDDArchive &archive, const CDDString &zip, const CDDString &street,
                                      const CDDString &country)
{
    CDDArchive child(false, archive.GetPackageType());
    if (m_bBarcodeHidden || !archive.GetData(key_Barcode, child))
        return;
    child.setBundleVersion(archive.getBundleVersion());
    auto barcode = std::make_unique<CFTABarcode>(0.0, 0.0);
    barcode->CFTComponent::Serialize(child, nullptr);
    int location = 0;
    if (child.GetData(key_BarcodeLocation, &location, CDDRanges::kBarcodeLocation)) {
        barcode->SetLocation(location == 1 ? blPanelRoomAbove : location == 2 ? blStandalone : blPanelRoomBelow);
        barcode->SetAddressType(m_addressType);
    }
    CFTABarcode *const made = barcode.get();
    mAddressTexts.push_back(std::move(barcode));
    made->SetString(true, tcZIP, adWork, zip, tcZIP, false);
    made->SetString(true, tcCountry, adWork, country, tcZIP, false);
    made->SetString(true, tcStreet, adWork, street, tcZIP, false);
}

void CFTAAddressPanel::frameFromFieldsWhenMissing(const CDDArchive &archive)
{
    if (!archive.value(key_Bounds).isNull())
        return;
    // A panel without its frame has its fields where the file put them: its frame is taken round
    // them, so that its first layout leaves them there and the panel is drawn in its place.
    QRectF around;
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts) {
        if (field && field->GetTextCategory() != tcBarcode)
            around |= QRectF(field->GetOriginX(), field->GetOriginY(), field->GetSizeX(), field->GetSizeY());
    }
    if (around.isValid()) {
        mdOriginX = around.left() - mdMarginX;
        mdOriginY = around.top() - mdMarginY;
        mdSizeX = around.width() + 2.0 * mdMarginX;
        mdSizeY = around.height() + 2.0 * mdMarginY;
    }
}
