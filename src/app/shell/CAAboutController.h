#pragma once

#include "app/shell/CAAboutPanel.h"

#include "platform/PWAttributedString.h"

#include <QColor>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class PWBundle;
class QLabel;
class QTextBrowser;
namespace Ui {
class About;
}

// Builds and runs the About panel: the version and copyright from the Info dictionary, and the
// bundle's credits, which scroll upwards by themselves while the panel is the active window and
// start again from the top once they have run through. Any key or mouse press closes it.
class CAAboutController : private CAAboutPanel::Delegate
{
public:
    // A running repeating timer; it stops when destroyed. Tests put in one they step by hand.
    class Ticker
    {
    public:
        virtual ~Ticker() = default;
    };
    using TickerFactory =
        std::function<std::unique_ptr<Ticker>(std::chrono::milliseconds interval, std::function<void()> tick)>;

    static constexpr std::chrono::milliseconds kTickInterval {50};
    static constexpr double kScrollStep = 1.0;
    static constexpr int kEmptyLinesBefore = 6;
    static constexpr int kEmptyLinesAfter = 7;
    static QColor versionColor();

    // The bundle gives the Info dictionary and the "Credits.rtf" resource; without a factory the
    // ticks come from a QTimer.
    explicit CAAboutController(const PWBundle &bundle, TickerFactory tickerFactory = {});
    CAAboutController();
    ~CAAboutController() override;
    CAAboutController(const CAAboutController &) = delete;
    CAAboutController &operator=(const CAAboutController &) = delete;

    // Runs the panel modally from the top of the credits; answers once a key or click closed it.
    int showPanel();
    void hidePanel();

    void startScrollingAnimation();
    void stopScrollingAnimation();
    void scrollOneUnit();
    void setScrollAmount(double y);
    void setShowsScroller(bool shows);

    // The credits read from the bundle; nothing when the resource is missing or unreadable.
    std::optional<PWAttributedString> textToScroll() const;

    bool isScrolling() const { return m_scrollingTimer != nullptr; }
    qint32 tickCount() const { return m_tickCnt; }
    CAAboutPanel *panel() const { return m_panelToDisplay.get(); }
    QLabel *versionField() const;
    QLabel *copyrightField() const;
    QTextBrowser *textView() const;
    // The top of the credits' visible part, in points from the top of the text.
    double scrollAmount() const;

private:
    void createPanelToDisplay();
    void displayVersionInfo();
    void loadTextToScroll();

    bool handlesKeyDown(QKeyEvent *event, CAAboutPanel *panel) override;
    bool handlesMouseDown(QMouseEvent *event, CAAboutPanel *panel) override;
    void windowDidBecomeKey(CAAboutPanel *panel) override;

    const PWBundle &m_bundle;
    TickerFactory m_tickerFactory;
    std::unique_ptr<Ui::About> m_ui;
    std::unique_ptr<CAAboutPanel> m_panelToDisplay;
    std::unique_ptr<Ticker> m_scrollingTimer;
    qint32 m_tickCnt = 0;
};
