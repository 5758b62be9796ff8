#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"

#include "TestSupport.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/text/CFTAText.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

// A shape, a text, a recipient panel with its barcode and a sender panel, with persons: a design
// as the application saves it.
QByteArray savedDesign()
{
    CADocument document;
    CFTADocument &kernel = *document.ftDocument();
    kernel.AddObject(new CFTBoxField(10.0, 10.0, 50.0, 30.0, nullptr), 0, false);
    auto *text = new CFTAText(70.0, 10.0, 90.0, 20.0, nullptr);
    text->GetText()->setString(u"Season's greetings"_s, nullptr);
    kernel.AddObject(text, 0, false);
    kernel.AddObject(doctest::Test::makePanel(true, u"us"_s, true).release(), 0, false);
    kernel.AddObject(doctest::Test::makePanel(false, u"us"_s, false).release(), 0, false);
    document.setCurrentPerson(doctest::Test::personFromVCard(doctest::kUsPerson).get(), true, true, false);
    return document.documentDataForComponents(nullptr);
}

// One flipped bit (upper to lower case) in the first character of the text at the first
// occurrence of marker after the first occurrence of after.
QByteArray flipped(QByteArray bytes, const QByteArray &marker, const QByteArray &after = QByteArray())
{
    const qsizetype from = after.isEmpty() ? 0 : bytes.indexOf(after);
    const qsizetype at = from < 0 ? -1 : bytes.indexOf(marker, from);
    if (at < 0)
        return QByteArray();
    const qsizetype first = at + marker.indexOf('>') + 1;
    bytes[first] = char(bytes.at(first) ^ 0x20);
    return bytes;
}

QByteArray keyTag(const QString &key)
{
    return "<key>" + key.toUtf8() + "</key>";
}

class CADocumentDamageTest : public doctest::Test
{
protected:
    QString path(const QString &name) const { return m_folder.filePath(name); }
    QTemporaryDir m_folder;
};

// --- Keys every current design holds -------------------------------------------------------------

struct RequiredKey {
    // Null for the layout's own key.
    const char *key;
    // The dictionary the key stands in: the top level, or the layout.
    bool inLayout;
};

void PrintTo(const RequiredKey &param, std::ostream *stream)
{
    *stream << (param.key ? param.key : "the layout");
}

class CADocumentRequiredKeyTest : public CADocumentDamageTest, public ::testing::WithParamInterface<RequiredKey>
{
};

TEST_P(CADocumentRequiredKeyTest, OneFlippedByteInTheKeyRefusesTheDesignNamingIt)
{
    const QByteArray whole = savedDesign();
    // The layout is stored under one of two keys, by the kind of template.
    const QString layoutKey =
        PWPlist::parse(whole).value_or(PWPlist()).toDictionary().contains(u"Predefined Layout"_s) ? u"Predefined Layout"_s
                                                                                                 : u"Custom Layout"_s;
    const QString key = GetParam().key ? QString::fromLatin1(GetParam().key) : layoutKey;
    const QByteArray damaged = flipped(whole, keyTag(key), GetParam().inLayout ? keyTag(layoutKey) : QByteArray());
    ASSERT_FALSE(damaged.isEmpty());
    // The flip hit the key of the right dictionary, and nothing else.
    const PWPlist root = PWPlist::parse(damaged).value_or(PWPlist());
    const PWPlist::Dictionary &holder = GetParam().inLayout ? root.value(layoutKey).toDictionary() : root.toDictionary();
    ASSERT_FALSE(holder.contains(key));
    const PWPlist original = PWPlist::parse(whole).value_or(PWPlist());
    EXPECT_EQ(holder.size(), (GetParam().inLayout ? original.value(layoutKey).toDictionary() : original.toDictionary()).size());

    CADocument document;
    const QByteArray before = document.documentDataForComponents(nullptr);
    QString error;
    EXPECT_FALSE(document.loadDataRepresentation(damaged, CADocument::kAddressDocumentType, &error));
    const QString named = GetParam().inLayout ? u"\"%1\" of \"%2\""_s.arg(key, layoutKey) : u"\"%1\""_s.arg(key);
    EXPECT_TRUE(error.startsWith(u"The document could not be opened: %1 is missing: the file has \"%2\" in its place"_s.arg(
        named, key.at(0).toLower() + key.mid(1))))
        << error.toStdString();
    EXPECT_EQ(document.documentDataForComponents(nullptr), before);
    EXPECT_FALSE(document.isDamaged());
    // The same design whole opens with nothing to report.
    ASSERT_TRUE(document.loadDataRepresentation(whole, CADocument::kAddressDocumentType, &error)) << error.toStdString();
    EXPECT_EQ(document.readProblems(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    EveryKey, CADocumentRequiredKeyTest,
    ::testing::Values(RequiredKey {"Bundle Version", false}, RequiredKey {"Document Type", false},
                      RequiredKey {"ISO Country Code To", false}, RequiredKey {"ISO Country Code From", false},
                      RequiredKey {"Address Source To", false}, RequiredKey {"Address Source From", false},
                      RequiredKey {"Card Width", false}, RequiredKey {"Card Height", false},
                      RequiredKey {"Printable Card Size X", false}, RequiredKey {"Printable Card Size Y", false},
                      RequiredKey {"Horizontal", false}, RequiredKey {"Paper Color", false},
                      RequiredKey {"Units", false}, RequiredKey {"FIM Barcode Visible", false},
                      RequiredKey {nullptr, false}, RequiredKey {"Default Settings", false},
                      RequiredKey {"Default Settings Text", false}, RequiredKey {"Front Side", false},
                      RequiredKey {"Manufacturer", true}, RequiredKey {"ID", true}, RequiredKey {"Description", true},
                      RequiredKey {"Category", true}, RequiredKey {"Type", true}, RequiredKey {"PageSize", true},
                      RequiredKey {"Columns", true}, RequiredKey {"Rows", true}),
    [](const ::testing::TestParamInfo<RequiredKey> &info) {
        return info.param.key ? QString::fromLatin1(info.param.key).remove(u' ').toStdString() : std::string("Layout");
    });

// --- Parts that could not be read ------------------------------------------------------------

struct DamagedPart {
    const char *name;
    // Where the flip goes: the first marker after the first occurrence of after.
    const char *marker;
    const char *after;
    // What the report says, in part.
    const char *reported;
    // Components of the front side that are left.
    size_t componentsLeft;
    // What the design saved without the lost part still names; empty when nothing.
    const char *stillNamed = "";
};

void PrintTo(const DamagedPart &param, std::ostream *stream)
{
    *stream << param.name;
}

class CADocumentDamagedPartTest : public CADocumentDamageTest, public ::testing::WithParamInterface<DamagedPart>
{
};

TEST_P(CADocumentDamagedPartTest, OpensSaysWhatWasLostAndReplacesTheFileOnlyWhenConfirmed)
{
    const QByteArray damaged = flipped(savedDesign(), GetParam().marker, GetParam().after);
    ASSERT_FALSE(damaged.isEmpty());
    const QString file = path(u"design.pwdc"_s);
    ASSERT_TRUE(pwtest::writeFile(file, damaged));
    CADocument document;
    QString error;
    pwtest::LogCapture log;
    ASSERT_TRUE(document.readFromFile(file, &error)) << error.toStdString();
    EXPECT_EQ(document.ftDocument()->GetComponents(0, false).size(), GetParam().componentsLeft);
    ASSERT_EQ(document.readProblems().size(), 1) << document.readProblems().join(u'\n').toStdString();
    EXPECT_TRUE(document.isDamaged());
    EXPECT_TRUE(document.readProblems().first().contains(QString::fromLatin1(GetParam().reported)))
        << document.readProblems().first().toStdString();
    EXPECT_TRUE(pwtest::LogCapture::lines().join(u'\n').contains(document.readProblems().first()));

    // The file is not replaced by what could be read, until the caller confirms it.
    EXPECT_FALSE(document.writeToFile(file, &error));
    EXPECT_TRUE(error.startsWith(u"The document could not be saved: it was opened with parts that could not be read"_s))
        << error.toStdString();
    EXPECT_EQ(pwtest::readFile(file), damaged);
    // A new file replaces nothing.
    EXPECT_TRUE(document.writeToFile(path(u"copy.pwdc"_s), &error)) << error.toStdString();
    document.setReplaceDamagedConfirmed(true);
    ASSERT_TRUE(document.writeToFile(file, &error)) << error.toStdString();
    CADocument reread;
    ASSERT_TRUE(reread.readFromFile(file, &error)) << error.toStdString();
    if (*GetParam().stillNamed) {
        EXPECT_EQ(reread.readProblems().size(), 1) << reread.readProblems().join(u'\n').toStdString();
        EXPECT_TRUE(reread.readProblems().join(u'\n').contains(QString::fromLatin1(GetParam().stillNamed)));
    } else {
        EXPECT_FALSE(reread.isDamaged()) << reread.readProblems().join(u'\n').toStdString();
    }
    EXPECT_EQ(reread.ftDocument()->GetComponents(0, false).size(), GetParam().componentsLeft);
}

// Replace writes the file without exactly the parts the reading named: keys this version does not
// know (at the top and in each component) and a stored person's own vCard lines go back as ever.
TEST_P(CADocumentDamagedPartTest, ReplacingLeavesOutOnlyWhatWasNamed)
{
    const QByteArray damaged = flipped(savedDesign(), GetParam().marker, GetParam().after);
    const std::optional<PWPlist> tree = PWPlist::parse(damaged);
    ASSERT_TRUE(tree && tree->isDictionary());
    const PWPlist note = PWPlist::fromString(u"kept"_s);
    const QString noteKey = u"Zz Kept Note"_s;
    PWPlist::Dictionary root = tree->toDictionary();
    root.insert(noteKey, note);
    PWPlist::Dictionary front = root.value(u"Front Side"_s).toDictionary();
    PWPlist::Array components = front.value(u"Components"_s).toArray();
    for (PWPlist &component : components) {
        if (!component.isDictionary())
            continue;
        PWPlist::Dictionary withNote = component.toDictionary();
        withNote.insert(noteKey, note);
        component = PWPlist(withNote);
    }
    // And a value refused besides: the sender panel's angle, which is no number.
    const PWPlist refused = PWPlist::fromString(u"twelve degrees"_s);
    PWPlist::Dictionary sender = components.last().toDictionary();
    sender.insert(u"Angle"_s, refused);
    components.last() = PWPlist(sender);
    front.insert(u"Components"_s, PWPlist(components));
    root.insert(u"Front Side"_s, PWPlist(front));
    PWPlist::Dictionary person = root.value(u"Person To"_s).toDictionary();
    const bool storedPerson = person.value(u"personData"_s).isData();
    if (storedPerson) {
        QByteArray card = person.value(u"personData"_s).toData();
        card.replace("END:VCARD", "X-CUSTOM:kept line\r\nEND:VCARD");
        person.insert(u"personData"_s, PWPlist::fromData(card));
        root.insert(u"Person To"_s, PWPlist(person));
    }
    const QString file = path(u"design.pwdc"_s);
    ASSERT_TRUE(pwtest::writeFile(file, PWPlist(root).toXml()));

    CADocument document;
    QString error;
    ASSERT_TRUE(document.readFromFile(file, &error)) << error.toStdString();
    ASSERT_EQ(document.readProblems().size(), 2) << document.readProblems().join(u'\n').toStdString();
    ASSERT_TRUE(document.needsReplaceConfirmation(file));
    document.ftDocument()->setDocumentSizeX(260);
    document.setReplaceDamagedConfirmed(true);
    ASSERT_TRUE(document.writeToFile(file, &error)) << error.toStdString();

    const std::optional<PWPlist> saved = PWPlist::parse(pwtest::readFile(file));
    ASSERT_TRUE(saved && saved->isDictionary());
    EXPECT_EQ(saved->value(noteKey), note) << "a key of the design's own";
    const PWPlist::Array written = saved->value(u"Front Side"_s).value(u"Components"_s).toArray();
    EXPECT_EQ(size_t(written.size()), GetParam().componentsLeft);
    for (const PWPlist &component : written)
        EXPECT_EQ(component.value(noteKey), note) << "a key of a component's own";
    ASSERT_FALSE(written.isEmpty());
    EXPECT_NE(written.last().value(u"Angle"_s), refused) << "the value named is left out";
    if (storedPerson) {
        EXPECT_TRUE(saved->value(u"Person To"_s).value(u"personData"_s).toData().contains("X-CUSTOM:kept line"));
    }
    CADocument reread;
    ASSERT_TRUE(reread.readFromFile(file, &error)) << error.toStdString();
    if (*GetParam().stillNamed) {
        // Only what the lost part leaves behind is named again.
        ASSERT_EQ(reread.readProblems().size(), 1) << reread.readProblems().join(u'\n').toStdString();
        EXPECT_TRUE(reread.readProblems().first().contains(QString::fromLatin1(GetParam().stillNamed)));
    } else
        EXPECT_FALSE(reread.isDamaged()) << reread.readProblems().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    EveryPart, CADocumentDamagedPartTest,
    ::testing::Values(
        // The panel keeps its place but loses its fields.
        DamagedPart {"PanelFieldList", "<key>Components</key>", "<string>Address Panel</string>",
                     "\"Components\" of a component of class \"Address Panel\" could not be read: the file has "
                     "\"components\" in its place",
                     4},
        DamagedPart {"ComponentClassName", "<string>Square Field</string>", "<key>Front Side</key>",
                     "Component 1 was left out: its class could not be read", 3},
        DamagedPart {"ComponentClassKey", "<key>Class ID</key>", "<key>Front Side</key>",
                     "the file has \"class ID\" in its place", 3},
        DamagedPart {"PanelFieldClassName", "<string>Address Text</string>", "<string>Address Panel</string>",
                     "Field 1 of an address panel was left out", 4},
        // Replaced without it, the panel has no format: read again, it is named as printing no address.
        DamagedPart {"PanelFormatKey", "<key>Address Format</key>", "<string>Address Panel</string>",
                     "\"Address Format\" of a component of class \"Address Panel\" could not be read", 4,
                     "has no address format"},
        DamagedPart {"PersonKey", "<key>Person To</key>", "", "\"Person To\" of the design could not be read", 4}),
    [](const ::testing::TestParamInfo<DamagedPart> &info) { return std::string(info.param.name); });

// --- What must keep opening as it did ------------------------------------------------------------

TEST_F(CADocumentDamageTest, OldVariantAndEmptyDesignsOpenWithNothingToReport)
{
    QStringList files;
    for (const QString &name : QDir(pwtest::dataPath(u"documents"_s)).entryList({u"*.pwdc"_s}, QDir::Files))
        files.append(pwtest::dataPath(u"documents/"_s + name));
    ASSERT_GE(files.size(), 2);
    const QString empty = path(u"empty.pwdc"_s);
    ASSERT_TRUE(CADocument().writeToFile(empty));
    files.append(empty);
    // A current design without persons and with a back list, its entry as the program writes one
    // (an entry lacking keys its class writes is named like any other component).
    PWPlist::Dictionary variant = PWPlist::parse(savedDesign()).value_or(PWPlist()).toDictionary();
    variant.remove(u"Person To"_s);
    PWPlist::Dictionary front = variant.value(u"Front Side"_s).toDictionary();
    CFTBoxField box(0.0, 0.0, 20.0, 20.0, nullptr);
    front.insert(u"Back Components"_s, PWPlist(PWPlist::Array {CFTACoreDoc::GetArchiveFromObject(&box, nullptr).getDict()}));
    variant.insert(u"Front Side"_s, PWPlist(front));
    const QString variantFile = path(u"variant.pwdc"_s);
    ASSERT_TRUE(pwtest::writeFile(variantFile, PWPlist(variant).toXml()));
    files.append(variantFile);
    for (const QString &file : std::as_const(files)) {
        CADocument document;
        QString error;
        ASSERT_TRUE(document.readFromFile(file, &error)) << file.toStdString() << ": " << error.toStdString();
        EXPECT_EQ(document.readProblems(), QStringList()) << file.toStdString();
        // Saving over them needs nobody's word.
        const QString copy = path(u"saved.pwdc"_s);
        ASSERT_TRUE(QFile::copy(file, copy) || QFile::exists(copy));
        EXPECT_TRUE(document.writeToFile(copy, &error)) << file.toStdString() << ": " << error.toStdString();
        QFile::remove(copy);
    }
    CADocument variantDocument;
    ASSERT_TRUE(variantDocument.readFromFile(variantFile));
    // The shape listed behind the side is drawn first of the side's components, and so saved.
    EXPECT_TRUE(variantDocument.ftDocument()->GetComponents(0, true).empty());
    ASSERT_FALSE(variantDocument.ftDocument()->GetComponents(0, false).empty());
    EXPECT_EQ(variantDocument.ftDocument()->GetComponents(0, false).front()->getClassID(), ciShape);
}

// An old design whose version key is the damaged one is refused too: read as the oldest version it
// would lose what only its own version reads.
TEST_F(CADocumentDamageTest, OldDesignWithADamagedKeyIsRefused)
{
    const QByteArray old = pwtest::readFile(pwtest::dataPath(u"documents/version72-vcard-persons.pwdc"_s));
    for (const char *key : {"Bundle Version", "Front Side", "Custom Layout", "Columns"}) {
        const QByteArray damaged = flipped(old, keyTag(QString::fromLatin1(key)));
        ASSERT_FALSE(damaged.isEmpty()) << key;
        CADocument document;
        QString error;
        EXPECT_FALSE(document.loadDataRepresentation(damaged, CADocument::kAddressDocumentType, &error)) << key;
        EXPECT_TRUE(error.contains(u"\"%1\""_s.arg(QString::fromLatin1(key))) && error.contains(u"is missing: the file has"_s))
            << error.toStdString();
    }
}

} // namespace
