#include "app/shell/CASettingsSaveMonitor.h"

#include "app/shell/CAShellLog.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

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
}

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
    QString named = whats.takeLast();
    if (!whats.isEmpty())
        named = whats.join(u", "_s) + PWLocalizedString(u" and "_s) + named;
    return PWLocalizedString(u"Parcelwick could not save %1."_s).arg(named);
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
    if (std::exchange(m_scheduled, true))
        return;
    QTimer::singleShot(0, this, &CASettingsSaveMonitor::tellPending);
}

void CASettingsSaveMonitor::tellPending()
{
    m_scheduled = false;
    const QStringList keys = std::exchange(m_pendingKeys, QStringList());
    if (m_told || keys.isEmpty())
        return;
    m_told = true;
    ++m_toldCount;
    qCWarning(lcShell).noquote() << textFor(keys) << m_pendingReason;
    if (m_teller)
        m_teller(textFor(keys), detailFor(m_defaults.filePath(), m_pendingReason));
}

void CASettingsSaveMonitor::tellInWindow(const QString &text, const QString &detail)
{
    // Not modal: the failure may come inside a modal run (the assistant, a sheet), which must
    // go on; the box stays until the user closes it.
    auto *box = new QMessageBox(QMessageBox::Warning, u"Parcelwick"_s, text, QMessageBox::Ok);
    box->setObjectName(u"_settingsNotSaved"_s);
    box->setInformativeText(detail);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}
