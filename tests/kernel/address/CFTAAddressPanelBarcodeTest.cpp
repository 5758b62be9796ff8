// A panel's postal barcode encodes the address the panel shows, however the two could part.
#include "kernel/address/CFTAAddressPanel.h"

#include "AddressTestSupport.h"

#include "kernel/address/CFTABarcode.h"
#include "kernel/base/CDDArchive.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using namespace addrtest;

// The panel written and read back with the barcode's stored ZIP replaced.
std::unique_ptr<CFTAAddressPanel> readBackWithBarcodeZip(CFTAAddressPanel &panel, const QString &zip)
{
    CDDArchive written(true);
    panel.Serialize(written, nullptr);
    CDDArchive read(false);
    read.Attach(pwtest::withEveryEntrySet(written.Dettach(), u"ZIP for Barcode"_s, PWPlist::fromString(zip)));
    auto loaded = std::make_unique<CFTAAddressPanel>();
    EXPECT_TRUE(loaded->Serialize(read, nullptr));
    return loaded;
}

TEST(CFTAAddressPanelBarcodeTest, TheBarcodeEncodesTheAddressThePanelShows)
{
    const struct
    {
        const char *name;
        bool zipField; // the format shows a ZIP line
        std::function<std::unique_ptr<CFTAAddressPanel>(std::unique_ptr<CFTAAddressPanel>)> change;
        QString zip; // the barcode's afterwards
    } cases[] = {
        {"as filled", true, [](auto panel) { return panel; }, u"62704"_s},
        {"read from a file that stored another ZIP for it", true,
         [](auto panel) { return readBackWithBarcodeZip(*panel, u"99999"_s); }, u"62704"_s},
        {"read from a file that stored none", true, [](auto panel) { return readBackWithBarcodeZip(*panel, QString()); },
         u"62704"_s},
        {"its ZIP line filled alone", true,
         [](auto panel) {
             fill(*panel, tcZIP, u"10001"_s);
             return panel;
         },
         u"10001"_s},
        // Capitals of the shown address change nothing the post reads.
        {"its ZIP line shown in capitals", true,
         [](auto panel) {
             panel->SetString(true, tcZIP, panel->GetAddressType(), CDDString(u"sw1a 1aa"_s), tcBarcode, false);
             fill(*panel, tcZIP, u"SW1A 1AA"_s);
             return panel;
         },
         u"sw1a 1aa"_s},
        // Without a ZIP line the person's ZIP is all there is to encode.
        {"without a ZIP line, given one through its link", false,
         [](auto panel) {
             panel->SetString(true, tcZIP, panel->GetAddressType(), CDDString(u"99999"_s), tcBarcode, false);
             return panel;
         },
         u"99999"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<CAddressFormat> format =
            c.zipField ? catalogueFormat(u"us"_s, true)
                       : handMadeFormat({{tcFirstName, 0, 0}, {tcLastName, 0, 1}, {tcBarcode, 1, 0}});
        auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
        fillFromPerson(*panel, *makePerson(kUS));
        ASSERT_EQ(field(*panel, tcZIP) != nullptr, c.zipField);
        const std::unique_ptr<CFTAAddressPanel> changed = c.change(std::move(panel));
        auto *barcode = dynamic_cast<CFTABarcode *>(field(*changed, tcBarcode));
        ASSERT_NE(barcode, nullptr);
        EXPECT_EQ(barcode->zip().getData(), c.zip);
        if (c.zipField) {
            EXPECT_EQ(text(*changed, tcZIP).compare(c.zip, Qt::CaseInsensitive), 0) << qPrintable(text(*changed, tcZIP));
        }
    }
}

} // namespace
