// The back list that files from elsewhere carry is read as the side's own components are: every
// entry a shipped design lists, with each of its keys taken away in turn, is named from the back
// list exactly when it is named from the side; an entry the user left alone is saved as the file
// holds it, after the window drew it and after an undo; one the user moved keeps what this
// version does not know; and a replace of the file leaves out of it what was named as left out.
#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/render/CDDDrawer.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSet>

namespace {

const char *const kBackListDesigns[] = {
    "Parcelwick/Templates/en.lproj/Return5/Business/Skyline.pwdc",
    "Parcelwick/Templates/en.lproj/Envelope8/Business/Classic.pwdc",
    "Parcelwick/Templates/en.lproj/Postcard1/Business/Reminder.pwdc",
};

// A path into an entry: keys of dictionaries and indices of lists.
using BackListPath = QList<std::pair<QString, qsizetype>>;

// value with what path leads to replaced by damage (a null one: taken away).
PWPlist backListDamaged(const PWPlist &value, const BackListPath &path, const PWPlist &damage, qsizetype from = 0)
{
    const auto &[key, index] = path.at(from);
    const bool last = from + 1 == path.size();
    if (index >= 0) {
        PWPlist::Array list = value.toArray();
        list[index] = backListDamaged(list.at(index), path, damage, from + 1);
        return PWPlist(list);
    }
    PWPlist::Dictionary dictionary = value.toDictionary();
    if (last && damage.isNull())
        dictionary.remove(key);
    else
        dictionary.insert(key, last ? damage : backListDamaged(dictionary.value(key), path, damage, from + 1));
    return PWPlist(dictionary);
}

PWPlist backListAt(const PWPlist &value, const BackListPath &path)
{
    PWPlist at = value;
    for (const auto &[key, index] : path)
        at = index >= 0 ? at.toArray().value(index) : at.value(key);
    return at;
}

// Every key within value, as paths, once per place (the class it lies in and the keys from
// there, whatever the entry of a list).
void backListKeys(const PWPlist &value, BackListPath &path, QString place, QSet<QString> &seen,
                  QList<BackListPath> &found)
{
    if (value.isDictionary()) {
        if (value.value(u"Class ID"_s).isString())
            place = value.value(u"Class ID"_s).toString();
        for (const PWPlist::Dictionary::Entry &entry : value.toDictionary()) {
            path.append({entry.first, -1});
            const QString signature = place + u':' + entry.first;
            if (!seen.contains(signature)) {
                seen.insert(signature);
                found.append(path);
            }
            backListKeys(entry.second, path, place, seen, found);
            path.removeLast();
        }
    } else if (value.isArray()) {
        for (qsizetype i = 0; i < value.toArray().size(); ++i) {
            path.append({QString(), i});
            backListKeys(value.toArray().at(i), path, place + u"/*"_s, seen, found);
            path.removeLast();
        }
    }
}

// Where two entries part first.
QString backListDifference(const PWPlist &a, const PWPlist &b, const QString &at = QString())
{
    if (a == b)
        return QString();
    if (a.isDictionary() && b.isDictionary()) {
        for (const PWPlist::Dictionary::Entry &entry : a.toDictionary())
            if (const QString inner = backListDifference(entry.second, b.value(entry.first), at + u'/' + entry.first);
                !inner.isEmpty())
                return inner;
        for (const PWPlist::Dictionary::Entry &entry : b.toDictionary())
            if (a.value(entry.first).isNull())
                return at + u'/' + entry.first + u" (dropped)"_s;
    }
    if (a.isArray() && b.isArray() && a.toArray().size() == b.toArray().size()) {
        for (qsizetype i = 0; i < a.toArray().size(); ++i)
            if (const QString inner = backListDifference(a.toArray().at(i), b.toArray().at(i), at + u'/' + QString::number(i));
                !inner.isEmpty())
                return inner;
    }
    return at + u": "_s + QString::fromUtf8(a.toXml().right(200).simplified()) + u" against "_s
           + QString::fromUtf8(b.toXml().right(200).simplified());
}

// The design with these lists on its side.
PWPlist backListDesign(const PWPlist &design, const PWPlist::Array &components, const PWPlist::Array &back)
{
    PWPlist::Dictionary root = design.toDictionary();
    PWPlist::Dictionary front = root.value(u"Front Side"_s).toDictionary();
    front.insert(u"Components"_s, PWPlist(components));
    if (back.isEmpty())
        front.remove(u"Back Components"_s);
    else
        front.insert(u"Back Components"_s, PWPlist(back));
    root.insert(u"Front Side"_s, PWPlist(front));
    return PWPlist(root);
}

// What a reading names, and whether a part left out is named again once the file is replaced
// without what was named as left out.
struct BackListReading
{
    bool named = false;
    // Whether a part left out is named again once the file is replaced without what was named.
    bool lostAfterReplace = false;
    QString told;
};

BackListReading backListRead(const PWPlist &design, PWPlist *savedBack = nullptr)
{
    BackListReading reading;
    CADocument document;
    if (!document.loadPropertyList(design))
        return {true, true, u"refused"_s};
    reading.named = document.isDamaged();
    reading.told = document.readProblems().join(u'\n');
    if (savedBack) {
        // Drawn as the window draws it (a panel lays out its fields), saved, and drawn again.
        QImage image(80, 80, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        CDDDrawer drawer(false, &painter);
        for (int round = 0; round < 2; ++round) {
            for (CFTComponent *component : document.ftDocument()->GetComponents(0, false))
                component->Draw(&drawer, false, nullptr, false, false);
            (void)document.propertyListForComponents(nullptr);
        }
        *savedBack = document.propertyListForComponents(nullptr).value(u"Front Side"_s).value(u"Back Components"_s);
    }
    if (!savedBack)
        return reading;
    document.setReplaceDamagedConfirmed(true);
    CADocument replaced;
    reading.lostAfterReplace =
        !replaced.loadPropertyList(document.propertyListForComponents(nullptr)) || replaced.readLosesParts();
    reading.told += u"\nafter a replace:\n"_s + replaced.readProblems().join(u'\n');
    return reading;
}

class CADocumentBackListTest : public doctest::Test
{
};

TEST_F(CADocumentBackListTest, EveryDamagedKeyOfAnEntryIsNamedAndKeptInTheBackListAsOnTheSide)
{
    int variants = 0;
    int named = 0;
    QSet<QString> seen;
    for (const char *name : kBackListDesigns) {
        QFile file(QStringLiteral(PW_SAMPLE_LIBRARY_DIR "/") + QString::fromUtf8(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const PWPlist design = PWPlist::parse(file.readAll()).value_or(PWPlist());
        const PWPlist::Array entries = design.value(u"Front Side"_s).value(u"Components"_s).toArray();
        ASSERT_FALSE(entries.isEmpty()) << name;
        for (const PWPlist &entry : entries) {
            QList<BackListPath> paths {BackListPath()};
            BackListPath walk;
            backListKeys(entry, walk, QString(), seen, paths);
            // Each key taken away, and a word in place of each value that is no word.
            QList<std::pair<BackListPath, PWPlist>> damages;
            for (const BackListPath &path : std::as_const(paths)) {
                damages.append({path, PWPlist()});
                if (!path.isEmpty() && !backListAt(entry, path).isString())
                    damages.append({path, PWPlist::fromString(u"abc"_s)});
            }
            for (const auto &[path, damage] : std::as_const(damages)) {
                const PWPlist damaged = path.isEmpty() ? entry : backListDamaged(entry, path, damage);
                QString where = entry.value(u"Class ID"_s).toString();
                for (const auto &[key, index] : path)
                    where += u'/' + (index >= 0 ? QString::number(index) : key);
                where += path.isEmpty() ? u" as it is"_s : damage.isNull() ? u" taken away"_s : u" as a word"_s;
                const BackListReading side = backListRead(backListDesign(design, {damaged}, {}));
                PWPlist savedBack;
                const BackListReading back = backListRead(backListDesign(design, {}, {damaged}), &savedBack);
                ++variants;
                named += back.named ? 1 : 0;
                EXPECT_EQ(back.named, side.named)
                    << qPrintable(where) << "\nside: " << qPrintable(side.told) << "\nback: " << qPrintable(back.told);
                EXPECT_FALSE(back.lostAfterReplace) << qPrintable(where) << ", replaced\n" << qPrintable(back.told);
                EXPECT_EQ(savedBack, PWPlist(PWPlist::Array {damaged}))
                    << qPrintable(where) << ": rewritten unedited\n"
                    << backListDifference(savedBack.toArray().value(0), damaged).toStdString();
            }
        }
    }
    EXPECT_GT(variants, 100);
    EXPECT_GT(named, 10);
}

// A back entry moved by the user is written as it is now, with what this version does not know.
TEST_F(CADocumentBackListTest, AMovedEntryKeepsTheKeysThisVersionDoesNotKnow)
{
    QFile file(QStringLiteral(PW_SAMPLE_LIBRARY_DIR "/") + QString::fromUtf8(kBackListDesigns[1]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const PWPlist design = PWPlist::parse(file.readAll()).value_or(PWPlist());
    PWPlist::Array back;
    for (const PWPlist &entry : design.value(u"Front Side"_s).value(u"Components"_s).toArray()) {
        PWPlist::Dictionary withNote = entry.toDictionary();
        withNote.insert(u"Elsewhere Key"_s, PWPlist::fromString(u"kept"_s));
        back.append(PWPlist(withNote));
    }
    CADocument document;
    ASSERT_TRUE(document.loadPropertyList(backListDesign(design, {}, back)));
    EXPECT_EQ(document.readProblems(), QStringList());
    const std::vector<CFTComponent *> shown = document.ftDocument()->GetComponents(0, false);
    ASSERT_EQ(shown.size(), size_t(back.size()));
    for (CFTComponent *component : shown)
        component->SetOrigin(component->GetOriginX() + 3.0, component->GetOriginY());
    const PWPlist::Array saved =
        document.propertyListForComponents(nullptr).value(u"Front Side"_s).value(u"Back Components"_s).toArray();
    ASSERT_EQ(saved.size(), back.size());
    for (qsizetype i = 0; i < saved.size(); ++i) {
        EXPECT_NE(saved.at(i).value(u"Bounds"_s), back.at(i).value(u"Bounds"_s)) << i;
        EXPECT_EQ(saved.at(i).value(u"Elsewhere Key"_s), PWPlist::fromString(u"kept"_s)) << i;
    }
}

} // namespace
