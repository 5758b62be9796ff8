#pragma once

#include <QObject>
#include <QList>
#include <QPointer>
#include <QRect>

#include <array>
#include <functional>

class QColorDialog;
class QWidget;

// The five floating panels the application reopens as they were at the last quit, where they
// stood: the colour and font panels and the address, design and properties (inspector) windows.
// Each panel is a hook its own module installs; a panel without one is not offered, and its menu
// item and window button stay disabled. The colour panel is the platform's colour dialog and is
// always there.
class CAFloatingPanels : public QObject
{
    Q_OBJECT
public:
    enum Panel { ColorPanel, FontPanel, AddressWindow, DesignWindow, PropertiesWindow, PanelCount };

    struct Hook
    {
        std::function<bool()> isVisible;
        std::function<void()> show;
        std::function<void()> close;
        // The panel's window, when the module lets the application place it; may be empty.
        std::function<QWidget *()> window = {};
    };

    explicit CAFloatingPanels(QObject *parent = nullptr);
    ~CAFloatingPanels() override;

    void install(Panel panel, Hook hook);
    bool isInstalled(Panel panel) const;
    bool isPanelVisible(Panel panel) const;
    void show(Panel panel);
    void close(Panel panel);
    // Shows a hidden panel, closes a visible one.
    void toggle(Panel panel);

    // Whether the panel was open at the last quit (the environment's remembered visibility).
    static bool rememberedVisible(Panel panel);
    static void rememberVisible(Panel panel, bool visible);
    // What a quit remembers of the panel: open while it is, closed once the user closed it, and
    // otherwise what was remembered before (a panel the start has not shown yet).
    bool visibleToRemember(Panel panel) const;
    // The user default that keeps a panel's place from one run to the next
    // (CAWindowPlacement::frameText), and the keeping of it for a panel shown in this run.
    static QString frameKey(Panel panel);
    void storeFrame(Panel panel);

    QColorDialog *colorPanel() const;
    // The panel's window, made when it is not yet; null for a panel not offered or not placed.
    QWidget *panelWindow(Panel panel) const;

    // Where a panel first appears: beside the areas to keep clear (the pages of the open
    // documents) and beside the panels placed before, the right edge of the screen first, then
    // columns further left, then below; where nothing fits, the place that covers the least
    // of those areas. A panel the user moved, or one placed already, stays where it is.
    void placeOnFirstShow(QWidget *panel);
    // The screen areas, in global coordinates, that panels shown for the first time keep clear of
    // (the pages), and those they stay off while the screen has room, as they do off each other
    // (the rest of the document windows).
    void setKeepClear(std::function<QList<QRect>()> areas) { m_keepClear = std::move(areas); }
    void setRatherClear(std::function<QList<QRect>()> areas) { m_ratherClear = std::move(areas); }
    // The frame a panel of the given size gets within room, clear of pages and of panels where it
    // can, at a smaller size down to least (when given) where only that is clear; the sizes and
    // the frames include what the window manager adds round a panel.
    static QRect placeFrame(const QSize &size, const QRect &room, const QList<QRect> &pages, const QList<QRect> &panels,
                            const QSize &least = QSize());

    // Shows the panels wanted when the application starts, each where the user left it. At a
    // first start each stands clear of the pages and of the others: on a screen too small for
    // all of them the inspector, the design and the address windows come first, and a panel left
    // without a clear place opens where it covers the least (firstStartFrames).
    void showAtStart(const std::array<bool, PanelCount> &wanted, bool firstStart);
    // The frames of a first start's panels, by panel (sizes and least sizes with what the window
    // manager adds; an invalid size for a panel not shown): each clear of the pages and of the
    // others, off the windows rather clear where it can be; one that has no such place over
    // neither the pages nor a title bar where it can, and over as little of the others as it can.
    static QList<QRect> firstStartFrames(const QList<QSize> &sizes, const QList<QSize> &least, const QRect &room,
                                         const QList<QRect> &pages, const QList<QRect> &ratherClear);

Q_SIGNALS:
    // A panel was shown or closed through this object.
    void visibilityChanged(int panel);

protected:
    // A panel's window closed by the user: remembered, with its place.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(Panel panel, QWidget *window);
    // Puts the panel where it stood at the end of the last run, once, unless it is placed already.
    void restoreFrame(Panel panel, QWidget *window);
    // The size a panel not placed yet shows at and its least size; false for one placed already
    // or moved by the user.
    static bool measure(QWidget *panel, QSize *size, QSize *least);
    void placeAt(QWidget *panel, const QRect &frame, const QRect &room);

    std::array<Hook, PanelCount> m_hooks;
    // Owned; a QWidget pointer so that the header needs no dialog class.
    QPointer<QWidget> m_colorPanel;
    std::function<QList<QRect>()> m_keepClear;
    std::function<QList<QRect>()> m_ratherClear;
    // The panels placed so far, whose frames later panels keep clear of.
    QList<QPointer<QWidget>> m_placed;
    // The panels' windows watched for the user's close, by panel.
    std::array<QPointer<QWidget>, PanelCount> m_watched;
    std::array<bool, PanelCount> m_closedByUser {};
    std::array<bool, PanelCount> m_shown {};
    std::array<bool, PanelCount> m_restoreTried {};
    std::array<bool, PanelCount> m_restored {};
};
