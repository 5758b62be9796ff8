#pragma once

#include "kernel/merge/CADocument.h"
#include "app/printing/CASheetController.h"
#include "app/printing/CATemplateTableModel.h"
#include "app/printing/CTemplateEditorController.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/base/CDDString.h"
#include "platform/PWUndoManager.h"

#include "TemplateTestSupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace templatetest {

// A document window stand-in with the change-layout sheet on it, driven the way a user would.
class SheetTest : public CatalogueTest
{
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        window.resize(800, 600);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void TearDown() override
    {
        if (sheet && sheet->window())
            delete sheet->window();
        CADocument::setPreparedDocumentSource(nullptr);
        CatalogueTest::TearDown();
    }

    static std::unique_ptr<CADocument> newDocument(documentType type)
    {
        CADocument::setPreparedDocumentSource(
            [type] { return std::make_unique<CFTADocument>(type, CDDString(u"us"_s), CDDString(u"us"_s)); });
        auto document = std::make_unique<CADocument>();
        CADocument::setPreparedDocumentSource(nullptr);
        return document;
    }

    void open(CADocument &document)
    {
        sheet = CASheetController::beginSheet(&window, document, [this](int delta) { deltas << delta; });
        ASSERT_TRUE(sheet);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet->window()));
        ended = -1;
        QObject::connect(sheet, &CASheetController::sheetEnded, [this](int code) { ended = code; });
    }

    template<typename T>
    T *control(const char *name) const
    {
        T *found = sheet->window()->findChild<T *>(QLatin1String(name));
        EXPECT_TRUE(found) << name;
        return found;
    }

    void click(const char *name)
    {
        auto *button = control<QAbstractButton>(name);
        ASSERT_TRUE(button);
        ASSERT_TRUE(button->isVisible() && button->isEnabled()) << name;
        // Check boxes and radio buttons answer on their mark and title, not the whole row.
        const bool marked = qobject_cast<QCheckBox *>(button) || button->inherits("QRadioButton");
        QTest::mouseClick(button, Qt::LeftButton, {},
                          marked ? QPoint(6, button->height() / 2) : button->rect().center());
    }

    // Chooses a pop-up item by typing its first letters, as a user does with a closed pop-up.
    void choose(const char *popup, const QString &title)
    {
        auto *combo = control<QComboBox>(popup);
        ASSERT_TRUE(combo);
        combo->setFocus();
        QTest::keyClicks(combo, title);
        ASSERT_EQ(combo->currentText(), title) << popup;
    }

    // Replaces a field's text with the keyboard and leaves it with Tab.
    void typeInto(const char *name, const QString &text)
    {
        auto *edit = control<QLineEdit>(name);
        ASSERT_TRUE(edit);
        ASSERT_TRUE(edit->isEnabled()) << name;
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }

    void showTab(int index)
    {
        auto *tabs = control<QTabWidget>("_tabView");
        ASSERT_TRUE(tabs);
        QTabBar *bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        ASSERT_EQ(tabs->currentIndex(), index);
    }

    QString selectedID(CALayoutController::Table table) const
    {
        const auto format = sheet->selectedTemplate(table);
        return format ? format->ID() : QString();
    }

    QWidget window;
    CASheetController *sheet = nullptr;
    QList<int> deltas;
    int ended = -1;
};

} // namespace templatetest
