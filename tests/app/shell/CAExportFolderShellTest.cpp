// File > Export opens its panel beside the design, by every way the user asks for it: the menu,
// Ctrl+E in the document window, Ctrl+E in a panel; an untitled design's in the documents folder.
#include "ShellTestSupport.h"

#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CAPropertiesPanel.h"
#include "app/shell/CASavePanel.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTimer>

#include <string>

using namespace shelltest;

namespace {

enum class Way { Menu, KeyInTheDocument, KeyInTheInspector };

struct ExportAsked
{
    const char *name;
    bool saved; // the design was saved in a folder of its own, else it is untitled
    Way way;
};

void PrintTo(const ExportAsked &row, std::ostream *out)
{
    *out << row.name;
}

const ExportAsked kWays[] = {{"MenuSaved", true, Way::Menu},
                             {"MenuUntitled", false, Way::Menu},
                             {"KeyInTheDocumentSaved", true, Way::KeyInTheDocument},
                             {"KeyInTheDocumentUntitled", false, Way::KeyInTheDocument},
                             {"KeyInTheInspectorSaved", true, Way::KeyInTheInspector}};

class ExportFolderTest : public shelltest::Test, public ::testing::WithParamInterface<ExportAsked>
{
};

TEST_P(ExportFolderTest, ThePanelStartsBesideTheDesign)
{
    const ExportAsked &row = GetParam();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(QDir().mkpath(documents));
    const QString designs = path(u"Designs of mine"_s);
    ASSERT_TRUE(QDir().mkpath(designs));
    const QString file = QDir(designs).filePath(u"Thank you cards.pwdc"_s);
    {
        CADocument design;
        ASSERT_TRUE(design.writeToFile(file));
    }
    launch(1);
    installPropertiesPanel(*controller);
    controller->manager().questions().savePath = CASavePanel::questions().savePath;
    QWidget *document = window(0);
    if (row.saved) {
        const auto opened = manager().openDocument(file, document);
        ASSERT_TRUE(opened && opened->window);
        document = opened->window;
    }
    document->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(document));

    // The panel as it comes up, looked at and cancelled with Escape.
    QString folder;
    QString name;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *panel = qobject_cast<QFileDialog *>(widget);
            if (!panel || !panel->isVisible() || panel->objectName() != u"exportPanel"_s)
                continue;
            folder = panel->directory().absolutePath();
            if (auto *field = panel->findChild<QLineEdit *>(u"fileNameEdit"_s))
                name = field->text();
            QTest::keyClick(panel, Qt::Key_Escape);
        }
    });
    watch.start();
    if (row.way == Way::Menu) {
        controller->mainMenu().validate();
        controller->mainMenu().itemForAction(u"saveDocumentTo"_s)->trigger();
    } else {
        if (row.way == Way::KeyInTheInspector)
            controller->panels().show(CAFloatingPanels::PropertiesWindow);
        QWidget *typedIn = row.way == Way::KeyInTheDocument ? document : CAPropertiesController::sharedPropertiesController()->window();
        typedIn->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(typedIn));
        QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_E, Qt::ControlModifier);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !folder.isEmpty(); }, pwtest::kEventWaitMs)) << "no export panel";
    watch.stop();
    EXPECT_EQ(QDir(folder).canonicalPath(), QDir(row.saved ? designs : documents).canonicalPath());
    if (row.saved) {
        EXPECT_EQ(name, u"Thank you cards.pdf"_s);
    }
    EXPECT_TRUE(QDir(designs).entryList(QDir::Files).contains(u"Thank you cards.pwdc"_s));
    EXPECT_EQ(QDir(designs).entryList(QDir::Files).size(), 1) << "the cancelled export wrote a file";
}

INSTANTIATE_TEST_SUITE_P(Shell, ExportFolderTest, ::testing::ValuesIn(kWays),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
