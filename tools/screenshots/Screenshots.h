#pragma once

#include <QList>
#include <QString>

#include <functional>

class CADocumentController;
class CAMainWindowController;
class QWidget;

// One picture of the application: a name (the PNG's file name) and what to show. make answers
// the widget to photograph, already shown; whatever it made is deleted after the picture unless
// it is a document window, which the application keeps.
struct Screenshot
{
    QString name;
    std::function<QWidget *(CADocumentController &application)> make;
};

// Every window, panel and sheet. A module that adds a window adds its line here.
const QList<Screenshot> &screenshots();

// The document windows of the sample designs (label, envelope, postcard, roll), made once.
// A second sample label for the inspector's pictures, which add objects to their design, so that
// the other pictures of the sample label keep it as it is.
inline constexpr int kInspectorLabel = 4;
CAMainWindowController *sampleWindow(CADocumentController &application, int which);

// The address window on a main tab, over sample persons (ContactScreenshots.cpp).
QWidget *addressWindowScreenshot(int tab);

// The assistant's contacts step on a tab: 0 sender, 1 recipient, 2 print list
// (AssistantContactsScreenshots.cpp).
QWidget *assistantContactsScreenshot(int tab);
// The contact editor sheet, the text import dialog and the print-multiple window in a mode (1 to 4).
QWidget *contactEditorScreenshot();
QWidget *textImportScreenshot();
QWidget *printMultipleScreenshot(int mode);
// The design window on a tab, the custom format editor on a page, the postal guidelines
// (DesignScreenshots.cpp).
QWidget *designWindowScreenshot(int tab);
QWidget *customFormatEditorScreenshot(int page);
QWidget *guidelinesScreenshot();
// The thumbnail catalogue with sample pictures, and the search field: 0 collection, 1 internet
// with a search running, 2 simple (PictureScreenshots.cpp).
QWidget *pictureCatalogScreenshot();
QWidget *searchFieldScreenshot(int mode);
// The image editor with a crop rectangle (PictureScreenshots.cpp).
QWidget *imageEditorScreenshot();
