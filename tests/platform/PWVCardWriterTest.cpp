#include "platform/PWVCardWriter.h"

#include "PWPersonSamples.h"
#include "TestSupport.h"
#include "platform/PWGroup.h"
#include "platform/PWVCardParser.h"
#include "platform/PWVCardReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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

TEST_F(PWVCardWriterTest, LinesEndInCrlfAndFoldAt75OctetsWithoutSplittingCharacters)
{
    const QByteArray vCard = PWVCardWriter::vCardRepresentation(*pwtest::everyKindPerson());
    EXPECT_TRUE(vCard.startsWith("BEGIN:VCARD\r\nVERSION:3.0\r\n"));
    EXPECT_TRUE(vCard.endsWith("END:VCARD\r\n"));
    const QList<QByteArray> lines = vCard.chopped(1).split('\n');
    int continuations = 0;
    for (const QByteArray &rawLine : lines) {
        ASSERT_TRUE(rawLine.endsWith('\r')) << rawLine.toStdString();
        const QByteArray line = rawLine.chopped(1);
        EXPECT_LE(line.size(), 75) << line.toStdString();
        QStringDecoder utf8(QStringConverter::Utf8);
        const QString decoded = utf8.decode(line);
        EXPECT_FALSE(utf8.hasError()) << "a character was split: " << line.toStdString();
        if (line.startsWith(' '))
            ++continuations;
    }
    EXPECT_GE(continuations, 3); // the note twice and the photo at least
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
TEST_F(PWVCardWriterTest, AnIndependentReaderReadsTheWrittenCard)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    QProcess probe;
    probe.start(python, {QStringLiteral("-c"), QStringLiteral("import vobject")});
    if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
        GTEST_SKIP() << "python3-vobject is not installed";

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::shared_ptr<PWPerson> person = pwtest::everyKindPerson();
    const QString path = folder.filePath(QStringLiteral("person.vcf"));
    ASSERT_TRUE(pwtest::writeFile(path, PWVCardWriter::vCardRepresentation(*person)));

    const QString script = QStringLiteral(R"PY(
import base64, json, sys, vobject
card = vobject.readOne(open(sys.argv[1], encoding="utf-8").read())
n = card.n.value
def types(line):
    return sorted(t.upper() for t in line.params.get("TYPE", []))
labels = {l.group: l.value for l in card.contents.get("x-ablabel", [])}
out = {
    "family": n.family, "given": n.given, "additional": n.additional, "prefix": n.prefix, "suffix": n.suffix,
    "org": card.org.value, "title": card.title.value, "note": card.note.value, "nickname": card.nickname.value,
    "bday": card.bday.value,
    "emails": [[l.value, types(l)] for l in card.contents["email"]],
    "tels": [[l.value, types(l), labels.get(l.group, "")] for l in card.contents["tel"]],
    "adrs": [[l.value.street, l.value.city, l.value.region, l.value.code, l.value.country, types(l),
              labels.get(l.group, "")] for l in card.contents["adr"]],
    "photo": base64.b64encode(card.photo.value).decode(),
}
print(json.dumps(out))
)PY");
    QProcess reader;
    reader.start(python, {QStringLiteral("-c"), script, path});
    ASSERT_TRUE(reader.waitForFinished(60000));
    ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    const QJsonObject out = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();

    EXPECT_EQ(out.value(QStringLiteral("family")).toString(), QStringLiteral("O'Neil; Jr, the \"Second\""));
    EXPECT_EQ(out.value(QStringLiteral("given")).toString(), QStringLiteral("Zoë"));
    EXPECT_EQ(out.value(QStringLiteral("additional")).toString(), QStringLiteral("Mary"));
    EXPECT_EQ(out.value(QStringLiteral("prefix")).toString(), QStringLiteral("Dr."));
    EXPECT_EQ(out.value(QStringLiteral("suffix")).toString(), QStringLiteral("PhD"));
    EXPECT_EQ(out.value(QStringLiteral("org")).toArray(),
              (QJsonArray {QStringLiteral("Harbour; Freight, Lines"), QStringLiteral("Logistics")}));
    EXPECT_EQ(out.value(QStringLiteral("note")).toString(), person->stringForProperty(kPWNoteProperty));
    EXPECT_EQ(out.value(QStringLiteral("bday")).toString(), QStringLiteral("1970-03-04"));
    EXPECT_EQ(out.value(QStringLiteral("photo")).toString(), QString::fromLatin1(person->imageData().toBase64()));

    const QJsonArray emails = out.value(QStringLiteral("emails")).toArray();
    ASSERT_EQ(emails.size(), 3);
    EXPECT_EQ(emails.at(0).toArray(),
              (QJsonArray {QStringLiteral("zoe@work.example"),
                           QJsonArray {QStringLiteral("INTERNET"), QStringLiteral("PREF"), QStringLiteral("WORK")}}));
    const QJsonArray tels = out.value(QStringLiteral("tels")).toArray();
    ASSERT_EQ(tels.size(), 10);
    EXPECT_EQ(
        tels.at(2).toArray(),
        (QJsonArray {QStringLiteral("+1 555 0102"),
                     QJsonArray {QStringLiteral("CELL"), QStringLiteral("PREF"), QStringLiteral("VOICE")}, QString()}));
    EXPECT_EQ(tels.at(8).toArray().at(2).toString(), QStringLiteral("Boat"));
    const QJsonArray adrs = out.value(QStringLiteral("adrs")).toArray();
    ASSERT_EQ(adrs.size(), 3);
    EXPECT_EQ(
        adrs.at(0).toArray(),
        (QJsonArray {QStringLiteral("1 Quay Street\nBuilding 4"), QStringLiteral("Portland"), QStringLiteral("OR"),
                     QStringLiteral("97201"), QStringLiteral("USA"), QJsonArray {QStringLiteral("WORK")}, QString()}));
    EXPECT_EQ(adrs.at(1).toArray().at(5).toArray(), (QJsonArray {QStringLiteral("HOME"), QStringLiteral("PREF")}));
    EXPECT_EQ(adrs.at(2).toArray().at(6).toString(), QStringLiteral("other"));
}

} // namespace
