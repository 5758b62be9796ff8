#include "app/inspector/CAGuidelinesController.h"

#include "app/document/CAWindowPlacement.h"
#include "app/inspector/CADesignLog.h"
#include "platform/PWBundle.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

CAGuidelinesController &CAGuidelinesController::sharedGuidelinesController()
{
    static QPointer<CAGuidelinesController> shared;
    if (!shared) {
        shared = new CAGuidelinesController;
        // The window lives as long as the application, never longer.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, shared.data(), &QObject::deleteLater);
    }
    return *shared;
}

CAGuidelinesController::CAGuidelinesController(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_textView(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("Guidelines"));
    setWindowTitle(PWLocalizedString(QStringLiteral("Postal Guidelines")));
    m_textView->setObjectName(QStringLiteral("textView"));
    m_textView->setOpenExternalLinks(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAGuidelinesController::closeWindow);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_textView, 1);
    layout->addWidget(buttons);
    resize(560, 620);
}

void CAGuidelinesController::loadText()
{
    const QByteArray html = PWBundle::mainBundle().resourceData(QStringLiteral("PostalGuidelines"), QStringLiteral("html"));
    ++m_loadCount;
    if (html.isEmpty()) {
        qCWarning(lcDesign) << "the postal guidelines could not be read";
        m_textView->setPlainText(PWLocalizedString(QStringLiteral("The postal guidelines are not available.")));
        return;
    }
    m_textView->setHtml(QString::fromUtf8(html));
    m_loaded = true;
}

void CAGuidelinesController::showWindow()
{
    if (!m_loaded) {
        loadText();
        CAWindowPlacement::placeCentred(this);
    }
    show();
    raise();
    activateWindow();
}

void CAGuidelinesController::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}
