#pragma once

#include "app/inspector/CADesignTextLists.h"

#include <QWidget>

#include <functional>
#include <memory>

class CACustomFolderBrowserView;
class CADesignTabStrip;
class CAPostartBrowserView;
class CAShapeBrowserView;
class CADesignTextListModel;
class CADesignTextTableView;
class CADocView;
class CATabViewWithCustomTabs;
class CCPictBrowserView;
class PWImage;
class QAbstractButton;
class QButtonGroup;
class QLineEdit;
class QListWidget;
class QStackedWidget;

// The shared floating design window: address templates, address fields, the picture
// collection and handling labels, chosen with a drawn strip of four tabs; inside the picture
// tab four panes chosen by a row of buttons. The open tab ("FTDesignTab") and pane
// ("FTDesignPane") are remembered; only clip art or basic shapes are ever reopened.
class CADesignWindow : public QWidget
{
    Q_OBJECT
public:
    enum Panel { AddressPanels = 0, AddressFields = 1, ImageCollection = 2, Handling = 3 };
    enum Pad { Clipart = 0, BasicShapes = 1, IPhoto = 2, CustomFolder = 3, PostArt = 4 };

    explicit CADesignWindow(QWidget *parent = nullptr);
    ~CADesignWindow() override;

    // The canvas the lists take their text settings and scale from and apply rows to.
    void setCanvasProvider(std::function<CADocView *()> provider);

    // Shows the window when hidden, selects the tab unless panel is -1, and always the pane.
    void displayDesignPanelIndex(int panel, int pad);
    int currentDesignPanelIndex() const;
    int currentDesignPadIndex() const;
    bool isDesignPadActive() const { return currentDesignPanelIndex() == ImageCollection; }
    // Opens the clip-art pane and searches the internet for the text there.
    void directSearch(const QString &text);

    // Menu tags of the items that open the window: (panel + 1) x 100 + (pad + 1).
    static int menuTag(int panel, int pad) { return (panel + 1) * 100 + pad + 1; }
    static int panelForMenuTag(int tag) { return tag / 100 - 1; }
    static int padForMenuTag(int tag) { return tag % 100 - 1; }
    // The tag of the item that carries the check mark while the window shows.
    int checkedMenuTag() const;

    CADesignTextLists &lists() { return m_lists; }
    // The custom formats changed: both lists are built again.
    void refreshArrays();
    CADesignTabStrip *tabStrip() const { return m_strip; }
    CADesignTextTableView *templatesTable() const { return m_templatesTable; }
    CADesignTextTableView *fieldsTable() const { return m_fieldsTable; }
    CAShapeBrowserView *shapesView() const { return m_shapes; }
    CACustomFolderBrowserView *customFolderView() const { return m_customFolder; }
    CAPostartBrowserView *postArtView() const { return m_postArt; }
    // The clip-art pane and its search field.
    CCPictBrowserView *clipArtPane() const { return m_clipArt; }
    QLineEdit *searchField() const;
    // The handling labels shown on their tab.
    static QStringList handlingLabels();

Q_SIGNALS:
    void visibilityChanged(bool visible);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *makeListPage(CADesignTextTableView *table, int sidePair);
    QWidget *makePicturesPage();
    QWidget *makeHandlingPage();
    void selectTab(int index, bool byUser);
    void selectPad(int index, bool byUser);
    void chooseSide(bool sender);
    void applyRow(CADesignTextLists::List list, int row);
    CADocView *canvas() const;
    // A picture chosen in a pane replaces the selected pictures, or goes in the middle of the
    // canvas's page when none is selected; one undo step.
    void placePicture(const std::shared_ptr<PWImage> &image);

    CADesignTextLists m_lists;
    CADesignTabStrip *m_strip;
    QStackedWidget *m_pages;
    CATabViewWithCustomTabs *m_pictureTab = nullptr;
    QStackedWidget *m_pads = nullptr;
    QButtonGroup *m_padButtons = nullptr;
    CADesignTextListModel *m_templatesModel;
    CADesignTextListModel *m_fieldsModel;
    CADesignTextTableView *m_templatesTable;
    CADesignTextTableView *m_fieldsTable;
    QAbstractButton *m_senderButtons[2] = {};
    QAbstractButton *m_recipientButtons[2] = {};
    CAShapeBrowserView *m_shapes = nullptr;
    CACustomFolderBrowserView *m_customFolder = nullptr;
    CAPostartBrowserView *m_postArt = nullptr;
    CCPictBrowserView *m_clipArt = nullptr;
    std::function<CADocView *()> m_canvasProvider;
};
