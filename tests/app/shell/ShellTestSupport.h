#pragma once

#include "kernel/merge/CADocument.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAMainMenu.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/text/CFTAText.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"

#include "TestSupport.h"

#include <QApplication>
#include <QColorDialog>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

inline void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

namespace shelltest {

// Commands installed at the window level stay for the whole process: takes back every one the
// main menu names, the address panel's context menus beside it, and the change-layout sheet and
// the internet pane the design window installs, so that no test sees another's commands.
inline void unregisterMenuCommands()
{
    for (const CAMainMenu::Item &item : CAMainMenu::table())
        if (!item.action.isEmpty())
            CAMainWindowController::unregisterCommand(item.action);
    for (const char *action :
         {"changeAddressTypeWithMenu", "changeToFromWithMenu", "changeCountryWithMenu", "changeTemplateWithMenu"})
        CAMainWindowController::unregisterCommand(QString::fromLatin1(action));
    CAMainWindowController::setChangeLayoutSheet(nullptr);
    CAMainWindowController::setInternetPaneFactory(nullptr);
}

// The settings as they were when a test began, put back when it ends: what a start, the assistant
// or a failed save wrote (its choices, a first start's keys) reaches no later test.
class KeptSettings
{
public:
    KeptSettings()
        : m_before(PWUserDefaults::standardUserDefaults().storedValues())
    {
    }
    void putBack() const
    {
        PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
        for (const QString &key : defaults.storedValues().keys())
            if (!m_before.contains(key))
                defaults.removeObject(key);
        for (const PWPlist::Dictionary::Entry &entry : m_before)
            if (defaults.objectForKey(entry.first) != entry.second)
                defaults.setObject(entry.first, entry.second);
    }

private:
    PWPlist::Dictionary m_before;
};

// The settings of a first start in the United States: nothing chosen yet, so the starting
// document is the assistant, and no panel was shown before nor placed.
inline void forgetEarlierStarts()
{
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    for (const QString &key : {u"FTStartingDocument"_s, CADocumentManager::kRecentDocumentsKey,
                               u"FTColorPanelVisible"_s, u"FTFontPanelVisible"_s, u"FTAddressWindowVisible"_s,
                               u"FTDesignWindowVisible"_s, u"FTPropertiesWindowVisible"_s})
        defaults.removeObject(key);
    for (int panel = 0; panel < CAFloatingPanels::PanelCount; ++panel)
        defaults.removeObject(CAFloatingPanels::frameKey(static_cast<CAFloatingPanels::Panel>(panel)));
    CAEnvironment::setDefaultCountry(u"us"_s);
    CADocumentController::resetLaunchState();
}

// A panel of another module as a plain window, so that the application's panel rules can be
// seen working before those panels exist.
struct FakePanel
{
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    CAFloatingPanels::Hook hook()
    {
        QPointer<QWidget> w = window.get();
        return {[w] { return w && w->isVisible(); }, [w] {
                    if (w)
                        w->show();
                },
                [w] {
                    if (w)
                        w->hide();
                }};
    }
};

// An application delegate as the application makes it, with every question to the user answered
// by the test and every report recorded; a fresh launch each time.
class Test : public ::testing::Test
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        forgetEarlierStarts();
        CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    }

    void TearDown() override
    {
        unregisterMenuCommands();
        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Starts the application object as main does, with the start-up preference given (none
    // leaves it unset).
    CADocumentController &launch(std::optional<int> startingDocument = 1)
    {
        if (startingDocument)
            PWUserDefaults::standardUserDefaults().setInteger(u"FTStartingDocument"_s, *startingDocument);
        controller = std::make_unique<CADocumentController>();
        CADocumentManager::Questions &questions = controller->manager().questions();
        questions.saveChanges = [this](QWidget *, const QString &name) {
            asked.append(name);
            return saveAnswer;
        };
        questions.savePath = [this](QWidget *, CADocumentManager::SaveKind, const QString &, QString *type) {
            if (type && !exportType.isEmpty())
                *type = exportType;
            return savePath;
        };
        questions.openPath = [this](QWidget *) { return openPath; };
        questions.confirmRevert = [](QWidget *, const QString &) { return true; };
        questions.report = [this](QWidget *, const QString &message) { reports.append(message); };
        questions.confirmReplaceChanged = [this](QWidget *, const QString &name) {
            changedAsked.append(name);
            return replaceChanged;
        };
        controller->router().setReporter([this](QWidget *, const QString &message) { reports.append(message); });
        controller->applicationWillFinishLaunching();
        controller->openStartupDocuments({});
        controller->applicationDidFinishLaunching();
        // The colour and font panels reopen at a first launch; tests look at their own windows.
        controller->panels().close(CAFloatingPanels::ColorPanel);
        controller->panels().close(CAFloatingPanels::FontPanel);
        return *controller;
    }

    CADocumentManager &manager() { return controller->manager(); }
    CAMainWindowController *window(int index)
    {
        return qobject_cast<CAMainWindowController *>(manager().documents().value(index)->window.data());
    }
    int openWindowCount() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        int count = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (qobject_cast<CAMainWindowController *>(widget))
                ++count;
        return count;
    }
    QString path(const QString &name) const { return folder.filePath(name); }
    // A command through the router, as the menu item sends it.
    bool valid(const char *action, QAction *item = nullptr)
    {
        return controller->router().validate(QString::fromLatin1(action), item);
    }
    bool perform(const char *action, QAction *item = nullptr)
    {
        return controller->router().perform(QString::fromLatin1(action), item);
    }

    QTemporaryDir folder;
    std::unique_ptr<CADocumentController> controller;
    CADocumentManager::SaveAnswer saveAnswer = CADocumentManager::SaveAnswer::Cancel;
    QString savePath;
    QString exportType;
    QString openPath;
    QStringList asked;
    QStringList reports;
    // Whether Save replaces a file another program changed since it was opened; the documents
    // it asked about.
    bool replaceChanged = false;
    QStringList changedAsked;
};

// A design as the application saves it (a shape and a text), with the shape's class name
// damaged by one flipped bit, so that it opens with the shape left out and one problem named.
inline QByteArray damagedDesign()
{
    CADocument document;
    document.ftDocument()->AddObject(new CFTBoxField(10.0, 10.0, 50.0, 30.0, nullptr), 0, false);
    auto *text = new CFTAText(70.0, 10.0, 90.0, 20.0, nullptr);
    text->GetText()->setString(u"Season's greetings"_s, nullptr);
    document.ftDocument()->AddObject(text, 0, false);
    QByteArray bytes = document.documentDataForComponents(nullptr);
    const qsizetype at = bytes.indexOf("<string>Square Field</string>", bytes.indexOf("<key>Front Side</key>"));
    if (at < 0)
        return QByteArray();
    bytes[at + 8] = 's';
    return bytes;
}

// The first line where two saves part; empty when they are the same.
inline QString savedDifference(const QByteArray &actual, const QByteArray &expected)
{
    const QList<QByteArray> a = actual.split('\n');
    const QList<QByteArray> b = expected.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i)
        if (a.value(i) != b.value(i))
            return u"line %1: "_s.arg(i + 1) + QString::fromUtf8(a.value(i).trimmed().left(160)) + u" instead of "_s
                   + QString::fromUtf8(b.value(i).trimmed().left(160));
    return QString();
}

} // namespace shelltest
