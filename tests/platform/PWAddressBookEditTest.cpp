// Editing a person of the address book changes in its card what the edit changed and nothing
// else: the lines of other programs, groups, parameters and types stay as they were written.
#include "platform/PWAddressBook.h"

#include "PWPersonSamples.h"
#include "TestSupport.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kFixture = QStringLiteral("vcard30-rich-unknown-properties.vcf");

// The logical lines of a file (folds joined), for comparing what an edit changed.
QStringList logicalLines(const QByteArray &bytes)
{
    QStringList lines;
    for (const QString &physical : QString::fromUtf8(bytes).split(QStringLiteral("\r\n"))) {
        if (!physical.isEmpty() && physical.at(0) == QLatin1Char(' ') && !lines.isEmpty())
            lines.last() += physical.mid(1);
        else if (!physical.isEmpty())
            lines.append(physical);
    }
    return lines;
}

// Lines of `of` that `other` lacks, in order.
QStringList missingFrom(const QStringList &of, const QStringList &other)
{
    QStringList missing;
    for (const QString &line : of) {
        if (!other.contains(line))
            missing.append(line);
    }
    return missing;
}

class PWAddressBookEditTest : public testing::Test
{
protected:
    void SetUp() override
    {
        pwtest::registerCustomPersonProperties();
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(QDir().mkpath(bookPath()));
        m_original = pwtest::readFile(QStringLiteral(PW_TEST_DATA_DIR "/contacts/") + kFixture);
        ASSERT_FALSE(m_original.isEmpty());
        ASSERT_TRUE(pwtest::writeFile(filePath(), m_original));
    }
    QString bookPath() const { return m_folder.filePath(QStringLiteral("AddressBook")); }
    QString filePath() const { return QDir(bookPath()).filePath(kFixture); }

    // The file after the edit was made on a book and saved.
    QByteArray edited(const std::function<void(PWPerson &)> &edit)
    {
        PWAddressBook book(bookPath());
        EXPECT_TRUE(book.load());
        const std::shared_ptr<PWPerson> person = book.personForUniqueId(QStringLiteral("rich-1"));
        EXPECT_TRUE(person);
        if (!person)
            return {};
        edit(*person);
        QString error;
        EXPECT_TRUE(book.save(&error)) << error.toStdString();
        return pwtest::readFile(filePath());
    }

    QTemporaryDir m_folder;
    QByteArray m_original;
};

// What a vCard reader of its own makes of each line of a file: group, name, parameters, value.
std::optional<QJsonArray> readByVobject(const QString &path)
{
    const QString script = QStringLiteral(R"(
import json, sys, vobject
cards = []
for card in vobject.readComponents(open(sys.argv[1], encoding='utf-8').read()):
    lines = []
    for line in card.lines():
        value = line.value
        if isinstance(value, bytes):
            value = value.hex()
        lines.append([line.group or '', line.name, sorted([k, v] for k, v in line.params.items()), str(value)])
    cards.append(lines)
print(json.dumps(cards))
)");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path});
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        return std::nullopt;
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

// A rename rewrites the name lines alone; another reader sees every other line of the card as it
// was, categories, other programs' X- lines, the photo's type, the grouped home address's type,
// the Jabber IMPP and the work address's extended part included, and the untouched card is the
// same bytes.
TEST_F(PWAddressBookEditTest, ARenameKeepsEveryOtherLineForAnotherReader)
{
    const std::optional<QJsonArray> before = readByVobject(filePath());
    if (!before)
        GTEST_SKIP() << "python3-vobject is not installed";
    const QByteArray after = edited([](PWPerson &person) {
        person.setValueForProperty(kPWFirstNameProperty, PWPlist::fromString(QStringLiteral("John")));
    });
    const std::optional<QJsonArray> read = readByVobject(filePath());
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 2);
    EXPECT_EQ(read->at(1), before->at(1));
    const QJsonArray was = before->at(0).toArray();
    const QJsonArray is = read->at(0).toArray();
    ASSERT_EQ(is.size(), was.size());
    for (qsizetype i = 0; i < was.size(); ++i) {
        const QString name = was.at(i).toArray().at(1).toString();
        if (name == QLatin1String("N") || name == QLatin1String("FN"))
            continue;
        EXPECT_EQ(is.at(i), was.at(i)) << name.toStdString();
    }
    const QStringList lines = logicalLines(after);
    EXPECT_TRUE(lines.contains(QStringLiteral("N:Appleseed;John;Q;Dr.;Jr.;extra")));
    EXPECT_TRUE(lines.contains(QStringLiteral("FN:Dr. John Q Appleseed Jr."))) << lines.join(u'\n').toStdString();
    EXPECT_EQ(missingFrom(logicalLines(m_original), lines),
              (QStringList {QStringLiteral("N:Appleseed;Johnny;Q;Dr.;Jr.;extra"),
                            QStringLiteral("FN:Dr. Johnny Q Appleseed Jr.")}));
    // The other card, byte for byte.
    const qsizetype second = m_original.indexOf("BEGIN:VCARD", 1);
    EXPECT_TRUE(after.endsWith(m_original.mid(second)));
}

struct EditCase
{
    const char *name;
    std::function<void(PWPerson &)> edit;
    QStringList gone;  // lines of the card that are no longer there
    QStringList added; // lines that were not there
};

std::ostream &operator<<(std::ostream &out, const EditCase &c)
{
    return out << c.name;
}

class PWAddressBookEditCaseTest : public PWAddressBookEditTest, public testing::WithParamInterface<EditCase>
{
};

// Each edit changes its own line and keeps that line's group and parameters where they still
// hold; nothing else of the card moves.
TEST_P(PWAddressBookEditCaseTest, OnlyTheEditedLinesChange)
{
    const QStringList before = logicalLines(m_original);
    const QStringList after = logicalLines(edited(GetParam().edit));
    EXPECT_EQ(missingFrom(before, after), GetParam().gone);
    EXPECT_EQ(missingFrom(after, before), GetParam().added);
}

PWPlist addressWithCity(const PWPlist &address, const QString &city)
{
    PWPlist::Dictionary dictionary = address.toDictionary();
    dictionary.insert(kPWAddressCityKey, PWPlist::fromString(city));
    return PWPlist(dictionary);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, PWAddressBookEditCaseTest,
    testing::Values(
        EditCase {"NothingChanged", [](PWPerson &) {}, {}, {}},
        EditCase {"PhoneNumber",
                  [](PWPerson &p) {
                      pwtest::editMulti(p, kPWPhoneProperty, [](PWMultiValue &m) {
                          m.replaceValueAtIndex(0, PWPlist::fromString(QStringLiteral("+1 408 555 0111")));
                      });
                  },
                  {QStringLiteral("TEL;type=WORK;type=VOICE;type=pref;X-EXT=42:+1 408 555 0100")},
                  {QStringLiteral("TEL;type=WORK;type=VOICE;type=pref;X-EXT=42:+1 408 555 0111")}},
        EditCase {"WorkCityKeepsTheExtendedPart",
                  [](PWPerson &p) {
                      pwtest::editMulti(p, kPWAddressProperty, [](PWMultiValue &m) {
                          m.replaceValueAtIndex(1, addressWithCity(m.valueAtIndex(1), QStringLiteral("San José")));
                      });
                  },
                  {QStringLiteral("ADR;TYPE=WORK:;Bldg 5;1 Infinite Loop;Cupertino;CA;95014;USA")},
                  {QStringLiteral("ADR;TYPE=WORK:;Bldg 5;1 Infinite Loop;San José;CA;95014;USA")}},
        EditCase {"HomeCityKeepsItsGroupAndCountryCode",
                  [](PWPerson &p) {
                      pwtest::editMulti(p, kPWAddressProperty, [](PWMultiValue &m) {
                          m.replaceValueAtIndex(0, addressWithCity(m.valueAtIndex(0), QStringLiteral("Chicago")));
                      });
                  },
                  {QStringLiteral("item1.ADR;type=HOME:;;12 Orchard Lane;Springfield;IL;62701;USA")},
                  {QStringLiteral("item1.ADR;type=HOME:;;12 Orchard Lane;Chicago;IL;62701;USA")}},
        EditCase {"JabberAddressKeepsIMPP",
                  [](PWPerson &p) {
                      pwtest::editMulti(p, kPWJabberInstantProperty, [](PWMultiValue &m) {
                          m.replaceValueAtIndex(0, PWPlist::fromString(QStringLiteral("jq@jabber.example.org")));
                      });
                  },
                  {QStringLiteral("IMPP;X-SERVICE-TYPE=Jabber;type=HOME;type=pref:xmpp:johnny@jabber.example.org")},
                  {QStringLiteral("IMPP;X-SERVICE-TYPE=Jabber;type=HOME;type=pref:xmpp:jq@jabber.example.org")}},
        EditCase {"RelabelledPhoneIsWrittenAnew",
                  [](PWPerson &p) {
                      pwtest::editMulti(p, kPWPhoneProperty,
                                        [](PWMultiValue &m) { m.replaceLabelAtIndex(1, kPWPhoneHomeLabel); });
                  },
                  {QStringLiteral("TEL;type=CELL:+1 408 555 0199")},
                  {QStringLiteral("TEL;type=HOME;type=VOICE:+1 408 555 0199")}},
        EditCase {"RemovedEmail",
                  [](PWPerson &p) {
                      pwtest::editMulti(p, kPWEmailProperty, [](PWMultiValue &m) { m.removeValueAndLabelAtIndex(1); });
                  },
                  {QStringLiteral("EMAIL;type=INTERNET;type=HOME:jo@example.org")},
                  {}},
        EditCase {"AddedPhoneAfterThePhones",
                  [](PWPerson &p) {
                      pwtest::editMulti(p, kPWPhoneProperty, [](PWMultiValue &m) {
                          m.addValue(PWPlist::fromString(QStringLiteral("+1 408 555 0177")), QStringLiteral("Garden shed"));
                      });
                  },
                  {},
                  {QStringLiteral("item3.TEL:+1 408 555 0177"), QStringLiteral("item3.X-ABLabel:Garden shed")}},
        EditCase {"NoteKeepsNoOtherLine",
                  [](PWPerson &p) {
                      p.setValueForProperty(kPWNoteProperty, PWPlist::fromString(QStringLiteral("Pears; mostly")));
                  },
                  {QStringLiteral("NOTE:Likes apples\\, pears and plums. A long note folded over two lines by its "
                                  "writer so that it passes the limit.")},
                  {QStringLiteral("NOTE:Pears\\; mostly")}},
        EditCase {"DepartmentKeepsTheOrganization",
                  [](PWPerson &p) {
                      p.setValueForProperty(QStringLiteral("ABDepartment"), PWPlist::fromString(QStringLiteral("Orchards")));
                  },
                  {QStringLiteral("ORG:Example Corp;Research")},
                  {QStringLiteral("ORG:Example Corp;Orchards")}},
        EditCase {"RemovedNickname",
                  [](PWPerson &p) { p.removeValueForProperty(kPWNicknameProperty); },
                  {QStringLiteral("NICKNAME:Jo")},
                  {}}),
    [](const testing::TestParamInfo<EditCase> &info) { return std::string(info.param.name); });

// A quoted-printable value of vCard 2.1 that is edited is written anew in that encoding, as the
// card wrote it, its soft line breaks gone with the old text, and says its charset, which that
// version's readers need.
TEST_F(PWAddressBookEditTest, AnEditedQuotedPrintableLineIsWrittenAnewInItsEncoding)
{
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Old;Ola\r\nNOTE;ENCODING=QUOTED-PRINTABLE:caf=C3=A9=\r\n"
                            " au lait\r\nX-OTHER:kept\r\nUID:qp-1\r\nEND:VCARD\r\n";
    ASSERT_TRUE(pwtest::writeFile(QDir(bookPath()).filePath(QStringLiteral("qp.vcf")), card));
    PWAddressBook book(bookPath());
    ASSERT_TRUE(book.load());
    const std::shared_ptr<PWPerson> person = book.personForUniqueId(QStringLiteral("qp-1"));
    ASSERT_TRUE(person);
    EXPECT_EQ(person->stringForProperty(kPWNoteProperty), QStringLiteral("café au lait"));
    person->setValueForProperty(kPWNoteProperty, PWPlist::fromString(QStringLiteral("thé")));
    ASSERT_TRUE(book.save());
    EXPECT_EQ(pwtest::readFile(QDir(bookPath()).filePath(QStringLiteral("qp.vcf"))),
              QByteArray(
                  "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Old;Ola\r\nNOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:th=C3=A9\r\n"
                  "X-OTHER:kept\r\nUID:qp-1\r\nEND:VCARD\r\n"));
}

} // namespace
