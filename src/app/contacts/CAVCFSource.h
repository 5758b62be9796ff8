#pragma once

#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CADataSourceContainer.h"

#include <QObject>

#include <functional>

class PWUserDefaults;
class QWidget;

// The vCard file source: persons from vCard files the user picks, kept by the container in
// memory and in its cache "VCFSource". The model the source's table shows: its list, loaded by
// memory, cache, import; updated by a new import. Main thread.
class CAVCFSource : public QObject
{
    Q_OBJECT
public:
    static const QString kCacheName; // "VCFSource"
    // The display name: ContactsVCFSource as the shell set it, else the localized "VCFFile".
    static QString name();

    // The persons of one vCard file: cards are found whatever the case of their BEGIN lines, the
    // text decoded by its byte-order mark, else as UTF-8, else card by card as Latin-1. A file
    // that cannot be read, or holds no card, gives no persons and a reason; cards that could not
    // be read are counted in the reason too.
    // report, when given, hears of each card (its index from 0, and the cards the file holds) and
    // answers true to stop: a stopped reading gives no persons and the reason "stopped".
    using CardReport = std::function<bool(quint32 index, quint32 count)>;
    // notes, when given, hears what was read otherwise than written (a line without a colon read
    // as the continuation of the one before), each line named with the file.
    static CAPersonList personFromVCFFile(const QString &path, QString *error = nullptr,
                                          const CardReport &report = CardReport(), QStringList *notes = nullptr);
    // Asks for files (starting in "VCFFileOpenDialogDirectory", remembered afterwards) and
    // reads them in order; nothing when the user cancelled, or when not one file could be read.
    // With progress (the import worker's), each card is reported and a stop gives nothing.
    static std::optional<CADataSourceContainer::ImportResult>
    importDataFromVCFSource(QWidget *window, QStringList &problems, PWUserDefaults &defaults,
                            const CAContactImportHooks &hooks = CAContactImportHooks::shared(),
                            CAImportProgress *progress = nullptr);
    static void registerWith(CADataSourceContainer &container);

    explicit CAVCFSource(CADataSourceContainer &container, QObject *parent = nullptr);

    // The list shown; nothing until loaded.
    std::optional<CAPersonList> source() const { return m_source; }
    // Loads once: later calls leave the list alone.
    void loadDataFromVCFFile(QWidget *window, bool direct);
    // The update button: imports anew (the file chooser opens), then announces the update.
    bool updateCache(QWidget *window);
    // After another window updated the source: the container's list, without importing.
    void synchronize(QWidget *window);
    bool isUpdateAllowed() const;

Q_SIGNALS:
    void sourceChanged();

private:
    CADataSourceContainer &m_container;
    std::optional<CAPersonList> m_source;
};
