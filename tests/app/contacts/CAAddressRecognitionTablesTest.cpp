// The reader's tables as the application ships them, the parts every row gives to the lines,
// and the refusal of tables that are damaged.
#include "RecognitionTestSupport.h"

#include "TestSupport.h"

#include "platform/PWBundle.h"
#include "platform/PWPlist.h"

namespace {

TEST(RecognitionTables, TheShippedTablesAreRead)
{
    const CAAddressRecognitionTables &tables = CAAddressRecognitionTables::shared();
    EXPECT_TRUE(tables.loadError().isEmpty()) << tables.loadError().toStdString();
    EXPECT_EQ(tables.rowCount(), 13);
    EXPECT_EQ(tables.postalCodes().usCodes, (QStringList{u"DDDDD"_s, u"DDDDD-DDDD"_s}));
    EXPECT_EQ(tables.postalCodes().ukInward, QStringList{u"DLL"_s});
    EXPECT_EQ(tables.postalCodes().ukOutward.size(), 7);
    EXPECT_EQ(tables.postalCodes().ukOneWord.size(), 6);
}

TEST(RecognitionTables, ShapesMatchDigitsLettersAndThemselves)
{
    const struct
    {
        const char *word;
        const char *shape;
        bool matches;
    } cases[] = {
        {"62704", "DDDDD", true},     {"6270a", "DDDDD", false},   {"627041", "DDDDD", false},
        {"62704-1234", "DDDDD-DDDD", true}, {"62704 1234", "DDDDD-DDDD", false},
        {"sw1a", "LLDL", true},       {"SW1A", "LLDD", false},     {"\u00c9C1", "LLD", true},
        {"\u0666\u0662\u0667\u0660\u0664", "DDDDD", true},       {"", "DDDDD", false},
        {"LS1-4AP", "LLD-DLL", true}, {"LS1.4AP", "LLD-DLL", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.word) + " ~ " + c.shape);
        EXPECT_EQ(CAAddressRecognitionTables::matchesShape(QString::fromUtf8(c.word), QString::fromUtf8(c.shape)),
                  c.matches);
    }
}

struct RoleCase
{
    const char *name;
    const char *layout;
    int lineCount;
    QList<int> digitLines;
    int postalWordIndex;
    bool streetFlag;
    // name, company, street, street and code, city, state, postal code, country
    std::array<int, 8> roles;
};

// Test names carry the case name; the value is not printed.
void PrintTo(const RoleCase &value, std::ostream *stream)
{
    *stream << value.name;
}

class LineRoles : public ::testing::TestWithParam<RoleCase>
{
};

TEST_P(LineRoles, FollowTheLayoutTable)
{
    const RoleCase &c = GetParam();
    CAAddressLineRoles roles;
    roles.lines.fill(7); // every part starts unset, whatever came before
    getAddressLinesIndex(roles, c.lineCount, c.digitLines, QString::fromLatin1(c.layout), c.postalWordIndex,
                         c.streetFlag);
    EXPECT_EQ(roles.lines, c.roles);
}

const RoleCase kRoleCases[] = {
    {"UsOneLineStreetAndCode", "us", 4, {2}, 3, true, {0, 1, -1, 2, -1, -1, -1, 3}},
    {"UsStreetAndCodeAlone", "us", 1, {0}, 1, true, {-1, -1, -1, 0, -1, -1, -1, -1}},
    {"UsOneLineCode", "us", 2, {1}, 2, false, {0, -1, -1, -1, -1, -1, 1, -1}},
    {"UsOneLineNoCode", "us", 4, {1}, -1, false, {0, -1, 1, -1, -1, -1, 2, 3}},
    {"UsOneLineNoCodeNoCountry", "us", 3, {1}, -1, true, {0, -1, 1, -1, -1, -1, 2, -1}},
    {"UsTwoLinesStreetAndCode", "us", 4, {1, 2}, 3, true, {0, 1, -1, 2, -1, -1, -1, 3}},
    {"UsTwoLinesFromTheTop", "us", 2, {0, 1}, 3, true, {-1, 0, -1, 1, -1, -1, -1, -1}},
    {"UsTwoLinesCode", "us", 6, {2, 3}, 2, false, {0, 1, 2, -1, -1, -1, 3, 5}},
    {"UsTwoLinesNoCode", "us", 5, {1, 2}, -1, false, {0, 1, 2, -1, -1, -1, 3, 4}},
    {"UsThreeLines", "us", 5, {1, 2, 3}, 2, false, {0, 1, 2, -1, -1, -1, 3, 4}},
    {"UsThreeLinesFromTheTop", "us", 3, {0, 1, 2}, 2, false, {-1, 0, 1, -1, -1, -1, 2, -1}},
    {"UsNoDigits", "us", 4, {}, -1, false, {0, 1, -1, -1, -1, -1, 2, 3}},
    {"UsNoDigitsTwoLines", "us", 2, {}, -1, false, {0, 1, -1, -1, -1, -1, -1, -1}},
    {"UsFourDigitLines", "us", 6, {1, 2, 3, 4}, -1, false, {0, 1, -1, -1, -1, -1, 2, 3}},
    {"GermanSharesTheTable", "ger", 6, {2, 3}, 0, false, {0, 1, 2, -1, -1, -1, 3, 5}},
    {"CanadianSharesTheTable", "can", 4, {1, 2}, 2, true, {0, 1, -1, 2, -1, -1, -1, 3}},
    {"UkStreetAndCode", "uk", 3, {1}, 5, true, {0, -1, -1, 1, -1, -1, -1, 2}},
    {"UkCodeWithCityAndCounty", "uk", 6, {4}, 0, false, {0, 1, -1, -1, 2, 3, 4, 5}},
    {"UkCodeWithCity", "uk", 4, {3}, 0, false, {0, 1, -1, -1, 2, -1, 3, -1}},
    {"UkTwoLinesStreetAndCode", "uk", 3, {1, 2}, 1, true, {0, 1, -1, 2, -1, -1, -1, -1}},
    {"UkTwoLinesLocalityAndCounty", "uk", 6, {1, 4}, 0, false, {0, -1, 1, -1, 2, 3, 4, 5}},
    {"UkTwoLinesLocality", "uk", 4, {1, 3}, 1, false, {0, -1, 1, -1, 2, -1, 3, -1}},
    {"UkThreeLines", "uk", 7, {1, 2, 5}, 0, false, {0, 1, 2, -1, 3, 4, 5, 6}},
    {"UkWithoutDigitLines", "uk", 3, {}, 0, false, {-1, -1, -1, -1, -1, -1, -1, -1}},
    {"UnknownLayout", "fr", 3, {1}, 0, false, {-1, -1, -1, -1, -1, -1, -1, -1}},
};

INSTANTIATE_TEST_SUITE_P(Tables, LineRoles, ::testing::ValuesIn(kRoleCases),
                         [](const ::testing::TestParamInfo<RoleCase> &info) { return std::string(info.param.name); });

// The shipped tables with one part replaced.
QByteArray damaged(const QString &section, const std::function<void(PWPlist::Dictionary &)> &change)
{
    const auto root = PWPlist::parse(PWBundle::mainBundle().resourceData(u"AddressRecognition"_s, u"xml"_s));
    PWPlist::Dictionary tables = root->toDictionary();
    if (section == u"Line Roles"_s) {
        PWPlist::Array rows = tables.value(section).toArray();
        PWPlist::Dictionary first = rows[0].toDictionary();
        change(first);
        rows[0] = PWPlist(first);
        tables.insert(section, PWPlist(rows));
    } else {
        change(tables);
    }
    return PWPlist(tables).toXml();
}

PWPlist strings(const QStringList &texts)
{
    PWPlist::Array array;
    for (const QString &text : texts)
        array.append(PWPlist::fromString(text));
    return PWPlist(array);
}

TEST(RecognitionTables, DamagedTablesAreRefusedWithTheirReason)
{
    const auto roles = [](const QStringList &texts) {
        return [texts](PWPlist::Dictionary &row) { row.insert(u"Roles"_s, strings(texts)); };
    };
    const struct
    {
        const char *name;
        QByteArray bytes;
        const char *reason;
    } cases[] = {
        {"NotAPropertyList", QByteArray("street D0"), ""},
        {"NoDictionary", PWPlist(PWPlist::Array{}).toXml(), "no dictionary"},
        {"NoPostalCodes", damaged(u"root"_s, [](PWPlist::Dictionary &d) { d.remove(u"Postal Codes"_s); }),
         "\"us/Code\""},
        {"NoRoleRows", damaged(u"root"_s, [](PWPlist::Dictionary &d) { d.remove(u"Line Roles"_s); }),
         "lack \"Line Roles\""},
        {"UnknownLayout", damaged(u"Line Roles"_s,
                                  [](PWPlist::Dictionary &row) { row.insert(u"Layouts"_s, strings({u"fr"_s})); }),
         "unknown layout \"fr\""},
        {"UnknownDigitClass", damaged(u"Line Roles"_s,
                                      [](PWPlist::Dictionary &row) {
                                          row.insert(u"Digit Lines"_s, PWPlist::fromString(u"4"_s));
                                      }),
         "\"Digit Lines\""},
        {"UnknownMatch", damaged(u"Line Roles"_s,
                                 [](PWPlist::Dictionary &row) {
                                     row.insert(u"Street"_s, PWPlist::fromString(u"maybe"_s));
                                 }),
         "\"Street\" is neither"},
        {"UnknownRole", damaged(u"Line Roles"_s, roles({u"phone D0"_s})), "unknown role \"phone\""},
        // The first row is chosen for one digit line: D1 does not exist there.
        {"DigitLineTheRowHasNot", damaged(u"Line Roles"_s, roles({u"street D1"_s})), "no digit line D1"},
        {"UnknownTerm", damaged(u"Line Roles"_s, roles({u"street D0+X"_s})), "unknown term \"X\""},
        {"RoleWithoutLine", damaged(u"Line Roles"_s, roles({u"street"_s})), "needs a line"},
        {"ConditionComparingNothing", damaged(u"Line Roles"_s, roles({u"street D0 when L"_s})), "compares nothing"},
        {"ConditionWithoutRightSide", damaged(u"Line Roles"_s, roles({u"street D0 when L >"_s})), "missing"},
        {"NoRoles", damaged(u"Line Roles"_s, roles({})), "no roles"},
    };
    pwtest::LogCapture quiet;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        EXPECT_FALSE(CAAddressRecognitionTables::fromData(c.bytes, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    }
    // The untouched tables read.
    QString error;
    EXPECT_TRUE(CAAddressRecognitionTables::fromData(damaged(u"root"_s, [](PWPlist::Dictionary &) {}), &error))
        << error.toStdString();
}

} // namespace
