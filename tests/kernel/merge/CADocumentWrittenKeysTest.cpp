// Every key a writer writes, taken away or damaged in a design of each kind. Taken away, it reads
// as a new design or item has it, without a word, and the design draws as the whole one does
// wherever that is what the file held, unless a part is lost with it (a class, a panel's format),
// which is named; an emptied list the writer writes with entries is named;
// any other damage draws as the whole design does or is named. A save after an edit elsewhere, and
// after that edit is taken back, holds the file's own form of the key. The keys are what the
// writers write (for the shipped designs, and for a new component of every class), never a list.
#include "kernel/merge/CADocument.h"

#include "DesignParts.h"
#include "DocumentTestSupport.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDArchiveKept.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/FTComponentFactory.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/render/CDDDrawer.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSet>

#include <functional>

namespace {

// A key of a dictionary, or (with no key) an entry of a list.
struct WrittenStep
{
    QString key;
    qsizetype index = -1;
};
using WrittenPath = QList<WrittenStep>;

PWPlist writtenAt(const PWPlist &root, const WrittenPath &path)
{
    PWPlist value = root;
    for (const WrittenStep &step : path) {
        if (step.index >= 0)
            value = value.isArray() && step.index < value.toArray().size() ? value.toArray().at(step.index) : PWPlist();
        else
            value = value.isDictionary() ? value.value(step.key) : PWPlist();
    }
    return value;
}

// root with the value at path replaced; a null value removes the key. A path whose dictionaries
// root lacks is left as it is.
PWPlist writtenReplaced(const PWPlist &root, const WrittenPath &path, qsizetype from, const PWPlist &value)
{
    if (from == path.size())
        return value;
    const WrittenStep &step = path.at(from);
    if (step.index >= 0) {
        if (!root.isArray() || step.index >= root.toArray().size())
            return root;
        PWPlist::Array list = root.toArray();
        list[step.index] = writtenReplaced(list.at(step.index), path, from + 1, value);
        return PWPlist(list);
    }
    if (!root.isDictionary())
        return root;
    PWPlist::Dictionary dictionary = root.toDictionary();
    const PWPlist inner = writtenReplaced(dictionary.value(step.key), path, from + 1, value);
    if (inner.isNull())
        dictionary.remove(step.key);
    else
        dictionary.insert(step.key, inner);
    return PWPlist(dictionary);
}

// The class a path lies in (or the design) and its keys from there, whatever the list entries.
QString writtenSignature(const PWPlist &root, const WrittenPath &path)
{
    QString place = u"design"_s;
    QStringList keys;
    PWPlist value = root;
    for (const WrittenStep &step : path) {
        value = step.index >= 0 ? value.toArray().value(step.index) : value.value(step.key);
        keys.append(step.index >= 0 ? u"*"_s : step.key);
        if (value.isDictionary() && value.value(key_ClassID).isString()) {
            place = value.value(key_ClassID).toString();
            keys.clear();
        }
    }
    return place + u':' + keys.join(u'/');
}

// Every key of every dictionary below root, with its path.
void writtenKeys(const PWPlist &value, WrittenPath &path, const std::function<void(const WrittenPath &)> &visit)
{
    if (value.isDictionary()) {
        for (const PWPlist::Dictionary::Entry &entry : value.toDictionary()) {
            path.append({entry.first, -1});
            visit(path);
            writtenKeys(entry.second, path, visit);
            path.removeLast();
        }
    } else if (value.isArray()) {
        for (qsizetype i = 0; i < value.toArray().size(); ++i) {
            path.append({QString(), i});
            writtenKeys(value.toArray().at(i), path, visit);
            path.removeLast();
        }
    }
}

// The ways a written value is damaged: taken away, emptied, another kind, out of range and far.
QList<PWPlist> writtenDamages(const PWPlist &value)
{
    QList<PWPlist> damages {PWPlist()};
    if (value.isDictionary())
        return damages << PWPlist(PWPlist::Dictionary()) << PWPlist::fromString(u"7"_s);
    if (value.isArray())
        return damages << PWPlist(PWPlist::Array()) << PWPlist::fromString(u"7"_s);
    damages << PWPlist::fromString(QString(u""_s)) << PWPlist(PWPlist::Array {PWPlist::fromString(u"1"_s)})
            << PWPlist::fromString(u"-1"_s) << PWPlist::fromString(u"1e30"_s);
    if (value.isData())
        damages << PWPlist::fromData(QByteArray("\x00\x01", 2));
    return damages;
}

// Each side drawn small, as the canvas draws it.
QImage writtenDrawn(CADocument &document)
{
    QImage image(160, 110, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(0.2, 0.2);
    CDDDrawer drawer(false, &painter);
    CFTADocument *design = document.ftDocument();
    for (int side = 0; side < design->getSidesCount(); ++side)
        for (const bool back : {true, false})
            for (CFTComponent *component : design->GetComponents(side, back))
                component->Draw(&drawer, false, nullptr, false, false);
    return image;
}

// One shipped design of each kind of stock (envelopes, mailing labels, return labels, ...).
QStringList writtenSampleKinds()
{
    QMap<QString, QString> byKind;
    QDirIterator found(QStringLiteral(PW_SAMPLE_LIBRARY_DIR "/Parcelwick/Templates"), {u"*.pwdc"_s}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (found.hasNext()) {
        const QString path = found.next();
        QString kind = path.section(u'/', -3, -3);
        kind.remove(QRegularExpression(u"[0-9]+$"_s));
        if (!byKind.contains(kind) || path < byKind.value(kind))
            byKind.insert(kind, path);
    }
    return byKind.values();
}

// A design whose front side holds a new component of every class a file can name, each as its
// class's maker or creator makes it.
PWPlist writtenWithEveryClass(const PWPlist &design)
{
    PWPlist::Dictionary front = design.value(key_FrontSide).toDictionary();
    PWPlist::Array components = front.value(key_Components).toArray();
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
    for (int classID = 0; classID < int(classStringKeys.size()); ++classID) {
        if (!FTComponentFactory::isRegistered(classID))
            continue;
        FTComponentFactory::Recipe recipe;
        recipe.x = 30.0;
        recipe.y = 30.0;
        recipe.format = format.get();
        std::unique_ptr<CFTComponent> made = FTComponentFactory::makeComponent(classID, recipe);
        if (!made)
            made = FTComponentFactory::createComponent(classID, FTComponentFactory::kLastOldBundleVersion + 1, nullptr);
        if (!made)
            continue;
        made->SetOrigin(30.0 + 4.0 * classID, 30.0);
        if (made->GetSizeX() < 1.0)
            made->SetSize(120.0, 40.0);
        const PWPlist stored = CFTACoreDoc::GetArchiveFromObject(made.get(), nullptr).getDict();
        // A class whose new instance the reading names is one no writer saves as itself.
        CADocument alone;
        PWPlist::Dictionary side {{key_Components, PWPlist(PWPlist::Array {stored})}};
        PWPlist::Dictionary single = design.toDictionary();
        single.insert(key_FrontSide, PWPlist(side));
        if (!alone.loadPropertyList(PWPlist(single)) || alone.isDamaged())
            continue;
        components.append(stored);
    }
    front.insert(key_Components, PWPlist(components));
    PWPlist::Dictionary root = design.toDictionary();
    root.insert(key_FrontSide, PWPlist(front));
    return PWPlist(root);
}

// The design reduced to the one component a path lies in, so that a run reads and draws that
// alone; the path then leads into the reduced design.
PWPlist writtenReduced(const PWPlist &whole, WrittenPath &path)
{
    if (path.size() < 4 || path.at(0).key != key_FrontSide || path.at(1).key != key_Components)
        return whole;
    const PWPlist entry = writtenAt(whole, path.mid(0, 3));
    path[2].index = 0;
    return writtenReplaced(whole, path.mid(0, 2), 0, PWPlist(PWPlist::Array {entry}));
}

// The value at path written by the design as its own, with nothing kept of the file: a damage
// the design takes as a value it can hold (an angle of -1).
bool writtenAsItsOwn(const CADocument &document, const WrittenPath &path, const PWPlist &damage)
{
    const CDDArchiveKept::Forgotten own;
    const PWPlist written = writtenAt(document.propertyListForComponents(nullptr), path);
    bool numbers[2] = {false, false};
    const double values[2] = {written.toString().toDouble(&numbers[0]), damage.toString().toDouble(&numbers[1])};
    return !damage.isNull()
           && (written == damage || (numbers[0] && numbers[1] && qFuzzyCompare(float(values[0]), float(values[1]))));
}

// The design as its objects write it, nothing kept of the file: what the reading made of it.
PWPlist writtenOwn(const CADocument &document)
{
    const CDDArchiveKept::Forgotten own;
    return document.propertyListForComponents(nullptr);
}

QString writtenShown(const PWPlist &value)
{
    return value.isNull() ? u"nothing"_s
                          : QString::fromUtf8(value.toXml()).section(u"<plist version=\"1.0\">"_s, 1).remove(u"</plist>"_s).simplified();
}

class CADocumentWrittenKeysTest : public doctest::Test
{
};

TEST_F(CADocumentWrittenKeysTest, EveryWrittenKeyDamagedDrawsAsBeforeOrIsNamedAndIsSavedAsRead)
{
    const QStringList designs = writtenSampleKinds();
    ASSERT_GE(designs.size(), 4);
    QSet<QString> tried;
    QStringList failures;
    int runs = 0;
    int damagesTried = 0;
    int named = 0;
    for (qsizetype d = 0; d < designs.size(); ++d) {
        QFile file(designs.at(d));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << designs.at(d).toStdString();
        PWPlist whole = PWPlist::parse(file.readAll()).value_or(PWPlist());
        ASSERT_TRUE(whole.isDictionary());
        if (d == 0)
            whole = writtenWithEveryClass(whole);
        // What the writers write for this design is the measure of its keys.
        PWPlist written;
        {
            CADocument reading;
            ASSERT_TRUE(reading.loadPropertyList(whole));
            EXPECT_EQ(reading.readProblems(), QStringList()) << designs.at(d).toStdString();
            const CDDArchiveKept::Forgotten own;
            written = reading.propertyListForComponents(nullptr);
        }
        QList<WrittenPath> paths;
        WrittenPath walk;
        writtenKeys(written, walk, [&](const WrittenPath &path) {
            const QString signature = writtenSignature(written, path);
            if (!tried.contains(signature) && !writtenAt(whole, path).isNull()) {
                tried.insert(signature);
                paths.append(path);
            }
        });
        QHash<qsizetype, QImage> references;
        QHash<qsizetype, PWPlist> ownWritings;
        for (qsizetype p = 0; p < paths.size(); ++p) {
            const WrittenPath &found = paths.at(p);
            WrittenPath path = found;
            const PWPlist base = writtenReduced(whole, path);
            const qsizetype component = found.size() >= 4 && found.at(1).key == key_Components ? found.at(2).index : -1;
            if (!references.contains(component)) {
                CADocument reference;
                ASSERT_TRUE(reference.loadPropertyList(base));
                references.insert(component, writtenDrawn(reference));
                ownWritings.insert(component, writtenOwn(reference));
            }
            const PWPlist original = writtenAt(base, path);
            const QList<PWPlist> damages = writtenDamages(original);
            // Every key is taken away and every list with entries emptied; every other key meets
            // one of the other damages in turn, which keeps the pass short.
            QList<PWPlist> tries {damages.first()};
            if (original.isArray() && !original.toArray().isEmpty())
                tries.append(PWPlist(PWPlist::Array()));
            else if (p % 2 == 0)
                tries.append(damages.at(1 + (p / 2 + d) % (damages.size() - 1)));
            for (const PWPlist &damage : std::as_const(tries)) {
                // A side's emptied list is the design whose components were all deleted.
                const bool emptiedSide = path.size() == 2 && path.first().key == key_FrontSide && damage.isArray();
                if (damage == original || path.last().key == key_BundleVersion || emptiedSide)
                    continue;
                ++runs;
                damagesTried += damage.isNull() ? 0 : 1;
                const QString where = writtenSignature(whole, found) + u" as "_s
                                      + (damage.isNull() ? u"removed"_s : writtenShown(damage));
                const PWPlist damaged = writtenReplaced(base, path, 0, damage);
                CADocument document;
                QString error;
                if (!document.loadPropertyList(damaged, &error)) {
                    ++named;
                    if (damage.isNull())
                        failures.append(where + u": refused: "_s + error);
                    else if (error.isEmpty())
                        failures.append(where + u": refused without a reason"_s);
                    continue;
                }
                const bool emptied = damage.isArray() && damage.toArray().isEmpty() && !original.toArray().isEmpty();
                if (damage.isNull() && pwtest::lostAPart(ownWritings.value(component), writtenOwn(document), original)) {
                    // Left out, a key without which a part is dropped or prints nothing: named.
                    if (document.readProblems().filter(u'"' + path.last().key + u'"').isEmpty())
                        failures.append(where + u": a part is lost, and the reading names "_s
                                        + document.readProblems().join(u" | "_s));
                } else if (damage.isNull()) {
                    // Left out: what a new one has, without a word; the same drawing where the
                    // design then reads as the whole one.
                    if (document.isDamaged())
                        failures.append(where + u": named "_s + document.readProblems().join(u" | "_s));
                    else if (writtenOwn(document) == ownWritings.value(component)
                             && writtenDrawn(document) != references.value(component))
                        failures.append(where + u": reads as the whole design, and is drawn otherwise"_s);
                } else if (document.isDamaged()) {
                    ++named;
                } else if (emptied) {
                    failures.append(where + u": an emptied list, and nothing was named"_s);
                } else if (writtenDrawn(document) != references.value(component) && !writtenAsItsOwn(document, path, damage)) {
                    failures.append(where + u": drawn otherwise, and nothing was named"_s);
                }
                // Saved after an edit elsewhere, and after that edit is taken back, the file's own
                // form of the key is there, or not there, as it was.
                CFTADocument &design = *document.ftDocument();
                design.setFIMBarcodeVisible(!design.isFIMBarcodeVisible());
                const PWPlist editedFile = document.propertyListForComponents(nullptr);
                const PWPlist edited = writtenAt(editedFile, path);
                design.setFIMBarcodeVisible(!design.isFIMBarcodeVisible());
                const PWPlist undone = writtenAt(document.propertyListForComponents(nullptr), path);
                // A component the reading turns into others (an old extended text into texts) is
                // saved as those.
                if (component >= 0
                    && writtenAt(editedFile, path.mid(0, 3)).value(key_ClassID) != writtenAt(base, path.mid(0, 3)).value(key_ClassID))
                    continue;
                // The edit's own key is no key elsewhere.
                if (edited != damage && path.last().key != key_FIMBarcodeVisible)
                    failures.append(where + u": the save after an edit holds "_s + writtenShown(edited));
                else if (undone != damage)
                    failures.append(where + u": the save after the edit is taken back holds "_s + writtenShown(undone));
            }
        }
    }
    EXPECT_TRUE(failures.isEmpty()) << failures.size() << " of " << runs << ":\n" << failures.join(u'\n').toStdString();
    // Something of every class was damaged, and most of what was not taken away was named.
    EXPECT_GT(runs, 300);
    EXPECT_GT(named, damagesTried / 2);
}

} // namespace
