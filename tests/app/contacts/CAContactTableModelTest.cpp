#include "ContactsTestSupport.h"

#include "app/contacts/CAContactTableModel.h"
#include "platform/PWVCardWriter.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using contactstest::lastNames;
using contactstest::person;

namespace {

constexpr int kLastName = 18;
constexpr int kFirstName = 17;

QStringList titles(const CAContactTableModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.data(model.index(row, 0)).toString();
    return rows;
}

// A thousand persons: last names "Name0000" to "Name0999" in a shuffled order, every seventh one
// working at "Acme Widgets", and first names counting down.
CAPersonList thousandPersons()
{
    QList<int> order(1000);
    for (int i = 0; i < 1000; ++i)
        order[i] = i;
    QRandomGenerator random(42);
    for (int i = 999; i > 0; --i)
        std::swap(order[i], order[int(random.bounded(i + 1))]);
    CAPersonList persons;
    for (int n : order)
        persons << person(u"F%1"_s.arg(999 - n, 4, 10, QChar(u'0')), u"Name%1"_s.arg(n, 4, 10, QChar(u'0')),
                          n % 7 == 0 ? u"Acme Widgets"_s : QString());
    return persons;
}

struct FilterCase
{
    const char *filter;
    int sortingKey;
    int expectedRows;
    const char *firstLastName; // of the first row
};

class CAContactTableModelFilterTest : public testing::TestWithParam<FilterCase>
{
protected:
    contactstest::ScratchDefaults scratch;
};

TEST_P(CAContactTableModelFilterTest, FiltersAndSortsAThousandPersons)
{
    const FilterCase &c = GetParam();
    CAContactTableModel model(QString(), &scratch.defaults());
    const CAPersonList persons = thousandPersons();
    model.setContent(persons);
    model.setSortingKey(c.sortingKey);
    model.setFilter(QString::fromUtf8(c.filter));
    ASSERT_EQ(model.rowCount(), c.expectedRows);
    EXPECT_EQ(model.sourceContent().size(), 1000) << "filtering never changes the source";
    if (c.expectedRows > 0 && c.sortingKey != CAContactTableModel::kSourceOrder) {
        EXPECT_EQ(model.personAt(0)->stringForProperty(kPWLastNameProperty), QString::fromUtf8(c.firstLastName));
    }
    // Whatever the sort, rows are in order of it and every row matches.
    for (int row = 1; row < model.rowCount() && c.sortingKey != CAContactTableModel::kSourceOrder; ++row)
        EXPECT_LE(CAPersonListDictionary::sortUsingTextCategory(*model.personAt(row - 1), *model.personAt(row),
                                                                c.sortingKey),
                  0);
    if (c.sortingKey == CAContactTableModel::kSourceOrder) {
        // Source order survives filtering: the rows are a subsequence of the source.
        qsizetype at = 0;
        for (const auto &row : model.content()) {
            at = persons.indexOf(row, at);
            ASSERT_GE(at, 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CAContactTableModelFilterTest,
                         testing::Values(FilterCase{"", kLastName, 1000, "Name0000"},
                                         FilterCase{"name09", kLastName, 100, "Name0900"},
                                         FilterCase{"NAME099", kFirstName, 10, "Name0999"},
                                         FilterCase{"acme", kLastName, 143, "Name0000"},
                                         FilterCase{"f0000", kLastName, 1, "Name0999"},
                                         FilterCase{"Street", kLastName, 0, ""},
                                         FilterCase{"name", CAContactTableModel::kSourceOrder, 1000, ""}));

TEST(CAContactTableModelTest, RowTitlesFallBackToOrganizationThenNoName)
{
    contactstest::ScratchDefaults scratch;
    CAContactTableModel model(QString(), &scratch.defaults());
    model.setContent({person(u"Ann"_s, u"Lee"_s), person(QString(), u"Solo"_s), person(u"Only"_s, QString()),
                      person(QString(), QString(), u"Acme"_s), person(QString(), QString())});
    const QStringList rows = titles(model);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_TRUE(rows[0] == u"Ann Lee"_s || rows[0] == u"Lee Ann"_s);
    EXPECT_EQ(rows.mid(1), (QStringList{u"Solo"_s, u"Only"_s, u"Acme"_s, u"No Name"_s}));
    // A nameless person matches no search text, not even its own title.
    model.setFilter(u"No Name"_s);
    EXPECT_EQ(model.rowCount(), 0);
    model.setFilter(u"acm"_s);
    EXPECT_EQ(titles(model), QStringList{u"Acme"_s});
}

TEST(CAContactTableModelTest, DraggedRowsReadBackAsTheSamePersons)
{
    contactstest::ScratchDefaults scratch;
    CAContactTableModel model(QString(), &scratch.defaults());
    auto street = person(u"Jane"_s, u"Doe"_s, u"Doe & Co"_s);
    street->setValueForProperty(kPWNoteProperty, PWPlist::fromString(u"line one\nline two; with, marks"_s));
    model.setContent({street, person(u"Ünal"_s, u"Çelik"_s), person(u"Bob"_s, u"Roe"_s)});
    model.setFilter(QString());

    // Without the drag flag nothing is written.
    EXPECT_EQ(model.mimeData({model.index(0, 0)}), nullptr);
    model.setAllowDragAndDrop(true);
    EXPECT_EQ(model.mimeData({}), nullptr);

    std::unique_ptr<QMimeData> mime(model.mimeData({model.index(1, 0), model.index(0, 0), model.index(1, 0)}));
    ASSERT_TRUE(mime);
    EXPECT_EQ(mime->formats(), QStringList{CAContactTableModel::kPersonListMimeType});
    const CAPersonList back = CAContactTableModel::personsFromListData(mime->data(CAContactTableModel::kPersonListMimeType));
    ASSERT_EQ(back.size(), 2) << "a row given twice is dragged once";
    EXPECT_EQ(lastNames(back), (QStringList{u"Çelik"_s, u"Doe"_s}));
    EXPECT_EQ(CAContactTableModel::cardKey(*back[1]), CAContactTableModel::cardKey(*street));
    EXPECT_NE(CAContactTableModel::cardKey(*back[0]), CAContactTableModel::cardKey(*street));
    // Damaged data gives no persons rather than a crash.
    EXPECT_TRUE(CAContactTableModel::personsFromListData("<plist><array><string>x").isEmpty());
}

TEST(CAContactTableModelTest, OwnersDeclareWhatTheyTake)
{
    contactstest::ScratchDefaults scratch;
    CAContactTableModel source(QString(), &scratch.defaults());
    source.setAllowDragAndDrop(true);
    source.setContent({person(u"Ann"_s, u"Lee"_s)});
    std::unique_ptr<QMimeData> mime(source.mimeData({source.index(0, 0)}));
    ASSERT_TRUE(mime);

    // A table whose owner takes nothing refuses the drop and ignores the double click.
    CAContactTableModel plain(QString(), &scratch.defaults());
    plain.setContent({person(u"Bob"_s, u"Roe"_s)});
    EXPECT_FALSE(plain.canDropMimeData(mime.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_FALSE(plain.dropMimeData(mime.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_FALSE(plain.activateRow(0));
    EXPECT_FALSE(plain.flags(plain.index(0, 0)).testFlag(Qt::ItemIsDropEnabled));

    CAPersonList dropped;
    int edited = -1;
    plain.setOwner({[&](const CAPersonList &persons) { dropped = persons; }, [&](int row) { edited = row; }});
    QMimeData other;
    other.setText(u"Ann Lee"_s);
    EXPECT_FALSE(plain.canDropMimeData(&other, Qt::CopyAction, 0, 0, {})) << "only the person-list type";
    EXPECT_TRUE(plain.dropMimeData(mime.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_EQ(lastNames(dropped), QStringList{u"Lee"_s});
    EXPECT_FALSE(plain.activateRow(5));
    EXPECT_EQ(edited, -1);
    EXPECT_TRUE(plain.activateRow(0));
    EXPECT_EQ(edited, 0);
}

TEST(CAContactTableModelTest, SortingKeyIsStoredPerSourceName)
{
    contactstest::ScratchDefaults scratch;
    {
        CAContactTableModel model(u"VCF File"_s, &scratch.defaults());
        EXPECT_FALSE(model.isStoringSortingKeyExist());
        EXPECT_EQ(model.sortingKey(), CAContactTableModel::kSourceOrder);
        model.setSortingKey(kFirstName);
        model.storeSortingKey();
        CAContactTableModel unnamed(QString(), &scratch.defaults());
        unnamed.setSortingKey(kLastName);
        unnamed.storeSortingKey();
    }
    CAContactTableModel again(u"VCF File"_s, &scratch.restart());
    EXPECT_EQ(again.sortingKey(), kFirstName);
    EXPECT_EQ(CAContactTableModel(u"Other"_s, &scratch.defaults()).sortingKey(), CAContactTableModel::kSourceOrder);
    EXPECT_EQ(scratch.defaults().objectForKey(u"ContactSortingKey"_s).toDictionary().size(), 1);
}

// The same person read again: a new object of the same identifier and names, its first name
// changed where edited.
std::shared_ptr<PWPerson> readAgain(const PWPerson &was, bool edited)
{
    std::shared_ptr<PWPerson> again = PWPerson::createWithUniqueId(was.uniqueId());
    for (const QString &property : {kPWFirstNameProperty, kPWLastNameProperty})
        again->setValueForProperty(property, was.valueForProperty(property));
    if (edited)
        again->setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(u"Edited"_s));
    return again;
}

// A list read again (persons removed, added, read anew as new objects, edited, reordered) under a
// filter and a sorting: the model comes to show what a model given the new list shows, by row
// moves, removals and insertions that the model tester finds consistent, never by a reset; every
// row held (the view's current row, its selection, a press) follows its person, known by its
// name here, or goes with it.
TEST(CAContactTableModelTest, AListReadAgainKeepsEachRowOnItsPerson)
{
    QRandomGenerator random(20261211);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        contactstest::ScratchDefaults scratch;
        CAContactTableModel model(QString(), &scratch.defaults());
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        const QString filter = random.bounded(3) == 0 ? u"p1"_s : QString();
        model.setFilter(filter);
        model.setSortingKey(random.bounded(2) == 0 ? kLastName : CAContactTableModel::kSourceOrder);
        QStringList unused;
        for (int n = 0; n < 30; ++n)
            unused << u"P%1"_s.arg(n, 2, 10, QChar(u'0'));
        const auto takeName = [&] { return unused.takeAt(random.bounded(int(unused.size()))); };
        CAPersonList before;
        for (int count = int(random.bounded(12)); count > 0; --count)
            before << person(u"F%1"_s.arg(random.bounded(5)), takeName());
        model.setContent(before);
        std::vector<std::pair<QPersistentModelIndex, QString>> held;
        for (int row = 0; row < model.rowCount(); ++row)
            held.emplace_back(model.index(row, 0), model.personAt(row)->stringForProperty(kPWLastNameProperty));

        CAPersonList after;
        for (const std::shared_ptr<PWPerson> &was : std::as_const(before)) {
            const quint32 fate = random.bounded(4);
            if (fate == 0)
                continue;
            after << (fate == 1 ? was : readAgain(*was, fate == 3));
        }
        for (int count = int(random.bounded(5)); count > 0; --count)
            after.insert(random.bounded(int(after.size()) + 1), person(u"F%1"_s.arg(random.bounded(5)), takeName()));
        if (random.bounded(3) == 0)
            std::reverse(after.begin(), after.end());
        // Now and then one person object twice in the list (a list merged with itself): shown as
        // a fresh model shows it, the rows anew if need be.
        const bool twice = !after.isEmpty() && random.bounded(8) == 0;
        if (twice)
            after.insert(random.bounded(int(after.size()) + 1), after.at(random.bounded(int(after.size()))));

        QSignalSpy reset(&model, &QAbstractItemModel::modelAboutToBeReset);
        model.setContentKeepingRows(after);
        CAContactTableModel fresh(QString(), &scratch.defaults());
        fresh.setFilter(filter);
        fresh.setSortingKey(model.sortingKey());
        fresh.setContent(after);
        ASSERT_EQ(titles(model), titles(fresh));
        EXPECT_EQ(lastNames(model.content()), lastNames(fresh.content()));
        EXPECT_EQ(model.content(), fresh.content()) << "the rows show the persons as read now";
        if (twice)
            continue;
        EXPECT_EQ(reset.count(), 0);
        const QStringList shown = lastNames(model.content());
        for (const auto &[index, last] : held) {
            if (shown.contains(last)) {
                ASSERT_TRUE(index.isValid()) << last.toStdString() << " lost its row";
                EXPECT_EQ(shown.at(index.row()), last);
            } else {
                EXPECT_FALSE(index.isValid()) << last.toStdString() << " is gone, its row too";
            }
        }
    }
}

} // namespace
