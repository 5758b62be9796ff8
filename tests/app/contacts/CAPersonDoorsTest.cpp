// A person read from a card keeps that card through every door it comes by: the address book,
// every registered contact source that reads the card (and the source's cache, as the next start
// reads it), and every place persons are stored (My Recipients, a print list, the senders, a
// design), each also read back as a door of its own. Stored, the card is as read, line for line
// with its UID; a city set as the contact editor sets it changes its address's line alone. The
// sources are those the program registers, every card kind one fixture.
#include "ContactsWindowTestSupport.h"

#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CAVCFSource.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTStoredPerson.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWVCardReader.h"

#include "TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

QStringList cardsOfEveryKind()
{
    return QDir(pwtest::dataPath(u"contacts/doors"_s)).entryList({u"*.vcf"_s}, QDir::Files, QDir::Name);
}

// A card's logical lines: folds and the soft line breaks of quoted-printable values joined.
QList<QByteArray> unfoldedLines(const QByteArray &card)
{
    QList<QByteArray> lines;
    for (QByteArray physical : card.split('\n')) {
        if (physical.endsWith('\r'))
            physical.chop(1);
        const bool folded = !lines.isEmpty() && (physical.startsWith(' ') || physical.startsWith('\t'));
        const bool soft = !lines.isEmpty() && !folded && lines.last().endsWith('=')
            && lines.last().left(lines.last().indexOf(':')).contains("QUOTED-PRINTABLE");
        if (folded)
            lines.last() += physical.mid(1);
        else if (soft)
            lines.last() = lines.last().chopped(1) + physical;
        else
            lines.append(physical);
    }
    return lines;
}

bool isAddress(const QByteArray &line)
{
    qsizetype end = 0;
    while (end < line.size() && line.at(end) != ';' && line.at(end) != ':')
        ++end;
    return line.left(end).split('.').last().toUpper() == "ADR";
}

using DoorModels = contactstest::WindowModels;

// Where persons are stored: the person goes in, the stored form of it comes out.
struct Destination
{
    const char *name;
    std::function<PWPlist(DoorModels &, const std::shared_ptr<PWPerson> &)> store;
};

PWPlist firstStored(DoorModels &models, const QString &key)
{
    return models.scratch.defaults().arrayForKey(key).value(0);
}

const QList<Destination> &destinations()
{
    static const QList<Destination> all = {
        {"My Recipients",
         [](DoorModels &m, const std::shared_ptr<PWPerson> &person) {
             m.localBase.personListDict().replacePersonList({CAPersonListDictionary::copyPerson(*person)});
             m.localBase.store();
             return firstStored(m, u"LocalContactBase"_s);
         }},
        {"a print list",
         [](DoorModels &m, const std::shared_ptr<PWPerson> &person) {
             if (m.printLists.count() == 0)
                 m.printLists.insertPrintListAt(0);
             m.printLists.replacePrintListAt(0, {CAPersonListDictionary::copyPerson(*person)});
             m.printLists.store();
             return firstStored(m, u"PrintListArray"_s).value(u"Persons"_s).toArray().value(0);
         }},
        {"the senders",
         [](DoorModels &m, const std::shared_ptr<PWPerson> &person) {
             m.senders.replacePersonsKeepingDefault({CAPersonListDictionary::copyPerson(*person)});
             m.senders.store();
             return firstStored(m, u"SenderList"_s);
         }},
        {"a design",
         [](DoorModels &, const std::shared_ptr<PWPerson> &person) {
             CADocument design;
             design.setCurrentPerson(person.get(), true, false, false);
             const std::optional<PWPlist> file =
                 PWPlist::parse(design.dataRepresentationOfType(CADocument::kAddressDocumentType));
             return file ? file->value(u"Person To"_s) : PWPlist();
         }},
    };
    return all;
}

class CAPersonDoorsTest : public testing::TestWithParam<QString>, protected DoorModels
{
protected:
    CAPersonDoorsTest()
        : m_savedHooks(CAContactImportHooks::shared())
    {
    }
    ~CAPersonDoorsTest() override { CAContactImportHooks::shared() = m_savedHooks; }

    // Every door the program has for the card's person, by name; the registered sources give
    // one (and their caches another) when their reading of the card gives its person.
    QList<std::pair<QString, std::shared_ptr<PWPerson>>> doors(const QString &file, const QString &lastName)
    {
        QList<std::pair<QString, std::shared_ptr<PWPerson>>> found;
        const auto add = [&](const QString &name, const std::optional<CAPersonList> &persons) {
            if (persons && persons->size() == 1 && persons->first()->stringForProperty(kPWLastNameProperty) == lastName)
                found.append({name, persons->first()});
        };
        QDir().mkpath(folder.path() + u"/book"_s);
        pwtest::writeFile(folder.path() + u"/book/card.vcf"_s, pwtest::readFile(file));
        book.load();
        add(u"the address book"_s, book.people());
        CAContactImportHooks::shared().chooseFiles = [file](QWidget *, const QString &, const QStringList &) {
            return std::optional(CAContactImportHooks::ChosenFiles {{file}, QString()});
        };
        CADataSourceContainer &shared = CADataSourceContainer::sharedDataSourceContainer();
        for (const QString &source : shared.sourceNames()) {
            add(source, shared.contactsForSource(source, nullptr, true));
            CADataSourceContainer nextStart(CADataSourceContainer::defaultCacheFolder());
            add(source + u" cache"_s, nextStart.getCachedPersonListForSource(shared.cacheNameOfSource(source)));
        }
        return found;
    }

private:
    CAContactImportHooks m_savedHooks;
};

TEST_P(CAPersonDoorsTest, TheCardIsStoredAsReadAndAnEditChangesItsLineAlone)
{
    const QString file = pwtest::dataPath(u"contacts/doors/"_s + GetParam());
    const QByteArray card = pwtest::readFile(file);
    const std::shared_ptr<PWPerson> read = PWVCardReader::personFromData(card);
    ASSERT_TRUE(read);
    const QList<std::pair<QString, std::shared_ptr<PWPerson>>> found =
        doors(file, read->stringForProperty(kPWLastNameProperty));
    QStringList names;
    for (const auto &[door, person] : found)
        names.append(door);
    // Delimited text, workbooks and helper programs give values, not cards: there is no card of
    // theirs to keep.
    EXPECT_EQ(names, (QStringList {u"the address book"_s, CAVCFSource::name(), CAVCFSource::name() + u" cache"_s}));
    const QList<QByteArray> lines = unfoldedLines(card);
    for (const auto &[door, person] : found) {
        for (const Destination &first : destinations()) {
            SCOPED_TRACE(door.toStdString() + " to " + first.name);
            const PWPlist stored = first.store(*this, person);
            EXPECT_EQ(stored.value(u"personData"_s).toData(), card) << "every line as read, its UID too";
            // What a place stored is a door too: read back, it goes on as read.
            const std::shared_ptr<PWPerson> again = FTStoredPerson::initWithStoredData(stored.toDictionary());
            ASSERT_TRUE(again);
            for (const Destination &next : destinations())
                EXPECT_EQ(next.store(*this, again).value(u"personData"_s).toData(), card) << "then to " << next.name;

            const std::shared_ptr<PWPerson> edited = CAPersonListDictionary::copyPerson(*again);
            ASSERT_TRUE(setStringForPersonCategory(edited.get(), u"Salem"_s, adWork, tcCity));
            const QList<QByteArray> after = unfoldedLines(first.store(*this, edited).value(u"personData"_s).toData());
            ASSERT_EQ(after.size(), lines.size()) << after.join('\n').toStdString();
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (isAddress(lines.at(i)))
                    EXPECT_TRUE(after.at(i).contains("Salem")) << after.at(i).toStdString();
                else
                    EXPECT_EQ(after.at(i), lines.at(i)) << "only the edited address's line changes";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cards, CAPersonDoorsTest, testing::ValuesIn(cardsOfEveryKind()),
                         [](const testing::TestParamInfo<QString> &info) {
                             QString name = info.param;
                             name.chop(4);
                             return name.replace(QLatin1Char('-'), QLatin1Char('_')).toStdString();
                         });

} // namespace
