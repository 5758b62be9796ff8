// A card comes into a design window through every door the window has for one, found by offering
// the card under every pasteboard type the application knows (with its text beside it, as the
// desktop's contacts programs and file managers offer it), dropped on the canvas and chosen with
// Edit > Paste. Through each door that makes it the recipient, File > Save stores the card as it
// was read, line for line with its UID, and a city typed on the canvas changes its address's
// line alone, in the card's own version's syntax.
#include "kernel/address/CFTAAddressText.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWVCardReader.h"

#include "../inspector/PanesWindowFixture.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <string>

namespace {

// The cards of every kind the doors take, one fixture each.
QStringList doorCards()
{
    return QDir(pwtest::dataPath(u"contacts/doors"_s)).entryList({u"*.vcf"_s}, QDir::Files, QDir::Name);
}

// The logical lines of a stored card: folds joined, and the soft line breaks of quoted-printable
// values.
QList<QByteArray> logicalLines(const QByteArray &card)
{
    QList<QByteArray> lines;
    for (QByteArray physical : card.split('\n')) {
        if (physical.endsWith('\r'))
            physical.chop(1);
        const bool continues = !lines.isEmpty()
            && ((physical.startsWith(' ') || physical.startsWith('\t'))
                || (lines.last().left(lines.last().indexOf(':')).contains("QUOTED-PRINTABLE")
                    && lines.last().endsWith('=')));
        if (!continues) {
            lines.append(physical);
        } else if (physical.startsWith(' ') || physical.startsWith('\t')) {
            lines.last() += physical.mid(1);
        } else {
            lines.last().chop(1);
            lines.last() += physical;
        }
    }
    return lines;
}

bool isAddressLine(const QByteArray &line)
{
    qsizetype end = 0;
    while (end < line.size() && line.at(end) != ';' && line.at(end) != ':')
        ++end;
    return line.left(end).split('.').last().toUpper() == "ADR";
}

class PersonDoorsShellTest : public paneswindow::Test, public ::testing::WithParamInterface<QString>
{
protected:
    enum class Way { Drop, Paste };

    CFTAAddressText *city() const
    {
        for (CFTComponent *component : canvas->ftView()->GetCurrentComponents())
            if (component->getClassID() == ciAddressPanel && component->GetToFrom())
                return static_cast<CFTAAddressPanel *>(component)->getAddressComponentWithTextCategory(tcCity);
        return nullptr;
    }
    // Into the city as a user goes, the text typed over it, then a click outside.
    void typeCity(const QString &typed)
    {
        ASSERT_TRUE(city());
        const QPoint at = pointOf(city());
        QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
        if (!canvas->isEditingText())
            QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
        ASSERT_TRUE(canvas->isEditingText());
        QTest::keyClick(canvas, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(canvas, typed);
        click(nullptr);
    }
    // The card under the type, and its text beside it; a list of URLs names the card's file.
    std::unique_ptr<QMimeData> offer(const PWPasteboardTypes::Entry &type, const QByteArray &card,
                                     const QString &file) const
    {
        auto data = std::make_unique<QMimeData>();
        const bool urls = type.name == std::string(PWPasteboardTypes::kURL);
        if (urls)
            data->setUrls({QUrl::fromLocalFile(file)});
        else
            data->setData(QString::fromLatin1(type.mimeType), card);
        if (type.name != std::string(PWPasteboardTypes::kString))
            data->setText(urls ? QUrl::fromLocalFile(file).toString() : QString::fromUtf8(card));
        return data;
    }
    void bring(Way way, std::unique_ptr<QMimeData> data)
    {
        if (way == Way::Paste) {
            QGuiApplication::clipboard()->setMimeData(data.release());
            choose("paste");
            return;
        }
        const QPoint at = canvas->geometry().widgetPoint(QPointF(30.0, 30.0)).toPoint();
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas->viewport(), &enter);
        if (!enter.isAccepted())
            return;
        QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas->viewport(), &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas->viewport(), &drop);
        paint();
    }
    QByteArray savedCard()
    {
        if (!choose("saveDocument"))
            return QByteArray();
        QFile file(savePath);
        const std::optional<PWPlist> design =
            file.open(QIODevice::ReadOnly) ? PWPlist::parse(file.readAll()) : std::nullopt;
        return design ? design->value(u"Person To"_s).value(u"personData"_s).toData() : QByteArray();
    }
};

TEST_P(PersonDoorsShellTest, TheCardIsStoredAsReadAndATypedCityChangesItsLineAlone)
{
    const QString file = pwtest::dataPath(u"contacts/doors/"_s + GetParam());
    const QByteArray card = pwtest::readFile(file);
    const std::shared_ptr<PWPerson> read = PWVCardReader::personFromData(card);
    ASSERT_TRUE(read);
    const QString lastName = read->stringForProperty(kPWLastNameProperty);
    ASSERT_TRUE(start());
    ASSERT_TRUE(addRecipientPanel());
    savePath = path(u"doors.pwdc"_s);
    const QList<QByteArray> asRead = card.split('\n');
    QStringList doors;
    for (const Way way : {Way::Drop, Way::Paste}) {
        for (const PWPasteboardTypes::Entry *type = PWPasteboardTypes::begin(); type != PWPasteboardTypes::end();
             ++type) {
            const std::string door = std::string(way == Way::Drop ? "drop of " : "paste of ") + type->mimeType;
            SCOPED_TRACE(door);
            canvas->document()->setCurrentPerson(nullptr, true, true, true);
            bring(way, offer(*type, card, file));
            const std::shared_ptr<PWPerson> recipient = canvas->document()->currentPerson(true);
            if (!recipient || recipient->stringForProperty(kPWLastNameProperty) != lastName)
                continue;
            doors.append(QString::fromStdString(door));
            const QByteArray stored = savedCard();
            EXPECT_EQ(stored.split('\n'), asRead) << "every line as read, its UID too";

            typeCity(u"Salem"_s);
            const QList<QByteArray> before = logicalLines(card);
            const QList<QByteArray> after = logicalLines(savedCard());
            ASSERT_EQ(after.size(), before.size()) << after.join('\n').toStdString();
            for (qsizetype i = 0; i < before.size(); ++i) {
                if (isAddressLine(before.at(i))) {
                    EXPECT_TRUE(after.at(i).contains("Salem")) << after.at(i).toStdString();
                    EXPECT_FALSE(after.at(i).contains("\\n") && card.contains("VERSION:2.1"))
                        << "a 2.1 card takes no 3.0 escape: " << after.at(i).toStdString();
                } else {
                    EXPECT_EQ(after.at(i), before.at(i)) << "only the typed address's line changes";
                }
            }
        }
    }
    // What the desktop offers a card as: contacts programs the card, file managers its file.
    doors.sort();
    EXPECT_EQ(doors,
              (QStringList {u"drop of text/uri-list"_s, u"drop of text/vcard"_s, u"paste of text/uri-list"_s,
                            u"paste of text/vcard"_s}));
}

INSTANTIATE_TEST_SUITE_P(Cards, PersonDoorsShellTest, ::testing::ValuesIn(doorCards()),
                         [](const ::testing::TestParamInfo<QString> &info) {
                             QString name = info.param;
                             name.chop(4);
                             return name.replace(QLatin1Char('-'), QLatin1Char('_')).toStdString();
                         });

} // namespace
