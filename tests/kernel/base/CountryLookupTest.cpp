#include "kernel/base/CDDString.h"

#include "platform/PWPlist.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

TEST(CountryLookupTest, FindsTheCode)
{
    // A name of several words counts only whole; a whole name beats a word of it. Both words of
    // the last line are names; the codes are searched in sorted order, so "de" wins every time.
    const std::pair<const char *, const char *> cases[] = {{"United States", "us"}, {"GERMANY", "de"}, {"WIEN ÖSTERREICH", "at"},
        {"Springfield USA", "us"}, {"Germany Berlin", "de"}, {"Auckland New Zealand", ""}, {"new zealand", "nz"}, {"Kingdom", ""},
        {"South Sudan", "ss"}, {"Sudan", "sd"}, {"Paris  France", "fr"}, {"Atlantis", ""}, {"France Germany", "de"}, {"France Germany", "de"}};
    for (const auto &[text, code] : cases)
        EXPECT_EQ(CDDString::getCountryCodeFromString(CDDString(QString::fromUtf8(text))).getData(), QString::fromUtf8(code)) << text;
    CDDString null;
    null.setData(nullptr);
    const CDDString fromNull = CDDString::getCountryCodeFromString(null);
    EXPECT_TRUE(fromNull.isEmpty() && !fromNull.isNull());
}

class CountriesResource : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile file(QStringLiteral(":/bundle/Countries.xml"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString error;
        const std::optional<PWPlist> plist = PWPlist::parse(file.readAll(), &error);
        ASSERT_TRUE(plist.has_value()) << error.toStdString();
        ASSERT_TRUE(plist->isDictionary());
        m_table = plist->toDictionary();
    }
    PWPlist::Dictionary m_table;
};

TEST_F(CountriesResource, EveryNameBelongsToOneCodeOnly)
{
    QHash<QString, QString> owner;
    for (const auto &[code, names] : m_table) {
        ASSERT_TRUE(names.isArray()) << code.toStdString();
        EXPECT_FALSE(names.toArray().isEmpty()) << code.toStdString();
        for (const PWPlist &name : names.toArray()) {
            ASSERT_TRUE(name.isString()) << code.toStdString();
            EXPECT_FALSE(name.toString().trimmed().isEmpty()) << code.toStdString();
            const QString key = name.toString().toLower();
            EXPECT_FALSE(owner.contains(key)) << name.toString().toStdString() << " under "
                                              << owner.value(key).toStdString() << " and " << code.toStdString();
            owner.insert(key, code);
        }
    }
}

} // namespace
