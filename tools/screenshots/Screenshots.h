#pragma once

#include <QList>
#include <QString>

#include <functional>

class CADocView;
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

// The document windows of the sample designs (label, envelope, postcard, roll), made once, or
// made anew when fresh (the old one set aside). A second sample label for the inspector's
// pictures, which add objects to their design, so that the other pictures of the sample label
// keep it as it is.
inline constexpr int kInspectorLabel = 4;
CAMainWindowController *sampleWindow(CADocumentController &application, int which, bool fresh = false);
// The inspector's sample label shown with the inspector beside it, the windows' activation
// settled; its canvas, or null.
CADocView *inspectorOverSample(CADocumentController &application);

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
// The design window's clip-art pane with the hits of a keyword search.
QWidget *designWindowClipArtScreenshot(const QString &keywords);
QWidget *designPicturePaneScreenshot(int pad);
// The colour panel over a sample label's canvas with a shape selected.
QWidget *colorPanelOverCanvas(CADocumentController &application);
QWidget *customFormatEditorScreenshot(int page);
QWidget *guidelinesScreenshot();
// The thumbnail catalogue with sample pictures, and the search field: 0 collection, 1 internet
// with a search running, 2 simple (PictureScreenshots.cpp).
QWidget *pictureCatalogScreenshot();
QWidget *searchFieldScreenshot(int mode);
// A sample label with a selected internet picture and the link strip under its page, and the
// internet search panel (InternetScreenshots.cpp).
QWidget *internetStripScreenshot(CADocumentController &application);
QWidget *searchPanelScreenshot();
// The clip-art pane over the shipped collection: its first category, or the hits of keywords.
QWidget *clipArtPaneScreenshot(const QString &keywords);
// The clip-art pane during an internet search: six results in, two still loading
// (InternetScreenshots.cpp).
QWidget *clipArtPaneInternetScreenshot();
// The photo album pane over a synthetic album, and the inspector's masks beside a masked picture
// on a sample label (MaskAlbumScreenshots.cpp).
QWidget *albumBrowserScreenshot();
QWidget *maskCatalogueScreenshot(CADocumentController &application);
// The image editor with a crop rectangle (PictureScreenshots.cpp).
QWidget *imageEditorScreenshot();
