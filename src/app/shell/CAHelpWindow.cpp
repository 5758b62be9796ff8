#include "app/shell/CAHelpWindow.h"

#include "app/document/CAWindowPlacement.h"
#include "platform/PWBundle.h"
#include "platform/PWLog.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>

namespace {

Q_LOGGING_CATEGORY(lcHelp, "pw.app.shell")

CAHelpWindow *sharedWindow = nullptr;

void dropSharedWindow()
{
    delete sharedWindow;
    sharedWindow = nullptr;
}

QIcon themed(const char *name, QStyle::StandardPixmap fallback, const QStyle *style)
{
    return QIcon::fromTheme(QString::fromLatin1(name), style->standardIcon(fallback));
}

} // namespace

CAHelpWindow &CAHelpWindow::sharedHelpWindow()
{
    if (!sharedWindow) {
        sharedWindow = new CAHelpWindow(PWBundle::mainBundle());
        qAddPostRoutine(&dropSharedWindow);
    }
    return *sharedWindow;
}

CAHelpWindow::CAHelpWindow(const PWBundle &bundle, QWidget *parent)
    : QMainWindow(parent)
    , m_bookPath(helpBookPath(bundle))
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(tr("Parcelwick Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(true);
    // Pages read better away from the window's edge.
    m_browser->document()->setDocumentMargin(16);
    setCentralWidget(m_browser);
    // A reader closes as every other window does, from the keyboard too.
    auto *closeWindow = new QAction(tr("Close"), this);
    QList<QKeySequence> closeKeys = QKeySequence::keyBindings(QKeySequence::Close);
    for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)})
        if (!closeKeys.contains(key))
            closeKeys.append(key);
    closeWindow->setShortcuts(closeKeys);
    connect(closeWindow, &QAction::triggered, this, &QWidget::close);
    addAction(closeWindow);

    QToolBar *bar = addToolBar(tr("Navigation"));
    bar->setObjectName(QStringLiteral("helpNavigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_back = bar->addAction(themed("go-previous", QStyle::SP_ArrowBack, style()), tr("Back"));
    m_back->setShortcut(QKeySequence::Back);
    m_forward = bar->addAction(themed("go-next", QStyle::SP_ArrowForward, style()), tr("Forward"));
    m_forward->setShortcut(QKeySequence::Forward);
    m_home = bar->addAction(themed("go-home", QStyle::SP_DirHomeIcon, style()), tr("Home"));
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    m_home->setEnabled(!m_bookPath.isEmpty());

    connect(m_back, &QAction::triggered, this, &CAHelpWindow::goBack);
    connect(m_forward, &QAction::triggered, this, &CAHelpWindow::goForward);
    connect(m_home, &QAction::triggered, this, &CAHelpWindow::goHome);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? tr("Parcelwick Help") : title);
    });
    resize(760, 560);
}

CAHelpWindow::~CAHelpWindow() = default;

QString CAHelpWindow::helpBookPath(const PWBundle &bundle)
{
    const QString folder = bundle.objectForInfoDictionaryKey(QStringLiteral("CFBundleHelpBookFolder")).toString();
    return bundle.pathForResource(folder, QString());
}

QString CAHelpWindow::pathForPage(const QString &pageName) const
{
    if (m_bookPath.isEmpty())
        return QString();
    return QStringLiteral("%1/%2").arg(m_bookPath, pageName);
}

QUrl CAHelpWindow::urlForPath(const QString &path)
{
    if (path.startsWith(QLatin1Char(':')))
        return QUrl(QStringLiteral("qrc") + path);
    return QUrl::fromLocalFile(path);
}

QUrl CAHelpWindow::homePage() const
{
    if (m_bookPath.isEmpty())
        return QUrl();
    return urlForPath(pathForPage(QString::fromLatin1(kIndexPage)));
}

bool CAHelpWindow::showPage(const QString &pageName)
{
    // "printing.html#calibration" names a place in a page.
    const qsizetype hash = pageName.indexOf(QLatin1Char('#'));
    const QString fragment = hash >= 0 ? pageName.mid(hash + 1) : QString();
    QString path = pathForPage(hash >= 0 ? pageName.left(hash) : pageName);
    // Page names come from buttons and menus; never leave the book.
    if (!path.isEmpty()) {
        path = QFileInfo(path).isDir() ? path + QLatin1Char('/') + QString::fromLatin1(kIndexPage) : path;
        path = QDir::cleanPath(path);
        if (!path.startsWith(m_bookPath + QLatin1Char('/')) || !QFileInfo(path).isFile())
            path.clear();
    }
    if (path.isEmpty()) {
        PWLog::message(lcHelp(), QStringLiteral("no help page \"%1\"").arg(pageName));
        return false;
    }
    QUrl url = urlForPath(path);
    if (!fragment.isEmpty())
        url.setFragment(fragment);
    m_browser->setSource(url);
    CAWindowPlacement::placeInside(this);
    show();
    raise();
    activateWindow();
    return true;
}

void CAHelpWindow::goBack()
{
    m_browser->backward();
}

void CAHelpWindow::goForward()
{
    m_browser->forward();
}

void CAHelpWindow::goHome()
{
    const QUrl home = homePage();
    if (home.isValid())
        m_browser->setSource(home);
}

QUrl CAHelpWindow::currentPage() const
{
    return m_browser->source();
}

void GoToMyHelpAnchor(const QString &pageName)
{
    CAHelpWindow::sharedHelpWindow().showPage(pageName);
}
