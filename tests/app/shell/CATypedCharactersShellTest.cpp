// What the user typed, through every control of the inspector's pane that a text brings up and
// every command of the Format menu, each found in the window as it runs: on a plain text typed
// with the text tool, an address typed into a panel, a panel filled from a person with a field
// open and with the panel selected, a counter and a file field. Each is saved, changed, saved,
// undone, saved, redone and saved: the characters as typed of every text that is still the same
// text and the stored persons' cards are those of the first save at each save, the undone design
// saves the first save's bytes and the redone one the changed one's.
#include "app/inspector/CAColorWell.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CAMainMenu.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/render/CDDArchiveText.h"
#include "kernel/render/CDDText.h"
#include "platform/PWVCardReader.h"

#include "../inspector/PanesWindowFixture.h"
#include "AssistantTestSupport.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <map>

namespace {

const char *const kTypedCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:McKee;Ann;;;\r\nFN:Ann McKee\r\nORG:iPhone Repairs;\r\n"
                               "ADR;TYPE=WORK:;;12 deF Road;MacKenzie Falls;WI;53703;USA\r\nEND:VCARD\r\n";

// A text's kind (its class) and its characters as typed; a stored person's card is its own kind.
struct TypedText
{
    QString kind;
    QString characters;
};
using TypedTexts = std::map<QString, TypedText>;

// Each text's characters as typed, by where it stands among the components, and each stored
// person's card. Texts a person fills are the person's: their letters are in the card. A
// counter or a file field stores no characters of its own: it stands there with none.
void typedIn(const PWPlist &value, const QString &at, TypedTexts &typed)
{
    if (value.isArray()) {
        for (qsizetype i = 0; i < value.toArray().size(); ++i)
            typedIn(value.toArray().at(i), at + u'/' + QString::number(i), typed);
        return;
    }
    if (!value.isDictionary())
        return;
    // No person fills a text of its own (128), a counter (25) or a file field (26).
    const PWPlist category = value.value(u"Text Category"_s);
    const bool text = !value.value(u"Text Storage 2"_s).isNull() || !value.value(u"Text Storage 2::DefValue"_s).isNull();
    if (text && (category.isNull() || QStringList {u"128"_s, u"-1"_s, u"25"_s, u"26"_s}.contains(category.toString()))) {
        CDDArchive archive(false);
        archive.Attach(value);
        CDDText stored;
        archiveGetText(archive, u"Text Storage 2"_s, stored);
        const PWPlist kept = value.value(u"Typed Text"_s);
        typed[at] = {value.value(u"Class ID"_s).toString(), kept.isString() ? kept.toString() : stored.getString()};
    }
    for (const PWPlist::Dictionary::Entry &entry : value.toDictionary()) {
        if (entry.first == u"personData"_s)
            typed[at + u'/' + entry.first] = {entry.first, QString::fromUtf8(entry.second.toData())};
        else
            typedIn(entry.second, at + u'/' + entry.first, typed);
    }
}

TypedTexts typedOf(const QByteArray &bytes)
{
    TypedTexts typed;
    typedIn(PWPlist::parse(bytes).value_or(PWPlist()), QString(), typed);
    return typed;
}

// Where the typed characters of a later save part from an earlier one's: a text gone from where it
// stood, or another text there of the same kind. A text made another kind (a plain text made a
// counter) holds what its new kind holds; its undo gives back the earlier bytes whole.
QString typedDifference(const TypedTexts &before, const TypedTexts &after)
{
    for (const auto &[where, text] : before) {
        const auto found = after.find(where);
        if (found == after.end())
            return where + u": missing instead of "_s + text.kind + u" \""_s + text.characters.left(120) + u'"';
        if (found->second.kind == text.kind && found->second.characters != text.characters)
            return where + u": \""_s + found->second.characters.left(120) + u"\" instead of \""_s
                   + text.characters.left(120) + u'"';
    }
    return QString();
}

enum class TypedTextKind { PlainText, TypedAddress, PersonFieldOpen, PersonPanelSelected, Counter, FileField };

struct TypedKind
{
    const char *name;
    TypedTextKind kind;
};

void PrintTo(const TypedKind &row, std::ostream *out)
{
    *out << row.name;
}

// One thing the user does: its name, and the doing (false when it cannot be done now).
struct TypedAct
{
    QString name;
    std::function<bool()> perform;
};

class CATypedCharactersTest : public paneswindow::Test, public ::testing::WithParamInterface<TypedKind>
{
protected:
    void TearDown() override
    {
        m_closer.stop();
        paneswindow::Test::TearDown();
    }

    // A field of the panel opened for typing, as a user does: a click on the panel, one more on
    // the field.
    bool openField(CFTAAddressPanel *panel, textCategory category)
    {
        CFTAAddressText *field = panel->getAddressComponentWithTextCategory(category);
        if (!field)
            return false;
        for (int tries = 0; tries < 3 && !canvas->isEditingText(); ++tries) {
            QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, pointOf(field));
            paint();
        }
        return canvas->isEditingText();
    }
    // Typed over the whole field, then a click outside.
    bool typeInto(CFTAAddressPanel *panel, textCategory category, const QString &text)
    {
        if (!openField(panel, category))
            return false;
        QTest::keyClick(canvas, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(canvas, text);
        click(nullptr);
        return !canvas->isEditingText();
    }
    CFTComponent *newest() const
    {
        const std::vector<CFTComponent *> all = canvas->ftView()->GetCurrentComponents();
        return all.empty() ? nullptr : all.back();
    }

    // The kind made as a user makes it; its state (selected or open) is set again by prepare.
    CFTComponent *make(TypedTextKind kind)
    {
        CFTADocument *design = canvas->document()->ftDocument();
        switch (kind) {
        case TypedTextKind::PlainText: {
            if (!choose("textMode"))
                return nullptr;
            QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {},
                              canvas->geometry().widgetPoint(QPointF(30.0, 20.0)).toPoint());
            if (!canvas->isEditingText())
                return nullptr;
            QTest::keyClicks(canvas, u"McKee iPhone / ABC deF gHi"_s);
            QTest::keyClick(canvas, Qt::Key_Return);
            QTest::keyClicks(canvas, u"is Up. xYz"_s);
            click(nullptr);
            return newest();
        }
        case TypedTextKind::TypedAddress: {
            CFTAAddressPanel *panel = addRecipientPanel();
            if (!panel || !typeInto(panel, tcCity, u"MacKenzie Falls"_s) || !typeInto(panel, tcStreet, u"12 deF Road"_s))
                return nullptr;
            return panel;
        }
        case TypedTextKind::PersonFieldOpen:
        case TypedTextKind::PersonPanelSelected: {
            CFTAAddressPanel *panel = addRecipientPanel();
            canvas->document()->setCurrentPerson(PWVCardReader::personFromData(kTypedCard).get(), true, true, true);
            paint();
            return panel;
        }
        case TypedTextKind::Counter:
            design->AddObject(new CFTCounterField(30.0, 20.0, 60.0, 20.0, nullptr), 0, false);
            paint();
            return newest();
        case TypedTextKind::FileField: {
            const QString lines = path(u"lines.txt"_s);
            if (!pwtest::writeFile(lines, "McKee;iPhone\nABC deF;gHi\n"))
                return nullptr;
            auto *field = new CFTFileField(30.0, 20.0, 60.0, 20.0, nullptr);
            field->SetFile(CDDString(lines));
            design->AddObject(field, 0, false);
            paint();
            return field;
        }
        }
        return nullptr;
    }

    // The kind's state before each act: its field open, or it alone selected.
    bool prepare(TypedTextKind kind, CFTComponent *component)
    {
        window(0)->activateWindow();
        if (kind == TypedTextKind::PersonFieldOpen) {
            if (canvas->isEditingText())
                return true;
            click(nullptr);
            return openField(static_cast<CFTAAddressPanel *>(component), tcCity);
        }
        if (canvas->isEditingText())
            click(nullptr);
        if (canvas->ftView()->getSelComponents() != std::vector<CFTComponent *> {component}) {
            click(nullptr);
            click(component);
        }
        return canvas->ftView()->getSelComponents() == std::vector<CFTComponent *> {component} && !canvas->isEditingText();
    }

    // Every control of the pane the inspector shows now, each set as a user sets it: a box or
    // radio ticked, a button clicked, a pull-down's first item not chosen yet chosen, a pop-up
    // moved one item, a slider one step, a field typed with another value, a colour well given a
    // colour.
    std::vector<TypedAct> controlActs()
    {
        std::vector<TypedAct> acts;
        CAInspectorPane *shown = inspector->pane(inspector->tabView()->currentIndex());
        if (!shown)
            return acts;
        const QString tab = QString::number(inspector->tabView()->currentIndex());
        for (QWidget *control : shown->findChildren<QWidget *>()) {
            const QString name = u"inspector "_s + tab + u' ' + control->objectName();
            if (control->objectName().isEmpty() || control->objectName().startsWith(u"qt_"_s))
                continue;
            if (auto *well = qobject_cast<CAColorWell *>(control)) {
                acts.push_back({name, [this, well] {
                                    if (!well->isEnabled() || !well->isVisible())
                                        return false;
                                    press(well);
                                    CAColorWell::colorPanel()->setCurrentColor(QColor(200, 20, 30));
                                    QApplication::processEvents();
                                    well->deactivate();
                                    return true;
                                }});
            } else if (auto *button = qobject_cast<QToolButton *>(control); button && button->menu()) {
                acts.push_back({name, [button] {
                                    if (!button->isEnabled() || !button->isVisible())
                                        return false;
                                    Q_EMIT button->menu()->aboutToShow();
                                    for (QAction *item : button->menu()->actions())
                                        if (item->isEnabled() && !item->isSeparator() && !item->isChecked()
                                            && !item->text().isEmpty()) {
                                            item->trigger();
                                            return true;
                                        }
                                    return false;
                                }});
            } else if (auto *box = qobject_cast<QAbstractButton *>(control)) {
                acts.push_back({name, [box] {
                                    if (!box->isEnabled() || !box->isVisible()
                                        || (qobject_cast<QRadioButton *>(box) && box->isChecked()))
                                        return false;
                                    if (qobject_cast<QCheckBox *>(box) || qobject_cast<QRadioButton *>(box)) {
                                        box->setFocus();
                                        QTest::keyClick(box, Qt::Key_Space);
                                    } else {
                                        QTest::mouseClick(box, Qt::LeftButton);
                                    }
                                    return true;
                                }});
            } else if (auto *popup = qobject_cast<QComboBox *>(control)) {
                acts.push_back({name, [popup] {
                                    if (!popup->isEnabled() || !popup->isVisible() || popup->count() < 2)
                                        return false;
                                    popup->setFocus();
                                    QTest::keyClick(popup, popup->currentIndex() + 1 < popup->count() ? Qt::Key_Down
                                                                                                      : Qt::Key_Up);
                                    return true;
                                }});
            } else if (auto *slider = qobject_cast<QSlider *>(control)) {
                acts.push_back({name, [slider] {
                                    if (!slider->isEnabled() || !slider->isVisible())
                                        return false;
                                    slider->setFocus();
                                    QTest::keyClick(slider, slider->value() < slider->maximum() ? Qt::Key_PageUp
                                                                                                : Qt::Key_PageDown);
                                    return true;
                                }});
            } else if (auto *field = qobject_cast<QLineEdit *>(control)) {
                acts.push_back({name, [field] {
                                    if (!field->isEnabled() || !field->isVisible() || field->isReadOnly())
                                        return false;
                                    bool number = false;
                                    const double value = field->text().toDouble(&number);
                                    type(field, number ? QString::number(value + 1.0) : field->text() + u";"_s);
                                    return true;
                                }});
            }
        }
        return acts;
    }

    // Every command of the Format menu and its submenus, each chosen with the first of its items
    // that is enabled and not ticked as the menu shows when it opens.
    std::vector<TypedAct> formatActs()
    {
        std::vector<TypedAct> acts;
        std::map<QString, bool> seen;
        std::function<void(QMenu *)> walk = [&](QMenu *menu) {
            Q_EMIT menu->aboutToShow();
            for (QAction *item : menu->actions()) {
                if (item->menu()) {
                    walk(item->menu());
                    continue;
                }
                const QString command = item->property(CAActionRouter::kActionProperty).toString();
                if (item->isSeparator() || command.isEmpty() || seen[command])
                    continue;
                seen[command] = true;
                acts.push_back({u"Format > "_s + command, [this, menu, command] {
                                    window(0)->activateWindow();
                                    controller->mainMenu().validate();
                                    Q_EMIT menu->aboutToShow();
                                    for (QAction *candidate : menu->actions())
                                        if (candidate->property(CAActionRouter::kActionProperty).toString() == command
                                            && candidate->isEnabled() && !candidate->isChecked()) {
                                            candidate->trigger();
                                            paint();
                                            return true;
                                        }
                                    return false;
                                }});
            }
        };
        if (QMenu *format = controller->mainMenu().menu(u"Format"_s))
            walk(format);
        return acts;
    }

    PWUndoManager &undo() { return *canvas->document()->undoManager(); }

    // Windows an act opens that wait for an answer (a file to choose, a colour) are closed as a
    // user closes them, unanswered.
    void closeWaitingWindows()
    {
        m_closer.setInterval(0);
        QObject::connect(&m_closer, &QTimer::timeout, [] {
            if (QWidget *waiting = QApplication::activeModalWidget())
                waiting->close();
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
        });
        m_closer.start();
    }

    QTimer m_closer;
};

} // namespace

TEST_P(CATypedCharactersTest, EveryControlAndFormatCommandKeepsTheTypedCharactersAndUndoGivesTheBytesBack)
{
    const TypedKind &row = GetParam();
    ASSERT_TRUE(start());
    CFTComponent *component = make(row.kind);
    ASSERT_TRUE(component);
    ASSERT_TRUE(prepare(row.kind, component));
    forgetHistory();
    closeWaitingWindows();
    std::vector<TypedAct> acts = controlActs();
    const std::size_t controls = acts.size();
    EXPECT_GT(controls, 3u) << "the pane shows its controls";
    for (TypedAct &act : formatActs())
        acts.push_back(std::move(act));
    EXPECT_GT(acts.size() - controls, 10u) << "the Format menu shows its commands";

    int made = 0;
    for (const TypedAct &act : acts) {
        SCOPED_TRACE(act.name.toStdString());
        ASSERT_TRUE(prepare(row.kind, component));
        undo().removeAllActions();
        const QByteArray first = bytes();
        const TypedTexts typed = typedOf(first);
        ASSERT_FALSE(typed.empty());
        if (!act.perform())
            continue;
        if (!undo().canUndo()) {
            // What is no step (the panel's show-all switch, a way of looking at it) changes no
            // byte of the design: every edit can be undone.
            EXPECT_EQ(shelltest::savedDifference(bytes(), first), QString()) << "changed without a step";
            continue;
        }
        ++made;
        const QByteArray changed = bytes();
        EXPECT_EQ(typedDifference(typed, typedOf(changed)), QString()) << "changed";
        int steps = 0;
        while (undo().canUndo() && steps < 8) {
            ASSERT_TRUE(controller->router().perform(u"undo"_s));
            ++steps;
        }
        const QByteArray undone = bytes();
        EXPECT_EQ(typedDifference(typed, typedOf(undone)), QString()) << "undone";
        EXPECT_EQ(shelltest::savedDifference(undone, first), QString()) << "undone";
        for (int step = 0; step < steps; ++step)
            ASSERT_TRUE(controller->router().perform(u"redo"_s));
        EXPECT_EQ(shelltest::savedDifference(bytes(), changed), QString()) << "redone";
        for (int step = 0; step < steps; ++step)
            ASSERT_TRUE(controller->router().perform(u"undo"_s));
        EXPECT_EQ(shelltest::savedDifference(bytes(), first), QString()) << "undone again";
    }
    EXPECT_GT(made, 5);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CATypedCharactersTest,
                         ::testing::Values(TypedKind {"PlainText", TypedTextKind::PlainText},
                                           TypedKind {"Counter", TypedTextKind::Counter},
                                           TypedKind {"FileField", TypedTextKind::FileField}),
                         [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(AddressKinds, CATypedCharactersTest,
                         ::testing::Values(TypedKind {"TypedAddress", TypedTextKind::TypedAddress},
                                           TypedKind {"PersonFieldOpen", TypedTextKind::PersonFieldOpen},
                                           TypedKind {"PersonPanelSelected", TypedTextKind::PersonPanelSelected}),
                         [](const auto &info) { return std::string(info.param.name); });

namespace {

// The shipped "Ship To" label with its return address chosen as a user chooses it.
enum class ShipToPath { ClickOnTheCity, DragAroundThePanel, ClickThenOpenTheCity };

struct ShipToChoice
{
    const char *name;
    ShipToPath choice;
};

void PrintTo(const ShipToChoice &row, std::ostream *out)
{
    *out << row.name;
}

class CAShipToCapitalsTest : public paneswindow::Test, public ::testing::WithParamInterface<ShipToChoice>
{
protected:
    // The design file in a window of its own, in front, as File > Open gives it.
    bool open(const QString &file)
    {
        opened = manager().openDocument(file);
        auto *w = opened ? qobject_cast<CAMainWindowController *>(opened->window.data()) : nullptr;
        if (!w)
            return false;
        w->activateWindow();
        canvas = w->docView();
        paint();
        canvas->document()->undoManager()->setGroupsByEvent(false);
        canvas->document()->undoManager()->removeAllActions();
        return true;
    }
    CFTAAddressPanel *sender() const
    {
        for (CFTComponent *component : canvas->ftView()->GetCurrentComponents())
            if (component->getClassID() == ciAddressPanel && !component->GetToFrom())
                return static_cast<CFTAAddressPanel *>(component);
        return nullptr;
    }
    QString city() const { return sender()->getAddressComponentWithTextCategory(tcCity)->GetString().getData(); }
    QByteArray senderCard() const
    {
        return PWPlist::parse(bytesNow()).value_or(PWPlist()).value(u"Person From"_s).value(u"personData"_s).toData();
    }
    QByteArray bytesNow() const
    {
        canvas->viewport()->repaint();
        QApplication::processEvents();
        return canvas->document()->dataRepresentationOfType(CADocument::kAddressDocumentType);
    }
    void drag(QPoint from, QPoint to)
    {
        QWidget *target = canvas->viewport();
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 4; ++step) {
            const QPointF p = from + (to - from) * step / 4;
            QMouseEvent event(QEvent::MouseMove, p, target->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(target, &event);
        }
        QTest::mouseRelease(target, Qt::LeftButton, {}, to);
        paint();
    }
    void choosePanel(ShipToPath choice)
    {
        CFTAAddressPanel *panel = sender();
        const QPoint city = pointOf(panel->getAddressComponentWithTextCategory(tcCity));
        switch (choice) {
        case ShipToPath::ClickOnTheCity:
            QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, city);
            break;
        case ShipToPath::DragAroundThePanel: {
            const QRectF frame(panel->GetOriginX() - 4.0, panel->GetOriginY() - 4.0, panel->GetSizeX() + 8.0,
                               panel->GetSizeY() + 8.0);
            drag(canvas->geometry().widgetPoint(frame.topLeft()).toPoint(),
                 canvas->geometry().widgetPoint(frame.bottomRight()).toPoint());
            break;
        }
        case ShipToPath::ClickThenOpenTheCity:
            QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, city);
            paint();
            if (!canvas->isEditingText())
                QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, city);
            break;
        }
        paint();
    }

    std::shared_ptr<CAOpenDocument> opened;
};

} // namespace

// Capitals ticked in the inspector on the return address however it was chosen: the city shows
// its comma in capitals, the stored person keeps its letters, Edit > Undo gives the saved bytes
// back and Redo the capitals with the comma again; a save holds the capitals and the letters as
// typed, and the design opened again and unticked shows and saves them as they were.
TEST_P(CAShipToCapitalsTest, TheCitysCommaAndLettersStayThroughCapitalsAndTheirUndo)
{
    const QString file = path(u"Ship To.pwdc"_s);
    QString shipTo;
    for (const QString &relative : assistanttest::sampleDesigns())
        if (relative.endsWith(u"/Ship To.pwdc"_s) && shipTo.isEmpty())
            shipTo = QDir(assistanttest::sampleTemplates()).filePath(relative);
    ASSERT_FALSE(shipTo.isEmpty());
    ASSERT_TRUE(QFile::copy(shipTo, file));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(start());
    // The design opened is the only window, so that the menus and the inspector act on it.
    saveAnswer = CADocumentManager::SaveAnswer::DontSave;
    ASSERT_TRUE(manager().closeDocument(manager().documents().value(0)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(open(file));
    ASSERT_TRUE(sender());
    const QString typedCity = city();
    ASSERT_TRUE(typedCity.endsWith(u','));
    const QByteArray card = senderCard();
    const QByteArray before = bytesNow();

    choosePanel(GetParam().choice);
    ASSERT_EQ(canvas->ftView()->getSelComponents(), std::vector<CFTComponent *> {sender()});
    auto *capitals = control<QCheckBox>(CAPropertiesController::AddressTab, "_capitalizeButton");
    ASSERT_TRUE(capitals && capitals->isEnabled() && !capitals->isChecked());
    capitals->setFocus();
    QTest::keyClick(capitals, Qt::Key_Space);
    paint();
    EXPECT_EQ(city(), typedCity.toUpper());
    EXPECT_EQ(senderCard(), card) << "the person keeps its letters";
    const QByteArray shown = bytesNow();

    ASSERT_TRUE(controller->router().perform(u"undo"_s));
    EXPECT_EQ(city(), typedCity);
    EXPECT_EQ(shelltest::savedDifference(bytesNow(), before), QString());
    ASSERT_TRUE(controller->router().perform(u"redo"_s));
    EXPECT_EQ(city(), typedCity.toUpper());
    EXPECT_EQ(shelltest::savedDifference(bytesNow(), shown), QString());

    ASSERT_TRUE(perform("saveDocument"));
    const PWPlist saved = PWPlist::parse(pwtest::readFile(file)).value_or(PWPlist());
    QList<PWPlist> keys;
    std::function<void(const PWPlist &)> collect = [&](const PWPlist &value) {
        if (value.isDictionary()) {
            if (value.value(u"Text Category"_s).toString() == QString::number(int(tcCity)))
                keys << value.value(u"Typed Text"_s);
            for (const PWPlist::Dictionary::Entry &entry : value.toDictionary())
                collect(entry.second);
        } else if (value.isArray()) {
            for (const PWPlist &item : value.toArray())
                collect(item);
        }
    };
    collect(saved.value(u"Front Side"_s));
    EXPECT_TRUE(keys.contains(PWPlist::fromString(typedCity))) << "the letters as typed beside the capitals";

    ASSERT_TRUE(manager().closeDocument(opened));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(open(file));
    EXPECT_EQ(city(), typedCity.toUpper());
    choosePanel(ShipToPath::DragAroundThePanel);
    capitals = control<QCheckBox>(CAPropertiesController::AddressTab, "_capitalizeButton");
    ASSERT_TRUE(capitals && capitals->isEnabled() && capitals->isChecked());
    capitals->setFocus();
    QTest::keyClick(capitals, Qt::Key_Space);
    paint();
    EXPECT_EQ(city(), typedCity);
    EXPECT_EQ(shelltest::savedDifference(bytesNow(), before), QString()) << "unticked after a reopen";
}

INSTANTIATE_TEST_SUITE_P(Choices, CAShipToCapitalsTest,
                         ::testing::Values(ShipToChoice {"ClickOnTheCity", ShipToPath::ClickOnTheCity},
                                           ShipToChoice {"DragAroundThePanel", ShipToPath::DragAroundThePanel},
                                           ShipToChoice {"ClickThenOpenTheCity", ShipToPath::ClickThenOpenTheCity}),
                         [](const auto &info) { return std::string(info.param.name); });
