#include "kernel/address/CFTAAddressText.h"

#include "AddressTestSupport.h"

#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWFont.h"

#include <QPainter>

namespace {

QTextCharFormat sans(double size)
{
    QTextCharFormat format;
    PWFont(u"DejaVuSans"_s, size).applyTo(&format);
    return format;
}

std::unique_ptr<CFTAAddressText> field(textCategory category, const QString &label = u"City"_s)
{
    const CDDString labelText(label);
    auto text = std::make_unique<CFTAAddressText>(true, category, adWork, &labelText, nullptr);
    text->SetFontAttr(sans(12));
    text->SetOrigin(20, 20);
    text->ExpandByText();
    return text;
}

bool inked(CFTAAddressText &text, bool printing)
{
    QImage image(200, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CDDDrawer drawer(false, &painter);
    text.Draw(&drawer, false, nullptr, false, printing);
    painter.end();
    return !addrtest::isBlank(image);
}

TEST(CFTAAddressTextTest, ModeTextAndShowAllDecideWhetherItShows)
{
    // mode, has text, showAll, shown
    for (const auto &[mode, hasText, showAll, shown] :
         {std::tuple {0, true, true, false}, std::tuple {1, false, false, true}, std::tuple {2, false, false, false},
          std::tuple {2, false, true, true}, std::tuple {2, true, false, true}}) {
        auto text = field(tcCity);
        text->setMode(fieldMode(mode));
        if (hasText)
            text->SetString(CDDString(u"Ottawa"_s));
        EXPECT_EQ(text->isEnabled(showAll), shown) << mode << hasText << showAll;
    }
}

TEST(CFTAAddressTextTest, EditingShowsAnEmptyFieldAndKeepsWhatWasTypedAsItsOwn)
{
    auto text = field(tcCity);
    text->setFormatDelimiter(u","_s);
    EXPECT_FALSE(text->isEnabled(false));
    text->startEditText(nullptr, nullptr);
    EXPECT_TRUE(text->isEnabled(false));
    EXPECT_TRUE(text->IsTouched());
    text->SetString(CDDString(u"Hull,"_s));
    text->endEditText(nullptr);
    EXPECT_EQ(text->personString(), u"Hull,"_s) << "a delimiter typed is the field's own";
    EXPECT_TRUE(text->isEnabled(false));
}

TEST(CFTAAddressTextTest, PersonValueGoesOnlyToTheMatchingSideCategoryAndType)
{
    auto text = field(tcCity);
    text->SetString(false, tcCity, adWork, CDDString(u"Other side"_s), tcNone, false);
    text->SetString(true, tcCity, adHome, CDDString(u"Other type"_s), tcNone, false);
    text->SetString(true, tcState, adWork, CDDString(u"Other field"_s), tcNone, false);
    EXPECT_TRUE(text->GetText()->isEmpty());
    text->SetString(true, tcCity, adWork, CDDString(u"Ottawa"_s), tcNone, false);
    EXPECT_EQ(text->GetText()->getString(), u"Ottawa"_s);
}

std::unique_ptr<CAddressFormat> formatFor(const QString &country)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, CDDString(u"Test"_s));
    root->addSubFormat(tcAddress, CDDString(country), 0, 0);
    return root;
}

TEST(CFTAAddressTextTest, CountryStyleSetsTheRoomAfterAField)
{
    auto zip = field(tcZIP);
    const CDDText *text = zip->getDDText();
    const double inset = 2.0 * text->getContOffsetX();
    const double oneBlank = text->getSpaceXSpacing(u" "_s) - inset;
    const double twoBlanks = text->getSpaceXSpacing(u"  "_s) - inset;
    ASSERT_GT(twoBlanks, oneBlank);
    // Side, country (null: no format), the room after the ZIP; sender fields are spaced plainly.
    const std::tuple<bool, QString, double> cases[] = {{true, u"ca"_s, twoBlanks},
                                                       {false, u"ca"_s, oneBlank},
                                                       {true, u"us"_s, text->getDefXSpacing() - inset},
                                                       {true, u"de"_s, oneBlank},
                                                       {true, QString(), oneBlank}};
    for (const auto &[toFrom, code, room] : cases) {
        zip->SetToFrom(toFrom);
        zip->setFormat(code.isNull() ? nullptr : formatFor(code).get(), 0);
        EXPECT_DOUBLE_EQ(zip->GetPaddedRightSizeX(), room) << toFrom << code.toStdString();
    }
}

TEST(CFTAAddressTextTest, EmptyFieldIsMeasuredAndDrawnByItsLabelOnScreenOnly)
{
    auto text = field(tcCity, u"A much longer placeholder"_s);
    const double labelWidth = text->GetSizeX();
    EXPECT_NEAR(labelWidth, text->getLabel()->getContSizeX(), 1e-6);
    EXPECT_TRUE(inked(*text, false));
    EXPECT_FALSE(inked(*text, true));
    text->SetString(CDDString(u"X"_s));
    text->ExpandByText();
    EXPECT_LT(text->GetSizeX(), labelWidth);
    EXPECT_TRUE(inked(*text, true)) << "a filled field prints";
}

TEST(CFTAAddressTextTest, PickingAnEmptyFieldBetweenGlyphsAnswersTheBodyUnlessFilled)
{
    auto text = field(tcCity, u"City"_s);
    text->SetSize(300, text->GetSizeY());
    const double x = text->GetOriginX() + 250;
    const double y = text->GetOriginY() + text->GetSizeY() / 2.0;
    bool selected = false;
    actionType action = actionUnset;
    EXPECT_EQ(text->PickMe(x, y, selected, 2.0, action, 0), text.get());
    EXPECT_EQ(action, actionNone);
    text->SetHaveBackColor(true);
    action = actionUnset;
    EXPECT_EQ(text->PickMe(x, y, selected, 2.0, action, 0), text.get());
    EXPECT_EQ(action, actionUnset);
    EXPECT_EQ(text->PickMe(x + 1000, y, selected, 2.0, action, 0), nullptr);
}

// An empty field comes back with its mode, its style and its binding.
TEST(CFTAAddressTextTest, SavedAndReadBackEqual)
{
    auto saved = field(tcZIP, u"Postcode"_s);
    saved->SetFontAttr(sans(17));
    saved->setMode(fmAlways);
    saved->SetToFrom(false);
    saved->SetAddressType(adOther);
    saved->SetPreferredAddress(false);
    const auto loaded = addrtest::roundTrip<CFTAAddressText>(*saved);
    ASSERT_TRUE(loaded);
    const auto summary = [](CFTAAddressText &t) {
        return QStringList {QString::number(t.getMode()), QString::number(t.GetTextCategory()),
                            QString::number(t.GetToFrom()), QString::number(t.GetAddressType()),
                            QString::number(t.IsPreferredAddress()), t.GetText()->getString(),
                            t.getLabel()->getString(), QString::number(t.isEnabled(false))};
    };
    EXPECT_EQ(summary(*loaded), summary(*saved));
    EXPECT_DOUBLE_EQ(addrtest::pointSize(loaded->GetFont(nullptr)), 17.0) << "the empty text keeps its style";
}

TEST(CFTAAddressTextTest, OldArchivesEnabledKeyAndUnknownCategory)
{
    auto saved = field(tcCity);
    saved->setMode(fmAlways);
    CDDArchive archive(true);
    saved->Serialize(archive, nullptr);
    archive.SetData(key_Enabled, false);
    archive.SetData(key_TextCategory, -1);
    archive.setStoring(false);
    CFTAAddressText loaded(nullptr);
    loaded.Serialize(archive, nullptr);
    EXPECT_EQ(loaded.getMode(), fmWhenFilled) << "\"Enabled\" wins over the stored mode";
    EXPECT_EQ(loaded.GetTextCategory(), 128);
    // Its presence counts, whatever it holds.
    archive.setStoring(true);
    archive.SetData(key_Enabled, CDDString(u"maybe"_s));
    archive.setStoring(false);
    CFTAAddressText odd(nullptr);
    odd.Serialize(archive, nullptr);
    EXPECT_EQ(odd.getMode(), fmWhenFilled);
}

} // namespace
