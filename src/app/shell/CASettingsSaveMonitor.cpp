#include "app/shell/CASettingsSaveMonitor.h"

#include "app/shell/CAShellLog.h"
#include "kernel/base/CAContentLibraryGate.h"
#include "platform/PWBundle.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <utility>

using namespace Qt::StringLiterals;

CASettingsSaveMonitor::CASettingsSaveMonitor(PWUserDefaults &defaults, Teller teller, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_teller(std::move(teller))
{
    // A write on another thread is told here, on the monitor's.
    connect(&defaults, &PWUserDefaults::writeFailed, this, &CASettingsSaveMonitor::failed);
    connect(&defaults, &PWUserDefaults::writeRecovered, this, [this] { m_told = false; });
    // What was noted before the window came up (a damaged file is found when the settings are
    // first read) is told with what is noted later.
    connect(&defaults, &PWUserDefaults::problemNoted, this, &CASettingsSaveMonitor::notUsed);
    for (const QString &problem : defaults.problems())
        notUsed(problem);
    PWNotificationCenter::defaultCenter().addObserver(
        CAContentLibraryGate::kSeededNotification, nullptr,
        [this](const PWNotification &notification) {
            const QStringList folders = notification.userInfo.value(u"notCopied"_s).toStringList();
            if (!folders.isEmpty())
                notCopied(folders, notification.userInfo.value(u"reasons"_s).toStringList());
        },
        this);
}

namespace {

// What the user calls a folder of the content library.
QString whatIsInFolder(const QString &folder)
{
    if (folder == u"ClipArt"_s)
        return PWLocalizedString(u"the clip art"_s);
    if (folder == u"BasicShapes"_s)
        return PWLocalizedString(u"the shapes"_s);
    if (folder == u"Masks"_s)
        return PWLocalizedString(u"the masks"_s);
    return PWLocalizedString(u"the sample designs"_s);
}

QString listed(QStringList whats)
{
    QString named = whats.takeLast();
    if (!whats.isEmpty())
        named = whats.join(u", "_s) + PWLocalizedString(u" and "_s) + named;
    return named;
}

QWidget *shownModalWindow()
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal && modal->isVisible() ? modal : nullptr;
}

} // namespace

QString CASettingsSaveMonitor::whatIsStoredUnder(const QString &key)
{
    if (key == u"PrintListArray"_s || key == u"CurrentPrintListIndex"_s)
        return PWLocalizedString(u"the print lists"_s);
    if (key.startsWith(u"SenderList"_s) || key == u"Default Sender Index"_s)
        return PWLocalizedString(u"the senders"_s);
    if (key.startsWith(u"LocalContactBase"_s))
        return PWLocalizedString(u"the local contacts"_s);
    return PWLocalizedString(u"your settings"_s);
}

QString CASettingsSaveMonitor::textFor(const QStringList &keys)
{
    QStringList whats;
    for (const QString &key : keys) {
        // A write of everything (no key) fails for the values whose change asked for it.
        if (key.isEmpty())
            continue;
        const QString what = whatIsStoredUnder(key);
        if (!whats.contains(what))
            whats.append(what);
    }
    if (whats.isEmpty())
        whats.append(whatIsStoredUnder(QString()));
    return PWLocalizedString(u"Parcelwick could not save %1."_s).arg(listed(whats));
}

QString CASettingsSaveMonitor::textFor(const QStringList &keys, const QStringList &notCopied)
{
    if (notCopied.isEmpty())
        return textFor(keys);
    QStringList whats;
    for (const QString &folder : notCopied)
        if (!whats.contains(whatIsInFolder(folder)))
            whats.append(whatIsInFolder(folder));
    const QString copy = listed(whats);
    if (keys.isEmpty())
        return PWLocalizedString(u"Parcelwick could not copy %1 into your content library."_s).arg(copy);
    return PWLocalizedString(u"%1 It could not copy %2 into your content library either."_s)
        .arg(textFor(keys), copy);
}

QString CASettingsSaveMonitor::notCopiedDetailFor(const QStringList &reasons)
{
    QStringList said;
    for (const QString &reason : reasons)
        if (!reason.isEmpty() && !said.contains(reason))
            said.append(reason);
    return PWLocalizedString(u"The content library could not be copied: %1. What was installed with Parcelwick is "
                             u"shown instead; it cannot be changed."_s)
        .arg(said.join(u"; "_s));
}

QString CASettingsSaveMonitor::notUsedText()
{
    return PWLocalizedString(u"Parcelwick could not use all of your settings."_s);
}

QString CASettingsSaveMonitor::notUsedDetailFor(const QStringList &problems)
{
    QStringList lines;
    for (const QString &problem : problems) {
        QString line = problem.left(1).toUpper() + problem.mid(1);
        // Most problems are told without their stop, some as whole sentences: one stop either way.
        if (!line.endsWith(u'.') && !line.endsWith(u'!') && !line.endsWith(u'?'))
            line += u'.';
        lines.append(line);
    }
    return lines.join(u'\n');
}

void CASettingsSaveMonitor::notUsed(const QString &problem)
{
    if (m_pendingNotUsed.contains(problem))
        return;
    m_pendingNotUsed.append(problem);
    schedule();
}

QString CASettingsSaveMonitor::detailFor(const QString &path, const QString &reason)
{
    return PWLocalizedString(u"The settings file %1 could not be written: %2. What you change now is kept only "
                             u"until Parcelwick quits, unless the file can be written again before then."_s)
        .arg(path, reason);
}

void CASettingsSaveMonitor::failed(const QString &key, const QString &reason)
{
    // Every change fails alike while the file cannot be written: one window says so, naming
    // what the changes of this moment were (a finished assistant stores settings and lists).
    if (m_told)
        return;
    if (!m_pendingKeys.contains(key))
        m_pendingKeys.append(key);
    m_pendingReason = reason;
    schedule();
}

void CASettingsSaveMonitor::notCopied(const QStringList &folders, const QStringList &reasons)
{
    for (qsizetype i = 0; i < folders.size(); ++i) {
        if (m_toldCopies.contains(folders.at(i)) || m_pendingCopies.contains(folders.at(i)))
            continue;
        m_pendingCopies.append(folders.at(i));
        m_pendingCopyReasons.append(reasons.value(i));
    }
    if (!m_pendingCopies.isEmpty())
        schedule();
}

void CASettingsSaveMonitor::schedule()
{
    if (std::exchange(m_scheduled, true))
        return;
    QTimer::singleShot(0, this, &CASettingsSaveMonitor::tellPending);
}

void CASettingsSaveMonitor::tellPending()
{
    m_scheduled = false;
    const QStringList keys = std::exchange(m_pendingKeys, QStringList());
    const bool saveToTell = !m_told && !keys.isEmpty();
    const bool copiesToTell = !m_pendingCopies.isEmpty();
    const QStringList notUsed = std::exchange(m_pendingNotUsed, QStringList());
    if (!saveToTell && !copiesToTell) {
        // Settings not used are told each once, apart from a spell of failed saves.
        if (notUsed.isEmpty())
            return;
        ++m_toldCount;
        if (m_teller)
            m_teller(notUsedText(), notUsedDetailFor(notUsed));
        return;
    }
    if (saveToTell) {
        m_told = true;
        m_toldKeys = keys;
        m_saveDetail = detailFor(m_defaults.filePath(), m_pendingReason);
        qCWarning(lcShell).noquote() << textFor(keys) << m_pendingReason;
    }
    if (copiesToTell) {
        m_toldCopies += std::exchange(m_pendingCopies, QStringList());
        m_copyReasons += std::exchange(m_pendingCopyReasons, QStringList());
    }
    ++m_toldCount;
    // One window says all of it: what a spell of failed saves did not keep, and what of the
    // content library could not be copied.
    const QStringList saved = m_told ? m_toldKeys : QStringList();
    QStringList details;
    if (!saved.isEmpty())
        details.append(m_saveDetail);
    if (!m_toldCopies.isEmpty())
        details.append(notCopiedDetailFor(m_copyReasons));
    QString text = textFor(saved, m_toldCopies);
    if (!notUsed.isEmpty()) {
        text += u' ' + PWLocalizedString(u"It could not use all of your settings either."_s);
        details.append(notUsedDetailFor(notUsed));
    }
    if (m_teller)
        m_teller(text, details.join(u"\n\n"_s));
}

void CASettingsSaveMonitor::tellInWindow(const QString &text, const QString &detail)
{
    // Not modal: the failure may come inside a modal run (the assistant, a sheet), which must
    // go on; the box stays until the user closes it.
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *shown = qobject_cast<QMessageBox *>(widget);
        if (shown && shown->objectName() == u"_settingsNotSaved"_s && shown->isVisible()) {
            shown->setText(text);
            shown->setInformativeText(detail);
            shown->raise();
            return;
        }
    }
    // Under a modal window (the assistant) a box of its own would not answer until that window
    // ends: it belongs to the modal window, above it, and answers at once.
    auto *box = new QMessageBox(QMessageBox::Warning, u"Parcelwick"_s, text, QMessageBox::Ok, shownModalWindow());
    box->setObjectName(u"_settingsNotSaved"_s);
    box->setInformativeText(detail);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    // A modal window that comes after the box takes it along in the same way.
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, box, [box] {
        QWidget *modal = shownModalWindow();
        if (!modal || !box->isVisible())
            return;
        for (const QWidget *owner = box; owner; owner = owner->parentWidget())
            if (owner == modal)
                return;
        const QPoint at = box->pos();
        box->setParent(modal, box->windowFlags());
        box->move(at);
        box->show();
    });
    box->show();
}
