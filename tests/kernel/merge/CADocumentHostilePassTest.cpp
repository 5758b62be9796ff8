// The hostile pass: shipped designs of each kind with every value damaged, one at a time, in the
// ways files get damaged. Each damaged design either draws exactly as the whole one does or names
// what it could not read; and its save still holds the damaged value, until the user agrees to
// replace the file without what could not be read.
#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CAddressFormatController.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/FTComponentFactory.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKept.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/render/CDDText.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTimeZone>

#include <cmath>
#include <functional>
#include <limits>

namespace {

// One damage in this many of each key is tried.
constexpr qsizetype kHostileShare = 7;

// A step into a property list: a key of a dictionary, or an index of a list.
struct HostileStep
{
    QString key;
    qsizetype index = -1;
};
using HostilePath = QList<HostileStep>;

// A label with a picture and an address panel, an envelope with a postal barcode, a postcard with
// a text (and a counter, added below).
const char *const kHostileDesigns[] = {
    "Parcelwick/Templates/en.lproj/Return5/Business/Skyline.pwdc",
    "Parcelwick/Templates/en.lproj/Envelope8/Business/Classic.pwdc",
    "Parcelwick/Templates/en.lproj/Postcard1/Business/Reminder.pwdc",
};

PWPlist hostileAt(const PWPlist &root, const HostilePath &path)
{
    PWPlist value = root;
    for (const HostileStep &step : path)
        value = step.index >= 0 ? (value.isArray() && step.index < value.toArray().size() ? value.toArray().at(step.index)
                                                                                           : PWPlist())
                                : value.value(step.key);
    return value;
}

// root with the value at path replaced (a null value: removed).
PWPlist hostileReplaced(const PWPlist &root, const HostilePath &path, qsizetype from, const PWPlist &value)
{
    if (from == path.size())
        return value;
    const HostileStep &step = path.at(from);
    if (step.index >= 0) {
        PWPlist::Array list = root.toArray();
        const PWPlist inner = hostileReplaced(list.at(step.index), path, from + 1, value);
        if (inner.isNull())
            list.removeAt(step.index);
        else
            list[step.index] = inner;
        return PWPlist(list);
    }
    PWPlist::Dictionary dictionary = root.toDictionary();
    const PWPlist inner = hostileReplaced(dictionary.value(step.key), path, from + 1, value);
    if (inner.isNull())
        dictionary.remove(step.key);
    else
        dictionary.insert(step.key, inner);
    return PWPlist(dictionary);
}

// What the path is, for deduplication: the class of the component it lies in (or the design) and
// the keys from there, whatever the entry of a list.
QString hostileSignature(const PWPlist &root, const HostilePath &path)
{
    QString place = u"design"_s;
    QStringList keys;
    PWPlist value = root;
    for (const HostileStep &step : path) {
        value = step.index >= 0 ? value.toArray().at(step.index) : value.value(step.key);
        keys.append(step.index >= 0 ? u"*"_s : step.key);
        if (value.isDictionary() && value.value(u"Class ID"_s).isString()) {
            place = value.value(u"Class ID"_s).toString();
            keys.clear();
        }
    }
    return place + u':' + keys.join(u'/') + (value.isDictionary() ? u"{}"_s : value.isArray() ? u"[]"_s : QString());
}

void hostileWalk(const PWPlist &value, HostilePath &path, const std::function<void(const HostilePath &)> &visit)
{
    if (!path.isEmpty())
        visit(path);
    if (value.isDictionary()) {
        for (const PWPlist::Dictionary::Entry &entry : value.toDictionary()) {
            path.append({entry.first, -1});
            hostileWalk(entry.second, path, visit);
            path.removeLast();
        }
    } else if (value.isArray()) {
        for (qsizetype i = 0; i < value.toArray().size(); ++i) {
            path.append({QString(), i});
            hostileWalk(value.toArray().at(i), path, visit);
            path.removeLast();
        }
    }
}

// The ways a value is damaged; a null value removes it.
QList<PWPlist> hostileDamages(const PWPlist &value)
{
    if (value.isDictionary())
        return {PWPlist(PWPlist::Dictionary()), PWPlist()};
    if (value.isArray())
        return {PWPlist(PWPlist::Array()), PWPlist()};
    QList<PWPlist> damages {
        PWPlist::fromString(u"abc"_s),
        PWPlist::fromString(QString(u""_s)),
        PWPlist(PWPlist::Array {PWPlist::fromInteger(1)}),
        PWPlist(PWPlist::Dictionary {{u"abc"_s, PWPlist::fromInteger(1)}}),
        PWPlist::fromData(QByteArray("\x00\x01", 2)),
        PWPlist::fromDate(QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc())),
        PWPlist::fromReal(1e308),
        PWPlist::fromReal(-1e308),
        PWPlist::fromString(u"nan"_s),
        PWPlist::fromInteger(-1),
        PWPlist(),
    };
    if (value.isNumber())
        damages.append(PWPlist::fromReal(-value.toReal() - 1.0));
    return damages;
}

// Every side as the canvas draws it, scaled so that any card fits.
QImage hostileDrawn(CADocument &document)
{
    QImage image(240, 160, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(0.3, 0.3);
    CDDDrawer drawer(false, &painter);
    CFTADocument *design = document.ftDocument();
    for (int side = 0; side < design->getSidesCount(); ++side) {
        for (const bool back : {true, false})
            for (CFTComponent *component : design->GetComponents(side, back))
                component->Draw(&drawer, false, nullptr, false, false);
    }
    return image;
}

// The postcard gets a counter, which no shipped design has.
PWPlist hostileWithCounter(const PWPlist &design)
{
    std::unique_ptr<CFTComponent> counter =
        FTComponentFactory::createComponent(ciCounter, FTComponentFactory::kLastOldBundleVersion + 1, nullptr);
    if (!counter)
        return design;
    counter->SetOrigin(40.0, 40.0);
    counter->SetSize(120.0, 30.0);
    const PWPlist stored = CFTACoreDoc::GetArchiveFromObject(counter.get(), nullptr).getDict();
    PWPlist::Dictionary front = design.value(u"Front Side"_s).toDictionary();
    PWPlist::Array components = front.value(u"Components"_s).toArray();
    components.append(stored);
    front.insert(u"Components"_s, PWPlist(components));
    PWPlist::Dictionary root = design.toDictionary();
    root.insert(u"Front Side"_s, PWPlist(front));
    return PWPlist(root);
}

class CADocumentHostilePassTest : public doctest::Test
{
};

// The design with its front side reduced to the one component a path lies in (first), so that a
// run reads and draws that component alone; the path then leads into the reduced design.
PWPlist hostileReduced(const PWPlist &whole, HostilePath &path, qsizetype *component)
{
    *component = -1;
    if (path.size() < 3 || path.at(0).key != u"Front Side"_s || path.at(1).key != u"Components"_s)
        return whole;
    *component = path.at(2).index;
    const PWPlist entry = hostileAt(whole, path.mid(0, 3));
    path[2].index = 0;
    return hostileReplaced(whole, path.mid(0, 2), 0, PWPlist(PWPlist::Array {entry}));
}

// Damages a design can hold as a whole design would: no side, no components, an entry of a list
// less (a component, a field of a panel, a part of a format), or no list at all.
bool hostileIsAnotherDesign(const HostilePath &path, const PWPlist &original, const PWPlist &damage)
{
    const bool emptied = damage.isNull() || (damage.isDictionary() && damage.toDictionary().isEmpty())
                         || (damage.isArray() && damage.toArray().isEmpty());
    if (path.size() <= 2 && path.at(0).key == u"Front Side"_s)
        return emptied;
    return (damage.isNull() && path.last().index >= 0) || (original.isArray() && emptied);
}

// A number as stored, in a number or a text.
std::optional<double> hostileNumber(const PWPlist &value)
{
    bool ok = false;
    const double number = value.isNumber() ? value.toReal() : value.toString().trimmed().toDouble(&ok);
    return value.isNumber() || ok ? std::optional<double>(number) : std::nullopt;
}

// Whether the design took the damaged number as a value of its own: it writes it back as it is.
bool hostileTakesAsItsOwn(const CADocument &document, const HostilePath &path, const PWPlist &damage)
{
    const CDDArchiveKept::Forgotten own;
    const PWPlist writtenValue = hostileAt(document.propertyListForComponents(nullptr), path);
    if (writtenValue == damage)
        return true;
    const std::optional<double> damaged = hostileNumber(damage);
    const std::optional<double> written = hostileNumber(writtenValue);
    return damaged && written && std::isfinite(*damaged) && qFuzzyCompare(float(*damaged), float(*written));
}

TEST_F(CADocumentHostilePassTest, EveryDamageIsDrawnAsBeforeOrNamedAndSavedBack)
{
    QSet<QString> tried;
    QStringList failures;
    int runs = 0;
    int named = 0;
    for (const char *name : kHostileDesigns) {
        QFile file(QStringLiteral(PW_SAMPLE_LIBRARY_DIR "/") + QString::fromUtf8(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const std::optional<PWPlist> parsed = PWPlist::parse(file.readAll());
        ASSERT_TRUE(parsed.has_value()) << name;
        PWPlist whole = *parsed;
        if (QString::fromUtf8(name).contains(u"Postcard"_s))
            whole = hostileWithCounter(whole);

        QList<HostilePath> paths;
        HostilePath walk;
        hostileWalk(whole, walk, [&](const HostilePath &path) {
            if (!tried.contains(hostileSignature(whole, path))) {
                tried.insert(hostileSignature(whole, path));
                paths.append(path);
            }
        });
        // What each reduced design draws undamaged, by its component (-1: the whole design).
        QHash<qsizetype, QImage> references;
        for (qsizetype p = 0; p < paths.size(); ++p) {
            const HostilePath &found = paths.at(p);
            HostilePath path = found;
            qsizetype component = -1;
            const PWPlist base = hostileReduced(whole, path, &component);
            if (!references.contains(component)) {
                CADocument reference;
                ASSERT_TRUE(reference.loadPropertyList(base)) << name;
                ASSERT_FALSE(reference.isDamaged()) << reference.readProblems().join(u'\n').toStdString();
                references.insert(component, hostileDrawn(reference));
            }
            const PWPlist original = hostileAt(base, path);
            const QList<PWPlist> damages = hostileDamages(original);
            for (qsizetype d = 0; d < damages.size(); ++d) {
                const PWPlist &damage = damages.at(d);
                // Each kind of damage meets a share of the keys, in turn, which keeps the pass short.
                if ((d + p) % kHostileShare != 0 || damage == original
                    || hostileIsAnotherDesign(path, original, damage))
                    continue;
                ++runs;
                const QString where = hostileSignature(whole, found) + u" as "_s
                                      + (damage.isNull() ? u"removed"_s
                                                         : QString::fromUtf8(damage.toXml()).section(u"<plist version=\"1.0\">"_s, 1).simplified());
                CADocument document;
                QString error;
                // A file refused at open is named there.
                if (!document.loadPropertyList(hostileReplaced(base, path, 0, damage), &error)) {
                    if (error.isEmpty())
                        failures.append(where + u": refused without a reason"_s);
                    ++named;
                    continue;
                }
                // A key taken away reads as what the program writes when it has nothing to say,
                // like a design that never had it; the keys the user would miss are named (a
                // picture's frame, a field's category), the others are not.
                if (document.isDamaged())
                    ++named;
                else if (!damage.isNull() && hostileDrawn(document) != references.value(component)
                         && !hostileTakesAsItsOwn(document, path, damage))
                    failures.append(where + u": drawn otherwise, and nothing was named; written back as "_s
                                    + QString::fromUtf8(hostileAt(document.propertyListForComponents(nullptr), path).toXml())
                                          .section(u"<plist version=\"1.0\">"_s, 1)
                                          .simplified());
                // A removed value or an emptied container leaves nothing of the file to keep; a
                // bundle version always names the writer.
                if (damage.isNull() || original.isDictionary() || original.isArray()
                    || path.last().key == u"Bundle Version"_s)
                    continue;
                // Refused values too: the save loses them only once the user agrees to replace the
                // file without them.
                if (hostileAt(document.propertyListForComponents(nullptr), path) != damage)
                    failures.append(where + u": the save lost it"_s);
            }
        }
    }
    EXPECT_TRUE(failures.isEmpty()) << failures.size() << " of " << runs << ":\n"
                                    << failures.join(u'\n').toStdString();
    // Something of each kind was damaged, and much of it had to be named.
    EXPECT_GT(runs, 250);
    EXPECT_GT(named, runs / 4);
}

// --- Each kind of part a reading does not take, named and kept -----------------------------------

// The path "Front Side/Components/{Picture}/Data Ref": names of keys, numbers of list entries, and
// {class} for the first component of that class on the front side.
HostilePath hostilePathOf(const PWPlist &root, const QString &text)
{
    HostilePath path;
    for (const QString &part : text.split(u'/')) {
        bool number = false;
        const int index = part.toInt(&number);
        if (number) {
            path.append({QString(), index});
        } else if (part.startsWith(u'{')) {
            const PWPlist::Array list = hostileAt(root, path).toArray();
            qsizetype found = -1;
            for (qsizetype i = 0; i < list.size() && found < 0; ++i)
                found = list.at(i).value(u"Class ID"_s).toString() == part.mid(1, part.size() - 2) ? i : -1;
            path.append({QString(), found});
        } else {
            path.append({part, -1});
        }
    }
    return path;
}

PWPlist hostilePerson(const QByteArray &card, const PWPlist::Array &custom)
{
    return PWPlist(PWPlist::Dictionary {{u"personData"_s, PWPlist::fromData(card)},
                                        {u"additionalPersonData"_s, PWPlist(custom)}});
}

struct KeptPart
{
    const char *name;
    const char *path;
    PWPlist value; // null: removed
    // What the reading names (a part of one problem); empty when nothing is to be named.
    const char *named;
    // Whether the save holds the value as the file had it (and the next reading names it again).
    bool saved = true;
    // Another path removed with it.
    const char *removed = "";
    // Which of kHostileDesigns (the postcard with its counter added).
    int design = 0;
};

void PrintTo(const KeptPart &part, std::ostream *stream)
{
    *stream << part.name;
}

const QByteArray kHostileCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nEND:VCARD\r\n";

class CADocumentKeptPartTest : public doctest::Test, public ::testing::WithParamInterface<KeptPart>
{
};

// value without the keys of its dictionaries that read's lack, entry by entry of lists as long.
PWPlist hostileWithoutAdded(const PWPlist &value, const PWPlist &read)
{
    if (value.isDictionary() && read.isDictionary()) {
        PWPlist::Dictionary kept;
        for (const PWPlist::Dictionary::Entry &entry : value.toDictionary())
            if (read.toDictionary().contains(entry.first))
                kept.insert(entry.first, hostileWithoutAdded(entry.second, read.value(entry.first)));
        return PWPlist(kept);
    }
    if (value.isArray() && read.isArray() && value.toArray().size() == read.toArray().size()) {
        PWPlist::Array kept;
        for (qsizetype i = 0; i < value.toArray().size(); ++i)
            kept.append(hostileWithoutAdded(value.toArray().at(i), read.toArray().at(i)));
        return PWPlist(kept);
    }
    return value;
}

// The design of the case's kind with its damage.
PWPlist keptPartDesign(const KeptPart &part, PWPlist *whole)
{
    QFile file(QStringLiteral(PW_SAMPLE_LIBRARY_DIR "/") + QString::fromUtf8(kHostileDesigns[part.design]));
    if (!file.open(QIODevice::ReadOnly))
        return PWPlist();
    *whole = PWPlist::parse(file.readAll()).value_or(PWPlist());
    if (part.design == 2)
        *whole = hostileWithCounter(*whole);
    PWPlist damaged = hostileReplaced(*whole, hostilePathOf(*whole, QString::fromUtf8(part.path)), 0, part.value);
    if (*part.removed)
        damaged = hostileReplaced(damaged, hostilePathOf(*whole, QString::fromUtf8(part.removed)), 0, PWPlist());
    return damaged;
}

TEST_P(CADocumentKeptPartTest, IsNamedAtOpenAndSavedBackAfterOtherChanges)
{
    PWPlist whole;
    const PWPlist damaged = keptPartDesign(GetParam(), &whole);
    ASSERT_TRUE(damaged.isDictionary());
    const HostilePath path = hostilePathOf(whole, QString::fromUtf8(GetParam().path));
    ASSERT_FALSE(path.isEmpty());

    CADocument document;
    QString error;
    ASSERT_TRUE(document.loadPropertyList(damaged, &error)) << error.toStdString();
    const QString problems = document.readProblems().join(u'\n');
    if (*GetParam().named) {
        EXPECT_TRUE(problems.contains(QString::fromUtf8(GetParam().named))) << problems.toStdString();
    } else {
        EXPECT_TRUE(problems.isEmpty()) << problems.toStdString();
    }

    // The user moves everything; what was not read stays as the file had it.
    for (CFTComponent *component : document.ftDocument()->GetComponents(0, false))
        component->SetOrigin(component->GetOriginX() + 5.0, component->GetOriginY());
    const std::optional<PWPlist> saved = PWPlist::parse(document.documentDataForComponents(nullptr));
    ASSERT_TRUE(saved.has_value());
    if (GetParam().saved) {
        EXPECT_EQ(hostileAt(*saved, path).toXml(), GetParam().value.toXml());
    }
    // The move itself is saved.
    const PWPlist bounds = hostileAt(*saved, hostilePathOf(whole, u"Front Side/Components/{Address Panel}/Bounds"_s));
    EXPECT_NE(bounds, hostileAt(whole, hostilePathOf(whole, u"Front Side/Components/{Address Panel}/Bounds"_s)));
    // And a second round names the same.
    CADocument reread;
    ASSERT_TRUE(reread.loadPropertyList(*saved, &error)) << error.toStdString();
    if (GetParam().saved) {
        EXPECT_EQ(reread.readProblems().isEmpty(), document.readProblems().isEmpty()) << problems.toStdString();
    }
}

TEST_P(CADocumentKeptPartTest, APanelTheUserLeftAloneIsSavedAsReadAfterItIsDrawn)
{
    PWPlist whole;
    const PWPlist damaged = keptPartDesign(GetParam(), &whole);
    ASSERT_TRUE(damaged.isDictionary());
    CADocument document;
    ASSERT_TRUE(document.loadPropertyList(damaged));
    // Shown as the window shows it, which lays the panel out; then another item is nudged.
    hostileDrawn(document);
    for (CFTComponent *component : document.ftDocument()->GetComponents(0, false)) {
        if (component->getClassID() != ciAddressPanel) {
            component->SetOrigin(component->GetOriginX() + 1.0, component->GetOriginY());
            break;
        }
    }
    // Its fields, with the barcode among them, and its frame come back as they were read (a key the
    // file lacked is filled in, as anywhere).
    const PWPlist saved = document.propertyListForComponents(nullptr);
    for (const char *part : {"Components", "Bounds"}) {
        const QString path = u"Front Side/Components/{Address Panel}/"_s + QString::fromLatin1(part);
        const PWPlist read = hostileAt(damaged, hostilePathOf(damaged, path));
        EXPECT_EQ(hostileWithoutAdded(hostileAt(saved, hostilePathOf(saved, path)), read).toXml().toStdString(),
                  read.toXml().toStdString())
            << part;
    }
}

// A text whose representation asks for capitals, whatever other bits stand beside that one, shows
// its characters in capitals without a word; the save keeps them as the file had them.
TEST_F(CADocumentHostilePassTest, CapitalsAmongOtherBitsShowTheTextInCapitals)
{
    QFile file(QStringLiteral(PW_SAMPLE_LIBRARY_DIR "/") + QString::fromUtf8(kHostileDesigns[2]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const PWPlist whole = PWPlist::parse(file.readAll()).value_or(PWPlist());
    const HostilePath representation = hostilePathOf(whole, u"Front Side/Components/{Text}/Object Representation"_s);
    const HostilePath storage = hostilePathOf(whole, u"Front Side/Components/{Text}/Text Storage 2"_s);
    ASSERT_TRUE(hostileAt(whole, storage).isData());
    QHash<int, QImage> drawn;
    for (const int bits : {0, 4, 5, 6}) {
        const PWPlist design = hostileReplaced(whole, representation, 0, PWPlist::fromString(QString::number(bits)));
        CADocument document;
        ASSERT_TRUE(document.loadPropertyList(design));
        EXPECT_EQ(document.readProblems(), QStringList()) << bits;
        for (CFTComponent *component : document.ftDocument()->GetComponents(0, false)) {
            if (component->getClassID() == ciText) {
                const QString shown = component->GetText()->getString();
                EXPECT_EQ(shown == shown.toUpper(), bits != 0) << bits << ": " << shown.toStdString();
            }
        }
        drawn.insert(bits, hostileDrawn(document));
        EXPECT_EQ(hostileAt(document.propertyListForComponents(nullptr), storage), hostileAt(design, storage)) << bits;
    }
    EXPECT_NE(drawn.value(0), drawn.value(4));
    EXPECT_EQ(drawn.value(5), drawn.value(4));
    EXPECT_EQ(drawn.value(6), drawn.value(4));
}

// An entry of a list of objects that names no class, in a design the user then changes so that
// the list is written anew.
struct EntryOfNoClass
{
    const char *name;
    // The entry whose class is left out.
    const char *path;
    std::function<void(CADocument &)> edit;
    // What the edit does to the length of the entry's list, when it is known.
    std::optional<qsizetype> grows;
};

void PrintTo(const EntryOfNoClass &entry, std::ostream *stream)
{
    *stream << entry.name;
}

class CADocumentEntryOfNoClassTest : public doctest::Test, public ::testing::WithParamInterface<EntryOfNoClass>
{
};

// The reading makes nothing of it (a component of the page left out is named: the page lacks it; a
// panel's field is made again from its format, without a word), and the save keeps it at its place
// however the list changed: it is the file's, and nothing the user did took it away.
TEST_P(CADocumentEntryOfNoClassTest, IsSavedAtItsPlaceWhenTheListChanges)
{
    QFile file(QStringLiteral(PW_SAMPLE_LIBRARY_DIR "/") + QString::fromUtf8(kHostileDesigns[0]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const PWPlist whole = PWPlist::parse(file.readAll()).value_or(PWPlist());
    HostilePath path = hostilePathOf(whole, QString::fromUtf8(GetParam().path));
    ASSERT_GE(path.last().index, 0);
    path.append({u"Class ID"_s, -1});
    const PWPlist damaged = hostileReplaced(whole, path, 0, PWPlist());
    path.removeLast();
    const PWPlist entry = hostileAt(damaged, path);
    ASSERT_TRUE(entry.isDictionary() && !entry.toDictionary().isEmpty());
    const HostilePath listPath = path.mid(0, path.size() - 1);

    CADocument document;
    ASSERT_TRUE(document.loadPropertyList(damaged));
    const bool ofThePage = QString::fromUtf8(GetParam().path).count(u'/') == 2;
    const auto namedAsLeftOut = [ofThePage](const QStringList &problems) {
        return ofThePage ? problems.size() == 1 && problems.first().contains(u"names no class (\"Class ID\" is missing)"_s)
                         : problems.isEmpty();
    };
    EXPECT_TRUE(namedAsLeftOut(document.readProblems())) << document.readProblems().join(u'\n').toStdString();
    GetParam().edit(document);
    const PWPlist saved = document.propertyListForComponents(nullptr);
    const PWPlist::Array list = hostileAt(saved, listPath).toArray();
    EXPECT_NE(PWPlist(list), hostileAt(damaged, listPath)) << "the edit wrote the list anew";
    if (GetParam().grows) {
        EXPECT_EQ(list.size(), hostileAt(damaged, listPath).toArray().size() + *GetParam().grows);
    }
    EXPECT_EQ(list.value(path.last().index).toXml().toStdString(), entry.toXml().toStdString());
    CADocument reread;
    ASSERT_TRUE(reread.loadPropertyList(saved));
    EXPECT_TRUE(namedAsLeftOut(reread.readProblems())) << reread.readProblems().join(u'\n').toStdString();
}

CFTComponent *entryOfNoClassComponent(CADocument &document, int classID)
{
    for (CFTComponent *component : document.ftDocument()->GetComponents(0, false))
        if (component->getClassID() == classID)
            return component;
    return nullptr;
}

INSTANTIATE_TEST_SUITE_P(
    EveryEdit, CADocumentEntryOfNoClassTest,
    ::testing::Values(
        EntryOfNoClass {"AnotherItemDeleted", "Front Side/Components/{Picture}",
                        [](CADocument &document) {
                            document.ftDocument()->DeleteObject(entryOfNoClassComponent(document, ciAddressPanel), 0, false);
                        },
                        -1},
        EntryOfNoClass {"AnItemAdded", "Front Side/Components/{Address Panel}",
                        [](CADocument &document) {
                            std::unique_ptr<CFTComponent> text = FTComponentFactory::createComponent(
                                ciText, FTComponentFactory::kLastOldBundleVersion + 1, nullptr);
                            text->SetSize(60.0, 20.0);
                            document.ftDocument()->AddObject(text.release(), 0, false);
                        },
                        1},
        EntryOfNoClass {"AnItemMoved", "Front Side/Components/{Picture}",
                        [](CADocument &document) {
                            CFTComponent *panel = entryOfNoClassComponent(document, ciAddressPanel);
                            panel->SetOrigin(panel->GetOriginX() + 5.0, panel->GetOriginY());
                        },
                        0},
        // The panel's fields made anew for another layout of its address.
        EntryOfNoClass {"PanelFieldsOfAnotherFormat", "Front Side/Components/{Address Panel}/Components/0",
                        [](CADocument &document) {
                            const std::unique_ptr<CAddressFormat> format =
                                CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
                                    u"Name+Company"_s, u"de"_s, true, CAddressFormatController::kBarcodeBelow);
                            entryOfNoClassComponent(document, ciAddressPanel)->setFormat(format.get(), 0);
                        },
                        std::nullopt}),
    [](const ::testing::TestParamInfo<EntryOfNoClass> &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    EveryKind, CADocumentKeptPartTest,
    ::testing::Values(
        KeptPart {"UnknownDesignKey", "Future Key", PWPlist::fromString(u"x"_s), ""},
        KeptPart {"UnknownSide", "Back Side", PWPlist(PWPlist::Dictionary {{u"Future"_s, PWPlist::fromString(u"x"_s)}}), ""},
        KeptPart {"UnknownLayoutKey", "Predefined Layout/Future Key", PWPlist::fromInteger(7), ""},
        KeptPart {"UnknownComponentKey", "Front Side/Components/{Picture}/Future Key", PWPlist::fromString(u"x"_s), ""},
        KeptPart {"UnknownFormatKey", "Front Side/Components/{Address Panel}/Address Format/Future Key",
                  PWPlist::fromString(u"x"_s), ""},
        KeptPart {"DocumentTypeWord", "Document Type", PWPlist::fromString(u"abc"_s), "is not a kind of design"},
        KeptPart {"DocumentTypeEmpty", "Document Type", PWPlist::fromString(QString(u""_s)), "is not a kind of design"},
        KeptPart {"DocumentTypeLowerCase", "Document Type", PWPlist::fromString(u"envelope"_s), "is not a kind of design"},
        KeptPart {"NewerWriter", "Bundle Version", PWPlist::fromString(u"99999"_s), "written by a newer version", false},
        KeptPart {"PictureNotFound", "Front Side/Components/{Picture}/Data Ref", PWPlist::fromString(u"gone.png"_s),
                  "\"gone.png\" (\"Data Ref\") could not be found", true, "Front Side/Components/{Picture}/Picture"},
        KeptPart {"MaskNotFound", "Front Side/Components/{Picture}/Mask Data Ref", PWPlist::fromString(u"gone.png"_s),
                  "\"gone.png\" (\"Mask Data Ref\") could not be found"},
        KeptPart {"PictureWithoutBounds", "Front Side/Components/{Picture}/Bounds", PWPlist(), "", false},
        KeptPart {"FormatPartClassWord", "Front Side/Components/{Address Panel}/Address Format/array/0/Class ID",
                  PWPlist::fromString(u"abc"_s), "Part 1 of an address format could not be read"},
        KeptPart {"FormatPartClassRemoved", "Front Side/Components/{Address Panel}/Address Format/array/0/Class ID",
                  PWPlist(), "names no class (\"Class ID\" is missing)", false},
        KeptPart {"FormatPartWithoutCategory", "Front Side/Components/{Address Panel}/Address Format/array/0/tc",
                  PWPlist(), "", false},
        KeptPart {"RefusedAngle", "Front Side/Components/{Picture}/Angle", PWPlist::fromString(u"abc"_s), "\"Angle\""},
        KeptPart {"PersonCardCut", "Person To", hostilePerson(kHostileCard.left(40), {}), "card does not read"},
        KeptPart {"PersonCustomNumber", "Person To", hostilePerson(kHostileCard, {PWPlist::fromInteger(12)}),
                  "custom field 1 that is no text"},
        KeptPart {"PersonCustomData", "Person To", hostilePerson(kHostileCard, {PWPlist::fromData("\x01")}),
                  "custom field 1 that is no text"},
        KeptPart {"PersonTenthCustom", "Person To",
                  hostilePerson(kHostileCard, PWPlist::Array(10, PWPlist::fromString(u"c"_s))), "custom field 10, beyond"},
        // A key every current design holds keeps what a new design has, without a word.
        KeptPart {"WithoutUnits", "Units", PWPlist(), "", false},
        KeptPart {"WithoutHorizontal", "Horizontal", PWPlist(), "", false},
        KeptPart {"WithoutDocumentType", "Document Type", PWPlist(), "", false},
        KeptPart {"WithoutFIMBarcode", "FIM Barcode Visible", PWPlist(), "", false},
        KeptPart {"WithoutAddressSource", "Address Source To", PWPlist(), "", false},
        KeptPart {"WithoutCountryCode", "ISO Country Code To", PWPlist(), "", false},
        KeptPart {"LayoutWithoutColumns", "Predefined Layout/Columns", PWPlist(), "", false},
        KeptPart {"LayoutWithoutRows", "Predefined Layout/Rows", PWPlist(), "", false},
        KeptPart {"LayoutWithoutPageSize", "Predefined Layout/PageSize", PWPlist(), "", false},
        KeptPart {"LayoutWithoutType", "Predefined Layout/Type", PWPlist(), "", false},
        KeptPart {"LayoutWithoutDescription", "Predefined Layout/Description", PWPlist(), "", false},
        KeptPart {"DocumentTypeData", "Document Type", PWPlist::fromData("\x01"), "\"Document Type\" of the design could not be read"},
        KeptPart {"SettingsList", "Default Settings", PWPlist(PWPlist::Array {}), "\"Default Settings\" is not a dictionary"},
        // A panel's parts that did not read: named, and the panel saved as read. A panel without a
        // format prints no address.
        KeptPart {"PanelWithoutFormat", "Front Side/Components/{Address Panel}/Address Format", PWPlist(),
                  "has no address format (\"Address Format\" is missing)", false},
        KeptPart {"PanelFormatEmpty", "Front Side/Components/{Address Panel}/Address Format/array",
                  PWPlist(PWPlist::Array {}), "holds an empty list: the fields it held are not printed"},
        KeptPart {"PanelFormatWithoutList", "Front Side/Components/{Address Panel}/Address Format/array", PWPlist(), "",
                  false},
        KeptPart {"PanelFieldsEmpty", "Front Side/Components/{Address Panel}/Components", PWPlist(PWPlist::Array {}),
                  "\"Components\" of a component of class \"Address Panel\" is an empty list"},
        KeptPart {"FormatKnotRowNegative", "Front Side/Components/{Address Panel}/Address Format/array/3/row",
                  PWPlist::fromString(u"-5"_s), "\"row\" of a component of class \"CKnot\" is out of range (-5)"},
        KeptPart {"FormatLeafRowNegative", "Front Side/Components/{Address Panel}/Address Format/array/0/row",
                  PWPlist::fromString(u"-5"_s), "\"row\" of a component of class \"CLeaf\" is out of range (-5)"},
        KeptPart {"FormatLeafColumnNegative", "Front Side/Components/{Address Panel}/Address Format/array/0/col",
                  PWPlist::fromString(u"-5"_s), "\"col\" of a component of class \"CLeaf\" is out of range (-5)"},
        KeptPart {"FormatRowWord", "Front Side/Components/{Address Panel}/Address Format/array/1/row",
                  PWPlist::fromString(u"abc"_s), "\"row\" of a component of class \"CLeaf\" is not a number"},
        KeptPart {"FormatKnotClassWord", "Front Side/Components/{Address Panel}/Address Format/array/3/Class ID",
                  PWPlist::fromString(u"abc"_s), "Part 4 of an address format could not be read"},
        KeptPart {"PanelWithoutBounds", "Front Side/Components/{Address Panel}/Bounds", PWPlist(), "", false},
        KeptPart {"PanelWithoutBundleVersion", "Front Side/Components/{Address Panel}/Bundle Version", PWPlist(), ""},
        KeptPart {"FieldWithoutCategory", "Front Side/Components/{Address Panel}/Components/0/Text Category", PWPlist(), ""},
        KeptPart {"FieldWithoutItsText", "Front Side/Components/{Address Panel}/Components/1/Text Storage 2", PWPlist(), ""},
        KeptPart {"FieldCategoryWord", "Front Side/Components/{Address Panel}/Components/0/Text Category",
                  PWPlist::fromString(u"abc"_s), "\"Text Category\" of a component of class \"Address Text\" is not a number"},
        // What no writer stores: a field or a format's part of category -1, a country part by a code the
        // catalogue lacks. A template's root by a name of the user's own is no damage.
        KeptPart {"FieldCategoryNone", "Front Side/Components/{Address Panel}/Components/0/Text Category",
                  PWPlist::fromString(u"-1"_s), "\"Text Category\" of a component of class \"Address Text\" is -1"},
        KeptPart {"FormatKnotCategoryNone", "Front Side/Components/{Address Panel}/Address Format/array/3/tc",
                  PWPlist::fromString(u"-1"_s), "names no category (\"tc\" is -1)"},
        KeptPart {"FormatCountryEmptied", "Front Side/Components/{Address Panel}/Address Format/array/3/format ID",
                  PWPlist::fromString(QString(u""_s)), "names no country (\"format ID\" is \"\")"},
        KeptPart {"FormatCountryNumber", "Front Side/Components/{Address Panel}/Address Format/array/3/format ID",
                  PWPlist::fromString(u"7"_s), "names no country (\"format ID\" is \"7\")"},
        KeptPart {"FormatRootOwnName", "Front Side/Components/{Address Panel}/Address Format/format ID",
                  PWPlist::fromString(u"Our own layout"_s), ""},
        KeptPart {"FieldStyleUnread", "Front Side/Components/{Address Panel}/Components/1/Text Storage 2",
                  PWPlist::fromData("\x00\x01"), "\"Text Storage 2\""},
        KeptPart {"PanelAlignmentNegative", "Front Side/Components/{Address Panel}/Default Settings Text/Horizontal Alignment",
                  PWPlist::fromString(u"-5"_s), "\"Horizontal Alignment\" of the design is out of range (-5)"},
        KeptPart {"FieldAlignmentNegative", "Front Side/Components/{Address Panel}/Components/2/Horizontal Alignment",
                  PWPlist::fromString(u"-5"_s), "\"Horizontal Alignment\" of a component of class \"Address Text\" is out of range"},
        // A picture component that holds no picture is what the writer saves for one.
        KeptPart {"PictureHoldingNone", "Front Side/Components/{Picture}/Data Ref", PWPlist::fromString(QString(u""_s)), "",
                  true, "Front Side/Components/{Picture}/Picture"},
        // Texts without their text, and items without a frame, read as new ones have them.
        KeptPart {"TextWithoutItsText", "Front Side/Components/{Text}/Text Storage 2", PWPlist(), "", false, "", 2},
        KeptPart {"TextAlignmentNegative", "Front Side/Components/{Text}/Horizontal Alignment", PWPlist::fromString(u"-5"_s),
                  "\"Horizontal Alignment\" of a component of class \"Text\" is out of range (-5)", true, "", 2},
        KeptPart {"TextWithoutBounds", "Front Side/Components/{Text}/Bounds", PWPlist(), "", false, "", 2},
        KeptPart {"CounterWithoutBounds", "Front Side/Components/{Counter Field}/Bounds", PWPlist(), "", false, "", 2},
        KeptPart {"BackTextWithoutBounds", "Front Side/Back Components",
                  PWPlist(PWPlist::Array {PWPlist(PWPlist::Dictionary {{u"Class ID"_s, PWPlist::fromString(u"Text"_s)}})}), "",
                  false, "", 2}),
    [](const ::testing::TestParamInfo<KeptPart> &info) { return std::string(info.param.name); });

} // namespace
