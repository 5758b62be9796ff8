#include "kernel/document/CFTADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CFTABarcode.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/render/CDDDrawer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

using doctest::WalkProbe;

namespace {

// Renders the document's background onto white, one pixel a point.
QImage backgroundImage(CFTADocument &document)
{
    QImage image(int(document.getDocumentSizeX(0)), int(document.getDocumentSizeY(0)), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CDDDrawer drawer(false, &painter);
    document.DrawBackground(&drawer);
    painter.end();
    return image;
}

// A dark pixel somewhere in column x between rows top and bottom.
bool darkInColumn(const QImage &image, int x, int top, int bottom)
{
    for (int y = top; y < bottom; ++y) {
        const QColor c = image.pixelColor(x, y);
        if (c.red() < 80 && c.green() < 80 && c.blue() < 80)
            return true;
    }
    return false;
}

} // namespace

TEST(CFTADocumentTest, PredefinedLayoutsAreLandscapeTurnedBySideAndOnlyLabelsCanBeRolls)
{
    for (const auto &[predefined, horizontal, width] :
         {std::tuple {true, false, 144.0}, {false, false, 252.0}, {true, true, 252.0}, {false, true, 144.0}}) {
        CFTADocument document;
        document.setDocumentSizeX(144); document.setDocumentSizeY(252); document.SetPredefinedLayout(predefined);
        document.SetHorizontal(horizontal, 0);
        EXPECT_EQ(QSizeF(document.getDocumentSizeX(0), document.getDocumentSizeY(0)), QSizeF(width, 396.0 - width)) << predefined << horizontal;
    }
    CFTADocument document;
    document.SetPageSize(CDDString(QStringLiteral("Label Roll")));
    EXPECT_TRUE(document.isLabelRoll());
    document.setDocumentType(dtEnvelope);
    EXPECT_FALSE(document.isLabelRoll());
    document.setDocumentType(dtLabel); document.SetPageSize(CDDString(QStringLiteral("A4")));
    EXPECT_FALSE(document.isLabelRoll());
}

TEST(CFTADocumentTest, AddressTypeAndFormatReachOnlyTheirSideAndCategoriesReachAll)
{
    CFTADocument document;
    document.addSide();
    auto *recipient = new WalkProbe(10, true), *sender = new WalkProbe(10, false), *backRecipient = new WalkProbe(8, true);
    document.AddObject(recipient, 0, false); document.AddObject(sender, 1, false); document.AddObject(backRecipient, 1, true);
    document.setAddressType(adHome, true);
    EXPECT_EQ(recipient->calls + sender->calls + backRecipient->calls, QStringList(2, QStringLiteral("SetAddressType 2")));
    EXPECT_EQ(document.addressTypeTo(), adMain) << "the document's own type is the file's, not the components'";
    const CAddressFormat *format = reinterpret_cast<const CAddressFormat *>(recipient);
    document.setAddressFormat(format, false);
    EXPECT_EQ(sender->calls, QStringList {QStringLiteral("setFormat 1")});
    EXPECT_EQ(sender->lastFormat, format);
    EXPECT_EQ(recipient->lastFormat, nullptr);
    for (WalkProbe *probe : {recipient, sender, backRecipient})
        probe->calls.clear();
    document.updateObjectsTextCategory(tcCity, false, adWork, CDDString(QStringLiteral("Oslo")));
    EXPECT_EQ(recipient->calls + sender->calls + backRecipient->calls, QStringList(3, QStringLiteral("SetString 0 13 1 Oslo -1 0")));
}

TEST(CFTADocumentTest, FIMNeedsTheWishAndAPOSTNETBarcode)
{
    CFTADocument document;
    CFTABarcode postnet(10, 10), royalMail(10, 10);
    postnet.setBarcodeType(btPOSTNET);
    royalMail.setBarcodeType(btRM4SCC);
    document.AddObject(new WalkProbe(8, true, &royalMail), 0, false); document.setFIMBarcodeVisible(true);
    EXPECT_FALSE(document.isFIMBarcodeAllow());
    document.AddObject(new WalkProbe(8, true, &postnet), 0, true);
    EXPECT_TRUE(document.isFIMBarcodeAllow());
    document.setFIMBarcodeVisible(false);
    EXPECT_FALSE(document.isFIMBarcodeAllow());
    // A field of the barcode category that is no barcode component does not count.
    CFTBoxField box;
    CFTADocument other;
    other.setFIMBarcodeVisible(true); other.AddObject(new WalkProbe(8, true, &box), 0, false);
    EXPECT_FALSE(other.isFIMBarcodeAllow());
}

TEST(CFTADocumentTest, SmallCardsTurnTheFirstSenderPanelOfEachList)
{
    const auto group5 = doctest::cardOfSizeGroup(5), group6 = doctest::cardOfSizeGroup(6);
    ASSERT_TRUE(group5 && group6);
    for (const bool small : {true, false}) {
        CFTADocument document;
        const auto card = small ? *group5 : *group6;
        document.setDocumentSizeX(card.first); document.setDocumentSizeY(card.second);
        WalkProbe *probes[] = {new WalkProbe(10, false), new WalkProbe(8, false), new WalkProbe(8, false), new WalkProbe(8, false)};
        for (int i = 0; i < 4; ++i)
            document.AddObject(probes[i], 0, i == 3);
        const auto turned = [&probes] {
            return QList<bool>(
                {probes[0]->GetToFrom(), probes[1]->GetToFrom(), probes[2]->GetToFrom(), probes[3]->GetToFrom()});
        };
        document.updateComponentsType(false);
        EXPECT_EQ(turned(), QList<bool>(4, false));
        document.updateComponentsType(true);
        EXPECT_EQ(turned(), QList<bool>({false, small, false, small}));
    }
}

TEST(CFTADocumentTest, SnapLinesOnlyOnCardsAboveGroupSixAndLimitsFollowTheTurnedSide)
{
    const auto group6 = doctest::cardOfSizeGroup(6), group7 = doctest::cardOfSizeGroup(7);
    ASSERT_TRUE(group6 && group7);
    CFTADocument document;
    float lines[2] = {-1.0f, -1.0f};
    document.setDocumentSizeX(group6->first); document.setDocumentSizeY(group6->second);
    EXPECT_EQ(QList<int>({document.getXSnapArrayTo(lines), document.getYSnapArrayTo(lines)}), QList<int>({0, 0}));
    EXPECT_EQ(lines[0], -1.0f);

    document.setDocumentSizeX(group7->first); document.setDocumentSizeY(group7->second);
    float one[1] = {-1.0f};
    EXPECT_EQ(document.getXSnapArrayTo(one), 0) << "no room for both lines: nothing written";
    EXPECT_EQ(one[0], -1.0f);
    ASSERT_EQ(document.getXSnapArrayTo(lines), 2);
    EXPECT_EQ(QList<float>({lines[0], lines[1]}), QList<float>({9.0f, float(group7->first) - 9.0f}));
    ASSERT_EQ(document.getYSnapArrayTo(lines), 2);
    EXPECT_EQ(QList<float>({lines[0], lines[1]}), QList<float>({9.0f, float(group7->second) - 9.0f}));
    EXPECT_EQ(document.getXSnapArrayFrom(lines), 0) << "a page never moves";

    CFTADocument turned;
    turned.SetHorizontal(false, 0);
    EXPECT_EQ(QList<float>({turned.getMinSnapXTo(), turned.getMaxSnapXTo(), turned.getMaxSnapYTo(), turned.getMinSnapYFrom(),
                            turned.getMaxSnapXFrom(), turned.getMaxSnapYFrom()}),
              QList<float>({9.0f, 144.0f - 9.0f, 252.0f - 9.0f, 0.0f, 135.0f, 243.0f}));
}

// A design moved to a template of another size scales its long side by the ratio of the long
// sides and its short side by that of the short ones, whichever way the new size is given; a
// turned design takes them along its own axes. A zero side, given or stored, would hand the
// components infinite factors: it rescales nothing.
TEST(CFTADocumentTest, RescaleFactorsFollowLongAndShortSides)
{
    using Factors = std::optional<std::array<double, 4>>;
    // Landscape design, stored height, new width and height, factors and size handed on.
    const std::tuple<const char *, bool, double, double, double, Factors> cases[] = {
        {"LongerAndNarrower", true, 144, 504, 72, std::array {2.0, 0.5, 504.0, 72.0}},
        {"GivenPortrait", true, 144, 72, 504, std::array {2.0, 0.5, 72.0, 504.0}},
        {"Turned", false, 144, 504, 72, std::array {0.5, 2.0, 504.0, 72.0}},
        {"SameSize", true, 144, 252, 144, std::array {1.0, 1.0, 252.0, 144.0}},
        {"NewWidthZero", true, 144, 0, 72, std::nullopt},
        {"NewHeightNegative", true, 144, 100, -72, std::nullopt},
        {"StoredHeightZero", true, 0, 100, 72, std::nullopt}};
    for (const auto &[name, horizontal, storedHeight, width, height, expected] : cases) {
        CFTADocument document; // 252 x 144
        auto *probe = new WalkProbe(1, true), *back = new WalkProbe(1, true);
        document.AddObject(probe, 0, false);
        document.AddObject(back, 0, true);
        document.SetHorizontal(horizontal, 0);
        document.setDocumentSizeY(storedHeight);
        document.updateComponentsToNewDocSize(width, height);
        EXPECT_EQ(probe->factors, expected) << name;
        EXPECT_FALSE(back->factors) << name << ": the back list keeps its size";
    }
    CFTADocument document;
    auto *probe = new WalkProbe(1, true), *back = new WalkProbe(1, true);
    document.AddObject(probe, 0, false);
    document.AddObject(back, 0, true);
    document.updateComponentsPositionToFitSize(50, 60);
    EXPECT_EQ(probe->calls + back->calls, QStringList {QStringLiteral("fit 50 60 0")});
}

TEST(CFTADocumentTest, FIMStandsTwoInchesFromTheRightEdgeOrAtZeroAboveTheBackground)
{
    for (const double width : {252.0, 144.0}) {
        CFTADocument document;
        document.setDocumentSizeX(width); document.setDocumentSizeY(100);
        CFTABarcode postnet(10, 10);
        document.AddObject(new WalkProbe(8, true, &postnet), 0, false);
        EXPECT_FALSE(darkInColumn(backgroundImage(document), 0, 0, 45)) << width;
        document.setFIMBarcodeVisible(true);
        auto *background = new CFTExtPicture(CDDPicture(doctest::solidImage(Qt::red)));
        background->SetOrigin(0, 0); background->SetSize(width, 100);
        document.setBackground(background, 0);
        const QImage with = backgroundImage(document);
        const int x = width > 184.5 ? int(width - 184.5) : 0;
        EXPECT_TRUE(darkInColumn(with, x, 5, 40) && !darkInColumn(with, x, 50, 100)) << width;
        EXPECT_FALSE(x > 5 && darkInColumn(with, x - 5, 5, 40)) << width;
        const QColor paper = with.pixelColor(int(width) - 10, 80);
        EXPECT_TRUE(paper.red() > 200 && paper.green() < 60) << "the background lies beneath the mark";
    }
}

TEST(CFTADocumentTest, BackgroundIsKeptPerSideAndReplacedIntoThePool)
{
    CFTADocument document;
    document.addSide();
    auto *first = new CFTExtPicture(CDDPicture(doctest::solidImage(Qt::red)));
    auto *second = new CFTExtPicture(CDDPicture(doctest::solidImage(Qt::blue)));
    auto *ordinary = new WalkProbe(1, true);
    document.AddObject(ordinary, 0, true);
    EXPECT_EQ(document.setBackground(first, 0), nullptr);
    EXPECT_EQ(document.getBackground(1), nullptr);
    EXPECT_EQ(document.setBackground(second, 0), first);
    // Drawn before anything else of the side.
    EXPECT_EQ(document.GetComponents(0, true), (std::vector<CFTComponent *> {second, ordinary}));
    EXPECT_TRUE(document.isInDeletedPool(first));
    // Undoing puts the first one back out of the pool.
    EXPECT_EQ(document.setBackground(first, 0), second);
    EXPECT_FALSE(document.isInDeletedPool(first));
    EXPECT_TRUE(document.isInDeletedPool(second));
    EXPECT_EQ(document.setBackground(nullptr, 0), first);
    EXPECT_EQ(document.GetComponents(0, true), std::vector<CFTComponent *> {ordinary});
    auto stray = std::make_unique<CFTExtPicture>();
    EXPECT_EQ(document.setBackground(stray.get(), 5), nullptr);
}
