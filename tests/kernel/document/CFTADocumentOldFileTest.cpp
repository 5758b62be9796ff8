// Files of bundle version 72 or less, built by hand: they keep the address formats and country
// codes in the document and the separate barcode inside the recipient panel.

#include "kernel/document/CFTADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/base/CDDArchiveKeys.h"

#include <gtest/gtest.h>

namespace {

using namespace doctest;

// Reads a file into the document and gives back its address panels.
std::vector<CFTAAddressPanel *> loadPanels(CFTADocument &document, const PWPlist::Dictionary &file)
{
    loadDocument(document, PWPlist(file));
    std::vector<CFTAAddressPanel *> panels;
    for (CFTComponent *component : document.GetComponents(0, false)) {
        if (component->getClassID() == 8)
            panels.push_back(static_cast<CFTAAddressPanel *>(component));
    }
    return panels;
}

std::unique_ptr<CAddressFormat> templateFormat(const QString &name, const QString &country, bool barcode = false)
{
    return CAddressFormatController::sharedAddressFormatController().formatWithTemplate(name, country, barcode, 1);
}

PWPlist storedFormat(const CAddressFormat &format)
{
    CDDArchive archive(true);
    std::unique_ptr<CAddressFormat> copy = format.clone();
    copy->Serialize(archive);
    return archive.Dettach();
}

// A panel as an old version wrote it; barcodeLocation -1 means no barcode.
PWPlist oldPanel(bool toFrom, int barcodeLocation)
{
    const std::unique_ptr<CAddressFormat> format = templateFormat(QStringLiteral("Name"), QStringLiteral("us"));
    CFTAAddressPanel panel(toFrom, format.get(), nullptr, false);
    panel.SetOrigin(20, 30);
    PWPlist::Dictionary stored = CFTACoreDoc::GetArchiveFromObject(&panel, nullptr).getDict().toDictionary();
    stored.insert(key_BundleVersion, str("72"));
    if (barcodeLocation >= 0) {
        stored.insert(key_BarcodeHidden, str("NO"));
        stored.insert(key_Barcode, PWPlist(PWPlist::Dictionary {{key_BarcodeLocation, PWPlist::fromString(QString::number(barcodeLocation))}}));
    }
    return PWPlist(stored);
}

// An old file of the given components, with the document keys an old version wrote and the entries set.
PWPlist::Dictionary oldFile(const PWPlist::Array &components, const QList<PWPlist::Dictionary::Entry> &entries)
{
    CFTADocument written;
    PWPlist::Dictionary file = storedDocument(written).toDictionary();
    file.insert(key_BundleVersion, str("72"));
    file.insert(key_FrontSide, PWPlist(PWPlist::Dictionary {{key_Components, PWPlist(components)}}));
    for (const auto &[key, value] : entries)
        file.insert(key, value);
    return file;
}

QString formatName(const CAddressFormat *format, textCategory category)
{
    const CDDString *name = format ? format->name(category) : nullptr;
    return name ? name->getData() : QString();
}

// Each panel's format, country and address type.
QString describe(const std::vector<CFTAAddressPanel *> &panels)
{
    QStringList found;
    for (const CFTAAddressPanel *panel : panels)
        found << QStringLiteral("%1 %2 %3")
                     .arg(formatName(panel->getFormat(), tcRootFormat), formatName(panel->getFormat(), tcAddress))
                     .arg(int(panel->GetAddressType()));
    return found.join(QStringLiteral(", "));
}

} // namespace

TEST(CFTADocumentOldFileTest, CountryCodesBuildNameAndCompanyFormatsPerSide)
{
    const PWPlist::Dictionary file = oldFile({oldPanel(true, -1), oldPanel(false, -1)},
        {{key_ISOCountryCodeTo, str("ca")}, {key_ISOCountryCodeFrom, str("de")}, {key_AddressSourceTo, str("2")}, {key_AddressSourceFrom, str("3")}});
    CFTADocument document(dtLabel, cs("us"), cs("us"));
    const std::vector<CFTAAddressPanel *> panels = loadPanels(document, file);
    EXPECT_EQ(document.GetCountryCodeTo().getData() + document.GetCountryCodeFrom().getData(), QStringLiteral("cade"));
    EXPECT_EQ(QList<int>({document.addressTypeTo(), document.addressTypeFrom()}), QList<int>({adHome, adOther}));
    EXPECT_EQ(describe(panels), QStringLiteral("Name+Company ca 2, Name+Company de 3"));
}

TEST(CFTADocumentOldFileTest, StoredFormatsAreUsedAndNameTheRecipientCountry)
{
    const std::unique_ptr<CAddressFormat> to = templateFormat(QStringLiteral("Company"), QStringLiteral("uk"));
    const std::unique_ptr<CAddressFormat> from = templateFormat(QStringLiteral("Name"), QStringLiteral("fr"));
    ASSERT_TRUE(to && from);
    const PWPlist::Dictionary file = oldFile({oldPanel(true, -1), oldPanel(false, -1)},
        {{key_AddressFormatTo, storedFormat(*to)}, {key_AddressFormatFrom, storedFormat(*from)}, {key_ISOCountryCodeFrom, str("it")}});
    CFTADocument document(dtLabel, cs("us"), cs("us"));
    const std::vector<CFTAAddressPanel *> panels = loadPanels(document, file);
    // With a stored sender format the file's "ISO Country Code From" is not read.
    EXPECT_EQ(document.GetCountryCodeTo().getData() + document.GetCountryCodeFrom().getData(), QStringLiteral("ukus"));
    EXPECT_EQ(describe(panels), QStringLiteral("Company uk 0, Name fr 0"));
}

TEST(CFTADocumentOldFileTest, SeparateBarcodeBecomesAComponentOfItsOwn)
{
    CFTADocument document;
    const std::vector<CFTAAddressPanel *> panels = loadPanels(document, oldFile({oldPanel(true, 2)}, {{key_ISOCountryCodeTo, str("us")}}));
    const std::vector<CFTComponent *> &components = document.GetComponents(0, false);
    ASSERT_EQ(classIDs(components), (QList<int> {8, 9}));
    EXPECT_EQ(components[1]->GetLocation(), 2);
    ASSERT_TRUE(panels.size() == 1 && panels[0]->getFormat());
    EXPECT_FALSE(panels[0]->getAddressComponentWithTextCategory(tcBarcode) || panels[0]->IsBarcodeVisible()
                 || panels[0]->getFormat()->containKey(tcBarcode));
    EXPECT_EQ(formatName(panels[0]->getFormat(), tcRootFormat), QStringLiteral("Name+Company"));
}

TEST(CFTADocumentOldFileTest, PanelBarcodeAsksForItInTheRebuiltFormat)
{
    // Even a stored recipient format is rebuilt when the panel holds its barcode.
    const std::unique_ptr<CAddressFormat> to = templateFormat(QStringLiteral("Company"), QStringLiteral("us"));
    CFTADocument document;
    const std::vector<CFTAAddressPanel *> panels =
        loadPanels(document, oldFile({oldPanel(false, -1), oldPanel(true, 1)}, {{key_AddressFormatTo, storedFormat(*to)}}));
    ASSERT_TRUE(panels.size() == 2 && document.GetComponents(0, false).size() == 2);
    EXPECT_EQ(formatName(panels[1]->getFormat(), tcRootFormat), QStringLiteral("Name+Company"));
    EXPECT_TRUE(panels[1]->getFormat()->containKey(tcBarcode));
    EXPECT_EQ(document.GetCountryCodeTo().getData(), QStringLiteral("us"));
}

TEST(CFTADocumentOldFileTest, CurrentFilesAreNotConverted)
{
    const std::unique_ptr<CAddressFormat> to = templateFormat(QStringLiteral("Company"), QStringLiteral("us"));
    CFTADocument document;
    const std::vector<CFTAAddressPanel *> panels =
        loadPanels(document, oldFile({oldPanel(true, 2)}, {{key_AddressFormatTo, storedFormat(*to)}, {key_BundleVersion, str("73")}}));
    // The panel still says it is old and keeps its barcode; the document leaves it so.
    ASSERT_TRUE(panels.size() == 1 && document.GetComponents(0, false).size() == 1);
    EXPECT_EQ(formatName(panels[0]->getFormat(), tcRootFormat), QStringLiteral("Name"));
}

TEST(CFTADocumentOldFileTest, UnreadableStoredFormatFallsBackToTheCountryCode)
{
    CFTADocument document;
    const std::vector<CFTAAddressPanel *> panels = loadPanels(document, oldFile({oldPanel(true, -1)},
        {{key_AddressFormatTo, str("garbage")}, {key_ISOCountryCodeTo, str("ca")}, {key_AddressSourceTo, str("42")}}));
    // An address type no person has is refused; the panels get the document's.
    EXPECT_EQ(describe(panels), QStringLiteral("Name+Company ca %1").arg(int(adMain)));
    EXPECT_EQ(document.addressTypeTo(), adMain);
}
