// What a save writes after an ordinary edit made through the window, over the shipped sample
// designs (one of each kind) and designs as files from elsewhere bring them (a back list, a
// window envelope, a roll, a mask, a counter, a stored person with lines of its own, keys this
// version does not know on the design and on every component, a value that did not read): the
// saved tree differs from the one read only in the edited component, which keeps every key it
// had, and after one Edit > Undo it is the tree read.
#include "app/canvas/CADocView.h"
#include "app/inspector/CAColorWell.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/FTClassID.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/render/CDDArchiveText.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"
#include "platform/PWUndoManager.h"
#include "platform/PWVCardReader.h"

#include "../inspector/PanesWindowFixture.h"
#include "AssistantTestSupport.h"

#include <QColorDialog>
#include <QFile>
#include <QImage>

#include <map>
#include <set>

namespace {

// The first place where two trees part, as a path of keys and indices; empty when they are equal.
QString savedEditsDifference(const PWPlist &a, const PWPlist &b, const QString &at = QString())
{
    if (a == b)
        return QString();
    if (a.isDictionary() && b.isDictionary()) {
        for (const PWPlist::Dictionary::Entry &entry : a.toDictionary())
            if (const QString inner = savedEditsDifference(entry.second, b.value(entry.first), at + u'/' + entry.first);
                !inner.isEmpty())
                return inner;
        for (const PWPlist::Dictionary::Entry &entry : b.toDictionary())
            if (a.value(entry.first).isNull())
                return at + u'/' + entry.first + u" (added)"_s;
    }
    if (a.isArray() && b.isArray() && a.toArray().size() == b.toArray().size()) {
        for (qsizetype i = 0; i < a.toArray().size(); ++i)
            if (const QString inner = savedEditsDifference(a.toArray().at(i), b.toArray().at(i), at + u'/' + QString::number(i));
                !inner.isEmpty())
                return inner;
    }
    const auto shown = [](const PWPlist &value) {
        return value.isString() ? value.toString().left(80) : QString::fromUtf8(value.toXml().right(160).simplified());
    };
    return (at.isEmpty() ? u"/"_s : at) + u": "_s + shown(a) + u" against "_s + shown(b);
}

PWPlist savedEditsComponents(const PWPlist &design)
{
    return design.value(u"Front Side"_s).value(u"Components"_s);
}

// The design without its list of components.
PWPlist savedEditsAround(const PWPlist &design)
{
    PWPlist::Dictionary root = design.toDictionary();
    PWPlist::Dictionary front = root.value(u"Front Side"_s).toDictionary();
    front.remove(u"Components"_s);
    root.insert(u"Front Side"_s, PWPlist(front));
    return PWPlist(root);
}

// Keys of a file from elsewhere, on the design, its defaults and each of its components.
const QString kElsewhereKey = u"Elsewhere Key"_s;

PWPlist savedEditsWithElsewhereKey(const PWPlist &dictionary)
{
    PWPlist::Dictionary entry = dictionary.toDictionary();
    entry.insert(kElsewhereKey, PWPlist(PWPlist::Dictionary {{u"kept"_s, PWPlist::fromInteger(7)}}));
    return PWPlist(entry);
}

enum class EditKind { InPlace, Reorder, Replace };

struct SavedEdit
{
    const char *name;
    // A menu item, or empty for the edits below.
    const char *action;
    EditKind kind;
};

const SavedEdit kSavedEdits[] = {
    {"nudge with the right arrow key", "", EditKind::InPlace},
    {"a colour of the Colors panel", "", EditKind::InPlace},
    {"Format > Bigger", "increaseFontSize", EditKind::InPlace},
    {"Format > Smaller", "decreaseFontSize", EditKind::InPlace},
    {"Format > Align Center", "alignCenter", EditKind::InPlace},
    {"Format > Raise Baseline", "raiseBaseline", EditKind::InPlace},
    {"Format > Loosen Kerning", "loosenKerning", EditKind::InPlace},
    {"Format > Capitals", "capitalizeSelection", EditKind::InPlace},
    {"Format > Shadow", "setShadow", EditKind::InPlace},
    {"Format > Flip Horizontally", "flipX", EditKind::InPlace},
    {"Format > Tile Image", "tileImage", EditKind::InPlace},
    {"Format > Show Barcode", "showBarcode", EditKind::InPlace},
    {"Arrange > Center on the Page", "alignComponentsToDocumentCenter", EditKind::InPlace},
    {"Arrange > Bring Forward", "stepFront", EditKind::Reorder},
    {"Arrange > Send to Back", "orderBack", EditKind::Reorder},
    {"Edit > Delete", "delete", EditKind::Replace},
    {"Edit > Duplicate", "duplicate", EditKind::Replace},
    {"Arrange > Ungroup", "ungroup", EditKind::Replace},
    // A panel ungrouped and its fields grouped again: two steps.
    {"Arrange > Ungroup, then Arrange > Group", "group", EditKind::Replace},
};

class CASavedEditsShellTest : public paneswindow::Test
{
protected:
    void SetUp() override
    {
        paneswindow::Test::SetUp();
        ASSERT_TRUE(start());
        controller->manager().questions().reportReadProblems = [this](QWidget *, const QString &,
                                                                       const QStringList &problems, bool, bool) {
            told += problems;
        };
        saveAnswer = CADocumentManager::SaveAnswer::DontSave;
        // The designs opened are the only windows, so that the menus act on them.
        ASSERT_TRUE(manager().closeDocument(manager().documents().value(0)));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(manager().documents().isEmpty());
    }

    // The design file opened in a window of its own, as File > Open does.
    bool open(const QString &file)
    {
        opened = manager().openDocument(file);
        auto *w = opened ? qobject_cast<CAMainWindowController *>(opened->window.data()) : nullptr;
        if (!w || window(0) != w)
            return false;
        canvas = w->docView();
        w->activateWindow();
        canvas->grab();
        forgetOpenedHistory();
        return true;
    }
    void close()
    {
        if (opened)
            manager().closeDocument(opened);
        opened.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void forgetOpenedHistory()
    {
        canvas->document()->undoManager()->setGroupsByEvent(false);
        canvas->document()->undoManager()->removeAllActions();
    }
    // What File > Save writes now, once the window has drawn the design.
    PWPlist savedTree()
    {
        canvas->grab();
        return PWPlist::parse(canvas->document()->dataRepresentationOfType(CADocument::kAddressDocumentType))
            .value_or(PWPlist());
    }
    // The component's own entry as a save writes it.
    PWPlist entryOf(CFTComponent *component)
    {
        const std::vector<CFTComponent *> one {component};
        return PWPlist::parse(canvas->document()->documentDataForComponents(&one))
            .value_or(PWPlist())
            .value(u"Components"_s)
            .toArray()
            .value(0);
    }
    // The edit made as a user makes it; false when the window does not offer it for the selection.
    bool make(const SavedEdit &edit)
    {
        const QString name = QString::fromLatin1(edit.name);
        if (name.startsWith(u"nudge"_s)) {
            canvas->setFocus();
            QTest::keyClick(canvas, Qt::Key_Right);
            return true;
        }
        if (name.startsWith(u"a colour"_s)) {
            QColorDialog *colors = controller->panels().colorPanel();
            if (!colors)
                return false;
            ++m_colorTurn;
            colors->setCurrentColor(m_colorTurn % 2 ? QColor(200, 20, 30) : QColor(20, 160, 60));
            return true;
        }
        if (QByteArray(edit.action) == "group") {
            if (!choose("ungroup"))
                return false;
            ++m_steps;
            if (!choose("group")) {
                controller->router().perform(u"undo"_s);
                return false;
            }
            return true;
        }
        return choose(edit.action);
    }

    // Every edit on one component of each class the design has on its side: checks (a) and (b).
    void editEachKind(const QString &label)
    {
        const PWPlist read = savedTree();
        const std::vector<CFTComponent *> all = canvas->ftView()->GetCurrentComponents();
        std::map<int, CFTComponent *> targets;
        const PWPlist::Array readList = savedEditsComponents(read).toArray();
        for (CFTComponent *component : all)
            if (!targets.count(component->getClassID()) && readList.contains(entryOf(component)))
                targets[component->getClassID()] = component;
        ASSERT_FALSE(targets.empty()) << qPrintable(label);
        int made = 0;
        for (const auto &[classID, component] : targets) {
            const PWPlist own = entryOf(component);
            const qsizetype index = readList.indexOf(own);
            for (const SavedEdit &edit : kSavedEdits) {
                const std::string what = label.toStdString() + ", " + edit.name + " on a component of class "
                                         + std::to_string(classID);
                canvas->ftView()->deselectAll();
                canvas->ftView()->select(component);
                canvas->notifySelectionChanged();
                m_steps = 1;
                if (!make(edit))
                    continue;
                if (!canvas->document()->undoManager()->canUndo())
                    continue;
                ++made;
                const PWPlist edited = savedTree();
                EXPECT_EQ(savedEditsDifference(savedEditsAround(edited), savedEditsAround(read)), QString()) << what;
                const PWPlist::Array now = savedEditsComponents(edited).toArray();
                // Every other component as it was read.
                PWPlist::Array left = now;
                for (qsizetype i = 0; i < readList.size(); ++i) {
                    if (i == index)
                        continue;
                    const qsizetype found = left.indexOf(readList.at(i));
                    EXPECT_GE(found, 0) << what << ": component " << i << " changed";
                    if (found >= 0)
                        left.removeAt(found);
                }
                if (edit.kind == EditKind::InPlace && now.size() == readList.size()) {
                    // The edited one keeps every key it had, those this version does not know too.
                    for (const PWPlist::Dictionary::Entry &key : own.toDictionary())
                        EXPECT_FALSE(now.at(index).value(key.first).isNull())
                            << what << ": \"" << key.first.toStdString() << "\" dropped";
                    if (!own.value(kElsewhereKey).isNull()) {
                        EXPECT_EQ(now.at(index).value(kElsewhereKey), own.value(kElsewhereKey)) << what;
                    }
                }
                for (int step = 0; step < m_steps; ++step)
                    ASSERT_TRUE(controller->router().perform(u"undo"_s)) << what;
                EXPECT_EQ(savedEditsDifference(savedTree(), read), QString()) << what << ", then Edit > Undo";
                canvas->document()->undoManager()->removeAllActions();
            }
        }
        EXPECT_GT(made, 0) << qPrintable(label);
    }

    std::shared_ptr<CAOpenDocument> opened;
    QStringList told;
    int m_colorTurn = 0;
    // The undo steps the edit made.
    int m_steps = 1;
};

// One sample design of each kind: its kind of paper and the classes of its components.
QStringList savedEditsSampleKinds()
{
    QStringList chosen;
    std::set<QString> kinds;
    for (const QString &relative : assistanttest::sampleDesigns()) {
        const QString path = QDir(assistanttest::sampleTemplates()).filePath(relative);
        QFile file(path);
        const std::optional<PWPlist> design = file.open(QIODevice::ReadOnly) ? PWPlist::parse(file.readAll()) : std::nullopt;
        if (!design)
            continue;
        QStringList classes;
        for (const PWPlist &entry : savedEditsComponents(*design).toArray())
            classes << entry.value(u"Class ID"_s).toString();
        classes.sort();
        classes.removeDuplicates();
        const QString kind = design->value(u"Document Type"_s).toString() + u':' + classes.join(u',');
        if (kinds.insert(kind).second)
            chosen << path;
    }
    return chosen;
}

} // namespace

TEST_F(CASavedEditsShellTest, EveryEditOfASampleSavesOnlyItsChangeAndUndoGivesTheReadDesignBack)
{
    const QStringList samples = savedEditsSampleKinds();
    ASSERT_GE(samples.size(), 4);
    EXPECT_LE(samples.size(), 40) << "one of each kind keeps the test quick";
    for (const QString &sample : samples) {
        ASSERT_TRUE(open(sample)) << qPrintable(sample);
        QFile file(sample);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const PWPlist read = PWPlist::parse(file.readAll()).value_or(PWPlist());
        EXPECT_EQ(savedEditsDifference(savedTree(), read), QString()) << qPrintable(sample) << " saved unedited";
        editEachKind(sample);
        close();
    }
}

namespace {

PWPlist savedEditsEntry(std::unique_ptr<CFTComponent> component)
{
    return savedEditsWithElsewhereKey(CFTACoreDoc::GetArchiveFromObject(component.get(), nullptr).getDict());
}

QImage savedEditsBitmap(QRgb color)
{
    QImage bitmap(16, 12, QImage::Format_ARGB32);
    bitmap.fill(color);
    return bitmap;
}

// The first sample of the paper kind whose side holds an address panel.
PWPlist savedEditsSampleOf(const QString &documentType)
{
    for (const QString &relative : assistanttest::sampleDesigns()) {
        QFile file(QDir(assistanttest::sampleTemplates()).filePath(relative));
        const std::optional<PWPlist> design = file.open(QIODevice::ReadOnly) ? PWPlist::parse(file.readAll()) : std::nullopt;
        if (design && design->value(u"Document Type"_s).toString() == documentType
            && savedEditsComponents(*design).toArray().size() >= 2)
            return *design;
    }
    return PWPlist();
}

// A sample as a file from elsewhere holds it: keys this version does not know everywhere, and
// for an envelope a window, a back list (a panel without its version in it), a counter, a
// separator, a masked picture, a shape whose angle does not read, an address panel without its
// frame and a stored person with a line of its own; a label becomes a roll.
PWPlist savedEditsFromElsewhere(const PWPlist &sample, bool envelope)
{
    PWPlist::Dictionary root = savedEditsWithElsewhereKey(sample).toDictionary();
    for (const QString &key : {u"Default Settings"_s, u"Default Settings Text"_s})
        root.insert(key, savedEditsWithElsewhereKey(root.value(key)));
    const QString layoutKey = root.contains(u"Predefined Layout"_s) ? u"Predefined Layout"_s : u"Custom Layout"_s;
    PWPlist::Dictionary layout = root.value(layoutKey).toDictionary();
    PWPlist::Dictionary front = root.value(u"Front Side"_s).toDictionary();
    PWPlist::Array components;
    for (const PWPlist &entry : front.value(u"Components"_s).toArray())
        components.append(savedEditsWithElsewhereKey(entry));
    if (envelope) {
        layout.insert(u"Has window"_s, PWPlist::fromBool(true));
        layout.insert(u"Window Width"_s, PWPlist::fromReal(250.0));
        layout.insert(u"Window Height"_s, PWPlist::fromReal(90.0));
        layout.insert(u"Window Bottom Offset"_s, PWPlist::fromReal(40.0));
        layout.insert(u"Window Left Offset"_s, PWPlist::fromReal(60.0));
        components.append(savedEditsEntry(std::make_unique<CFTCounterField>(20.0, 20.0, 60.0, 20.0, nullptr)));
        components.append(savedEditsEntry(std::make_unique<CFTSeparator>(20.0, 60.0, 120.0, 2.0, nullptr)));
        auto text = std::make_unique<CFTAText>(20.0, 90.0, 120.0, 24.0, nullptr);
        text->GetText()->setString(u"Season's greetings"_s, nullptr);
        components.append(savedEditsEntry(std::move(text)));
        auto picture = std::make_unique<CFTPicture>(CDDPicture(PWImage::fromQImage(savedEditsBitmap(0xff3366cc))));
        picture->SetOrigin(200.0, 20.0);
        picture->SetSize(32.0, 24.0);
        picture->setMask(CDDPicture(PWImage::fromQImage(savedEditsBitmap(0xff000000))));
        picture->SetMasked(true);
        components.append(savedEditsEntry(std::move(picture)));
        PWPlist::Dictionary shape =
            savedEditsEntry(std::make_unique<CFTBoxField>(150.0, 60.0, 30.0, 20.0, nullptr)).toDictionary();
        shape.insert(u"Angle"_s, PWPlist::fromString(u"a quarter"_s));
        components.append(PWPlist(shape));
        // Behind the side, an address panel without a version of its own (its barcode as a barcode);
        // on it, one without its frame.
        PWPlist::Dictionary backPanel;
        for (PWPlist &entry : components) {
            if (entry.value(u"Class ID"_s).toString() != u"Address Panel"_s)
                continue;
            backPanel = entry.toDictionary();
            backPanel.remove(kElsewhereKey);
            backPanel.remove(u"Bundle Version"_s);
            PWPlist::Dictionary frameless = entry.toDictionary();
            frameless.remove(u"Bounds"_s);
            entry = PWPlist(frameless);
            break;
        }
        front.insert(u"Back Components"_s,
                     PWPlist(PWPlist::Array {
                         PWPlist(PWPlist::Dictionary {{u"Class ID"_s, PWPlist::fromString(u"Text"_s)},
                                                      {u"Bounds"_s, PWPlist::fromString(u"{{5, 5}, {80, 20}}"_s)}}),
                         PWPlist(PWPlist::Dictionary {{u"Class ID"_s, PWPlist::fromString(u"Square Field"_s)},
                                                      {u"Bounds"_s, PWPlist::fromString(u"{{0, 0}, {20, 20}}"_s)}}),
                         PWPlist(backPanel)}));
        PWPlist::Dictionary person = root.value(u"Person To"_s).toDictionary();
        QByteArray card = person.value(u"personData"_s).toData();
        card.replace("END:VCARD", "X-CUSTOM;TYPE=pref:kept as it was\r\nBDAY:1970-01-02\r\nEND:VCARD");
        person.insert(u"personData"_s, PWPlist::fromData(card));
        root.insert(u"Person To"_s, PWPlist(person));
    } else {
        layout.insert(u"PageSize"_s, PWPlist::fromString(u"Label Roll"_s));
    }
    root.insert(layoutKey, PWPlist(layout));
    front.insert(u"Components"_s, PWPlist(components));
    root.insert(u"Front Side"_s, PWPlist(front));
    return PWPlist(root);
}

} // namespace

TEST_F(CASavedEditsShellTest, EveryEditOfADesignFromElsewhereSavesOnlyItsChangeAndUndoGivesItBack)
{
    for (const auto &[documentType, envelope] : {std::pair {u"Envelope"_s, true}, std::pair {u"Label"_s, false}}) {
        const PWPlist sample = savedEditsSampleOf(documentType);
        ASSERT_TRUE(sample.isDictionary()) << qPrintable(documentType);
        const PWPlist read = savedEditsFromElsewhere(sample, envelope);
        const QString file = path(documentType + u".pwdc"_s);
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(read.toXml()) > 0);
        out.close();
        ASSERT_TRUE(open(file));
        EXPECT_EQ(savedEditsDifference(savedTree(), read), QString()) << "saved unedited";
        editEachKind(u"from elsewhere, "_s + documentType);
        close();
    }
}

// The return address of a shipped envelope coloured red in the Inspector, Edit > Undo, File >
// Save: every field keeps its own colour, and the file is the one read.
TEST_F(CASavedEditsShellTest, AReturnAddressColouredThenUndoneIsSavedAsRead)
{
    const QString file = path(u"Letterhead.pwdc"_s);
    ASSERT_TRUE(QFile::copy(QDir(assistanttest::sampleTemplates()).filePath(u"Envelope2/Business/Letterhead.pwdc"_s), file));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    QFile stored(file);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    const PWPlist read = PWPlist::parse(stored.readAll()).value_or(PWPlist());
    stored.close();
    ASSERT_TRUE(open(file));
    CFTAAddressPanel *sender = nullptr;
    for (CFTComponent *component : canvas->ftView()->GetCurrentComponents())
        if (component->getClassID() == ciAddressPanel && !component->GetToFrom())
            sender = static_cast<CFTAAddressPanel *>(component);
    ASSERT_TRUE(sender);
    click(sender);
    ASSERT_EQ(canvas->ftView()->getSelComponents(), std::vector<CFTComponent *> {sender});

    const auto tab = CAPropertiesController::AddressTab;
    auto *well = control<CAColorWell>(tab, "_textColorWell");
    ASSERT_TRUE(well && well->isEnabled());
    press(well);
    ASSERT_TRUE(well->isActive());
    CAColorWell::colorPanel()->setCurrentColor(QColor(255, 0, 0));
    QApplication::processEvents();
    well->deactivate();
    const PWPlist red = savedTree();
    EXPECT_NE(savedEditsDifference(red, read), QString()) << "the colour reached the panel";
    EXPECT_EQ(savedEditsDifference(savedEditsAround(red), savedEditsAround(read)), QString())
        << "new items keep their colour";

    ASSERT_TRUE(choose("undo"));
    ASSERT_TRUE(choose("saveDocument"));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(savedEditsDifference(PWPlist::parse(stored.readAll()).value_or(PWPlist()), read), QString());
}

// A text read with "show in capitals" among the bits of its representation shows capitals; the
// user selects it with a click, chooses Format > Text > Center and saves: the file keeps the
// characters as they were typed, now centred, and after Edit > Undo a save writes the bytes read.
TEST_F(CASavedEditsShellTest, ATextShownInCapitalsKeepsTheTypedCharactersThroughAFormatEdit)
{
    const QString typed = u"Season's greetings from Ulm"_s;
    for (const int representation : {4, 5, 12}) {
        SCOPED_TRACE(representation);
        CADocument made;
        auto *text = new CFTAText(40.0, 40.0, 200.0, 30.0, nullptr);
        text->GetText()->setString(typed, nullptr);
        made.ftDocument()->AddObject(text, 0, false);
        PWPlist::Dictionary root = PWPlist::parse(made.documentDataForComponents(nullptr)).value_or(PWPlist()).toDictionary();
        PWPlist::Dictionary front = root.value(u"Front Side"_s).toDictionary();
        PWPlist::Dictionary entry = front.value(u"Components"_s).toArray().value(0).toDictionary();
        entry.insert(u"Object Representation"_s, PWPlist::fromString(QString::number(representation)));
        front.insert(u"Components"_s, PWPlist(PWPlist::Array {PWPlist(entry)}));
        root.insert(u"Front Side"_s, PWPlist(front));
        const QString file = path(u"capitals-%1.pwdc"_s.arg(representation));
        const QByteArray read = PWPlist(root).toXml();
        ASSERT_TRUE(pwtest::writeFile(file, read));

        ASSERT_TRUE(open(file));
        const std::vector<CFTComponent *> shown = canvas->ftView()->GetCurrentComponents();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown.front()->GetText()->getString(), typed.toUpper());
        click(shown.front());
        ASSERT_EQ(canvas->ftView()->getSelComponents(), shown);
        ASSERT_TRUE(choose("alignCenter"));
        ASSERT_TRUE(choose("saveDocument"));
        const PWPlist saved = PWPlist::parse(pwtest::readFile(file)).value_or(PWPlist());
        const PWPlist savedEntry = savedEditsComponents(saved).toArray().value(0);
        EXPECT_EQ(savedEntry.value(u"Horizontal Alignment"_s), PWPlist::fromString(u"1"_s));
        CDDArchive archive(false);
        archive.Attach(savedEntry);
        CDDText savedText;
        ASSERT_TRUE(archiveGetText(archive, u"Text Storage 2"_s, savedText));
        EXPECT_EQ(savedText.getString(), typed);
        // Shown in capitals still, and the edit undone gives the file back byte for byte.
        EXPECT_EQ(shown.front()->GetText()->getString(), typed.toUpper());
        ASSERT_TRUE(choose("undo"));
        ASSERT_TRUE(choose("saveDocument"));
        EXPECT_EQ(pwtest::readFile(file), read);
        close();
    }
}
