#include "app/pictures/CInternetView.h"
#include "app/pictures/CLinkTextView.h"
#include "app/pictures/CSearchInternetPanelController.h"

#include "PictureTestSupport.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kSelectionChanged = u"Change Selection Notification"_s;

// A picture component that came from the internet with the given page address (none: a picture
// of the collection).
std::unique_ptr<CFTPicture> pictureFrom(const QString &site)
{
    std::shared_ptr<PWImage> image = pictest::quadrantImage(10, 10);
    if (!site.isEmpty())
        image->setName(u"PREFIX_URL_LOADED http://pics.test/p.jpg "_s + site);
    CDDPicture picture;
    picture.setData(image);
    return std::make_unique<CFTPicture>(picture);
}

class CInternetViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_strip.setSelectionSource([this] { return m_selection; });
        m_strip.setLinkOpener([this](const QUrl &url) {
            m_opened << url.toString();
            return true;
        });
    }
    // The selection becomes selection; told: the page's signal reaches the strip, as its maker
    // connects it. The notice every page posts as well is never what the strip follows.
    void select(std::vector<CFTComponent *> selection, bool told)
    {
        m_selection = std::move(selection);
        PWNotificationCenter::defaultCenter().postNotification(kSelectionChanged, this);
        if (told)
            m_strip.updateInternet();
    }
    std::vector<CFTComponent *> m_selection;
    CInternetView m_strip;
    QStringList m_opened;
};

} // namespace

TEST_F(CInternetViewTest, LinkFollowsTheSelectionChangesItIsToldOf)
{
    const auto first = pictureFrom(u"http://site.test/first"_s);
    const auto second = pictureFrom(u"https://site.test/second"_s);
    const auto plain = pictureFrom(QString());
    const struct
    {
        const char *step;
        std::vector<CFTComponent *> selection;
        bool told;
        QString shown;
        int builds;
    } steps[] = {
        {"nothing selected", {}, true, QString(), 0},
        {"a collection picture", {plain.get()}, true, QString(), 0},
        {"an internet picture", {first.get()}, true, u"http://site.test/first"_s, 1},
        {"a collection picture after it keeps the link", {plain.get()}, true, u"http://site.test/first"_s, 1},
        {"the same picture again builds nothing", {first.get()}, true, u"http://site.test/first"_s, 1},
        {"a change it is not told of changes nothing", {second.get()}, false, u"http://site.test/first"_s, 1},
        {"two internet pictures: the first in selection order", {plain.get(), second.get(), first.get()}, true,
         u"https://site.test/second"_s, 2},
    };
    for (const auto &step : steps) {
        select(step.selection, step.told);
        EXPECT_EQ(m_strip.currentURL(), step.shown) << step.step;
        EXPECT_EQ(m_strip.urlField()->toPlainText(), step.shown) << step.step;
        EXPECT_EQ(m_strip.urlField()->linkTarget(), step.shown) << step.step;
        EXPECT_EQ(m_strip.linkBuildCount(), step.builds) << step.step;
    }
}

TEST_F(CInternetViewTest, MarkupInAnAddressStaysText)
{
    const QString hostile = u"http://site.test/a\"><b>bold</b><img src=x onerror=alert(1)>&amp;"_s;
    m_strip.urlField()->setLink(hostile);
    EXPECT_EQ(m_strip.urlField()->toPlainText(), hostile);
    EXPECT_EQ(m_strip.urlField()->linkTarget(), hostile);
    // One fragment, one format: nothing in the address became bold text or a picture.
    const QTextBlock block = m_strip.urlField()->document()->firstBlock();
    int fragments = 0;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        ++fragments;
        EXPECT_NE(it.fragment().charFormat().fontWeight(), QFont::Bold);
        EXPECT_FALSE(it.fragment().charFormat().isImageFormat());
    }
    EXPECT_EQ(fragments, 1);
    EXPECT_EQ(m_strip.urlField()->document()->blockCount(), 1);
}

TEST_F(CInternetViewTest, OnlyWebPagesOpen)
{
    const struct
    {
        QString url;
        bool opens;
    } cases[] = {
        {u"http://site.test/a"_s, true},
        {u"https://site.test/b"_s, true},
        {u"javascript:alert(1)"_s, false},
        {u"file:///etc/passwd"_s, false},
        {u"ftp://site.test/c"_s, false},
        {u"/relative/page"_s, false},
    };
    for (const auto &entry : cases)
        EXPECT_EQ(CInternetView::openLink(QUrl(entry.url), [](const QUrl &) { return true; }), entry.opens)
            << qPrintable(entry.url);
}

TEST_F(CInternetViewTest, ClickOnTheLinkOpensThePage)
{
    const auto picture = pictureFrom(u"https://site.test/page?id=7"_s);
    m_strip.resize(400, m_strip.sizeHint().height());
    m_strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_strip));
    select({picture.get()}, true);
    CLinkTextView *field = m_strip.urlField();
    const QRect link = field->linkCursorRect();
    ASSERT_FALSE(link.isEmpty());
    QTest::mouseClick(field->viewport(), Qt::LeftButton, {}, QPoint(link.left() + 10, link.center().y()));
    EXPECT_EQ(m_opened, QStringList({u"https://site.test/page?id=7"_s}));
    // Beyond the text there is no link to click.
    QTest::mouseClick(field->viewport(), Qt::LeftButton, {}, QPoint(field->viewport()->width() - 2, link.center().y()));
    EXPECT_EQ(m_opened.size(), 1);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(m_opened.size(), 2);
}

TEST_F(CInternetViewTest, LongAddressStaysOnOneLineAndTheHandCoversOnlyWhatShows)
{
    const QString longAddress = u"http://site.test/"_s + QString(400, u'x');
    const auto picture = pictureFrom(longAddress);
    m_strip.resize(300, m_strip.sizeHint().height());
    m_strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_strip));
    select({picture.get()}, true);
    CLinkTextView *field = m_strip.urlField();
    EXPECT_EQ(field->document()->firstBlock().layout()->lineCount(), 1);
    EXPECT_LE(field->linkCursorRect().right(), field->viewport()->rect().right());
    EXPECT_GT(field->linkCursorRect().width(), field->viewport()->width() / 2);
}

TEST(CSearchInternetPanelTest, SearchAnswersOneWithTheTextTyped)
{
    CSearchInternetPanelController panel;
    QTimer::singleShot(0, &panel, [&] {
        QTest::keyClicks(panel.searchField(), u"red barn"_s);
        QTest::mouseClick(panel.searchButton(), Qt::LeftButton);
    });
    EXPECT_EQ(panel.showDialog(nullptr), 1);
    EXPECT_EQ(panel.modalResult(), 1);
    EXPECT_EQ(panel.searchString(), u"red barn"_s);
}

TEST(CSearchInternetPanelTest, CancelEscapeAndTheCloseBoxAnswerZero)
{
    const std::function<void(CSearchInternetPanelController &)> endings[] = {
        [](CSearchInternetPanelController &panel) { QTest::mouseClick(panel.cancelButton(), Qt::LeftButton); },
        [](CSearchInternetPanelController &panel) { QTest::keyClick(panel.searchField(), Qt::Key_Escape); },
        [](CSearchInternetPanelController &panel) { panel.close(); },
    };
    for (const auto &end : endings) {
        CSearchInternetPanelController panel;
        QTimer::singleShot(0, &panel, [&] {
            QTest::keyClicks(panel.searchField(), u"owl"_s);
            end(panel);
        });
        EXPECT_EQ(panel.showDialog(nullptr), 0);
        EXPECT_EQ(panel.modalResult(), 0);
    }
}

TEST(CSearchInternetPanelTest, ReturnInTheFieldSearches)
{
    CSearchInternetPanelController panel;
    QTimer::singleShot(0, &panel, [&] {
        QTest::keyClicks(panel.searchField(), u"owl"_s);
        QTest::keyClick(panel.searchField(), Qt::Key_Return);
    });
    EXPECT_EQ(panel.showDialog(nullptr), 1);
    EXPECT_EQ(panel.searchString(), u"owl"_s);
}
