#include "kernel/printing/CAPrintSettings.h"

#include <QRectF>

#include <gtest/gtest.h>

namespace {

// The layout's paper in points. Qt matches page sizes in whole points, so a printer's paper is
// within a point of the record's.
QRectF points(const QPageLayout &layout)
{
    return layout.fullRect(QPageLayout::Point);
}

TEST(PrintSettingsTest, PrintInfoKeysCarryTheValueKindsTheirReadersExpect)
{
    CAPrintSettings settings;
    settings.startFrom = 5;
    settings.cutLines = true;
    settings.envelopeAlignment = 2;
    settings.envelopeRotation = 270;
    settings.personList = true;
    settings.knownPaperFormat = false;
    settings.usePrinterSettings = true;
    const PWPlist::Dictionary info = settings.dictionary();
    // Flags as the readers of each key expect them: booleans, words or digits.
    EXPECT_EQ(QList<PWPlist>({info.value(QStringLiteral("CutLines")), info.value(QStringLiteral("PersonList")),
                              info.value(QStringLiteral("KnownPaperFormat"))}),
              QList<PWPlist>({PWPlist::fromBool(true), PWPlist::fromString(QStringLiteral("YES")), PWPlist::fromString(QStringLiteral("0"))}));
    CAPrintSettings back;
    ASSERT_TRUE(back.setDictionary(info));
    EXPECT_EQ(back, settings);
}

TEST(PrintSettingsTest, BadValuesAreRefusedAndLeaveTheRecordAsItWas)
{
    CAPrintSettings settings;
    settings.startFrom = 3;
    const CAPrintSettings before = settings;
    QString error;
    const PWPlist::Dictionary bad{{QStringLiteral("CutLines"), PWPlist::fromBool(true)},
                                  {QStringLiteral("EnvelopRotation"), PWPlist::fromInteger(360)}};
    EXPECT_FALSE(settings.setDictionary(bad, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("EnvelopRotation")));
    EXPECT_EQ(settings, before) << "all or nothing";
    EXPECT_FALSE(settings.setValueForKey(QStringLiteral("StartFrom"), PWPlist::fromInteger(0)));
    EXPECT_FALSE(settings.setValueForKey(QStringLiteral("PersonList"), PWPlist::fromString(QStringLiteral("maybe"))));
    EXPECT_FALSE(settings.setValueForKey(QStringLiteral("NoSuchKey"), PWPlist::fromInteger(1)));
    EXPECT_FALSE(settings.valueForKey(QStringLiteral("NoSuchKey")).has_value());
    EXPECT_EQ(settings, before);
    // Older writers stored flags as numbers, booleans or words.
    EXPECT_TRUE(settings.setValueForKey(QStringLiteral("KnownPaperFormat"), PWPlist::fromBool(true)));
    EXPECT_TRUE(settings.knownPaperFormat);
    EXPECT_TRUE(settings.setValueForKey(QStringLiteral("PersonList"), PWPlist::fromInteger(0)));
    EXPECT_FALSE(settings.personList);
    EXPECT_TRUE(settings.setValueForKey(QStringLiteral("StartFrom"), PWPlist::fromString(QStringLiteral(" 7"))));
    EXPECT_EQ(settings.startFrom, 7);
    // Keys of other parts of the print info pass untouched.
    EXPECT_TRUE(settings.setDictionary(PWPlist::Dictionary{{QStringLiteral("Other"), PWPlist::fromInteger(1)}}));
}

TEST(PrintSettingsTest, PageLayoutHasNoMarginsAndTurnsWithTheOrientation)
{
    CAPrintSettings settings;
    settings.paperSize = QSizeF(594.72, 841.68);
    EXPECT_EQ(points(settings.pageLayout()).toRect(), QRect(0, 0, 595, 842));
    EXPECT_EQ(settings.pageLayout().margins(), QMarginsF(0, 0, 0, 0));
    settings.orientation = QPageLayout::Landscape;
    EXPECT_EQ(settings.orientedPaperSize(), QSizeF(841.68, 594.72));
    EXPECT_EQ(points(settings.pageLayout()).toRect(), QRect(0, 0, 842, 595));
}

} // namespace
