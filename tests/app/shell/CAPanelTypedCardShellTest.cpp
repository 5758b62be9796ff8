// A city typed into a recipient panel in a design window, then File > Save: the card of the person
// the design stores keeps the address the panel shows under that address's own label (a home
// address stays home) and every other line it had, in its order. An address typed for a person
// without one is of the kind the panel shows: work, unless the Address pane chose another.
#include "kernel/address/CFTAAddressText.h"
#include "platform/PWVCardReader.h"

#include "../inspector/PanesWindowFixture.h"

#include <QComboBox>
#include <QFile>

#include <string>

namespace {

const char *const kTypedCardHome = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\nORG:Acme;\r\n"
                                   "EMAIL;TYPE=INTERNET;TYPE=HOME:ann@example.org\r\nTEL;TYPE=CELL:555 0100\r\n"
                                   "ADR;TYPE=HOME:;;1 Home Rd;Hometown;CA;90001;USA\r\nNOTE:Back door\r\nEND:VCARD\r\n";
const char *const kTypedCardNone = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roe;Bo;;;\r\nFN:Bo Roe\r\n"
                                   "TEL;TYPE=WORK:555 0199\r\nEND:VCARD\r\n";

struct TypedCard
{
    const char *name;
    const char *card;
    int source; // the Address pane's "address source" item chosen; -1: the panel's own
    const char16_t *address;
};

void PrintTo(const TypedCard &row, std::ostream *out)
{
    *out << row.name;
}

class CAPanelTypedCardTest : public paneswindow::Test, public ::testing::WithParamInterface<TypedCard>
{
protected:
    // The lines of the recipient's card in the saved design file.
    QStringList savedCardLines() const
    {
        QFile file(savePath);
        if (!file.open(QIODevice::ReadOnly))
            return {u"unreadable"_s};
        const std::optional<PWPlist> design = PWPlist::parse(file.readAll());
        if (!design)
            return {u"no design"_s};
        const QByteArray card = design->value(u"Person To"_s).value(u"personData"_s).toData();
        return QString::fromUtf8(card).split(u"\r\n"_s, Qt::SkipEmptyParts);
    }
    static QStringList linesWith(const QStringList &lines, bool address)
    {
        QStringList kept;
        for (const QString &line : lines)
            if (line.contains(u"ADR"_s) == address)
                kept << line;
        return kept;
    }
};

TEST_P(CAPanelTypedCardTest, TheSavedCardChangesOnlyTheTypedFieldOfTheShownAddress)
{
    const TypedCard &row = GetParam();
    ASSERT_TRUE(start());
    CFTAAddressPanel *panel = addRecipientPanel();
    ASSERT_TRUE(panel);
    if (row.source >= 0) {
        click(panel);
        auto *source = control<QComboBox>(CAPropertiesController::AddressTab, "_addressSourceButton");
        ASSERT_TRUE(source && source->isEnabled());
        source->setFocus();
        QTest::keyClick(source, Qt::Key_Home);
        for (int i = 0; i < row.source; ++i)
            QTest::keyClick(source, Qt::Key_Down);
        ASSERT_EQ(source->currentIndex(), row.source);
        ASSERT_EQ(panel->GetAddressType(), addressType(row.source)) << "the pane sets the panel's address kind";
        click(nullptr);
    }
    canvas->document()->setCurrentPerson(PWVCardReader::personFromData(QByteArray(row.card)).get(), true, true, true);
    paint();
    savePath = path(u"card.pwdc"_s);
    ASSERT_TRUE(choose("saveDocument"));
    const QStringList before = savedCardLines();
    ASSERT_TRUE(before.contains(u"BEGIN:VCARD"_s) && before.contains(u"END:VCARD"_s)) << qPrintable(before.join(u'|'));

    // Into the city as a user goes: a double click selects the panel, one more opens the field.
    CFTAAddressText *city = panel->getAddressComponentWithTextCategory(tcCity);
    ASSERT_TRUE(city);
    const QPoint at = pointOf(city);
    QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
    if (!canvas->isEditingText())
        QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(canvas->isEditingText());
    ASSERT_EQ(panel->currentText(), city);
    QTest::keyClick(canvas, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(canvas, u"Salem"_s);
    click(nullptr);
    ASSERT_FALSE(canvas->isEditingText());
    ASSERT_TRUE(choose("saveDocument"));

    const QStringList after = savedCardLines();
    EXPECT_EQ(linesWith(after, true), QStringList {QString::fromUtf16(row.address)}) << qPrintable(after.join(u'|'));
    EXPECT_EQ(linesWith(after, false), linesWith(before, false)) << "every other line as saved before, in its order";
}

INSTANTIATE_TEST_SUITE_P(
    Table, CAPanelTypedCardTest,
    ::testing::Values(TypedCard {"HomeAddressInAPanelOfWork", kTypedCardHome, -1,
                                 u"ADR;type=HOME:;;1 Home Rd;Salem;CA;90001;USA"},
                      TypedCard {"HomeAddressInAPanelOfHome", kTypedCardHome, int(adHome),
                                 u"ADR;type=HOME:;;1 Home Rd;Salem;CA;90001;USA"},
                      TypedCard {"NoAddressInAPanelOfWork", kTypedCardNone, -1, u"ADR;type=WORK:;;;Salem;;;"},
                      TypedCard {"NoAddressInAPanelOfHome", kTypedCardNone, int(adHome), u"ADR;type=HOME:;;;Salem;;;"}),
    [](const ::testing::TestParamInfo<TypedCard> &info) { return std::string(info.param.name); });

} // namespace
