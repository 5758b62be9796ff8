#include "app/shell/CAFloatingPanels.h"

#include "app/document/CAWindowPlacement.h"
#include "app/inspector/CAColorWell.h"
#include "app/shell/CAWaitingWindowKeeper.h"
#include "app/shell/CAWaitingWindows.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QColorDialog>
#include <QTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMargins>
#include <QScreen>

#include <algorithm>
#include <optional>
#include <tuple>

CAFloatingPanels::CAFloatingPanels(QObject *parent)
    : QObject(parent)
{
    // The colour panel applies a colour as it is picked, as a floating panel does: no buttons;
    // colours may be translucent.
    auto *colors = new QColorDialog();
    colors->setObjectName(QStringLiteral("colorPanel"));
    colors->setWindowTitle(tr("Colors"));
    colors->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog | QColorDialog::ShowAlphaChannel);
    colors->setWindowFlag(Qt::Tool);
    colors->setModal(false);
    m_colorPanel = colors;
    // Sheets and boxes that wait stay above the panels and the windows that open later.
    new CAWaitingWindowKeeper(this);
    // The inspector's colour wells pick their colours in this panel too.
    CAColorWell::setSharedColorPanel(colors);
    install(ColorPanel, {[colors] { return colors->isVisible(); }, [colors] {
                             colors->show();
                             colors->raise();
                         },
                         [colors] { colors->hide(); }, [colors] { return colors; }});
    watch(ColorPanel, colors);
}

CAFloatingPanels::~CAFloatingPanels()
{
    // The application coming down closes no panel of the user's.
    for (const QPointer<QWidget> &window : m_watched)
        if (window)
            window->removeEventFilter(this);
    delete m_colorPanel.data();
}

QColorDialog *CAFloatingPanels::colorPanel() const
{
    return qobject_cast<QColorDialog *>(m_colorPanel.data());
}

QWidget *CAFloatingPanels::panelWindow(Panel panel) const
{
    return isInstalled(panel) && m_hooks[panel].window ? m_hooks[panel].window() : nullptr;
}

void CAFloatingPanels::install(Panel panel, Hook hook)
{
    if (panel >= 0 && panel < PanelCount)
        m_hooks[panel] = std::move(hook);
}

bool CAFloatingPanels::isInstalled(Panel panel) const
{
    return panel >= 0 && panel < PanelCount && m_hooks[panel].show && m_hooks[panel].isVisible;
}

bool CAFloatingPanels::isPanelVisible(Panel panel) const
{
    return isInstalled(panel) && m_hooks[panel].isVisible();
}

namespace {

// Room between neighbours, and for what the window manager adds round a panel: its title bar
// above, borders at the sides and a handle below.
constexpr int kMargin = 12;
constexpr QMargins kDecorations(2, 28, 2, 6);

qint64 overlap(const QRect &frame, const QList<QRect> &areas)
{
    qint64 covered = 0;
    for (const QRect &area : areas) {
        const QRect common = frame.intersected(area);
        if (!common.isEmpty())
            covered += qint64(common.width()) * common.height();
    }
    return covered;
}

} // namespace

namespace {

struct Placed
{
    QRect frame;
    qint64 onPages = -1;
    // Title bars covered, others' by it, then its own by others: a panel may stand over another
    // where the screen has no room, but every title bar stays in reach. The panel shown comes
    // in front, so the others' bars count first.
    qint64 onTitles = -1;
    qint64 ownTitle = -1;
    qint64 onPanels = -1;
    bool clear() const { return onPages == 0 && onPanels == 0; }
    // Less of the pages covered first, then less of the title bars, then less of the panels.
    bool betterThan(const Placed &other) const
    {
        return std::tie(onPages, onTitles, ownTitle, onPanels)
                   < std::tie(other.onPages, other.onTitles, other.ownTitle, other.onPanels)
               || other.onPages < 0;
    }
};

QRect titleOf(const QRect &frame)
{
    return QRect(frame.topLeft(), QSize(frame.width(), std::min(frame.height(), kDecorations.top())));
}

Placed placeSized(const QSize &size, const QRect &room, const QList<QRect> &pages, const QList<QRect> &panels)
{
    const int w = std::min(size.width(), room.width());
    const int h = std::min(size.height(), room.height());
    // Columns: at the screen's edges and beside every area taken; rows: at the top and bottom,
    // below every area taken, and below a panel's title bar, which a panel over it leaves free.
    QList<int> xs = {room.right() + 1 - kMargin - w, room.left() + kMargin};
    QList<int> ys = {room.top() + kMargin, room.bottom() + 1 - h};
    for (const QList<QRect> *areas : {&pages, &panels}) {
        for (const QRect &area : *areas) {
            xs << area.left() - kMargin - w << area.right() + 1 + kMargin << area.left() - w << area.right() + 1;
            ys << area.bottom() + 1 + kMargin << area.bottom() + 1;
        }
    }
    for (const QRect &panel : panels)
        ys << titleOf(panel).bottom() + 1;
    const auto inRoom = [&](int x, int y) {
        return QRect(std::clamp(x, room.left(), room.right() + 1 - w), std::clamp(y, room.top(), room.bottom() + 1 - h), w, h);
    };
    // Rightmost first, then topmost: panels gather at the right edge, away from the menus. A page
    // covered weighs more than any panel covered: panels may stand over each other when the
    // screen is too small for all of them, never over the work.
    std::sort(xs.begin(), xs.end(), std::greater<int>());
    std::sort(ys.begin(), ys.end());
    QList<QRect> titles;
    for (const QRect &panel : panels)
        titles << titleOf(panel);
    Placed best;
    for (const int x : xs) {
        for (const int y : ys) {
            const QRect frame = inRoom(x, y);
            const Placed here {frame, overlap(frame, pages), overlap(frame, titles), overlap(titleOf(frame), panels),
                               overlap(frame, panels)};
            if (here.clear())
                return here;
            if (here.betterThan(best))
                best = here;
        }
    }
    return best;
}

} // namespace

QRect CAFloatingPanels::placeFrame(const QSize &size, const QRect &room, const QList<QRect> &pages,
                                   const QList<QRect> &panels, const QSize &least)
{
    Placed best = placeSized(size, room, pages, panels);
    if (best.clear() || !least.isValid())
        return best.frame;
    // A panel that can be smaller stands clear at a smaller size rather than over the page or
    // another panel: shorter first, then narrower, then both.
    const QSize smallest = least.boundedTo(size);
    for (const QSize &smaller : {QSize(size.width(), smallest.height()), QSize(smallest.width(), size.height()), smallest}) {
        if (smaller == size)
            continue;
        const Placed there = placeSized(smaller, room, pages, panels);
        if (there.clear())
            return there.frame;
        if (there.betterThan(best)
            && std::tie(there.onPages, there.onTitles, there.ownTitle) < std::tie(best.onPages, best.onTitles, best.ownTitle))
            best = there;
    }
    return best.frame;
}

namespace {

const char *const kPlaced = "pwPlaced";
const QSize kDecorated(kDecorations.left() + kDecorations.right(), kDecorations.top() + kDecorations.bottom());

// A frame for the panel clear of the pages and of the panels placed, off the other windows where
// it can be; none when every place it can take covers a page or a panel.
std::optional<QRect> clearFrame(const QSize &size, const QSize &least, const QRect &room, const QList<QRect> &pages,
                                const QList<QRect> &placed, const QList<QRect> &ratherClear)
{
    for (const QList<QRect> &panels : {placed + ratherClear, placed}) {
        const QRect frame = CAFloatingPanels::placeFrame(size, room, pages, panels, least);
        if (room.contains(frame) && overlap(frame, pages) == 0 && overlap(frame, placed) == 0)
            return frame;
    }
    return std::nullopt;
}

QList<QRect> clearFramesInOrder(const QList<int> &order, const QList<QSize> &sizes, const QList<QSize> &least,
                                const QRect &room, const QList<QRect> &pages, const QList<QRect> &ratherClear)
{
    QList<QRect> frames(sizes.size());
    QList<QRect> placed;
    for (const int panel : order) {
        if (panel >= sizes.size() || !sizes.at(panel).isValid())
            continue;
        if (const std::optional<QRect> frame =
                clearFrame(sizes.at(panel), least.value(panel), room, pages, placed, ratherClear)) {
            frames[panel] = *frame;
            placed << *frame;
        }
    }
    return frames;
}

qsizetype countPlaced(const QList<QRect> &frames)
{
    return std::count_if(frames.begin(), frames.end(), [](const QRect &frame) { return !frame.isEmpty(); });
}

} // namespace

QList<QRect> CAFloatingPanels::firstStartFrames(const QList<QSize> &sizes, const QList<QSize> &least, const QRect &room,
                                                const QList<QRect> &pages, const QList<QRect> &ratherClear)
{
    const QList<QRect> usual = clearFramesInOrder({ColorPanel, FontPanel, AddressWindow, DesignWindow, PropertiesWindow},
                                                  sizes, least, room, pages, ratherClear);
    const auto shown = std::count_if(sizes.begin(), sizes.end(), [](const QSize &size) { return size.isValid(); });
    if (countPlaced(usual) == shown)
        return usual;
    // A screen too small for all: the panels the work is done in come first.
    const QList<QRect> important = clearFramesInOrder(
        {PropertiesWindow, DesignWindow, AddressWindow, FontPanel, ColorPanel}, sizes, least, room, pages, ratherClear);
    QList<QRect> frames = countPlaced(usual) > countPlaced(important) ? usual : important;
    // Every panel opens all the same, the user sees it and may move it: one left without a clear
    // place stands where it covers the least of the pages, then of the title bars round it.
    QList<QRect> taken = ratherClear;
    for (const QRect &frame : std::as_const(frames))
        if (!frame.isEmpty())
            taken << frame;
    for (const int panel : {PropertiesWindow, DesignWindow, AddressWindow, FontPanel, ColorPanel}) {
        if (panel >= sizes.size() || !sizes.at(panel).isValid() || !frames.at(panel).isEmpty())
            continue;
        frames[panel] = placeFrame(sizes.at(panel), room, pages, taken, least.value(panel));
        taken << frames.at(panel);
    }
    return frames;
}

bool CAFloatingPanels::measure(QWidget *panel, QSize *size, QSize *least)
{
    if (!panel || panel->property(kPlaced).toBool() || panel->testAttribute(Qt::WA_Moved))
        return false;
    // Measured as it will show: styled, its layout settled, at no less than its least size.
    panel->ensurePolished();
    if (QLayout *layout = panel->layout())
        layout->activate();
    *least = panel->minimumSizeHint().expandedTo(panel->minimumSize());
    *size = (panel->testAttribute(Qt::WA_Resized) ? panel->size() : panel->sizeHint()).expandedTo(*least);
    return true;
}

void CAFloatingPanels::placeAt(QWidget *panel, const QRect &frame, const QRect &room)
{
    panel->setProperty(kPlaced, true);
    // A panel larger than the screen is brought down to it, so that none of it is out of reach.
    panel->setGeometry(frame - kDecorations);
    CAWindowPlacement::placeInside(panel, room);
    m_placed.append(panel);
}

void CAFloatingPanels::placeOnFirstShow(QWidget *panel)
{
    // Brought to the front by the user later, the panel still leaves a waiting sheet above it
    // and the keyboard with it.
    CAWaitingWindows::markAsPanel(panel);
    QSize size;
    QSize least;
    if (!measure(panel, &size, &least))
        return;
    const QScreen *screen = panel->screen() ? panel->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // A panel placed before keeps its place even while closed: it comes back there.
    QList<QRect> panels;
    for (const QPointer<QWidget> &other : std::as_const(m_placed)) {
        if (other && other != panel)
            panels << other->geometry() + kDecorations;
    }
    if (m_ratherClear)
        panels << m_ratherClear();
    const QRect frame = placeFrame(size + kDecorated, screen->availableGeometry(),
                                   m_keepClear ? m_keepClear() : QList<QRect>(), panels, least + kDecorated);
    placeAt(panel, frame, screen->availableGeometry());
}

void CAFloatingPanels::showAtStart(const std::array<bool, PanelCount> &wanted, bool firstStart)
{
    QList<QSize> sizes(PanelCount);
    QList<QSize> least(PanelCount);
    std::array<QWidget *, PanelCount> windows {};
    const QScreen *screen = QGuiApplication::primaryScreen();
    QList<QRect> kept;
    for (int panel = 0; firstStart && panel < PanelCount; ++panel) {
        QWidget *window = wanted[panel] && isInstalled(Panel(panel)) && m_hooks[panel].window ? m_hooks[panel].window() : nullptr;
        CAWaitingWindows::markAsPanel(window);
        // One whose place was kept stands there; the others keep off it.
        restoreFrame(Panel(panel), window);
        if (m_restored[panel])
            kept << QRect(window->pos(), window->size() + kDecorated);
        if (!measure(window, &sizes[panel], &least[panel]))
            continue;
        sizes[panel] += kDecorated;
        least[panel] += kDecorated;
        windows[panel] = window;
        if (window->screen())
            screen = window->screen();
    }
    const QRect room = screen ? screen->availableGeometry() : QRect();
    const QList<QRect> frames =
        !firstStart ? QList<QRect>()
                    : firstStartFrames(sizes, least, room, m_keepClear ? m_keepClear() : QList<QRect>(),
                                       (m_ratherClear ? m_ratherClear() : QList<QRect>()) + kept);
    for (int panel = 0; panel < PanelCount; ++panel) {
        if (!wanted[panel])
            continue;
        if (windows[panel] && !frames.value(panel).isEmpty())
            placeAt(windows[panel], frames.at(panel), room);
        show(Panel(panel));
    }
    // Where panels overlap (a screen too small for all), the ones the work is done in stand above
    // the others, whatever order the window manager mapped them in.
    QTimer::singleShot(0, this, [this, wanted] {
        for (const int panel : {ColorPanel, FontPanel, AddressWindow, DesignWindow, PropertiesWindow}) {
            QWidget *window = wanted[panel] && isInstalled(Panel(panel)) && m_hooks[panel].window ? m_hooks[panel].window() : nullptr;
            if (window && window->isVisible())
                window->raise();
        }
    });
}

void CAFloatingPanels::show(Panel panel)
{
    if (!isInstalled(panel))
        return;
    QWidget *window = m_hooks[panel].window ? m_hooks[panel].window() : nullptr;
    watch(panel, window);
    restoreFrame(panel, window);
    placeOnFirstShow(window);
    m_hooks[panel].show();
    m_closedByUser[panel] = false;
    // Shown, the window has the frame the window manager gives it: all of it stays on the screen.
    // A place kept from the last run was brought inside with room for any frame already, and
    // stays exactly where the user left it.
    if (window && !m_restored[panel])
        CAWindowPlacement::placeInside(window);
    // A sheet or a box that waits for the user stays above the panel shown meanwhile, so that
    // its buttons are never covered.
    if (QWidget *waiting = QApplication::activeModalWidget(); waiting && waiting != window && waiting->isVisible())
        waiting->raise();
    Q_EMIT visibilityChanged(panel);
}

void CAFloatingPanels::close(Panel panel)
{
    if (!isInstalled(panel) || !m_hooks[panel].close)
        return;
    m_hooks[panel].close();
    m_closedByUser[panel] = true;
    Q_EMIT visibilityChanged(panel);
}

void CAFloatingPanels::toggle(Panel panel)
{
    if (isPanelVisible(panel))
        close(panel);
    else
        show(panel);
}

void CAFloatingPanels::watch(Panel panel, QWidget *window)
{
    if (!window || m_watched[panel] == window)
        return;
    if (m_watched[panel])
        m_watched[panel]->removeEventFilter(this);
    m_watched[panel] = window;
    window->installEventFilter(this);
}

bool CAFloatingPanels::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show || (event->type() == QEvent::Hide && !event->spontaneous())) {
        for (int panel = 0; panel < PanelCount; ++panel) {
            if (m_watched[panel] != watched)
                continue;
            // Hidden other than by the window manager (which hides what it minimizes), a panel
            // was closed: by its close button, its menu item, Escape in it.
            m_closedByUser[panel] = event->type() == QEvent::Hide;
            m_shown[panel] = true;
            if (m_closedByUser[panel])
                storeFrame(Panel(panel));
        }
    }
    return QObject::eventFilter(watched, event);
}

void CAFloatingPanels::restoreFrame(Panel panel, QWidget *window)
{
    // Once a run, before the user sees the panel: one on the screen already stays where it is.
    if (!window || m_restoreTried[panel])
        return;
    m_restoreTried[panel] = true;
    if (window->isVisible())
        return;
    const QString kept = PWUserDefaults::standardUserDefaults().stringForKey(frameKey(panel));
    // Measured round the windows shown where it can: a place kept at the screen's edge would
    // otherwise move by what the assumed frame adds at every start.
    if (!CAWindowPlacement::restoreFrame(window, kept, CAWindowPlacement::decorationsShown(kDecorations)))
        return;
    m_restored[panel] = true;
    window->setProperty(kPlaced, true);
    m_placed.append(window);
}

QString CAFloatingPanels::frameKey(Panel panel)
{
    switch (panel) {
    case ColorPanel:
        return QStringLiteral("NSWindow Frame NSColorPanel");
    case FontPanel:
        return QStringLiteral("NSWindow Frame NSFontPanel");
    case AddressWindow:
        return QStringLiteral("NSWindow Frame Address");
    case DesignWindow:
        return QStringLiteral("NSWindow Frame design");
    case PropertiesWindow:
        return QStringLiteral("NSWindow Frame Properties");
    case PanelCount:
        break;
    }
    return QString();
}

void CAFloatingPanels::storeFrame(Panel panel)
{
    if (panel < 0 || panel >= PanelCount)
        return;
    // A window not shown in this run has no place of its own yet: what was kept stays.
    QWidget *window = m_watched[panel];
    if (!window || !m_shown[panel])
        return;
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const QString text = CAWindowPlacement::frameText(window);
    if (defaults.stringForKey(frameKey(panel)) != text)
        defaults.setString(frameKey(panel), text);
}

bool CAFloatingPanels::visibleToRemember(Panel panel) const
{
    if (isPanelVisible(panel))
        return true;
    return !m_closedByUser[panel] && rememberedVisible(panel);
}

bool CAFloatingPanels::rememberedVisible(Panel panel)
{
    switch (panel) {
    case ColorPanel:
        return CAEnvironment::colorPanelVisible();
    case FontPanel:
        return CAEnvironment::fontPanelVisible();
    case AddressWindow:
        return CAEnvironment::addressWindowVisible();
    case DesignWindow:
        return CAEnvironment::designWindowVisible();
    case PropertiesWindow:
        return CAEnvironment::propertiesWindowVisible();
    case PanelCount:
        break;
    }
    return false;
}

void CAFloatingPanels::rememberVisible(Panel panel, bool visible)
{
    switch (panel) {
    case ColorPanel:
        CAEnvironment::setColorPanelVisible(visible);
        break;
    case FontPanel:
        CAEnvironment::setFontPanelVisible(visible);
        break;
    case AddressWindow:
        CAEnvironment::setAddressWindowVisible(visible);
        break;
    case DesignWindow:
        CAEnvironment::setDesignWindowVisible(visible);
        break;
    case PropertiesWindow:
        CAEnvironment::setPropertiesWindowVisible(visible);
        break;
    case PanelCount:
        break;
    }
}
