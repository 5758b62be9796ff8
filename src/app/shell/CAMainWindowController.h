#pragma once

#include "app/shell/CAActionRouter.h"
#include "app/shell/CAActionTarget.h"
#include "kernel/document/CFTADocumentFileCheck.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class CADesignWeigher;
class CADocView;
class CADocument;
class CADocumentManager;
class CAActionRouter;
class CAFloatingPanels;
class CDocScrollView;
class CFTADocument;
class CFTComponent;
class PWPerson;
class QMenu;
struct CAOpenDocument;

namespace Ui {
class Document;
}

// The window of one document: the page, the zoom slider, the tool buttons, the buttons of the
// floating panels and the title that names the paper and its size. Window commands arrive
// through the action router; commands of later modules are added with registerCommand.
class CAMainWindowController : public QMainWindow, public CAActionTarget
{
    Q_OBJECT
public:
    // A command another module adds to every document window.
    struct Command
    {
        std::function<bool(CAMainWindowController &window, QAction *item)> validate;
        std::function<void(CAMainWindowController &window, QAction *item)> perform;
    };
    static void registerCommand(const QString &action, Command command);
    static void unregisterCommand(const QString &action);
    // The sheets and the pane other modules provide; until one is set its command stays disabled.
    using WindowHook = std::function<void(CAMainWindowController &window)>;
    static void setChangeLayoutSheet(WindowHook sheet);
    static void setPrintMultipleSheet(WindowHook sheet);
    using PaneFactory = std::function<QWidget *(CAMainWindowController &window)>;
    static void setInternetPaneFactory(PaneFactory factory);

    // The slider shows 100 within 0.2 of a scale of 1 and 0 below a scale of 0.3, else the
    // scale in per cent, truncated.
    static int zoomSliderValue(double scale);
    // The zoom in per cent a slider value asks for: at least 20, and 100 from 81 to 119.
    static int zoomForSliderValue(int value);
    // "name - kind manufacturer identifier - Size WxH mm" (or inches, by the design's units).
    static QString windowTitleForDocumentDisplayName(const QString &displayName, const CFTADocument *design);
    // The scale that shows the whole card in the room given, between 50 % and 300 %.
    static double fitScale(const QSizeF &card, const QSizeF &room);

    // What the document asks of its windows: every window redraws the component; the first
    // window fits its page to a changed design; a new background is shown.
    static void invalidateObject(const CADocumentManager &manager, const CADocument *document, CFTComponent *component);
    static void updateDocView(const CADocumentManager &manager, const CADocument *document);
    static void addBackground(const CADocumentManager &manager, const CADocument *document, CFTComponent *background,
                              CFTComponent *component);
    // The person chosen in the address window (or pasted as an address) becomes the design's
    // recipient (forAddressPanel) or sender in the document's first window, as one undoable
    // step; the address type does not matter.
    static void changePerson(CADocumentManager &manager, const CADocument *document, const PWPerson &person,
                             int addressType, bool forAddressPanel);

    // Throws when the record has no document ("m_Document is nil"); nothing is left behind.
    CAMainWindowController(std::shared_ptr<CAOpenDocument> document, CADocumentManager &manager, CAActionRouter &router,
                           CAFloatingPanels &panels, const QList<QMenu *> &mainMenus, QWidget *parent = nullptr);
    ~CAMainWindowController() override;

    CADocument *document() const;
    const std::shared_ptr<CAOpenDocument> &record() const { return m_record; }
    CADocView *docView() const { return m_docView; }
    CDocScrollView *scrollView() const;
    // The part of the page the window shows, in global coordinates; empty while it is hidden.
    QRect pageOnScreen() const;
    QMenu *addressContextMenu() const { return m_addressContextMenu; }
    QMenu *templateMenu() const { return _templateMenu; }
    QMenu *toFromMenu() const { return _toFromMenu; }
    bool isSheetActive() const { return _isSheetActive; }
    void setSheetActive(bool active) { _isSheetActive = active; }

    void synchronizeWindowTitleWithDocumentName();
    // The page's scale changed: the slider follows.
    void zoomChanged();
    void setZoomByValue(double percent);
    // A component changed: draw the page again.
    void invalidateObject(CFTComponent *component);
    // The design was read again or changed size.
    void updateDocView();
    void showInternet();
    void hideInternet();
    // The tool buttons and panel buttons follow the view and the panels.
    void windowDidUpdate();
    // One line at the foot of the window about what a command did not take (the cards a drop
    // left unused, the addresses Paste Address passed over); it goes at the design's next change.
    void showNotice(const QString &line);
    QString notice() const;

    // The bounds the window keeps its design within: CFTADocumentFileCheck::kWindowBounds, unless a
    // test lowers them to reach them in a few steps.
    void setWeighingBounds(const CFTADocumentFileCheck::Bounds &bounds) { m_bounds = bounds; }
    // What the design weighed after the last step the window weighed, while no undo or redo has
    // moved it since; nothing otherwise.
    const std::optional<CFTADocumentFileCheck::Cost> &keptWeight() const { return m_weighed; }
    // What weighs the design after each step, counting the parts of it the step changed.
    const CADesignWeigher &weigher() const { return *m_weigher; }

    bool respondsToAction(const QString &action) const override;
    bool validateAction(const QString &action, QAction *item) override;
    void performAction(const QString &action, QAction *sender) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // A menu of the canvas, validated through the router for the object it was opened on.
    void popUpCanvasMenu(QMenu *menu, const QPoint &at);
    void setToolMode(int mode);
    void requireSupportedDocumentType(const QString &where) const;
    // After each step: a design the step carried past what the window keeps is given back as it
    // was before the step, and the user hears why.
    void weighAfterStep();

    std::unique_ptr<Ui::Document> m_ui;
    std::shared_ptr<CAOpenDocument> m_record;
    CADocumentManager &m_manager;
    CAActionRouter &m_router;
    // The router may be gone before a closed window is finally deleted.
    QPointer<CAActionRouter> m_routerGuard;
    CAFloatingPanels &m_panels;
    CADocView *m_docView = nullptr;
    // What the design weighed after the last step, when nothing was undone or redone since.
    std::optional<CFTADocumentFileCheck::Cost> m_weighed;
    std::unique_ptr<CADesignWeigher> m_weigher;
    CFTADocumentFileCheck::Bounds m_bounds = CFTADocumentFileCheck::kWindowBounds;
    QMenu *m_addressContextMenu = nullptr;
    QMenu *_templateMenu = nullptr;
    QMenu *_toFromMenu = nullptr;
    bool _isSheetActive = false;
    bool m_fitted = false;
};
