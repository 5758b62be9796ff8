#include "kernel/address/CAddressFormat.h"

#include "AddressTestSupport.h"
#include "kernel/address/CAddressFormatWrapper.h"
#include "kernel/address/CKnot.h"
#include "kernel/address/CLeaf.h"

namespace {

using addrtest::dumpRows;

CAddressFormat *leaf(CAddressFormat &knot, textCategory category, int row, int column, const QString &label = QString(),
                     const QString &delimiter = QString())
{
    return knot.addKey(category, row, column, label, u"text"_s, delimiter, u"cascade"_s, fmWhenFilled, tcNone, tcNone);
}

// A country part of four rows: street / city, state ZIP / country / a last line.
std::unique_ptr<CAddressFormat> countryPart(const QString &code)
{
    std::unique_ptr<CAddressFormat> knot = CAddressFormat::createRoot(tcAddress, code);
    leaf(*knot, tcCountry, 2, 0, u"Country"_s);
    leaf(*knot, tcCity, 1, 0, u"City"_s, u","_s);
    leaf(*knot, tcZIP, 1, 2, u"ZIP"_s);
    leaf(*knot, tcState, 1, 1, u"State"_s);
    leaf(*knot, tcStreet, 0, 0, u"Street"_s);
    leaf(*knot, tcNote, 3, 0, u"Note"_s);
    return knot;
}

std::unique_ptr<CAddressFormat> templateWithCountry(const QString &code, int countryRow = 2)
{
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, u"Name+Company"_s);
    leaf(*root, tcLastName, 0, 1, u"Last"_s);
    leaf(*root, tcFirstName, 0, 0, u"First"_s);
    leaf(*root, tcCompany, 1, 0, u"Company"_s);
    std::unique_ptr<CAddressFormat> country = countryPart(code);
    country->setRow(countryRow);
    root->addSubFormat(std::move(country));
    leaf(*root, tcPhone, countryRow + 1, 0, u"Phone"_s);
    return root;
}

TEST(CAddressFormatTest, RowWalkDescendsIntoSubKnotsAndPastGapsInTheRowNumbers)
{
    EXPECT_EQ(dumpRows(*templateWithCountry(u"us"_s)),
              (QStringList {u"First Name | Last Name"_s, u"Company"_s, u"Street"_s, u"City, | State | ZIP"_s,
                            u"Country"_s, u"Note"_s, u"Phone"_s}));
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, u"gaps"_s);
    EXPECT_FALSE(root->initEnumeration()) << "an empty knot has nothing to walk";
    EXPECT_EQ(root->labelForKey(tcCity), nullptr);
    leaf(*root, tcFirstName, 0, 0);
    leaf(*root, tcPhone, 3, 0);
    leaf(*root, tcEmail, 7, 0);
    EXPECT_EQ(dumpRows(*root), (QStringList {u"First Name"_s, u"Phone"_s, u"Email"_s}));
}

TEST(CAddressFormatTest, ReplacingTheCountryPartFollowsItsLinearFlag)
{
    std::unique_ptr<CAddressFormat> root = templateWithCountry(u"us"_s);
    root->getFormatWithKey(tcAddress)->convertToLinear();
    ASSERT_TRUE(root->getFormatWithKey(tcAddress)->isLinearFormat());
    const std::unique_ptr<CAddressFormat> canada = countryPart(u"ca"_s);
    std::unique_ptr<CAddressFormat> replaced = root->setFormat(tcAddress, canada.get(), false);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->name()->getData(), u"us"_s);
    const CAddressFormat *now = root->getFormatWithKey(tcAddress);
    EXPECT_EQ(now->name()->getData(), u"ca"_s);
    EXPECT_TRUE(now->isLinearFormat());
    EXPECT_EQ(now->getRow(), 2);
    EXPECT_EQ(dumpRows(*root),
              (QStringList {u"First Name | Last Name"_s, u"Company"_s,
                            u"Street | City, | State | ZIP | Country | Note"_s, u"Phone"_s}));
    EXPECT_FALSE(canada->isLinearFormat()); // the clone was converted, not the original
    // As is: the clone keeps its own rows.
    replaced = root->setFormat(tcAddress, canada.get(), true);
    EXPECT_FALSE(root->getFormatWithKey(tcAddress)->isLinearFormat());
    EXPECT_EQ(dumpRows(*root).size(), 7);
    // A category one level deeper is replaced without conversion.
    CLeaf country(tcCountry, 9, 9, u"Land"_s, fmAlways, CDDString(), CDDString(), tcNone);
    replaced = root->setFormat(tcCountry, &country, false);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->getLabel()->getData(), u"Country"_s);
    EXPECT_EQ(root->labelForKey(tcCountry)->getData(), u"Land"_s);
    EXPECT_EQ(root->getFormatWithKey(tcCountry)->getRow(), 2);
    EXPECT_EQ(root->setFormat(tcFax, &country, false), nullptr);
}

TEST(CAddressFormatTest, CopiesAndWrappersHoldTheirOwnChildren)
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
    EXPECT_EQ(knot.nextObjectInRow()->getTextCategory(), tcCity) << "the walk goes on to the next in the row";
    // Assigned a knot it holds, a knot takes its clones before letting its old children go.
    std::unique_ptr<CAddressFormat> root = templateWithCountry(QStringLiteral("us"));
    static_cast<CKnot &>(*root) = static_cast<const CKnot &>(*root->getFormatWithKey(tcAddress));
    EXPECT_EQ(dumpRows(*root), dumpRows(*countryPart(QStringLiteral("us"))));
    std::unique_ptr<CAddressFormat> wrapped = templateWithCountry(u"us"_s);
    wrapped->setCustomFormat(true);
    const auto wrapper = CAddressFormatWrapper::addressFormatWithAddressFormat(wrapped.get());
    ASSERT_TRUE(wrapper);
    wrapped.reset();
    EXPECT_EQ(wrapper->addressFormat()->name(tcAddress)->getData(), u"us"_s);
    EXPECT_TRUE(wrapper->addressFormat()->isCustomFormat());
    EXPECT_FALSE(CAddressFormatWrapper::addressFormatWithAddressFormat(nullptr));
}

TEST(CAddressFormatTest, ArchivingKeepsPlacesNamesLabelsLinksAndLinearButNotModesOrTexts)
{
    std::unique_ptr<CAddressFormat> root = templateWithCountry(u"uk"_s);
    root->getFormatWithKey(tcAddress)->convertToLinear();
    root->addSubFormat(std::make_unique<CLeaf>(tcLastName, 4, 3, u"Reading"_s, fmNever, u"x"_s, u" / "_s, tcFirstName));
    CDDArchive archive(true);
    ASSERT_TRUE(root->Serialize(archive));
    archive.setStoring(false);
    std::unique_ptr<CAddressFormat> back = CAddressFormat::SerializeFromArchive(archive);
    ASSERT_TRUE(back);
    EXPECT_EQ(dumpRows(*back), dumpRows(*root));
    EXPECT_TRUE(back->getFormatWithKey(tcAddress)->isLinearFormat());
    const auto *knot = static_cast<CKnot *>(back.get());
    const CAddressFormat *reading = knot->childAt(knot->childCount() - 1);
    EXPECT_EQ((QStringList {back->name(tcRootFormat)->getData(), back->name(tcAddress)->getData(),
                            back->labelForKey(tcCity)->getData(), reading->getLabel()->getData(),
                            reading->getDelimiter()->getData(), reading->getText()->getData()}),
              (QStringList {u"Name+Company"_s, u"uk"_s, u"City"_s, u"Reading"_s, u" / "_s, QString()}));
    EXPECT_EQ(
        (std::vector<int> {reading->getPhoneticLink(), reading->getRow(), reading->getColumn(), reading->getMode()}),
        (std::vector<int> {tcFirstName, 4, 3, fmUnset}));
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
    std::unique_ptr<CAddressFormat> root = CAddressFormat::createRoot(tcRootFormat, u"deep"_s);
    CAddressFormat *inner = root.get();
    for (int i = 0; i < CKnot::kMaxArchiveDepth + 10; ++i)
        inner = inner->addSubFormat(tcAddress, u"level"_s, 0, 0);
    leaf(*inner, tcCity, 0, 0);
    CDDArchive archive(true);
    root->Serialize(archive);
    archive.setStoring(false);
    std::unique_ptr<CAddressFormat> back = CAddressFormat::SerializeFromArchive(archive);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->containKey(tcCity));
}

} // namespace
