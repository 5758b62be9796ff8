#include "app/shell/CAAboutController.h"

#include "ScratchBundle.h"
#include "ShellTestSupport.h"

#include <QLabel>
#include <QMainWindow>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace Qt::StringLiterals;
using shelltest::ScratchBundle;

namespace {

const QByteArray kInfo = "<key>CFBundleShortVersionString</key><string>2.5</string>\n"
                         "<key>CFBundleVersion</key><string>131</string>\n"
                         "<key>NSHumanReadableCopyright</key><string>Made for the tests.</string>\n";

QByteArray creditsOfLines(int lines)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs24 ";
    for (int line = 1; line <= lines; ++line)
        rtf += "Credit line " + QByteArray::number(line) + (line < lines ? "\\par\n" : "");
    return rtf + "}";
}

// Stands in for the panel's timer: records every timer made and how many still run, and fires
// ticks when the test says so.
class SteppedClock
{
public:
    class Ticker : public CAAboutController::Ticker
    {
    public:
        explicit Ticker(SteppedClock *clock)
            : m_clock(clock)
        {
            ++m_clock->running;
        }
        ~Ticker() override
        {
            --m_clock->running;
            m_clock->m_tick = nullptr;
        }

    private:
        SteppedClock *m_clock;
    };

    CAAboutController::TickerFactory factory()
    {
        return [this](std::chrono::milliseconds every, std::function<void()> tick) {
            ++made;
            interval = every;
            m_tick = std::move(tick);
            return std::make_unique<Ticker>(this);
        };
    }

    void step(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(m_tick) << "no timer is running";
            m_tick();
        }
    }

    int made = 0;
    int running = 0;
    std::chrono::milliseconds interval {0};

private:
    std::function<void()> m_tick;
};

// Shows the panel as the user sees it (it becomes the active window) without the modal run.
void showActive(CAAboutController &about)
{
    about.panel()->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about.panel()));
}

int scrollLimit(const CAAboutController &about)
{
    const QScrollBar *bar = about.textView()->verticalScrollBar();
    return bar->maximum() - bar->minimum();
}

} // namespace

TEST(CAAboutControllerTest, ShowsVersionAndCopyrightFromTheInfoDictionary)
{
    ScratchBundle scratch(kInfo, creditsOfLines(2));
    CAAboutController about(scratch.bundle());
    EXPECT_EQ(about.versionField()->text(), u"Version 2.5 (v131)"_s);
    const QColor color = about.versionField()->palette().color(QPalette::WindowText);
    EXPECT_EQ(color.toRgb(), QColor(172, 195, 210));
    EXPECT_EQ(about.copyrightField()->text(), u"Made for the tests."_s);
}

TEST(CAAboutControllerTest, CreditsStandBetweenSixAndSevenEmptyLines)
{
    struct Case
    {
        const char *name;
        QByteArray credits;
        QString expected;
    };
    const QString before(6, u'\n');
    const QString after(7, u'\n');
    const Case cases[] = {
        {"credits", creditsOfLines(2), before + u"Credit line 1\nCredit line 2"_s + after},
        // A missing resource leaves the empty lines only.
        {"no credits", QByteArray(), before + after},
        // A resource that is not RTF is treated like a missing one, never shown as its raw bytes.
        {"not rtf", "plain words", before + after},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScratchBundle scratch(kInfo, c.credits);
        CAAboutController about(scratch.bundle());
        EXPECT_EQ(about.textView()->toPlainText(), c.expected);
    }
}

TEST(CAAboutControllerTest, TheBundleCarriesItsOwnCredits)
{
    CAAboutController about(PWBundle::mainBundle());
    const std::optional<PWAttributedString> credits = about.textToScroll();
    ASSERT_TRUE(credits);
    EXPECT_TRUE(credits->string().startsWith(u"Parcelwick\n"_s));
    EXPECT_GT(credits->string().count(u'\n'), 10);
    EXPECT_TRUE(about.versionField()->text().startsWith(u"Version 1."_s));
    EXPECT_FALSE(about.copyrightField()->text().isEmpty());
}

TEST(CAAboutControllerTest, BecomingActiveStartsOneTimerAndTicksScrollOnePointThenWrap)
{
    ScratchBundle scratch(kInfo, creditsOfLines(40));
    SteppedClock clock;
    CAAboutController about(scratch.bundle(), clock.factory());
    EXPECT_FALSE(about.isScrolling());
    showActive(about);
    ASSERT_EQ(clock.made, 1);
    EXPECT_EQ(clock.interval, std::chrono::milliseconds(50));
    EXPECT_EQ(about.tickCount(), 0);

    const int limit = scrollLimit(about);
    ASSERT_GT(limit, 20) << "the credits must be taller than their area";

    // The first tick after the start only counts.
    clock.step();
    EXPECT_EQ(about.scrollAmount(), 0.0);
    EXPECT_EQ(about.tickCount(), 1);
    for (int y = 1; y <= limit; ++y) {
        clock.step();
        ASSERT_EQ(about.scrollAmount(), double(y)) << "tick " << y + 1;
    }
    EXPECT_EQ(about.tickCount(), limit + 1);
    // At the end: back to the top, and the count starts again.
    clock.step();
    EXPECT_EQ(about.scrollAmount(), 0.0);
    EXPECT_EQ(about.tickCount(), 1);
    // ...and the very next tick goes on scrolling.
    clock.step();
    EXPECT_EQ(about.scrollAmount(), 1.0);

    // Activated again while it scrolls: still the one timer.
    QMainWindow other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    about.panel()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about.panel()));
    EXPECT_EQ(clock.made, 1);
    EXPECT_EQ(clock.running, 1);
    EXPECT_EQ(about.scrollAmount(), 1.0);
}

TEST(CAAboutControllerTest, CreditsShorterThanTheirAreaStandStill)
{
    ScratchBundle scratch(kInfo, creditsOfLines(1));
    SteppedClock clock;
    CAAboutController about(scratch.bundle(), clock.factory());
    about.panel()->resize(420, 1200);
    showActive(about);
    ASSERT_LE(scrollLimit(about), 0);
    for (int tick = 0; tick < 25; ++tick) {
        clock.step();
        ASSERT_EQ(about.scrollAmount(), 0.0);
        ASSERT_EQ(about.tickCount(), 1);
    }
}

TEST(CAAboutControllerTest, StoppingEndsTheTimerAndAStartBeginsCountingAfresh)
{
    ScratchBundle scratch(kInfo, creditsOfLines(40));
    SteppedClock clock;
    CAAboutController about(scratch.bundle(), clock.factory());
    showActive(about);
    clock.step(5);
    EXPECT_EQ(about.scrollAmount(), 4.0);
    about.stopScrollingAnimation();
    EXPECT_FALSE(about.isScrolling());
    EXPECT_EQ(clock.running, 0);
    EXPECT_EQ(about.tickCount(), 0);
    about.startScrollingAnimation();
    EXPECT_EQ(clock.made, 2);
    // A fresh start counts its first tick again and goes on from where the text stands.
    clock.step();
    EXPECT_EQ(about.scrollAmount(), 4.0);
    clock.step();
    EXPECT_EQ(about.scrollAmount(), 5.0);
    about.setScrollAmount(0.0);
    EXPECT_EQ(about.scrollAmount(), 0.0);
}

TEST(CAAboutControllerTest, TheScrollerIsHiddenUnlessAskedFor)
{
    ScratchBundle scratch(kInfo, creditsOfLines(40));
    CAAboutController about(scratch.bundle());
    EXPECT_EQ(about.textView()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    about.setShowsScroller(true);
    EXPECT_EQ(about.textView()->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    about.setShowsScroller(false);
    EXPECT_EQ(about.textView()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

// The modal run ends on a key press or a left or right mouse press anywhere in the panel, also
// over its child widgets; it stops the timer and hides the panel. Anything else leaves it open.
TEST(CAAboutControllerTest, AnyKeyOrClickEndsTheModalRun)
{
    struct Case
    {
        const char *name;
        std::function<void(CAAboutController &)> ignored;
        std::function<void(CAAboutController &)> closing;
    };
    const auto viewport = [](CAAboutController &about) { return about.textView()->viewport(); };
    const auto nothing = [](CAAboutController &) {};
    const Case cases[] = {
        {"letter key", nothing, [](CAAboutController &about) { QTest::keyClick(about.panel(), Qt::Key_A); }},
        {"escape", nothing, [](CAAboutController &about) { QTest::keyClick(about.textView(), Qt::Key_Escape); }},
        {"left click on the credits",
         [&](CAAboutController &about) { QTest::mouseClick(viewport(about), Qt::MiddleButton); },
         [&](CAAboutController &about) { QTest::mouseClick(viewport(about), Qt::LeftButton); }},
        {"right click on the version",
         [](CAAboutController &about) { QTest::mouseMove(about.versionField()); },
         [](CAAboutController &about) { QTest::mouseClick(about.versionField(), Qt::RightButton); }},
        {"left click on the panel's edge", nothing,
         [](CAAboutController &about) { QTest::mouseClick(about.panel(), Qt::LeftButton, {}, QPoint(2, 2)); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScratchBundle scratch(kInfo, creditsOfLines(40));
        SteppedClock clock;
        CAAboutController about(scratch.bundle(), clock.factory());
        about.setScrollAmount(30.0);
        bool openAfterIgnored = false;
        int runningBeforeClose = 0;
        QTimer::singleShot(0, about.panel(), [&] {
            if (!QTest::qWaitForWindowActive(about.panel()))
                return;
            c.ignored(about);
            openAfterIgnored = about.panel()->isVisible();
            runningBeforeClose = clock.running;
            c.closing(about);
        });
        // A fault that leaves the panel open must fail the case, not hang the suite.
        QTimer::singleShot(5000, about.panel(), [&] { about.panel()->done(99); });
        const int code = about.showPanel();
        EXPECT_EQ(code, 0);
        EXPECT_TRUE(openAfterIgnored);
        EXPECT_EQ(runningBeforeClose, 1);
        EXPECT_FALSE(about.panel()->isVisible());
        EXPECT_FALSE(about.isScrolling());
        EXPECT_EQ(clock.running, 0);
    }
}

TEST(CAAboutControllerTest, ShowingStartsFromTheTopOfTheCredits)
{
    ScratchBundle scratch(kInfo, creditsOfLines(40));
    SteppedClock clock;
    CAAboutController about(scratch.bundle(), clock.factory());
    about.setScrollAmount(12.0);
    double shownAt = -1.0;
    QTimer::singleShot(0, about.panel(), [&] {
        shownAt = about.scrollAmount();
        QTest::keyClick(about.panel(), Qt::Key_Space);
    });
    QTimer::singleShot(5000, about.panel(), [&] { about.panel()->done(99); });
    EXPECT_EQ(about.showPanel(), 0);
    EXPECT_EQ(shownAt, 0.0);
}
