#include "app/printing/CATemplateFilter.h"

#include "TemplateTestSupport.h"

#include <QFile>
#include <QRegularExpression>

using namespace templatetest;

namespace {

// How often an element holds exactly this text in the raw catalogue: counted on the file's text,
// apart from the reader and the filter under test.
int countInResource(const QString &resource, const QString &element, const QString &value)
{
    QFile file(u":/bundle/"_s + resource + u".xml"_s);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromUtf8(file.readAll());
    const QString pattern = u"<%1>\\s*%2\\s*</%1>"_s.arg(element, QRegularExpression::escape(value));
    return int(text.count(QRegularExpression(pattern)));
}

class TemplateFilterCatalogueTest : public CatalogueTest
{
protected:
    const CATemplateFormat::TemplateList &labels()
    {
        const CATemplateFormat::TemplateList *list = CATemplateFormat::predefLayouts(dtLabel);
        EXPECT_TRUE(list && list->size() > 1000);
        static const CATemplateFormat::TemplateList empty;
        return list ? *list : empty;
    }
};

} // namespace

TEST_F(TemplateFilterCatalogueTest, CountsForAManufacturerACategoryAndAPaperSizeMatchTheResource)
{
    struct Case
    {
        QString element;
        QString value;
    };
    for (const Case &c : {Case{u"Manufacturer"_s, u"Avery"_s}, Case{u"Manufacturer"_s, u"Herma"_s},
                          Case{u"Category"_s, u"Shipping Labels"_s}, Case{u"Category"_s, u"Round Labels"_s},
                          Case{u"PageSize"_s, u"A4"_s}, Case{u"PageSize"_s, u"Letter"_s}}) {
        SCOPED_TRACE(c.element.toStdString() + " " + c.value.toStdString());
        CATemplateFilter filter;
        if (c.element == u"Manufacturer"_s)
            filter.setManufacturer(c.value);
        else if (c.element == u"Category"_s)
            filter.setCategory(CATemplateFilter::CategoryMode::Title, c.value);
        else
            filter.setPaperSize(c.value);
        const int expected = countInResource(u"Labels"_s, c.element, c.value);
        ASSERT_GT(expected, 0);
        EXPECT_EQ(filter.filtered(labels()).size(), expected);
    }
}

TEST_F(TemplateFilterCatalogueTest, MailingLabelsAllHoldsTheThreeMailingCategoriesOnly)
{
    CATemplateFilter filter;
    filter.setCategory(CATemplateFilter::CategoryMode::MailingAll);
    const auto listed = filter.filtered(labels());
    int expected = 0;
    for (const QString &category : {u"Mailing Labels"_s, u"Shipping Labels"_s, u"Return Address Labels"_s})
        expected += countInResource(u"Labels"_s, u"Category"_s, category);
    EXPECT_EQ(listed.size(), expected);
    for (const auto &format : listed)
        EXPECT_TRUE(CATemplateFilter::mailingCategories().contains(format->Category())) << format->ID().toStdString();

    filter.setCategory(CATemplateFilter::CategoryMode::All);
    EXPECT_EQ(filter.filtered(labels()).size(), labels().size());
}

TEST_F(TemplateFilterCatalogueTest, FiltersCombineAndTheTextMatchesAnyColumnIgnoringCase)
{
    CATemplateFilter filter;
    filter.setManufacturer(u"Avery"_s);
    filter.setPaperSize(u"Letter"_s);
    filter.setText(u"ADDRESS"_s);
    const auto listed = filter.filtered(labels());
    ASSERT_FALSE(listed.isEmpty());
    for (const auto &format : listed) {
        EXPECT_EQ(format->Manufacturer(), u"Avery"_s);
        EXPECT_EQ(format->PageSize(), u"Letter"_s);
        EXPECT_TRUE(format->Description().contains(u"address"_s, Qt::CaseInsensitive)
                    || format->ID().contains(u"address"_s, Qt::CaseInsensitive));
    }
    // The size text is searched too.
    filter = CATemplateFilter();
    filter.setText(u"x1.000 in"_s);
    const auto bySize = filter.filtered(labels());
    ASSERT_FALSE(bySize.isEmpty());
    for (const auto &format : bySize)
        EXPECT_TRUE(format->sizeString().endsWith(u"x1.000 in"_s)) << format->sizeString().toStdString();
}

TEST_F(TemplateFilterCatalogueTest, SearchingFindsIdsWithALeadingZero)
{
    struct Case
    {
        QString typed;
        QString found;
    };
    // "960" is the start of "9600", and never found inside "05960".
    for (const Case &c : {Case{u"5960"_s, u"05960"_s}, Case{u"05960"_s, u"05960"_s}, Case{u"960"_s, u"9600"_s},
                          Case{u"0592"_s, u"05920"_s}}) {
        SCOPED_TRACE(c.typed.toStdString());
        const auto found = CATemplateFilter::searchID(labels(), c.typed);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->ID(), c.found);
    }
    EXPECT_EQ(CATemplateFilter::searchID(labels(), QString()), nullptr);
}

TEST(TemplateFilterSearchTest, AnIdIsFoundFromItsStartAfterAtMostOneLeadingZero)
{
    struct Case
    {
        const char *id;
        const char *typed;
        bool found;
    };
    for (const Case &c : {Case{"05960", "5960", true}, Case{"05960", "05960", true}, Case{"05960", "960", false},
                          Case{"05960", "0", true}, Case{"L7160", "l71", true}, Case{"L7160", "7160", false},
                          Case{"0L7160", "l7", true}, Case{"5960", "05960", false}, Case{"", "1", false},
                          Case{"05960", "", false}}) {
        SCOPED_TRACE(std::string(c.id) + " / " + c.typed);
        EXPECT_EQ(CATemplateFilter::idMatchesSearch(QString::fromLatin1(c.id), QString::fromLatin1(c.typed)), c.found);
    }
}

TEST(TemplateFilterTitlesTest, PopUpsListValuesInOrderOfFirstAppearanceAfterAll)
{
    const CATemplateFormat::TemplateList list = {
        labelTemplate(u"1"_s, u"Zeta"_s, u"Round Labels"_s, u"Letter"_s),
        labelTemplate(u"2"_s, u"Alpha"_s, u"Shipping Labels"_s, u"A4"_s),
        labelTemplate(u"3"_s, u"Zeta"_s, u"File Folder Labels"_s, u"Letter"_s),
        labelTemplate(u"4"_s, QString(), u"Round Labels"_s, u"A5"_s),
    };
    EXPECT_EQ(CATemplateFilter::manufacturerTitles(list), (QStringList{u"All"_s, u"Zeta"_s, u"Alpha"_s}));
    EXPECT_EQ(CATemplateFilter::paperSizeTitles(list), (QStringList{u"All"_s, u"Letter"_s, u"A4"_s, u"A5"_s}));
    // The fixed categories come first and are not repeated; separators are null entries.
    const QStringList categories = CATemplateFilter::categoryTitles(list);
    EXPECT_EQ(categories, (QStringList{u"Mailing Labels (All)"_s, u"Mailing Labels"_s, u"Shipping Labels"_s,
                                       u"Return Address Labels"_s, QString(), u"Round Labels"_s,
                                       u"File Folder Labels"_s, QString(), u"All"_s}));
    EXPECT_TRUE(categories.at(4).isNull());
    EXPECT_TRUE(categories.at(7).isNull());
}

TEST(TemplateFilterTitlesTest, OnlyPredefinedTemplatesPass)
{
    auto custom = labelTemplate(u"mine"_s);
    custom->setPredef(false);
    const CATemplateFormat::TemplateList list = {labelTemplate(u"theirs"_s), custom};
    EXPECT_EQ(ids(CATemplateFilter().filtered(list)), QStringList{u"theirs"_s});
}

TEST(TemplateFilterNamesTest, GenerateNameCountsUpUntilTheNameIsFree)
{
    struct Case
    {
        QStringList taken;
        QString name;
        QString expected;
    };
    for (const Case &c : {
             Case{{}, u"05960 Copy"_s, u"05960 Copy"_s},
             Case{{u"05960 Copy"_s}, u"05960 Copy"_s, u"05960 Copy 1"_s},
             Case{{u"05960 Copy"_s, u"05960 Copy 1"_s}, u"05960 Copy"_s, u"05960 Copy 2"_s},
             Case{{u"Label"_s, u"Label 1"_s}, u"Label"_s, u"Label 2"_s},
             Case{{u"Label 5"_s}, u"Label 5"_s, u"Label 6"_s},
             Case{{u"5960"_s}, u"5960"_s, u"5961"_s},
             Case{{u"5960"_s, u"5961"_s}, u"5960"_s, u"5962"_s},
             Case{{u"Sheet 0"_s}, u"Sheet 0"_s, u"Sheet 0 1"_s},
             Case{{u"Big 99999999999999999999"_s}, u"Big 99999999999999999999"_s, u"Big 4503599627370497"_s},
         }) {
        SCOPED_TRACE(c.name.toStdString());
        CATemplateFormat::TemplateList custom;
        for (const QString &id : c.taken)
            custom << labelTemplate(id);
        EXPECT_EQ(CATemplateFilter::generateName(c.name, custom), c.expected);
    }
}
