// A text component's text in each form a file holds it (its characters, an empty text's style
// alone, the older "Text Storage"), left alone, emptied or typed anew in the design: the design
// opens without a word, and saved and opened again holds the text the user left, in the file's
// own form while the user left it alone.
#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"

#include "kernel/address/CFTAAddressText.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWRtfd.h"

#include <functional>

namespace {

struct TextForm
{
    const char *name;
    // The text the form holds.
    QString text;
    // The component's dictionary as written with text in it, changed into the form.
    std::function<PWPlist::Dictionary(const PWPlist::Dictionary &withText, const PWPlist::Dictionary &empty)> make;
};

// A design holding the one component; its dictionary as a save writes it.
PWPlist::Dictionary writtenEntry(CFTComponent *component)
{
    CADocument document;
    document.ftDocument()->AddObject(component, 0, false);
    return document.propertyListForComponents(nullptr).value(key_FrontSide).value(key_Components).toArray().value(0).toDictionary();
}

PWPlist designOf(const PWPlist::Dictionary &entry)
{
    CADocument document;
    PWPlist::Dictionary root = document.propertyListForComponents(nullptr).toDictionary();
    root.insert(key_FrontSide, PWPlist(PWPlist::Dictionary {{key_Components, PWPlist(PWPlist::Array {PWPlist(entry)})}}));
    return PWPlist(root);
}

CFTComponent *onlyComponent(const CADocument &document)
{
    const std::vector<CFTComponent *> components = document.ftDocument()->GetComponents(0, false);
    return components.size() == 1 ? components.front() : nullptr;
}

QString textOf(const CADocument &document)
{
    CFTComponent *component = onlyComponent(document);
    return component && component->GetText() ? component->GetText()->getString() : u"(no text component)"_s;
}

class CADocumentTextFormsTest : public doctest::Test
{
};

TEST_F(CADocumentTextFormsTest, EveryFormOfATextOpensCleanAndKeepsTheTextTheUserLeft)
{
    // The classes whose text the user types: a plain text, and an address text of its own.
    const std::vector<std::pair<const char *, std::function<CFTComponent *()>>> classes = {
        {"Text", [] { return new CFTAText(20.0, 20.0, 140.0, 30.0, nullptr); }},
        {"Address Text", [] { return new CFTAAddressText(false, tcSimpleText, adWork, nullptr, nullptr); }},
    };
    const TextForm forms[] = {
        {"its characters", u"Season's greetings"_s, [](const PWPlist::Dictionary &withText, const PWPlist::Dictionary &) { return withText; }},
        {"an empty text's style", QString(), [](const PWPlist::Dictionary &, const PWPlist::Dictionary &empty) { return empty; }},
        {"the older form", u"Season's greetings"_s, [](const PWPlist::Dictionary &withText, const PWPlist::Dictionary &) {
             // As older writers stored a component's text: RTFD under "Text Storage".
             PWPlist::Dictionary older = withText;
             older.remove(key_TextStorage2);
             PWAttributedString text;
             text.append(u"Season's greetings"_s, QTextCharFormat(), QTextBlockFormat());
             older.insert(key_TextStorage, PWPlist::fromData(PWRtfd::data(text)));
             return older;
         }},
    };
    // What the user does with the text after opening; nothing for leaving it alone.
    const std::optional<QString> edits[] = {std::nullopt, QString(), u"See you at the harbour"_s};
    for (const auto &[className, make] : classes) {
        CFTComponent *full = make();
        full->GetText()->setString(u"Season's greetings"_s, nullptr);
        const PWPlist::Dictionary withText = writtenEntry(full);
        const PWPlist::Dictionary empty = writtenEntry(make());
        ASSERT_TRUE(withText.contains(key_TextStorage2)) << className;
        ASSERT_FALSE(empty.contains(key_TextStorage2)) << className;
        for (const TextForm &form : forms) {
            const PWPlist::Dictionary stored = form.make(withText, empty);
            for (const std::optional<QString> &edit : edits) {
                const std::string where = std::string(className) + " holding " + form.name + ", "
                                          + (edit ? "typed as \"" + edit->toStdString() + '"' : std::string("left alone"));
                CADocument document;
                ASSERT_TRUE(document.loadPropertyList(designOf(stored))) << where;
                EXPECT_EQ(document.readProblems(), QStringList()) << where;
                EXPECT_EQ(textOf(document), form.text) << where;
                CFTComponent *component = onlyComponent(document);
                ASSERT_TRUE(component && component->GetText()) << where;
                if (edit)
                    component->GetText()->setString(*edit, nullptr);
                const PWPlist saved = document.propertyListForComponents(nullptr);
                if (!edit) {
                    EXPECT_EQ(saved.value(key_FrontSide).value(key_Components).toArray().value(0), PWPlist(stored))
                        << where << ": the save changed the component the user left alone";
                }
                CADocument reopened;
                ASSERT_TRUE(reopened.loadPropertyList(saved)) << where;
                EXPECT_EQ(reopened.readProblems(), QStringList()) << where;
                EXPECT_EQ(textOf(reopened), edit.value_or(form.text)) << where;
            }
        }
    }
}

} // namespace
