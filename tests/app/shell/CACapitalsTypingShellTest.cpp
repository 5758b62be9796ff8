// Typing in place while a text shows capitals, as a user does it: random runs of steps (capitals
// ticked and unticked in the inspector, characters typed, deleted and pasted at places the arrow
// keys reach, Format > Font > Bigger, Edit > Undo and Redo of each) on a plain text, on an address field typed into with no
// person chosen, and on a field filled from a person. After each step the text shows the
// characters a plain model of the typing holds (in capitals while they are ticked), the design's
// person holds them too (never the capitals; a panel typed into with no person at all makes one), and a save writes them beside the capitals. At the
// end every step undone gives back the first save's bytes (persons included) and every step
// redone the last one's; the design saved and opened again, unticked, shows the model's letters.
#include "app/shell/CAActionRouter.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/render/CDDArchiveText.h"
#include "kernel/render/CDDText.h"
#include "platform/PWPerson.h"
#include "platform/PWVCardReader.h"

#include "../inspector/PanesWindowFixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

#include <random>

namespace {

enum class TypedInto { PlainText, TypedField, PersonField, EmptyField };

struct CapitalsRun
{
    const char *name;
    TypedInto kind;
    unsigned seed;
};

void PrintTo(const CapitalsRun &row, std::ostream *out)
{
    *out << row.name;
}

// Each letter by its own capital, as a text shown in capitals draws it.
QString capitalsOf(const QString &letters)
{
    QString shown;
    for (const QChar c : letters)
        shown += c.toUpper();
    return shown;
}

const char *const kCityCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:McKee;Ann;;;\r\nFN:Ann McKee\r\n"
                          "ADR;TYPE=WORK:;;12 deF Road;Sankt Gallen;;9000;Switzerland\r\nEND:VCARD\r\n";

class CACapitalsTypingTest : public paneswindow::Test, public ::testing::WithParamInterface<CapitalsRun>
{
protected:
    TypedInto kind() const { return GetParam().kind; }

    // The text typed into: the plain text, or the city of the recipient panel.
    CFTComponent *typedText() const
    {
        for (CFTComponent *component : canvas->ftView()->GetCurrentComponents()) {
            // The text tool makes a text of its own (an address text no person fills).
            if (kind() == TypedInto::PlainText && component->getClassID() != ciAddressPanel)
                return component;
            if (kind() != TypedInto::PlainText && component->getClassID() == ciAddressPanel)
                return static_cast<CFTAAddressPanel *>(component)->getAddressComponentWithTextCategory(tcCity);
        }
        return nullptr;
    }
    CFTComponent *selectable() const
    {
        CFTComponent *text = typedText();
        if (kind() == TypedInto::PlainText || !text)
            return text;
        for (CFTComponent *component : canvas->ftView()->GetCurrentComponents())
            if (component->getClassID() == ciAddressPanel)
                return component;
        return nullptr;
    }
    QString shown() const { return typedText()->GetText()->getString(); }
    // The city the design's recipient holds; null without a recipient.
    QString personCity() const
    {
        const std::shared_ptr<PWPerson> person = canvas->document()->currentPerson(true);
        const CFTComponent *field = typedText();
        return person ? stringForPersonCategory(person.get(), field->GetAddressType(), tcCity, field->IsPreferredAddress())
                      : QString();
    }

    // The text opened for typing as a user opens it (a double click on a plain text, a click on the
    // selected panel's field), the caret put at the place given with the arrow keys.
    bool openAt(qsizetype place)
    {
        if (canvas->isEditingText())
            click(nullptr);
        const QPoint at = pointOf(typedText());
        for (int tries = 0; tries < 3 && !canvas->isEditingText(); ++tries) {
            if (kind() == TypedInto::PlainText)
                QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
            else
                QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, at);
            paint();
        }
        if (!canvas->isEditingText())
            return false;
        QTest::keyClick(canvas, Qt::Key_Home, Qt::ControlModifier);
        for (qsizetype i = 0; i < place; ++i)
            QTest::keyClick(canvas, Qt::Key_Right);
        return true;
    }
    // The item alone selected, with a click as a user selects it.
    void selectItem()
    {
        if (canvas->isEditingText())
            click(nullptr);
        if (canvas->ftView()->getSelComponents() != std::vector<CFTComponent *> {selectable()})
            click(selectable());
    }
    bool tickCapitals()
    {
        selectItem();
        auto *box = kind() == TypedInto::PlainText
                        ? control<QCheckBox>(CAPropertiesController::TextTab, "m_capitalizeButton")
                        : control<QCheckBox>(CAPropertiesController::AddressTab, "_capitalizeButton");
        if (!box || !box->isEnabled())
            return false;
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
        paint();
        return true;
    }

    // The text as set up before the run: typed as a user types it, or filled from a person.
    bool makeText(const QString &letters)
    {
        if (kind() == TypedInto::PlainText) {
            if (!choose("textMode"))
                return false;
            QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {},
                              canvas->geometry().widgetPoint(QPointF(30.0, 20.0)).toPoint());
            if (!canvas->isEditingText())
                return false;
            const QStringList lines = letters.split(u'\n');
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (i > 0)
                    QTest::keyClick(canvas, Qt::Key_Return, Qt::ShiftModifier);
                QTest::keyClicks(canvas, lines.at(i));
            }
            click(nullptr);
            return typedText() != nullptr;
        }
        if (!addRecipientPanel())
            return false;
        if (kind() == TypedInto::EmptyField)
            return typedText() != nullptr;
        if (kind() == TypedInto::PersonField) {
            canvas->document()->setCurrentPerson(PWVCardReader::personFromData(kCityCard).get(), true, true, true);
            paint();
            return typedText() != nullptr;
        }
        if (!openAt(0))
            return false;
        QTest::keyClick(canvas, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(canvas, letters);
        click(nullptr);
        return !canvas->isEditingText();
    }

    // What the shown text must be: the model's letters, in capitals while they are ticked; a field
    // may show its panel's delimiter after them.
    ::testing::AssertionResult showsModel(const QString &letters, bool capitals) const
    {
        const QString expected = capitals ? capitalsOf(letters) : letters;
        const QString now = shown();
        const auto *field = dynamic_cast<const CFTAAddressText *>(typedText());
        if (now == expected || (field && now == expected + field->formatDelimiter()))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "shows \"" << now.toStdString() << "\" for \""
                                             << expected.toStdString() << '"';
    }
    // The characters a save holds for the typed text: beside the capitals, or as its text.
    QString savedLetters(const QByteArray &saved) const
    {
        QString found;
        std::function<void(const PWPlist &)> walk = [&](const PWPlist &value) {
            if (value.isArray()) {
                for (const PWPlist &item : value.toArray())
                    walk(item);
                return;
            }
            if (!value.isDictionary())
                return;
            const QString category = value.value(u"Text Category"_s).toString();
            const bool ours = category == QString::number(int(kind() == TypedInto::PlainText ? tcSimpleText : tcCity));
            if (ours && found.isNull()) {
                const PWPlist typed = value.value(u"Typed Text"_s);
                CDDArchive archive(false);
                archive.Attach(value);
                CDDText stored;
                archiveGetText(archive, u"Text Storage 2"_s, stored);
                found = typed.isString() ? typed.toString() : stored.getString();
                return;
            }
            for (const PWPlist::Dictionary::Entry &entry : value.toDictionary())
                walk(entry.second);
        };
        walk(PWPlist::parse(saved).value_or(PWPlist()));
        return found;
    }

    PWUndoManager &undo() { return *canvas->document()->undoManager(); }

    // Typed key by key, letters beyond ASCII with their own keys as a keyboard gives them.
    void typeLetters(const QString &letters)
    {
        for (const QChar c : letters) {
            if (c.unicode() < 0x80)
                QTest::keyClick(canvas, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, canvas, Qt::Key(c.toUpper().unicode()), QString(c), {});
        }
    }
};

} // namespace

TEST_P(CACapitalsTypingTest, TypedCharactersFollowEveryStepUnderCapitalsAndTheirUndo)
{
    ASSERT_TRUE(start());
    QString model = kind() == TypedInto::PlainText ? u"McKee iPhone\nABC deF"_s
                    : kind() == TypedInto::EmptyField ? QString()
                                                      : u"Sankt Gallen"_s;
    ASSERT_TRUE(makeText(model));
    // A line broken with Shift-Return breaks with a line separator.
    if (kind() == TypedInto::PlainText && shown() == QString(model).replace(u'\n', QChar::LineSeparator))
        model = shown();
    ASSERT_TRUE(showsModel(model, false));
    forgetHistory();
    const QByteArray first = bytes();
    const QString firstCity = personCity();

    std::mt19937 random(GetParam().seed);
    const auto pick = [&random](int below) { return int(random() % unsigned(below)); };
    const QString alphabet = u"aBcxYZé ü-"_s;
    const auto someLetters = [&] {
        QString letters;
        for (int n = 1 + pick(3); n > 0; --n)
            letters += alphabet.at(pick(int(alphabet.size())));
        return letters;
    };
    // The model's history: each state with the number of steps the window recorded for it.
    struct State
    {
        QString letters;
        bool capitals;
        int steps;
    };
    std::vector<State> done;
    std::vector<State> undone;
    bool capitals = false;
    int stepsTaken = 0;
    int steps = 0;
    QObject::connect(&undo(), &PWUndoManager::changeRecorded, [&steps] { ++steps; });

    for (int round = 0; round < 24; ++round) {
        const int what = round < 2 ? round % 2 : pick(9);
        const QString before = model;
        const bool capitalsBefore = capitals;
        steps = 0;
        std::string act;
        if (what == 0 || (what == 1 && !capitals)) {
            act = "capitals ticked or unticked";
            ASSERT_TRUE(tickCapitals());
            capitals = !capitals;
        } else if (what <= 3) {
            const qsizetype place = pick(int(model.size()) + 1);
            const QString letters = someLetters();
            act = "typed \"" + letters.toStdString() + "\" at " + std::to_string(place);
            ASSERT_TRUE(openAt(place));
            typeLetters(letters);
            click(nullptr);
            model.insert(place, letters);
        } else if (what == 4 && model.size() > 2) {
            const qsizetype place = 1 + pick(int(model.size()));
            const qsizetype count = std::min<qsizetype>(place, 1 + pick(2));
            act = "deleted " + std::to_string(count) + " before " + std::to_string(place);
            ASSERT_TRUE(openAt(place));
            for (qsizetype i = 0; i < count; ++i)
                QTest::keyClick(canvas, Qt::Key_Backspace);
            click(nullptr);
            model.remove(place - count, count);
        } else if (what == 5) {
            const qsizetype place = pick(int(model.size()) + 1);
            const QString letters = someLetters();
            act = "pasted \"" + letters.toStdString() + "\" at " + std::to_string(place);
            QGuiApplication::clipboard()->setText(letters);
            ASSERT_TRUE(openAt(place));
            QTest::keyClick(canvas, Qt::Key_V, Qt::ControlModifier);
            click(nullptr);
            model.insert(place, letters);
        } else if (what == 8) {
            act = "font made bigger";
            selectItem();
            ASSERT_TRUE(choose("increaseFontSize"));
        } else if (what == 6 && !done.empty()) {
            act = "undone";
            const State last = done.back();
            done.pop_back();
            for (int i = 0; i < last.steps; ++i)
                ASSERT_TRUE(controller->router().perform(u"undo"_s));
            undone.push_back({model, capitals, last.steps});
            model = last.letters;
            capitals = last.capitals;
            paint();
        } else if (what == 7 && !undone.empty()) {
            act = "redone";
            const State next = undone.back();
            undone.pop_back();
            for (int i = 0; i < next.steps; ++i)
                ASSERT_TRUE(controller->router().perform(u"redo"_s));
            done.push_back({model, capitals, next.steps});
            model = next.letters;
            capitals = next.capitals;
            paint();
        } else {
            continue;
        }
        SCOPED_TRACE("round " + std::to_string(round) + ": " + act);
        const bool restyled = what == 8;
        if (act != "undone" && act != "redone" && !(restyled && steps == 0)) {
            EXPECT_GT(steps, 0) << "the window recorded the step";
            done.push_back({before, capitalsBefore, steps});
            undone.clear();
            stepsTaken += steps;
        }
        ASSERT_TRUE(showsModel(model, capitals));
        EXPECT_EQ(savedLetters(bytes()), model) << "a save holds the characters typed";
        if (kind() != TypedInto::PlainText) {
            EXPECT_EQ(personCity(), model) << "the person holds the characters typed";
        }
    }
    ASSERT_GT(stepsTaken, 5);

    // Every step undone gives the first save back, persons included; every step redone the last.
    const QByteArray last = bytes();
    int back = 0;
    while (undo().canUndo()) {
        ASSERT_TRUE(controller->router().perform(u"undo"_s));
        ++back;
    }
    EXPECT_EQ(shelltest::savedDifference(bytes(), first), QString()) << "every step undone";
    EXPECT_EQ(personCity(), firstCity);
    for (int i = 0; i < back; ++i) {
        ASSERT_TRUE(controller->router().perform(u"redo"_s));
    }
    EXPECT_EQ(shelltest::savedDifference(bytes(), last), QString()) << "every step redone";

    // Saved, opened again and unticked, the text shows the letters typed.
    const QString file = path(u"typed.pwdc"_s);
    ASSERT_TRUE(pwtest::writeFile(file, last));
    std::shared_ptr<CAOpenDocument> opened = manager().openDocument(file);
    auto *w = opened ? qobject_cast<CAMainWindowController *>(opened->window.data()) : nullptr;
    ASSERT_TRUE(w);
    w->activateWindow();
    canvas = w->docView();
    paint();
    ASSERT_TRUE(showsModel(model, capitals));
    if (capitals) {
        ASSERT_TRUE(tickCapitals());
    }
    EXPECT_TRUE(showsModel(model, false)) << "opened again and unticked";
    if (kind() != TypedInto::PlainText) {
        EXPECT_EQ(personCity(), model);
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, CACapitalsTypingTest,
                         ::testing::Values(CapitalsRun {"PlainText1", TypedInto::PlainText, 1u},
                                           CapitalsRun {"PlainText2", TypedInto::PlainText, 2u},
                                           CapitalsRun {"PlainText3", TypedInto::PlainText, 3u},
                                           CapitalsRun {"TypedField1", TypedInto::TypedField, 1u},
                                           CapitalsRun {"TypedField2", TypedInto::TypedField, 2u},
                                           CapitalsRun {"TypedField3", TypedInto::TypedField, 3u},
                                           CapitalsRun {"PersonField1", TypedInto::PersonField, 1u},
                                           CapitalsRun {"PersonField2", TypedInto::PersonField, 2u},
                                           CapitalsRun {"PersonField3", TypedInto::PersonField, 3u},
                                           CapitalsRun {"EmptyField1", TypedInto::EmptyField, 1u},
                                           CapitalsRun {"EmptyField2", TypedInto::EmptyField, 2u}),
                         [](const auto &info) { return std::string(info.param.name); });
