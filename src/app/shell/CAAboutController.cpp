#include "app/shell/CAAboutController.h"

// Generated from About.ui by uic.
#include <ui_About.h>

#include "platform/PWBundle.h"
#include "app/document/CAWindowPlacement.h"
#include "platform/PWLog.h"
#include "platform/PWRtfReader.h"

#include <QIcon>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

Q_LOGGING_CATEGORY(lcAbout, "pw.app.shell")

class TimerTicker final : public CAAboutController::Ticker
{
public:
    TimerTicker(std::chrono::milliseconds interval, std::function<void()> tick)
    {
        m_timer.setInterval(interval);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(tick));
        m_timer.start();
    }

private:
    QTimer m_timer;
};

QString infoString(const PWBundle &bundle, const char *key)
{
    return bundle.objectForInfoDictionaryKey(QString::fromLatin1(key)).toString();
}

} // namespace

QColor CAAboutController::versionColor()
{
    return QColor::fromRgbF(172.0f / 255.0f, 195.0f / 255.0f, 210.0f / 255.0f, 1.0f);
}

CAAboutController::CAAboutController()
    : CAAboutController(PWBundle::mainBundle())
{
}

CAAboutController::CAAboutController(const PWBundle &bundle, TickerFactory tickerFactory)
    : m_bundle(bundle)
    , m_tickerFactory(std::move(tickerFactory))
    , m_ui(std::make_unique<Ui::About>())
{
    if (!m_tickerFactory) {
        m_tickerFactory = [](std::chrono::milliseconds interval, std::function<void()> tick) {
            return std::make_unique<TimerTicker>(interval, std::move(tick));
        };
    }
    createPanelToDisplay();
    displayVersionInfo();
    loadTextToScroll();
    CAWindowPlacement::placeCentred(m_panelToDisplay.get());
    m_tickCnt = 0;
}

CAAboutController::~CAAboutController()
{
    // The panel may be mid-event when its owner goes; it must not call back into a dead delegate.
    m_scrollingTimer.reset();
    if (m_panelToDisplay)
        m_panelToDisplay->setDelegate(nullptr);
}

void CAAboutController::createPanelToDisplay()
{
    auto *content = new QWidget;
    m_ui->setupUi(content);
    m_ui->iconView->setPixmap(QIcon(QStringLiteral(":/icons/parcelwick.svg")).pixmap(QSize(64, 64)));
    m_panelToDisplay = std::make_unique<CAAboutPanel>();
    m_panelToDisplay->setWindowTitle(content->windowTitle());
    m_panelToDisplay->setContentView(content);
    m_panelToDisplay->setDelegate(this);
}

void CAAboutController::displayVersionInfo()
{
    m_ui->versionField->setText(QStringLiteral("Version %1 (v%2)")
                                    .arg(infoString(m_bundle, "CFBundleShortVersionString"),
                                         infoString(m_bundle, "CFBundleVersion")));
    QPalette palette = m_ui->versionField->palette();
    palette.setColor(QPalette::WindowText, versionColor());
    m_ui->versionField->setPalette(palette);
    m_ui->copyrightField->setText(infoString(m_bundle, "NSHumanReadableCopyright"));
}

std::optional<PWAttributedString> CAAboutController::textToScroll() const
{
    const QByteArray bytes = m_bundle.resourceData(QStringLiteral("Credits"), QStringLiteral("rtf"));
    if (bytes.isEmpty()) {
        PWLog::message(lcAbout(), QStringLiteral("the credits resource \"Credits.rtf\" is missing"));
        return std::nullopt;
    }
    QString error;
    std::optional<PWAttributedString> credits = PWRtfReader::read(bytes, &error);
    if (!credits)
        PWLog::message(lcAbout(), QStringLiteral("the credits cannot be read: %1").arg(error));
    return credits;
}

void CAAboutController::loadTextToScroll()
{
    const std::optional<PWAttributedString> credits = textToScroll();
    // The empty lines take the credits' first style, so that they are as tall as its lines.
    const QTextCharFormat lead = credits ? credits->charFormatAt(0) : QTextCharFormat();
    const QTextBlockFormat block = credits ? credits->blockFormatAt(0) : QTextBlockFormat();
    PWAttributedString text(QString(kEmptyLinesBefore, QLatin1Char('\n')), lead, block);
    if (credits) {
        for (const PWAttributedString::Run &run : credits->runs())
            text.append(credits->string().mid(run.start, run.length), run.charFormat, run.blockFormat);
    }
    const QTextCharFormat tail = credits ? credits->charFormatAt(credits->length() - 1) : lead;
    text.append(QString(kEmptyLinesAfter, QLatin1Char('\n')), tail, block);
    text.writeTo(m_ui->textView->document());
    // The view scrolls its cursor into sight when first shown; left at the end of the credits,
    // it would start the panel at their last line.
    m_ui->textView->moveCursor(QTextCursor::Start);
}

int CAAboutController::showPanel()
{
    setScrollAmount(0.0);
    const int code = m_panelToDisplay->exec();
    stopScrollingAnimation();
    return code;
}

void CAAboutController::hidePanel()
{
    stopScrollingAnimation();
    m_panelToDisplay->done(0);
}

void CAAboutController::startScrollingAnimation()
{
    if (m_scrollingTimer)
        return;
    m_scrollingTimer = m_tickerFactory(kTickInterval, [this] { scrollOneUnit(); });
    m_tickCnt = 0;
}

void CAAboutController::stopScrollingAnimation()
{
    m_scrollingTimer.reset();
    m_tickCnt = 0;
}

// The first tick after a start only counts; at the end the credits jump back to the top and
// go on from there at the next tick.
void CAAboutController::scrollOneUnit()
{
    if (m_tickCnt > 0) {
        const double y = scrollAmount();
        const QScrollBar *bar = m_ui->textView->verticalScrollBar();
        const auto limit = qint32(bar->maximum() - bar->minimum());
        if (y < limit) {
            setScrollAmount(y + kScrollStep);
        } else {
            m_tickCnt = 0;
            setScrollAmount(0.0);
        }
    }
    ++m_tickCnt;
}

void CAAboutController::setScrollAmount(double y)
{
    QScrollBar *bar = m_ui->textView->verticalScrollBar();
    bar->setValue(bar->minimum() + qRound(y));
    // Only the credits area needs drawing again.
    m_ui->textView->viewport()->update();
}

double CAAboutController::scrollAmount() const
{
    const QScrollBar *bar = m_ui->textView->verticalScrollBar();
    return double(bar->value() - bar->minimum());
}

void CAAboutController::setShowsScroller(bool shows)
{
    m_ui->textView->setVerticalScrollBarPolicy(shows ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

QLabel *CAAboutController::versionField() const
{
    return m_ui->versionField;
}

QLabel *CAAboutController::copyrightField() const
{
    return m_ui->copyrightField;
}

QTextBrowser *CAAboutController::textView() const
{
    return m_ui->textView;
}

bool CAAboutController::handlesKeyDown(QKeyEvent *, CAAboutPanel *)
{
    hidePanel();
    return true;
}

bool CAAboutController::handlesMouseDown(QMouseEvent *, CAAboutPanel *)
{
    hidePanel();
    return true;
}

void CAAboutController::windowDidBecomeKey(CAAboutPanel *)
{
    startScrollingAnimation();
}
