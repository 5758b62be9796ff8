#pragma once

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>

class QColorDialog;
class QWidget;

// The five floating panels the application reopens as they were at the last quit: the colour
// and font panels and the address, design and properties (inspector) windows. Each panel is a
// hook its own module installs; a panel without one is not offered, and its menu item and window
// button stay disabled. The colour panel is the platform's colour dialog and is always there.
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

    QColorDialog *colorPanel() const;

    // Where a panel first appears: down the right edge of the screen, each below the ones placed
    // before, so that it covers neither the document windows nor another panel while there is
    // room. A panel the user moved, or one placed already, stays where it is.
    void placeOnFirstShow(QWidget *panel);

Q_SIGNALS:
    // A panel was shown or closed through this object.
    void visibilityChanged(int panel);

private:
    std::array<Hook, PanelCount> m_hooks;
    // Owned; a QWidget pointer so that the header needs no dialog class.
    QPointer<QWidget> m_colorPanel;
    // The bottom of the column of panels placed so far, from the top of the screen's free room.
    int m_columnBottom = 0;
    // How far the current column of panels stands from the right edge, and its widest panel.
    int m_columnOffset = 0;
    int m_columnWidth = 0;
};
