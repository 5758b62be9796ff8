#include "app/pictures/CCGoogleSearchAnswer.h"

#include <QStringList>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QUrl kBase(u"http://images.test:8080"_s);

QByteArray answerRecord(const QByteArray &picture, const QByteArray &site, const QByteArray &thumbnail)
{
    return "<a href=/imgres?imgurl=" + picture + "&imgrefurl=" + site + "&h=10&w=10>\n<img src=" + thumbnail
        + " width=80 height=60></a>\n";
}

QStringList describe(const std::vector<CCGoogleSearchAnswer::Record> &records)
{
    QStringList lines;
    for (const auto &entry : records)
        lines << entry.thumbnail.toString(QUrl::FullyEncoded) + u" | "_s + entry.image.toString(QUrl::FullyEncoded)
                + u" | "_s + entry.webSite;
    return lines;
}

} // namespace

TEST(CCGoogleSearchAnswerTest, RequestEncodesEveryByteAfterTheSizeTypesQuery)
{
    EXPECT_EQ(CCGoogleSearchAnswer::requestAddress(kBase, u"a b"_s),
              u"http://images.test:8080/images?imgsz=xlarge&ie=UTF-8&oe=UTF-8&q=%61%20%62"_s);
    EXPECT_EQ(CCGoogleSearchAnswer::requestAddress(kBase, u"é&"_s, CCGoogleSearchAnswer::AnySize),
              u"http://images.test:8080/images?imgsz=&ie=UTF-8&oe=UTF-8&q=%c3%a9%26"_s);
    // Nothing but scheme, host and port of the setting counts.
    EXPECT_EQ(CCGoogleSearchAnswer::requestAddress(QUrl(u"https://images.test/some/path?x=1"_s), u"x"_s),
              u"https://images.test/images?imgsz=xlarge&ie=UTF-8&oe=UTF-8&q=%78"_s);
    EXPECT_TRUE(CCGoogleSearchAnswer::requestAddress(kBase, u"x"_s, 3).isEmpty());
    EXPECT_FALSE(CCGoogleSearchAnswer::requestURL(kBase, u"x"_s, 3).isValid());
    // What goes out means the same: the text comes back whole, the ampersand still inside it.
    const QUrl sent = CCGoogleSearchAnswer::requestURL(kBase, u"a b&c=é"_s);
    EXPECT_EQ(QUrlQuery(sent).queryItemValue(u"q"_s, QUrl::FullyDecoded), u"a b&c=é"_s);
    EXPECT_EQ(QUrlQuery(sent).queryItemValue(u"imgsz"_s), u"xlarge"_s);
}

TEST(CCGoogleSearchAnswerTest, ServiceSettingMustBeAWebAddress)
{
    const struct
    {
        QString setting;
        QString base;
    } cases[] = {
        {u""_s, u""_s},
        {u"images.test"_s, u""_s},
        {u"ftp://images.test"_s, u""_s},
        {u"file:///etc"_s, u""_s},
        {u"javascript:alert(1)"_s, u""_s},
        {u" http://Images.Test/x "_s, u"http://images.test"_s},
        {u"HTTPS://images.test:444/"_s, u"https://images.test:444"_s},
    };
    for (const auto &entry : cases)
        EXPECT_EQ(CCGoogleSearchAnswer::serviceBase(entry.setting).toString(), entry.base) << qPrintable(entry.setting);
}

TEST(CCGoogleSearchAnswerTest, ThreeCompleteRecordsAndOneWithoutThumbnailGiveThree)
{
    QByteArray page = "<html><body>";
    page += answerRecord("http://pics.test/one.jpg", "http://site.test/1", "/thumb?q=1");
    page += answerRecord("http://pics.test/two%2520dogs.jpg", "http://site.test/2", "/thumb?q=2");
    page += answerRecord("https://pics.test/three.png", "https://site.test/3", "/thumb?q=3");
    page += "<a href=/imgres?imgurl=http://pics.test/four.jpg&imgrefurl=http://site.test/4&h=1>no picture</a>";
    page += "</body></html>";
    EXPECT_EQ(describe(CCGoogleSearchAnswer::parse(page, kBase)),
              QStringList({u"http://images.test:8080/thumb?q=1 | http://pics.test/one.jpg | http://site.test/1"_s,
                           u"http://images.test:8080/thumb?q=2 | http://pics.test/two%20dogs.jpg | http://site.test/2"_s,
                           u"http://images.test:8080/thumb?q=3 | https://pics.test/three.png | https://site.test/3"_s}));
}

TEST(CCGoogleSearchAnswerTest, UntrustedAddressesAreRefused)
{
    QByteArray page;
    page += answerRecord("javascript:alert(1)", "http://site.test/a", "/t1");
    page += answerRecord("file:///etc/passwd", "http://site.test/b", "/t2");
    page += answerRecord("http://pics.test/ok.jpg", "javascript:alert(2)", "/t3");
    page += answerRecord("http://pics.test/c.jpg", "http://site.test/c", "//elsewhere.test/t4");
    page += answerRecord("http://pics.test/d.jpg", "http://site.test/d", "@elsewhere.test/t5");
    page += answerRecord("http://pics.test/e.jpg", "http://site.test/e", "http://elsewhere.test/t6");
    page += answerRecord("http://pics.test/" + QByteArray(5000, 'x'), "http://site.test/f", "/t7");
    page += answerRecord("http://pics.test/g.jpg", "http://site.test/\"><script>", "/t8");
    // A page address that is not a web address is dropped; the picture stays.
    EXPECT_EQ(describe(CCGoogleSearchAnswer::parse(page, kBase)),
              QStringList({u"http://images.test:8080/t3 | http://pics.test/ok.jpg | "_s,
                           u"http://images.test:8080/t8 | http://pics.test/g.jpg | http://site.test/%22%3E%3Cscript%3E"_s}));
}

TEST(CCGoogleSearchAnswerTest, BadPagesGiveNoRecordAndNeverMore)
{
    const QByteArray complete = answerRecord("http://pics.test/1.jpg", "http://site.test/1", "/t1");
    QByteArray utf16;
    for (const char c : complete)
        utf16 += QByteArray(1, c) + QByteArray(1, '\0');
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 131) & 0xff);
    const struct
    {
        const char *name;
        QByteArray page;
        int records;
    } cases[] = {
        {"empty", QByteArray(), 0},
        {"not html", binary, 0},
        {"other encoding", utf16, 0},
        {"cut off in the thumbnail", complete + complete.left(complete.indexOf("/t1") + 2), 1},
        {"cut off in the picture", complete + "<a href=/imgres?imgurl=http://pics.test/2.jpg", 1},
        {"picture without its end", "imgurl=http://pics.test/1.jpg imgrefurl=x <img src=/t ", 0},
        {"markers only", "imgurl=&imgrefurl=&<img src= ", 0},
        {"over the size cap", complete + QByteArray(CCGoogleSearchAnswer::kMaxPageBytes, ' '), 0},
        {"exactly at the size cap", complete + QByteArray(CCGoogleSearchAnswer::kMaxPageBytes - complete.size(), ' '), 1},
    };
    for (const auto &entry : cases)
        EXPECT_EQ(int(CCGoogleSearchAnswer::parse(entry.page, kBase).size()), entry.records) << entry.name;
}

TEST(CCGoogleSearchAnswerTest, RecordsAreCapped)
{
    QByteArray page;
    for (int i = 0; i < 150; ++i)
        page += answerRecord("http://pics.test/" + QByteArray::number(i) + ".jpg", "http://site.test/", "/t");
    const auto records = CCGoogleSearchAnswer::parse(page, kBase);
    ASSERT_EQ(int(records.size()), CCGoogleSearchAnswer::kMaxItems);
    EXPECT_EQ(records.back().image.toString(), u"http://pics.test/99.jpg"_s);
    EXPECT_EQ(CCGoogleSearchAnswer::parse(page, kBase, 2).size(), 2u);
    EXPECT_TRUE(CCGoogleSearchAnswer::parse(page, QUrl(u"file:///tmp"_s)).empty());
}

TEST(CCGoogleSearchAnswerTest, LatinOneBytesKeepTheirValue)
{
    // A UTF-8 address read through Latin-1 goes out with the bytes it came with.
    const QByteArray page = answerRecord("http://pics.test/caf\xc3\xa9.jpg", "http://site.test/", "/t");
    const auto records = CCGoogleSearchAnswer::parse(page, kBase);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records.front().image.toString(QUrl::FullyEncoded), u"http://pics.test/caf%C3%A9.jpg"_s);
}

// The answer is read against the address of its own request, whose query holds the text searched
// for: blanks, quotes and letters outside ASCII there must not lose the service's host.
TEST(CCGoogleSearchAnswerTest, TheRequestOfAnyTextGivesTheThumbnailsTheServiceHost)
{
    const QByteArray page = answerRecord("http://pics.test/one.jpg", "http://site.test/1", "/thumb?q=1");
    for (const QString &text : {u"dogs"_s, u"red barn"_s, u"caf\u00e9 au lait"_s, u"\"quoted\" & more"_s, u"a%20b"_s}) {
        const QUrl request = CCGoogleSearchAnswer::requestURL(kBase, text);
        ASSERT_TRUE(request.isValid()) << text.toStdString();
        EXPECT_EQ(describe(CCGoogleSearchAnswer::parse(page, request)),
                  QStringList{u"http://images.test:8080/thumb?q=1 | http://pics.test/one.jpg | http://site.test/1"_s})
            << text.toStdString();
    }
}
