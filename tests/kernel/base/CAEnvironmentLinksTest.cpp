#include "kernel/base/CAEnvironment.h"

#include "platform/PWBundle.h"

#include <QDesktopServices>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

class LinkCatcher : public QObject
{
    Q_OBJECT
public:
    LinkCatcher()
    {
        for (const QString &scheme : {u"https"_s, u"mailto"_s})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~LinkCatcher() override
    {
        for (const QString &scheme : {u"https"_s, u"mailto"_s})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

} // namespace

// The Help menu's four web links, each read from its key of the bundle's Info dictionary and
// handed to the desktop.
TEST(CAEnvironmentLinksTest, EachOfTheFourLinksOpensTheAddressUnderItsKey)
{
    struct Case
    {
        const char *key;
        std::function<bool()> open;
        QString expected;
    };
    const Case cases[] = {
        {"FTHomePageURL", &CAEnvironment::gotoHomePage, u"https://parcelwick.example.org/"_s},
        // The version fills the address's one slot.
        {"FTCheckUpdateURL", &CAEnvironment::checkUpdates, u"https://parcelwick.example.org/updates?version=100"_s},
        // The mail address ends with the version and a closing parenthesis.
        {"FTFeedbackMailURL", &CAEnvironment::sendFeedBack,
         u"mailto:feedback@parcelwick.example.org?subject=Parcelwick%20feedback%20(version%20100)"_s},
        {"FTUsefulRecourcesURL", &CAEnvironment::gotoUsefulResources, u"https://parcelwick.example.org/resources"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_TRUE(PWBundle::mainBundle().objectForInfoDictionaryKey(QString::fromLatin1(c.key)).isString());
        LinkCatcher catcher;
        EXPECT_TRUE(c.open());
        ASSERT_EQ(catcher.opened.size(), 1);
        EXPECT_EQ(catcher.opened.front(), QUrl(c.expected));
    }
}

#include "CAEnvironmentLinksTest.moc"
