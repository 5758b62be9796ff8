#include "platform/PWVCardWriter.h"

#include "PWPersonSamples.h"
#include "PythonRunner.h"
#include "TestSupport.h"
#include "platform/PWGroup.h"
#include "platform/PWVCardParser.h"
#include "platform/PWVCardReader.h"

#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PWVCardWriterTest : public testing::Test
{
protected:
    static void SetUpTestSuite() { pwtest::registerCustomPersonProperties(); }
};

TEST_F(PWVCardWriterTest, APersonWithEveryKindOfValueReadsBackTheSame)
{
    const std::shared_ptr<PWPerson> person = pwtest::everyKindPerson();
    const QByteArray vCard = PWVCardWriter::vCardRepresentation(*person);
    QString error;
    const std::shared_ptr<PWPerson> back = PWVCardReader::personFromData(vCard, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_NE(back->uniqueId(), person->uniqueId());
    EXPECT_EQ(back->imageData(), person->imageData());
    EXPECT_TRUE(back->hasSameValues(*person));
    // And the written form is stable: writing the person read back gives the same bytes but
    // for its identity.
    QByteArray again = PWVCardWriter::vCardRepresentation(*back);
    again.replace(back->uniqueId().toUtf8(), person->uniqueId().toUtf8());
    EXPECT_EQ(again, vCard);
}

TEST_F(PWVCardWriterTest, FoldedLineBoundaries)
{
    const QString exact(75, QLatin1Char('a'));
    EXPECT_EQ(PWVCardWriter::foldedLine(exact), exact.toLatin1() + "\r\n");
    const QByteArray folded = PWVCardWriter::foldedLine(exact + QStringLiteral("b"));
    EXPECT_EQ(folded, exact.toLatin1() + "\r\n b\r\n");
    // 74 ASCII characters then a three-octet character: it moves whole to the next line.
    const QByteArray wide = PWVCardWriter::foldedLine(QString(74, QLatin1Char('x')) + QStringLiteral("東京"));
    EXPECT_EQ(wide, QByteArray(74, 'x') + "\r\n " + QStringLiteral("東京").toUtf8() + "\r\n");
    EXPECT_EQ(PWVCardWriter::escapeText(QStringLiteral("a\\b,c;d\r\ne\nf")), QStringLiteral("a\\\\b\\,c\\;d\\ne\\nf"));
}

TEST_F(PWVCardWriterTest, ThePhotoCanBeReplacedOrLeftOutWithoutTouchingThePerson)
{
    const std::shared_ptr<PWPerson> person = pwtest::everyKindPerson();
    const QByteArray own = person->imageData();
    PWVCardWriter::Options blank;
    blank.photo = QByteArray("II*\0stand-in", 12);
    const std::shared_ptr<PWPerson> replaced =
        PWVCardReader::personFromData(PWVCardWriter::vCardRepresentation(*person, blank));
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->imageData(), *blank.photo);
    PWVCardWriter::Options none;
    none.photo = QByteArray();
    const QByteArray without = PWVCardWriter::vCardRepresentation(*person, none);
    EXPECT_FALSE(without.contains("PHOTO"));
    EXPECT_EQ(person->imageData(), own);
}

TEST_F(PWVCardWriterTest, GroupsReadBackWithNameIdAndMembers)
{
    PWGroup group(QStringLiteral("Choir; Tenors, Basses"));
    group.addMember(QStringLiteral("P-1"));
    group.addMember(QStringLiteral("P-2"));
    const std::optional<QList<PWVCard>> cards = PWVCardParser::parse(PWVCardWriter::groupRepresentation(group));
    ASSERT_TRUE(cards);
    EXPECT_EQ(PWVCardReader::groupFromCard(cards->constFirst()), group);
}

// A second, independent reader (Debian's python3-vobject) reads what we write.
TEST_F(PWVCardWriterTest, PythonVobjectReadsTheWrittenCard)
{
    const QString python = pwtest::pythonWith(QStringLiteral("vobject"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3-vobject is not installed";
    QTemporaryDir folder;
    const std::shared_ptr<PWPerson> person = pwtest::everyKindPerson();
    const QString path = folder.filePath(QStringLiteral("person.vcf"));
    ASSERT_TRUE(pwtest::writeFile(path, PWVCardWriter::vCardRepresentation(*person)));
    const QString script = QStringLiteral(R"PY(
import base64, sys, vobject
card = vobject.readOne(open(sys.argv[1], encoding="utf-8").read())
n = card.n.value
labels = {l.group: l.value for l in card.contents.get("x-ablabel", [])}
def entry(l, value):
    return "%s %s %s" % (value, ",".join(sorted(t.upper() for t in l.params.get("TYPE", []))), labels.get(l.group, ""))
print("|".join([n.family, n.given, n.additional, n.prefix, n.suffix, ";".join(card.org.value), card.bday.value]))
print(card.note.value)
print(base64.b64encode(card.photo.value).decode())
for l in card.contents["email"][:1] + card.contents["tel"][2:3] + card.contents["tel"][8:9]:
    print(entry(l, l.value))
for l in card.contents["adr"]:
    a = l.value
    print(entry(l, "/".join([a.street, a.city, a.region, a.code, a.country])))
)PY");
    QByteArray output;
    ASSERT_TRUE(pwtest::run(python, {QStringLiteral("-c"), script, path}, &output)) << output.toStdString();
    EXPECT_EQ(QString::fromUtf8(output),
              (QStringList {QStringLiteral("O'Neil; Jr, the \"Second\"|Zoë|Mary|Dr.|PhD|Harbour; Freight, Lines;Logistics|1970-03-04"),
                            person->stringForProperty(kPWNoteProperty),
                            QString::fromLatin1(person->imageData().toBase64()),
                            QStringLiteral("zoe@work.example INTERNET,PREF,WORK "),
                            QStringLiteral("+1 555 0102 CELL,PREF,VOICE "), QStringLiteral("+1 555 0108  Boat"),
                            QStringLiteral("1 Quay Street\nBuilding 4/Portland/OR/97201/USA WORK "),
                            QStringLiteral("22 Elm Row/Edinburgh//EH1 3AA/United Kingdom HOME,PREF "),
                            QStringLiteral("Summer House/Bergen//5003/Norway  other"), QString()})
                  .join(QLatin1Char('\n')));
}

} // namespace
