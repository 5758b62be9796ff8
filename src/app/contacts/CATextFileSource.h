#pragma once

#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CADataSourceContainer.h"

#include <QObject>

#include <functional>

class CADelimitedText;
class PWUserDefaults;
class QWidget;

// The delimited text source: persons from text files the user picks, each read through the
// text import dialog, kept by the container in memory and in its cache "TextFileSource". The
// model the source's table shows. Main thread.
class CATextFileSource : public QObject
{
    Q_OBJECT
public:
    static const QString kCacheName; // "TextFileSource"
    // ContactsTextFileSource as the shell set it, else the localized "TextFile".
    static QString name();

    // Asks for files (starting in "textFileOpenDialogDirectory", remembered afterwards) and
    // reads each through the dialog. A file whose dialog is cancelled adds nothing, one that
    // cannot be read is named in problems; nothing when no file gave a list.
    // With progress (the import worker's), each record is reported and a stop gives nothing.
    static std::optional<CADataSourceContainer::ImportResult>
    importDataFromTextFileSource(QWidget *window, QStringList &problems, PWUserDefaults &defaults,
                                 const CAContactImportHooks &hooks = CAContactImportHooks::shared(),
                                 CAImportProgress *progress = nullptr);
    // The persons of one file, read without a dialog (the command line); nothing with a reason
    // when the file cannot be read or holds no text.
    static std::optional<CAPersonList> personsFromTextFile(const QString &path, QStringList *problems = nullptr);
    // The same, with columns placed by their header as the import dialog lets the user place
    // them (header text, field key; the key "skip" leaves the column unread); the columns neither
    // the header keywords nor those place, and not skipped, are named in problems. A file in which no column holds
    // a person field gives no persons. With nameless, a file in which no column holds a name
    // (first, last or company name) gives nothing either, and nameless is set to the header's
    // columns that are not read (none when the file has no header row). takenByQuotes, when
    // given, is set to the lines that look like records of their own but were read into quoted
    // fields of many lines (CADelimitedText::recordsTakenByQuotes()).
    // With columns given, the columns left unread are not named in problems but listed there
    // (the output lacks nothing for them: a design prints no field that no column gives), and
    // the keys of the fields the columns hold are listed in placed.
    using ColumnChoices = QList<QPair<QString, QString>>;
    // With columns read, what the reading did that the text does not lack (a file of one 8-bit
    // encoding read in it) is said in notes, not in problems.
    // otherReadings: the 8-bit encodings the file's letters read as words in as well, when they
    // did not decide its reading alone.
    struct ColumnsRead
    {
        QStringList unread;
        QStringList placed;
        QStringList notes;
        QList<quint32> otherReadings;
        quint32 encoding = 0; // the encoding read in
        // The user said no when asked for the encoding (EncodingChoice::askWhenUndecided).
        bool cancelled = false;
    };
    // The encoding the caller chose, in place of the one the bytes suggest; and, when no
    // encoding is chosen, what asks the user when the letters did not decide it (false cancels
    // the reading: nothing is read).
    struct EncodingChoice
    {
        std::optional<quint32> encoding;
        std::function<bool(CADelimitedText &text)> askWhenUndecided;
    };
    static std::optional<CAPersonList> personsFromTextFile(const QString &path, const ColumnChoices &columns,
                                                           QStringList *problems, std::optional<QStringList> *nameless = nullptr,
                                                           qsizetype *takenByQuotes = nullptr,
                                                           ColumnsRead *columnsRead = nullptr,
                                                           const EncodingChoice &encoding = EncodingChoice());
    static void registerWith(CADataSourceContainer &container);

    explicit CATextFileSource(CADataSourceContainer &container, QObject *parent = nullptr);

    std::optional<CAPersonList> source() const { return m_source; }
    void updateFromDataSource(QWidget *window, bool force);
    // The update button: a new import; cancelling keeps the list, and the update is announced.
    bool updateCache(QWidget *window);
    // Only when the container has a cache for the source: its list, without importing.
    void synchronize(QWidget *window);
    bool isUpdateAllowed() const;

Q_SIGNALS:
    void sourceChanged();

private:
    static std::optional<CAPersonList> readTextFile(const QString &path, const ColumnChoices *columns,
                                                    QStringList *problems, std::optional<QStringList> *nameless,
                                                    qsizetype *takenByQuotes, ColumnsRead *columnsRead,
                                                    const EncodingChoice &encoding);

    CADataSourceContainer &m_container;
    std::optional<CAPersonList> m_source;
};
