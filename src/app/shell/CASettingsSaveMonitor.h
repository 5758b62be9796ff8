#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class PWUserDefaults;
class QWidget;

// Tells the user, once, that the settings file could not be written. Settings, print lists,
// senders and the local contacts all live in that one file, so a folder that cannot be written
// or a full disk fails every change the same way: the failures of one turn of the event loop are
// told together (what could not be kept and why), later ones of that spell only logged; a write
// that succeeds again ends the spell, and a later failure is told anew. The same home fails the
// first copy of the content library: what of it could not be copied is told with them, in the
// same window. So are the settings that were found but could not be used (a damaged settings
// file, a print-list person that does not read, ...): each is named once.
class CASettingsSaveMonitor : public QObject
{
    Q_OBJECT
public:
    // How a failure is shown: the text names what was not saved, the detail why.
    using Teller = std::function<void(const QString &text, const QString &detail)>;

    CASettingsSaveMonitor(PWUserDefaults &defaults, Teller teller, QObject *parent = nullptr);

    // What the user calls the value stored under key ("the print lists", ...).
    static QString whatIsStoredUnder(const QString &key);
    // The text and the detail told for failures of the values stored under keys.
    static QString textFor(const QStringList &keys);
    static QString detailFor(const QString &path, const QString &reason);
    // With the folders of the content library that could not be copied ("ClipArt", ...) too;
    // either list may be empty.
    static QString textFor(const QStringList &keys, const QStringList &notCopied);
    static QString notCopiedDetailFor(const QStringList &reasons);
    // The text told for settings that could not be used alone, and the detail naming them.
    static QString notUsedText();
    static QString notUsedDetailFor(const QStringList &problems);
    int toldCount() const { return m_toldCount; }
    // Folders of the content library that could not be copied, each with its reason.
    void notCopied(const QStringList &folders, const QStringList &reasons);

    // The teller the application uses: a message box named "_settingsNotSaved" that does not
    // hold the application up; while one is shown, it says the newer text instead of a second.
    static void tellInWindow(const QString &text, const QString &detail);

private:
    void failed(const QString &key, const QString &reason);
    void notUsed(const QString &problem);
    void schedule();
    void tellPending();

    PWUserDefaults &m_defaults;
    Teller m_teller;
    bool m_told = false;
    bool m_scheduled = false;
    QStringList m_pendingKeys;
    QString m_pendingReason;
    // What the window of this spell says: the keys and the detail of the save, the folders not
    // copied (told once for the process) and why.
    QStringList m_toldKeys;
    QString m_saveDetail;
    QStringList m_pendingCopies;
    QStringList m_pendingCopyReasons;
    QStringList m_toldCopies;
    QStringList m_copyReasons;
    // Settings not used, to be told (each is told once for the process).
    QStringList m_pendingNotUsed;
    int m_toldCount = 0;
};
