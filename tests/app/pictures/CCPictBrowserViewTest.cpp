// The clip-art pane over a small collection: the category popup and its stored choice, the
// category cache with its scroll positions, "-", damaged category files, keyword search, and the
// internet search's hooks and progress.
#include "app/pictures/CCGoogleSearch.h"
#include "app/pictures/CCPictBrowserView.h"

#include "app/pictures/CCPictCatalogView.h"
#include "app/pictures/CCSearchField.h"
#include "app/pictures/CCSearchFieldCell.h"
#include "app/pictures/CCSwishIndexer.h"

#include "ClipArtPaneFixture.h"
#include "TestSupport.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QStringList shownNames(const CCPictCatalog &catalog)
{
    QStringList shown;
    for (int row = 0; row < catalog.numberOfRows(); ++row) {
        for (int column = 0; column < catalog.numberOfColumns(); ++column) {
            const CCPictCell *cell = catalog.cellAtRowColumn(row, column);
            if (cell && !cell->imageReference().isEmpty())
                shown.append(cell->imageReference());
        }
    }
    return shown;
}

void choose(CCPictBrowserView &pane, const QString &title)
{
    const QList<QAction *> entries = pane.categoryPopupButton()->menu()->actions();
    for (QAction *entry : entries) {
        if (pane.popupTitles().value(entry->data().toInt()) == title) {
            entry->trigger();
            return;
        }
    }
    ADD_FAILURE() << "no popup entry " << title.toStdString();
}

void typeAndReturn(CCSearchField *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

class ClipArtPaneTest : public ClipArtPaneFixture
{
protected:
    void categories(int count)
    {
        for (int i = 0; i < count; ++i)
            category(u"Category %1"_s.arg(i, 2, 10, QLatin1Char('0')), {});
    }
};

// --- the popup ----------------------------------------------------------------------------------

struct PopupShowCase
{
    const char *name;
    int categories;
    std::optional<qint64> stored;
    int shown;
};

class ClipArtPanePopupTest : public ClipArtPaneTest, public ::testing::WithParamInterface<PopupShowCase>
{
};

TEST_P(ClipArtPanePopupTest, ShowsTheInitialEntryAndStoresIt)
{
    categories(GetParam().categories);
    if (GetParam().stored)
        PWUserDefaults::standardUserDefaults().setInteger(u"ClipArtCategoryIndex"_s, *GetParam().stored);
    CCPictBrowserView pane;
    ASSERT_EQ(pane.popupTitles().size(), GetParam().categories + 1);
    EXPECT_EQ(pane.popupTitles().first(), u"-"_s);
    EXPECT_EQ(pane.selectedPopupIndex(), GetParam().shown);
    const QString title = pane.popupTitles().at(GetParam().shown);
    EXPECT_EQ(pane.popupTitle(), title);
    EXPECT_EQ(pane.currentCategoryName(), title);
    EXPECT_EQ(pane.checkedPopupTitles(), QStringList{title});
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().integerForKey(u"ClipArtCategoryIndex"_s), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Rules, ClipArtPanePopupTest,
                         ::testing::Values(PopupShowCase{"FourNoDefault", 4, std::nullopt, 1},
                                           PopupShowCase{"TenNoDefault", 10, std::nullopt, 5},
                                           PopupShowCase{"TwelveStoredFortyShowsTheLast", 12, 40, 12},
                                           PopupShowCase{"TwelveStoredThree", 12, 3, 3}),
                         [](const ::testing::TestParamInfo<PopupShowCase> &info) { return std::string(info.param.name); });

TEST_F(ClipArtPaneTest, WithoutCategoriesThePopupHoldsOnlyTheDashAndNothingIsStored)
{
    pwtest::LogCapture log;
    CCPictBrowserView pane;
    EXPECT_EQ(pane.popupTitles(), QStringList{u"-"_s});
    EXPECT_EQ(pane.catalog()->countImages(), 0);
    EXPECT_FALSE(PWUserDefaults::standardUserDefaults().hasStoredValue(u"ClipArtCategoryIndex"_s));
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith(u"No categories index found"_s));
}

TEST_F(ClipArtPaneTest, ACategoryNamedWithAnAmpersandKeepsItInThePopup)
{
    picture(u"cake.png"_s);
    category(u"Food & Drink"_s, {{u"cake.png"_s, u"Cake"_s}});
    CCPictBrowserView pane;
    EXPECT_EQ(pane.currentCategoryName(), u"Food & Drink"_s);
    EXPECT_EQ(pane.popupTitle(), u"Food & Drink"_s);
    EXPECT_EQ(pane.checkedPopupTitles(), QStringList{u"Food & Drink"_s});
    // Shown as written, not with the D underlined as a mnemonic.
    EXPECT_EQ(pane.categoryPopupButton()->text(), u"Food && Drink"_s);
    EXPECT_EQ(pane.categoryPopupButton()->menu()->actions().at(1)->text(), u"Food && Drink"_s);
}

// Choosing "-" reads no file named "-" and says nothing: the catalogue is just empty.
TEST_F(ClipArtPaneTest, TheDashEmptiesTheCatalogueQuietly)
{
    numberedCategory(u"Animals"_s, 3);
    CCPictBrowserView pane;
    ASSERT_EQ(pane.catalog()->countImages(), 3);
    pwtest::LogCapture log;
    choose(pane, u"-"_s);
    EXPECT_EQ(pane.catalog()->countImages(), 0);
    EXPECT_EQ(pane.catalog()->numberOfRows(), 0);
    EXPECT_EQ(pane.currentCategoryName(), QString());
    EXPECT_EQ(pane.selectedPopupIndex(), 0);
    EXPECT_TRUE(pane.checkedPopupTitles().isEmpty());
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().integerForKey(u"ClipArtCategoryIndex"_s), 0);
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(u'\n').toStdString();
}

// --- categories and their scroll positions ------------------------------------------------------

TEST_F(ClipArtPaneTest, ReturningToACategoryScrollsToExactlyWhereItWasLeft)
{
    numberedCategory(u"Animals"_s, 60);
    numberedCategory(u"Birds"_s, 40);
    CCPictBrowserView pane;
    pane.resize(180, 260);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    ASSERT_EQ(pane.currentCategoryName(), u"Animals"_s);
    QScrollBar *bar = pane.catalogView()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 400);
    for (const int position : {137, 138, 401}) {
        bar->setValue(position);
        choose(pane, u"Birds"_s);
        EXPECT_EQ(pane.currentCategoryName(), u"Birds"_s);
        EXPECT_EQ(bar->value(), 0) << "a category seen for the first time starts at its top";
        bar->setValue(55);
        choose(pane, u"Animals"_s);
        EXPECT_EQ(bar->value(), position);
        EXPECT_EQ(pane.catalog()->countImages(), 60);
        // And Birds kept its own position too.
        choose(pane, u"Birds"_s);
        EXPECT_EQ(bar->value(), 55);
        bar->setValue(0);
        choose(pane, u"Animals"_s);
        EXPECT_EQ(bar->value(), position);
    }
}

TEST_F(ClipArtPaneTest, ACategoryIsReadOnceAndKeptWhileThePaneLives)
{
    numberedCategory(u"Animals"_s, 4);
    numberedCategory(u"Birds"_s, 2);
    CCPictBrowserView pane;
    ASSERT_EQ(shownNames(*pane.catalog()).size(), 4);
    ASSERT_TRUE(QFile::remove(CAEnvironment::clipArtCategoriesIndexPath() + u"/Animals.idx"_s));
    choose(pane, u"Birds"_s);
    choose(pane, u"Animals"_s);
    EXPECT_EQ(shownNames(*pane.catalog()),
              QStringList({u"animals00.png"_s, u"animals01.png"_s, u"animals02.png"_s, u"animals03.png"_s}));
}

TEST_F(ClipArtPaneTest, ADamagedCategoryFileShowsNothingLogsOnceAndIsTriedAgain)
{
    numberedCategory(u"Animals"_s, 2);
    writeCategoryFile(u"Broken"_s, QByteArrayLiteral("bplist00 and then nothing useful"));
    CCPictBrowserView pane;
    pwtest::LogCapture log;
    choose(pane, u"Broken"_s);
    EXPECT_EQ(pane.catalog()->countImages(), 0);
    EXPECT_EQ(pane.currentCategoryName(), QString());
    EXPECT_EQ(pane.popupTitle(), u"Broken"_s);
    const QStringList firstTime = log.lines();
    EXPECT_EQ(firstTime.filter(u"Error while loading category index '"_s).size(), 1);
    // Chosen again unchanged, the file is not read again and nothing more is said.
    choose(pane, u"Animals"_s);
    choose(pane, u"Broken"_s);
    EXPECT_EQ(log.lines(), firstTime);
    EXPECT_EQ(pane.catalog()->countImages(), 0);
    category(u"Broken"_s, {{u"animals01.png"_s, u"Mended"_s}});
    choose(pane, u"Broken"_s);
    EXPECT_EQ(shownNames(*pane.catalog()), QStringList {u"animals01.png"_s});
    EXPECT_EQ(pane.currentCategoryName(), u"Broken"_s);
}

TEST_F(ClipArtPaneTest, EntriesOfOtherTypesAreLeftOutAndTheRestShown)
{
    picture(u"sun.png"_s);
    QVariantList values{QVariantMap{{u"name"_s, u"sun.png"_s}, {u"hint"_s, u"Sun"_s}}, QVariant(12),
                        QVariantMap{{u"name"_s, QVariantList()}}};
    writeCategoryFile(u"Odd"_s, PWKeyedArchiver::archivedObject(QVariantMap{{u"values"_s, values}}));
    pwtest::LogCapture log;
    CCPictBrowserView pane;
    EXPECT_EQ(shownNames(*pane.catalog()), QStringList {u"sun.png"_s});
    EXPECT_EQ(log.lines().size(), 1);
}

// --- keyword search -----------------------------------------------------------------------------

// Exact hits come first and near hits after them, each group ordered by extension (hpi, jpg,
// pdf, others) and caption; a hit whose file is gone takes no cell.
TEST_F(ClipArtPaneTest, KeywordSearchListsExactHitsThenNearHits)
{
    catCollection();
    numberedCategory(u"Animals"_s, 3);
    CCPictBrowserView pane;
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    pane.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&pane));
    typeAndReturn(pane.searchField(), u"CAT"_s);
    EXPECT_EQ(shownNames(*pane.catalog()),
              QStringList({u"alleycat.jpg"_s, u"bobcat.pdf"_s, u"cat.png"_s, u"caterpillar.hpi"_s, u"catalog.jpg"_s}));
    EXPECT_EQ(pane.currentCategoryName(), u"Search Result"_s);
    EXPECT_EQ(pane.popupTitle(), u"Search Result"_s);
    EXPECT_TRUE(pane.checkedPopupTitles().isEmpty());
    EXPECT_EQ(pane.catalogView()->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(pane.searchField()->hasFocus());
    // A category chosen afterwards empties the field and shows the category again.
    choose(pane, u"Animals"_s);
    EXPECT_EQ(pane.searchField()->text(), QString());
    EXPECT_EQ(pane.catalog()->countImages(), 3);
}

// A search of the collection that finds nothing says so in the pane; a search with hits, or a
// category chosen after, takes the words away.
TEST_F(ClipArtPaneTest, ASearchWithoutHitsSaysSoInThePane)
{
    catCollection();
    numberedCategory(u"Animals"_s, 3);
    CCPictBrowserView pane;
    pane.show();
    pane.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&pane));
    auto *nothing = pane.findChild<QLabel *>(u"m_nothingFoundText"_s);
    ASSERT_NE(nothing, nullptr);
    EXPECT_FALSE(nothing->isVisible());
    const struct
    {
        const char *typed;
        bool nothingFound;
    } searches[] = {{"zebra", true}, {"cat", false}, {"(((", true}, {"dog", false}, {"zebra", true}};
    for (const auto &search : searches) {
        typeAndReturn(pane.searchField(), QString::fromLatin1(search.typed));
        EXPECT_EQ(nothing->isVisible(), search.nothingFound) << search.typed;
        EXPECT_EQ(pane.catalog()->countImages() == 0, search.nothingFound) << search.typed;
        if (search.nothingFound) {
            EXPECT_EQ(nothing->text(), u"No clip art found"_s) << search.typed;
        }
    }
    choose(pane, u"Animals"_s);
    EXPECT_FALSE(nothing->isVisible());
    EXPECT_EQ(pane.catalog()->countImages(), 3);
}

struct KeywordCase
{
    const char *name;
    const char *keywords; // UTF-8
    QStringList shown;
};

class ClipArtPaneKeywordTest : public ClipArtPaneTest, public ::testing::WithParamInterface<KeywordCase>
{
};

TEST_P(ClipArtPaneKeywordTest, FindsWhatTheIndexHolds)
{
    catCollection();
    CCPictBrowserView pane;
    pwtest::LogCapture log;
    const QList<CCPictCatalog::Entry> hits =
        CCPictBrowserView::pathsForKeywords(pane.keywordIndex(), QString::fromUtf8(GetParam().keywords));
    QStringList found;
    for (const CCPictCatalog::Entry &hit : hits)
        found.append(hit.name);
    EXPECT_EQ(found, GetParam().shown);
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Queries, ClipArtPaneKeywordTest,
    ::testing::Values(
        KeywordCase{"Exact", "dog", {u"dog.png"_s}},
        KeywordCase{"ExactAndNear", "cat",
                    {u"alleycat.jpg"_s, u"bobcat.pdf"_s, u"cat.png"_s, u"missing.png"_s, u"caterpillar.hpi"_s,
                     u"catalog.jpg"_s}},
        KeywordCase{"NearOnly", "cater", {u"caterpillar.hpi"_s}},
        KeywordCase{"TwoWords", "animal pet", {u"cat.png"_s, u"dog.png"_s}},
        KeywordCase{"None", "zebra", {}},
        KeywordCase{"MacRomanAccent", "caf\xc3\xa9", {u"caf\u00e9.png"_s}},
        KeywordCase{"OutsideMacRoman", "\xe7\x8c\xab", {}},
        KeywordCase{"PartlyOutsideMacRoman", "cat \xc5\x81", {}},
        KeywordCase{"RejectedByTheIndex", "(((", {}}),
    [](const ::testing::TestParamInfo<KeywordCase> &info) { return std::string(info.param.name); });

TEST_F(ClipArtPaneTest, AnEmptySearchChangesNothingButTheFocus)
{
    numberedCategory(u"Animals"_s, 3);
    CCPictBrowserView pane;
    pane.show();
    pane.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&pane));
    pane.catalog()->setFocus();
    typeAndReturn(pane.searchField(), QString());
    EXPECT_EQ(pane.currentCategoryName(), u"Animals"_s);
    EXPECT_EQ(pane.catalog()->countImages(), 3);
    EXPECT_TRUE(pane.searchField()->hasFocus());
}

TEST_F(ClipArtPaneTest, WithoutAKeywordIndexASearchShowsNothingAndLogsOnce)
{
    numberedCategory(u"Animals"_s, 3);
    CCPictBrowserView pane;
    pwtest::LogCapture log;
    typeAndReturn(pane.searchField(), u"animals"_s);
    typeAndReturn(pane.searchField(), u"birds"_s);
    EXPECT_EQ(pane.catalog()->countImages(), 0);
    EXPECT_EQ(pane.currentCategoryName(), u"Search Result"_s);
    EXPECT_EQ(log.lines().size(), 1) << log.lines().join(u'\n').toStdString();
}

// A search in between keeps the position of the category it left.
TEST_F(ClipArtPaneTest, ASearchKeepsThePositionOfTheCategoryItLeft)
{
    catCollection();
    numberedCategory(u"Animals"_s, 60);
    CCPictBrowserView pane;
    pane.resize(180, 260);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    pane.catalogView()->verticalScrollBar()->setValue(250);
    typeAndReturn(pane.searchField(), u"cat"_s);
    EXPECT_EQ(pane.catalogView()->verticalScrollBar()->value(), 0);
    choose(pane, u"Animals"_s);
    EXPECT_EQ(pane.catalogView()->verticalScrollBar()->value(), 250);
}

// --- the internet search's hooks ----------------------------------------------------------------

TEST(ClipArtPaneProgress, FollowsTheDeliveredResults)
{
    EXPECT_DOUBLE_EQ(CCPictBrowserView::progressForResult(0, 4), 39.25);
    EXPECT_DOUBLE_EQ(CCPictBrowserView::progressForResult(1, 4), 58.5);
    EXPECT_DOUBLE_EQ(CCPictBrowserView::progressForResult(2, 4), 77.75);
    EXPECT_DOUBLE_EQ(CCPictBrowserView::progressForResult(3, 4), 97.0);
    // The share of one result is a single-precision number.
    EXPECT_DOUBLE_EQ(CCPictBrowserView::progressForResult(0, 3), 20.0 + double(77.0f / 3.0f));
    EXPECT_EQ(CCPictBrowserView::progressForResult(0, 0), 0.0);
}

TEST_F(ClipArtPaneTest, AnInternetSearchRunsThroughItsHooksAndShowsItsProgress)
{
    numberedCategory(u"Animals"_s, 3);
    CCPictBrowserView pane;
    // Two columns, so that a stopped search's first row holds its one result and a placeholder.
    pane.resize(180, 300);
    pane.show();
    pane.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&pane));
    QStringList started;
    int stops = 0;
    int abandons = 0;
    pane.setInternetSearch({[&started](const QString &text) { started.append(text); }, [&stops] { ++stops; },
                            [&abandons] { ++abandons; }});
    CCSearchField *field = pane.searchField();
    CCSearchFieldCell *cell = field->searchCell();
    cell->switchToInternet(cell->menuItemWithTitle(u"Internet"_s));
    typeAndReturn(field, u"lighthouse"_s);
    ASSERT_EQ(started, QStringList{u"lighthouse"_s});
    EXPECT_EQ(field->doubleValue(), 23.0);
    EXPECT_EQ(pane.catalog()->countImages(), 0);
    EXPECT_EQ(pane.currentCategoryName(), u"Search Result"_s);

    const CCPictSearchProgress expected{4, 0};
    pane.prepareMatrixWithSender(expected);
    EXPECT_EQ(pane.catalog()->countImages(), 4);
    const QList<double> progress = {39.25, 58.5, 77.75};
    for (int current = 0; current < 3; ++current) {
        pane.dynamicAddImageWithGoogleSearchItem({4, current}, {QUrl(u"https://example.org/%1.png"_s.arg(current)),
                                                                u"https://example.org/"_s, QByteArray()});
        EXPECT_DOUBLE_EQ(field->doubleValue(), progress.at(current));
    }
    pane.dynamicAddImageWithGoogleSearchItem({4, 3}, {QUrl(u"https://example.org/3.png"_s), u"https://example.org/"_s,
                                                      QByteArray()});
    EXPECT_EQ(field->doubleValue(), 0.0) << "the last result ends the progress";
    EXPECT_TRUE(field->hasFocus());

    // A second search stopped by the user after one result keeps only the row with it.
    typeAndReturn(field, u"harbour"_s);
    pane.prepareMatrixWithSender({10, 0});
    pane.dynamicAddImageWithGoogleSearchItem({10, 0}, {QUrl(u"https://example.org/a.png"_s), u"x"_s, QByteArray()});
    ASSERT_GT(field->doubleValue(), 0.0);
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(field->width() - 6, field->height() / 2));
    EXPECT_EQ(field->doubleValue(), 0.0);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(pane.catalog()->numberOfRows(), 1);

    // Choosing a category gives up a search and puts the field back to searching the collection.
    choose(pane, u"Animals"_s);
    EXPECT_EQ(abandons, 1);
    EXPECT_EQ(cell->mode(), CCSearchFieldCell::Mode::Collection);
    EXPECT_EQ(field->text(), QString());
    EXPECT_EQ(pane.catalog()->countImages(), 3);
}

TEST_F(ClipArtPaneTest, WithoutAnInternetSearchNothingStartsAndTheFieldStaysUsable)
{
    numberedCategory(u"Animals"_s, 3);
    PWUserDefaults::standardUserDefaults().removeObject(CCGoogleSearch::kServiceKey);
    CCPictBrowserView pane;
    QStringList notices;
    pane.setNoticeHandler([&notices](const QString &text) { notices << text; });
    CCSearchField *field = pane.searchField();
    CCSearchFieldCell *cell = field->searchCell();
    cell->switchToInternet(cell->menuItemWithTitle(u"Internet"_s));
    typeAndReturn(field, u"lighthouse"_s);
    EXPECT_EQ(field->doubleValue(), 0.0);
    EXPECT_EQ(pane.currentCategoryName(), u"Animals"_s);
    EXPECT_EQ(pane.catalog()->countImages(), 3);
    EXPECT_EQ(notices, QStringList{CCPictBrowserView::noServiceMessage()});
    EXPECT_FALSE(pane.googleSearch().isInUse());
}

} // namespace

// --- inside the design panel ---------------------------------------------------------------------

// The pane in the design panel's column, shown for the first time and resized by the user: the
// grid's columns are whole inside the visible width (the scroll bar that a long category brings
// taken off), and the search field keeps the width the column gives it.
TEST_F(ClipArtPaneTest, InTheDesignPanelEveryColumnOfTheGridIsWholeAndTheFieldFollows)
{
    numberedCategory(u"Animals"_s, 60);
    QWidget panel;
    auto *column = new QVBoxLayout(&panel);
    column->setContentsMargins(6, 6, 6, 6);
    auto *pane = new CCPictBrowserView(&panel);
    column->addWidget(pane);
    panel.resize(440, 500);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QCoreApplication::processEvents();
    ASSERT_EQ(pane->currentCategoryName(), u"Animals"_s);
    ASSERT_TRUE(pane->catalogView()->verticalScrollBar()->isVisible());
    for (const int width : {440, 500, 380, 600, 440}) {
        SCOPED_TRACE(width);
        panel.resize(width, 500);
        QCoreApplication::processEvents();
        const int visible = pane->catalogView()->viewport()->width();
        EXPECT_LE(pane->catalog()->width(), visible);
        EXPECT_GT(pane->catalog()->numberOfColumns(), 1);
        EXPECT_EQ(pane->searchField()->width(), pane->width());
        EXPECT_EQ(pane->searchField()->wantedWidth(), pane->width());
    }
}
