#include "kernel/address/CAddressFormat.h"

#include "AddressTestSupport.h"
#include "kernel/address/CAddressFormatWrapper.h"
#include "kernel/address/CKnot.h"
#include "kernel/address/CLeaf.h"

#include "kernel/foundation/CDDArchive.h"

#include <gtest/gtest.h>

namespace {

CAddressFormat *leaf(CAddressFormat &knot, textCategory category, int row, int column, const QString &label = QString(),
                     const QString &delimiter = QString())
{
    return knot.addKey(category, row, column, label, QStringLiteral("text"), delimiter, QStringLiteral("cascade"),
                       fmWhenFilled, tcNone, tcNone);
}

// A country part of four rows: street / city, state ZIP / country / a last line.
std::unique_ptr<CAddressFormat> countryPart(const QString &code)
{
    std::unique_ptr<CAddressFormat> knot = CAddressFormat::createRoot(tcAddress, code);
    leaf(*knot, tcCountry, 2, 0, QStringLiteral("Country"));
    leaf(*knot, tcCity, 1, 0, QStringLiteral("City"), QStringLiteral(","));
    leaf(*knot, tcZIP, 1, 2, QStringLiteral("ZIP"));
    leaf(*knot, tcState, 1, 1, QStringLiteral("State"));
    leaf(*knot, tcStreet, 0, 0, QStringLiteral("Street"));
    leaf(*knot, tcNote, 3, 0, QStringLiteral("Note"));
    return knot;
}

std::unique_ptr<CAddressFormat> templateWithCountry(const QString &code, int countryRow = 2)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, QStringLiteral("Name+Company"));
    leaf(*root, tcLastName, 0, 1, QStringLiteral("Last"));
    leaf(*root, tcFirstName, 0, 0, QStringLiteral("First"));
    leaf(*root, tcCompany, 1, 0, QStringLiteral("Company"));
    std::unique_ptr<CAddressFormat> country = countryPart(code);
    country->setRow(countryRow);
    root->addSubFormat(std::move(country));
    leaf(*root, tcPhone, countryRow + 1, 0, QStringLiteral("Phone"));
    return root;
}

TEST(CAddressFormatTest, ChildrenStaySortedByRowThenColumn)
{
    std::unique_ptr<CAddressFormat> knot = countryPart(QStringLiteral("us"));
    auto *asKnot = static_cast<CKnot *>(knot.get());
    QStringList order;
    for (qsizetype i = 0; i < asKnot->childCount(); ++i)
        order.append(FTTextCategories::getKeyFromTextCategory(asKnot->childAt(i)->getTextCategory()));
    EXPECT_EQ(order, (QStringList{QStringLiteral("Street"), QStringLiteral("City"), QStringLiteral("State"),
                                  QStringLiteral("ZIP"), QStringLiteral("Country"), QStringLiteral("Note")}));
    EXPECT_TRUE(CAddressFormat::compare(asKnot->childAt(1), asKnot->childAt(2)));
    EXPECT_FALSE(CAddressFormat::compare(asKnot->childAt(2), asKnot->childAt(1)));
    EXPECT_TRUE(*asKnot->childAt(1) < *asKnot->childAt(4));
    EXPECT_FALSE(*asKnot->childAt(1) == *asKnot->childAt(2));
}

TEST(CAddressFormatTest, RowWalkDescendsIntoSubKnotsSpanningSeveralRows)
{
    std::unique_ptr<CAddressFormat> root = templateWithCountry(QStringLiteral("us"));
    EXPECT_EQ(pwtest::dumpRows(*root),
              (QStringList{QStringLiteral("First Name | Last Name"), QStringLiteral("Company"), QStringLiteral("Street"),
                           QStringLiteral("City, | State | ZIP"), QStringLiteral("Country"), QStringLiteral("Note"),
                           QStringLiteral("Phone")}));
    // A second walk gives the same rows.
    EXPECT_EQ(pwtest::dumpRows(*root).size(), 7);
}

TEST(CAddressFormatTest, RowWalkContinuesPastGapsInTheRowNumbers)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, QStringLiteral("gaps"));
    leaf(*root, tcFirstName, 0, 0);
    leaf(*root, tcCompany, 1, 0);
    leaf(*root, tcPhone, 3, 0);
    leaf(*root, tcEmail, 7, 0);
    EXPECT_EQ(pwtest::dumpRows(*root), (QStringList{QStringLiteral("First Name"), QStringLiteral("Company"),
                                                    QStringLiteral("Phone"), QStringLiteral("Email")}));
}

TEST(CAddressFormatTest, AnEmptyKnotHasNothingToWalkOrLabel)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, QStringLiteral("empty"));
    EXPECT_FALSE(root->initEnumeration());
    EXPECT_EQ(root->nextObjectInRow(), nullptr);
    EXPECT_FALSE(root->nextRow());
    EXPECT_EQ(root->labelForKey(tcCity), nullptr);
    EXPECT_TRUE(pwtest::dumpRows(*root).isEmpty());
}

TEST(CAddressFormatTest, LookupsNamesAndLabels)
{
    std::unique_ptr<CAddressFormat> root = templateWithCountry(QStringLiteral("us"));
    ASSERT_TRUE(root->containKey(tcZIP));
    EXPECT_FALSE(root->containKey(tcFax));
    EXPECT_EQ(root->getFormatWithKey(tcRootFormat), root.get());
    EXPECT_EQ(root->name(tcAddress)->getData(), QStringLiteral("us"));
    EXPECT_EQ(root->name(tcRootFormat)->getData(), QStringLiteral("Name+Company"));
    EXPECT_EQ(root->name(tcCity), nullptr); // a leaf has no name
    EXPECT_EQ(root->name(tcFax), nullptr);
    EXPECT_TRUE(root->setName(QStringLiteral("ca"), tcAddress));
    EXPECT_EQ(root->name(tcAddress)->getData(), QStringLiteral("ca"));
    EXPECT_TRUE(root->setName(QStringLiteral("ignored"), tcCity)); // found, but a leaf is not renamed
    EXPECT_FALSE(root->setName(QStringLiteral("x"), tcFax));
    // The city's label, not the label of the first leaf.
    EXPECT_EQ(root->labelForKey(tcCity)->getData(), QStringLiteral("City"));
    EXPECT_EQ(root->getFormatWithKey(tcCity)->getDelimiter()->getData(), QStringLiteral(","));
    // The cascade arguments are not kept.
    EXPECT_TRUE(root->getFormatWithKey(tcCity)->getCascadeDelimiter()->isEmpty());
    EXPECT_EQ(root->getFormatWithKey(tcCity)->getCascadeLink(), tcNone);
    EXPECT_EQ(root->getMode(), fmAlways);
}

TEST(CAddressFormatTest, ReplacingTheCountryPartFollowsItsLinearFlag)
{
    std::unique_ptr<CAddressFormat> root = templateWithCountry(QStringLiteral("us"));
    root->getFormatWithKey(tcAddress)->convertToLinear();
    ASSERT_TRUE(root->getFormatWithKey(tcAddress)->isLinearFormat());
    const std::unique_ptr<CAddressFormat> canada = countryPart(QStringLiteral("ca"));

    std::unique_ptr<CAddressFormat> replaced = root->setFormat(tcAddress, canada.get(), false);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->name()->getData(), QStringLiteral("us"));
    const CAddressFormat *now = root->getFormatWithKey(tcAddress);
    EXPECT_EQ(now->name()->getData(), QStringLiteral("ca"));
    EXPECT_TRUE(now->isLinearFormat());
    EXPECT_EQ(now->getRow(), 2);
    EXPECT_EQ(pwtest::dumpRows(*root),
              (QStringList{QStringLiteral("First Name | Last Name"), QStringLiteral("Company"),
                           QStringLiteral("Street | City, | State | ZIP | Country | Note"), QStringLiteral("Phone")}));
    EXPECT_FALSE(canada->isLinearFormat()); // the clone was converted, not the original

    // As is: the clone keeps its own rows.
    replaced = root->setFormat(tcAddress, canada.get(), true);
    EXPECT_FALSE(root->getFormatWithKey(tcAddress)->isLinearFormat());
    EXPECT_EQ(pwtest::dumpRows(*root).size(), 7);

    // A category one level deeper is replaced without conversion.
    CLeaf country(tcCountry, 9, 9, QStringLiteral("Land"), fmAlways, CDDString(), CDDString(), tcNone);
    replaced = root->setFormat(tcCountry, &country, false);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->getLabel()->getData(), QStringLiteral("Country"));
    EXPECT_EQ(root->labelForKey(tcCountry)->getData(), QStringLiteral("Land"));
    EXPECT_EQ(root->getFormatWithKey(tcCountry)->getRow(), 2);
    EXPECT_EQ(root->setFormat(tcFax, &country, false), nullptr);
}

TEST(CAddressFormatTest, ClonesAreDeepAndIndependent)
{
    std::unique_ptr<CAddressFormat> root = templateWithCountry(QStringLiteral("us"));
    root->setCustomFormat(true);
    std::unique_ptr<CAddressFormat> copy = root->clone();
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->isCustomFormat());
    EXPECT_EQ(pwtest::dumpRows(*copy), pwtest::dumpRows(*root));
    copy->getFormatWithKey(tcCity)->setLabel(QStringLiteral("Town"));
    copy->getFormatWithKey(tcCity)->setMode(fmNever);
    EXPECT_EQ(root->labelForKey(tcCity)->getData(), QStringLiteral("City"));
    EXPECT_EQ(root->getFormatWithKey(tcCity)->getMode(), fmWhenFilled);
    EXPECT_EQ(copy->getFormatWithKey(tcCity)->getText()->getData(), QStringLiteral("text"));

    const std::shared_ptr<CAddressFormatWrapper> wrapper = CAddressFormatWrapper::addressFormatWithAddressFormat(root.get());
    ASSERT_TRUE(wrapper);
    EXPECT_NE(wrapper->addressFormat(), root.get());
    root.reset();
    EXPECT_EQ(wrapper->addressFormat()->name(tcAddress)->getData(), QStringLiteral("us"));
    EXPECT_FALSE(CAddressFormatWrapper::addressFormatWithAddressFormat(nullptr));
}

TEST(CAddressFormatTest, ACopyOfAKnotHasItsOwnChildrenAndNoWalk)
{
    std::unique_ptr<CAddressFormat> original = countryPart(QStringLiteral("us"));
    auto &knot = static_cast<CKnot &>(*original);
    ASSERT_TRUE(knot.initEnumeration());
    ASSERT_EQ(knot.nextObjectInRow()->getTextCategory(), tcStreet);
    ASSERT_TRUE(knot.nextRow());
    CKnot copy(knot);
    ASSERT_EQ(copy.childCount(), knot.childCount());
    EXPECT_NE(copy.childAt(0), knot.childAt(0));
    EXPECT_EQ(copy.nextObjectInRow(), copy.childAt(0)) << "a copy made mid-walk starts on its first row";
    EXPECT_EQ(knot.nextObjectInRow()->getTextCategory(), tcCity) << "the original's walk goes on";

    // Assigned a knot it holds, a knot takes its clones before letting its old children go.
    std::unique_ptr<CAddressFormat> root = templateWithCountry(QStringLiteral("us"));
    static_cast<CKnot &>(*root) = static_cast<const CKnot &>(*root->getFormatWithKey(tcAddress));
    EXPECT_EQ(pwtest::dumpRows(*root), pwtest::dumpRows(*countryPart(QStringLiteral("us"))));
}

TEST(CAddressFormatTest, ArchivingKeepsPlacesNamesLabelsLinksAndLinearButNotModesOrTexts)
{
    std::unique_ptr<CAddressFormat> root = templateWithCountry(QStringLiteral("uk"));
    root->getFormatWithKey(tcAddress)->convertToLinear();
    root->addSubFormat(std::make_unique<CLeaf>(tcLastName, 4, 3, QStringLiteral("Reading"), fmNever, QStringLiteral("x"),
                                               QStringLiteral(" / "), tcFirstName));
    CDDArchive archive(true);
    ASSERT_TRUE(root->Serialize(archive));
    archive.setStoring(false);
    std::unique_ptr<CAddressFormat> back = CAddressFormat::SerializeFromArchive(archive);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getClassID(), 12);
    EXPECT_EQ(pwtest::dumpRows(*back), pwtest::dumpRows(*root));
    EXPECT_EQ(back->name(tcRootFormat)->getData(), QStringLiteral("Name+Company"));
    EXPECT_EQ(back->name(tcAddress)->getData(), QStringLiteral("uk"));
    EXPECT_TRUE(back->getFormatWithKey(tcAddress)->isLinearFormat());
    EXPECT_EQ(back->labelForKey(tcCity)->getData(), QStringLiteral("City"));
    const CAddressFormat *reading = static_cast<CKnot *>(back.get())->childAt(static_cast<CKnot *>(back.get())->childCount() - 1);
    EXPECT_EQ(reading->getPhoneticLink(), tcFirstName);
    EXPECT_EQ(reading->getDelimiter()->getData(), QStringLiteral(" / "));
    EXPECT_EQ(reading->getRow(), 4);
    EXPECT_EQ(reading->getColumn(), 3);
    EXPECT_EQ(reading->getMode(), fmUnset);
    EXPECT_TRUE(reading->getText()->isEmpty());
}

TEST(CAddressFormatTest, ArchivesOfOtherClassesOrTooDeepGiveNothingOrStop)
{
    CDDArchive position(true);
    CPosition(tcCity, 1, 1).Serialize(position);
    position.setStoring(false);
    EXPECT_FALSE(CAddressFormat::SerializeFromArchive(position)); // class ID 11 is no tree node
    CDDArchive storing(true);
    EXPECT_FALSE(CAddressFormat::SerializeFromArchive(storing));

    // A knot nested far deeper than any format: read up to the limit, the rest left out.
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, QStringLiteral("deep"));
    CAddressFormat *inner = root.get();
    for (int i = 0; i < CKnot::kMaxArchiveDepth + 10; ++i)
        inner = inner->addSubFormat(tcAddress, QStringLiteral("level"), 0, 0);
    leaf(*inner, tcCity, 0, 0);
    CDDArchive archive(true);
    root->Serialize(archive);
    archive.setStoring(false);
    std::unique_ptr<CAddressFormat> back = CAddressFormat::SerializeFromArchive(archive);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->containKey(tcCity));
}

} // namespace
