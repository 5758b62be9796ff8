// A design whose stored picture is cut short, opened in a window: the user is told the picture
// cannot be read, and Ctrl+S writes the design back over its file without a question, the stored
// bytes still in it as they were. A shape whose stored kind is another class's is named alike, and
// the window takes it for the shape it is.
#include "app/canvas/CADocView.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CAPropertiesPanel.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"

#include "ShellTestSupport.h"

#include "kernel/base/FTImageArchive.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"

namespace {

class CADamagedPictureShellTest : public shelltest::Test
{
};

// The stored picture of the file's one picture component, cut by its last byte; answers the cut bytes.
QByteArray cutStoredPicture(const QString &path)
{
    const std::optional<PWPlist> file = PWPlist::readFile(path);
    QByteArray cut;
    std::function<PWPlist(const PWPlist &)> walk = [&](const PWPlist &node) -> PWPlist {
        if (node.isArray()) {
            PWPlist::Array array;
            for (const PWPlist &element : node.toArray())
                array.append(walk(element));
            return array;
        }
        if (!node.isDictionary())
            return node;
        PWPlist::Dictionary dictionary;
        for (const auto &[key, value] : node.toDictionary()) {
            if (key == u"Picture"_s && value.isData()) {
                cut = value.toData().chopped(1);
                dictionary.insert(key, PWPlist::fromData(cut));
            } else {
                dictionary.insert(key, walk(value));
            }
        }
        return dictionary;
    };
    const QByteArray bytes = pwtest::readFile(path);
    const PWPlist changed = file ? walk(*file) : PWPlist();
    if (cut.isEmpty() || !pwtest::writeFile(path, bytes.startsWith("bplist") ? changed.toBinary() : changed.toXml()))
        return QByteArray();
    return cut;
}

QByteArray storedPicture(const PWPlist &node)
{
    for (const PWPlist &element : node.toArray())
        if (const QByteArray found = storedPicture(element); !found.isEmpty())
            return found;
    if (node.isDictionary())
        for (const auto &[key, value] : node.toDictionary()) {
            const QByteArray found = key == u"Picture"_s ? value.toData() : storedPicture(value);
            if (!found.isEmpty())
                return found;
        }
    return QByteArray();
}

} // namespace

TEST_F(CADamagedPictureShellTest, TheWindowNamesTheDamagedPictureAndSavingKeepsItsBytes)
{
    launch(1);
    const QString file = path(u"damaged.pwdc"_s);
    {
        QImage sample(30, 20, QImage::Format_RGB32);
        sample.fill(Qt::darkCyan);
        CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
        auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(sample)));
        picture->SetOrigin(10.0, 10.0);
        picture->SetSize(100.0, 100.0);
        document.ftDocument()->AddObject(picture, 0, false);
        ASSERT_TRUE(document.writeToFile(file));
    }
    const QByteArray cut = cutStoredPicture(file);
    ASSERT_FALSE(cut.isEmpty());

    QStringList told;
    QStringList replaceAsked;
    CADocumentManager::Questions &q = manager().questions();
    bool savingLoses = true;
    q.reportReadProblems = [&](QWidget *, const QString &, const QStringList &problems, bool loses, bool) {
        told += problems;
        savingLoses = loses;
    };
    q.confirmReplace = [&](QWidget *, const CAOpenDocument &, const QString &where) {
        replaceAsked.append(where);
        return CADocumentManager::ReplaceAnswer::Cancel;
    };
    const auto document = manager().openDocument(file);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.first().contains(u"\"Picture\" of a component of class \"Picture\" cannot be read"_s))
        << told.first().toStdString();
    // The message says a save loses nothing: the picture is kept as it was.
    EXPECT_FALSE(savingLoses);

    auto *w = qobject_cast<CAMainWindowController *>(document->window.data());
    ASSERT_NE(w, nullptr);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    manager().updateChangeCount(document, 1);
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(replaceAsked.isEmpty()) << "nothing is lost by the save";
    EXPECT_FALSE(w->isWindowModified()) << "saved";
    const std::optional<PWPlist> saved = PWPlist::readFile(file);
    ASSERT_TRUE(saved);
    EXPECT_EQ(storedPicture(*saved), cut);
    ASSERT_TRUE(manager().closeDocument(document));
}

TEST_F(CADamagedPictureShellTest, AShapeStoredWithAnotherClasssKindIsNamedSelectedAndSavedAsRead)
{
    CADocumentController &application = launch(1);
    installPropertiesPanel(application);
    application.panels().show(CAFloatingPanels::PropertiesWindow);
    const QString file = path(u"kind.pwdc"_s);
    {
        CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
        auto *box = new CFTBoxField(40.0, 40.0, 120.0, 80.0, nullptr);
        box->SetFilled(true);
        document.ftDocument()->AddObject(box, 0, false);
        const PWPlist written = document.propertyListForComponents(nullptr);
        PWPlist::Dictionary front = written.value(u"Front Side"_s).toDictionary();
        PWPlist::Array components = front.value(u"Components"_s).toArray();
        ASSERT_EQ(components.size(), 1);
        PWPlist::Dictionary shape = components.first().toDictionary();
        // The address panel's kind.
        shape.insert(u"Component Type"_s, PWPlist::fromString(u"5"_s));
        components[0] = PWPlist(shape);
        front.insert(u"Components"_s, PWPlist(components));
        PWPlist::Dictionary root = written.toDictionary();
        root.insert(u"Front Side"_s, PWPlist(front));
        ASSERT_TRUE(pwtest::writeFile(file, PWPlist(root).toXml()));
    }
    QStringList told;
    manager().questions().reportReadProblems = [&](QWidget *, const QString &, const QStringList &problems, bool, bool) {
        told += problems;
    };
    const auto document = manager().openDocument(file);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.first().contains(u"\"Component Type\" of a component of class \"Square Field\" is 5"_s))
        << told.first().toStdString();

    auto *w = qobject_cast<CAMainWindowController *>(document->window.data());
    ASSERT_NE(w, nullptr);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    CADocView *canvas = w->docView();
    QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, canvas->geometry().widgetPoint(QPointF(100.0, 80.0)).toPoint());
    ASSERT_EQ(canvas->ftView()->getSelComponents().size(), 1u);
    EXPECT_EQ(canvas->ftView()->getSelComponents().front()->getClassID(), ciShape);
    EXPECT_TRUE(CAPropertiesController::isPanelVisible());

    // A nudge of another kind of value, then the save: the stored kind is still the file's.
    QTest::keyClick(canvas->viewport(), Qt::Key_Right);
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    const std::optional<PWPlist> saved = PWPlist::readFile(file);
    ASSERT_TRUE(saved);
    const PWPlist stored = saved->value(u"Front Side"_s).value(u"Components"_s).toArray().value(0);
    EXPECT_EQ(stored.value(u"Component Type"_s).toString(), u"5"_s);
    EXPECT_NE(stored.value(u"Bounds"_s).toString(), u"{{40, 40}, {120, 80}}"_s) << "the nudge is saved";
    ASSERT_TRUE(manager().closeDocument(document));
}
