// Capitals shown on every text of the sample designs the build makes (one of each kind of paper
// and components) and on a text of several styles typed in mixed case: the file holds the
// capitals where it held the text and the characters as typed under "Typed Text" beside every
// text that has characters, read back the text shows the capitals, and unticked it gives back the
// characters and styles as typed; a design whose texts show no capitals saves the bytes it saved
// before; a file without the key unticks to a capital first letter and small ones after it, and a
// key that is not what the text shows is left alone.
#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWPlist.h"

#include <QDirIterator>
#include <QFile>
#include <QTextCharFormat>

#include <functional>
#include <optional>

namespace {

const QString kTypedDesignType = u"AddressDocumentType"_s;

// One sample design of each kind: its kind of paper and the classes of its components.
QStringList typedSampleDesigns()
{
    QStringList found;
    QDirIterator it(QStringLiteral(PW_SAMPLE_LIBRARY_DIR), {u"*.pwdc"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    found.sort();
    QStringList chosen;
    QStringList kinds;
    for (const QString &path : found) {
        QFile file(path);
        const std::optional<PWPlist> design = file.open(QIODevice::ReadOnly) ? PWPlist::parse(file.readAll()) : std::nullopt;
        if (!design)
            continue;
        QStringList classes;
        for (const PWPlist &entry : design->value(u"Front Side"_s).value(u"Components"_s).toArray())
            classes << entry.value(u"Class ID"_s).toString();
        classes.sort();
        classes.removeDuplicates();
        const QString kind = design->value(u"Document Type"_s).toString() + u':' + classes.join(u',');
        if (!kinds.contains(kind)) {
            kinds << kind;
            chosen << path;
        }
    }
    return chosen;
}

// Every text of the design that a user can show in capitals: free texts and each panel's fields,
// in the order of the lists.
std::vector<CFTComponent *> typedTexts(CADocument &document)
{
    std::vector<CFTComponent *> texts;
    CFTADocument *design = document.ftDocument();
    for (int side = 0; side < design->getSidesCount(); ++side)
        for (CFTComponent *component : design->GetComponents(side, false)) {
            if (auto *panel = dynamic_cast<CFTAAddressPanel *>(component)) {
                for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
                    texts.push_back(panel->addressComponentAtIndex(i));
            } else if (dynamic_cast<CFTAText *>(component)) {
                texts.push_back(component);
            }
        }
    return texts;
}

// The characters with each run's style, as a comparable list.
QStringList runsOf(const CFTComponent *component)
{
    QStringList runs;
    const auto *text = static_cast<const CFTAText *>(component);
    const PWAttributedString styled = text->getDDText()->getAttributedString();
    for (const PWAttributedString::Run &run : styled.runs())
        runs << text->getDDText()->getString().mid(run.start, run.length) + u'|'
                    + run.charFormat.font().family() + u'|' + QString::number(run.charFormat.font().pointSizeF())
                    + u'|' + QString::number(run.charFormat.fontWeight())
                    + u'|' + run.charFormat.foreground().color().name();
    return runs;
}

// Each value under key anywhere in the tree, in the order written.
void collect(const PWPlist &tree, const QString &key, QList<PWPlist> &found)
{
    if (tree.isDictionary()) {
        for (const PWPlist::Dictionary::Entry &entry : tree.toDictionary()) {
            if (entry.first == key)
                found.append(entry.second);
            collect(entry.second, key, found);
        }
    } else if (tree.isArray()) {
        for (const PWPlist &item : tree.toArray())
            collect(item, key, found);
    }
}

QList<PWPlist> valuesUnder(const QByteArray &bytes, const QString &key)
{
    QList<PWPlist> found;
    collect(PWPlist::parse(bytes).value_or(PWPlist()), key, found);
    return found;
}

// The tree with every "Typed Text" changed, or taken away where changed answers nothing.
PWPlist withTypedText(const PWPlist &tree, const std::function<std::optional<QString>(const QString &)> &changed)
{
    if (tree.isDictionary()) {
        PWPlist::Dictionary out;
        for (const PWPlist::Dictionary::Entry &entry : tree.toDictionary()) {
            if (entry.first != u"Typed Text"_s)
                out.insert(entry.first, withTypedText(entry.second, changed));
            else if (const std::optional<QString> typed = changed(entry.second.toString()))
                out.insert(entry.first, PWPlist::fromString(*typed));
        }
        return PWPlist(out);
    }
    if (tree.isArray()) {
        PWPlist::Array out;
        for (const PWPlist &item : tree.toArray())
            out.append(withTypedText(item, changed));
        return PWPlist(out);
    }
    return tree;
}

void showAll(CADocument &document, bool capitals)
{
    for (CFTComponent *text : typedTexts(document))
        text->setRepresentationType(objectRepType(capitals ? 4 : 0), true);
}

bool load(CADocument &document, const QByteArray &bytes)
{
    QString error;
    const bool loaded = document.loadDataRepresentation(bytes, kTypedDesignType, &error);
    EXPECT_TRUE(loaded) << error.toStdString();
    EXPECT_EQ(document.readProblems().join(u'\n'), QString());
    return loaded;
}

// A text of three styles, typed in mixed case over two lines.
QByteArray mixedCaseDesign()
{
    CADocument made;
    auto *text = new CFTAText(40.0, 40.0, 260.0, 60.0, nullptr);
    const QString typed = u"McKee iPhone / ABC deF gHi\nis Up. xYz \u00e9t\u00e9 stra\u00dfe"_s;
    QTextCharFormat plain;
    plain.setFont(QFont(u"DejaVu Sans"_s, 12));
    QTextCharFormat bold = plain;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat red = plain;
    red.setForeground(QColor(200, 0, 0));
    PWAttributedString styled;
    styled.append(typed.left(12), plain, QTextBlockFormat());
    styled.append(typed.mid(12, 14), bold, QTextBlockFormat());
    styled.append(typed.mid(26), red, QTextBlockFormat());
    text->SetAttributedString(styled);
    made.ftDocument()->AddObject(text, 0, false);
    return made.dataRepresentationOfType(kTypedDesignType);
}

} // namespace

class CADocumentTypedCharactersTest : public doctest::Test
{
};

TEST_F(CADocumentTypedCharactersTest, CapitalsKeepTheTypedCharactersThroughASaveAndGiveThemBack)
{
    QList<std::pair<QString, QByteArray>> designs {{u"mixed case"_s, mixedCaseDesign()}};
    for (const QString &path : typedSampleDesigns()) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        designs.append({path, file.readAll()});
    }
    ASSERT_GT(designs.size(), 4);
    int differing = 0;
    for (const auto &[name, bytes] : designs) {
        SCOPED_TRACE(name.toStdString());
        CADocument typed;
        ASSERT_TRUE(load(typed, bytes));
        const QByteArray before = typed.dataRepresentationOfType(kTypedDesignType);
        std::vector<QStringList> typedRuns;
        QStringList typedLetters;
        for (CFTComponent *text : typedTexts(typed)) {
            typedRuns.push_back(runsOf(text));
            typedLetters << text->GetText()->getString();
        }
        EXPECT_TRUE(valuesUnder(before, u"Typed Text"_s).isEmpty()) << "no capitals, no key";

        showAll(typed, true);
        const QByteArray capitals = typed.dataRepresentationOfType(kTypedDesignType);
        // A key beside every text that has characters.
        QStringList expectedKeys;
        for (const QString &letters : typedLetters)
            if (!letters.isEmpty())
                expectedKeys << letters;
        QStringList keys;
        for (const PWPlist &value : valuesUnder(capitals, u"Typed Text"_s))
            keys << value.toString();
        expectedKeys.sort();
        keys.sort();
        EXPECT_EQ(keys, expectedKeys);
        for (const QString &letters : typedLetters)
            differing += int(QString(letters).toUpper() != letters);

        CADocument reopened;
        ASSERT_TRUE(load(reopened, capitals));
        const std::vector<CFTComponent *> read = typedTexts(reopened);
        ASSERT_EQ(read.size(), typedLetters.size());
        for (std::size_t i = 0; i < read.size(); ++i) {
            const QString shown = read[i]->GetText()->getString();
            ASSERT_EQ(shown.size(), typedLetters[qsizetype(i)].size());
            for (qsizetype c = 0; c < shown.size(); ++c) {
                const QString capital = typedLetters[qsizetype(i)].mid(c, 1).toUpper();
                EXPECT_EQ(shown.mid(c, 1), capital.size() == 1 ? capital : typedLetters[qsizetype(i)].mid(c, 1))
                    << "letter " << c << " of " << shown.toStdString();
            }
        }
        EXPECT_EQ(reopened.dataRepresentationOfType(kTypedDesignType), capitals) << "saved again as read";

        showAll(reopened, false);
        const std::vector<CFTComponent *> unticked = typedTexts(reopened);
        for (std::size_t i = 0; i < unticked.size(); ++i)
            EXPECT_EQ(runsOf(unticked[i]), typedRuns[i]);
        EXPECT_EQ(reopened.dataRepresentationOfType(kTypedDesignType), before) << "unticked after a reopen";

        // Written by an older version: the capitals alone, or beside a key left from before an
        // edit made there.
        for (const bool stale : {false, true}) {
            SCOPED_TRACE(stale ? "a key that is not what the text shows" : "no key");
            const PWPlist tree = PWPlist::parse(capitals).value_or(PWPlist());
            const PWPlist older = withTypedText(tree, [stale](const QString &typed) -> std::optional<QString> {
                return stale ? std::optional<QString>(typed + u'x') : std::nullopt;
            });
            CADocument old;
            ASSERT_TRUE(load(old, older.toXml()));
            showAll(old, false);
            const std::vector<CFTComponent *> texts = typedTexts(old);
            for (std::size_t i = 0; i < texts.size(); ++i) {
                const QString upper = read[i]->GetText()->getString();
                const QString expected = upper.isEmpty() ? upper : upper.left(1).toUpper() + upper.mid(1).toLower();
                if (expected.size() == upper.size()) {
                    EXPECT_EQ(texts[i]->GetText()->getString(), expected);
                }
            }
        }
    }
    EXPECT_GT(differing, 0) << "some text shows other letters in capitals";
}
