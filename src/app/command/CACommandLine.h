#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCommandLineOption>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

// What one start of the program asks for, read from its arguments. Batch requests run without any
// window and end the process; the others go to the running instance (or become it).
struct CACommandRequest
{
    enum class Mode { Interactive, BatchPrint, BatchExport };

    Mode mode = Mode::Interactive;
    // The design of a batch job.
    QString design;
    // Persons from a vCard or delimited text file, or from a print list by its name.
    QString contacts;
    // Columns of a delimited contacts file named by their header, each with the field it holds,
    // as the import dialog lets the user place them (--column "HEADER=KEY").
    QList<QPair<QString, QString>> columns;
    // The encoding of a delimited contacts file (--encoding NAME), in place of the one its bytes
    // suggest.
    std::optional<quint32> encoding;
    QString printList;
    // Items per person (or, without persons, items of the design); the view's own default when unset.
    std::optional<int> copies;
    // 1-based slot of the first item on the first sheet.
    int start = 1;
    // A PDF file (batch print) or a PDF or TIFF file (export), or a printer by its name.
    QString output;
    QString printer;
    // Designs to open in the running instance, absolute.
    QStringList files;
    // Commands for the running instance, in the form its door takes them ({"command": ...}), with
    // absolute paths.
    QList<QJsonObject> commands;
};

// The options of `parcelwick` and their reading. Exit status: 0 done, 1 a job that failed, 2 a
// request that could not be understood.
class CACommandLine
{
public:
    enum ExitStatus : int { kSuccess = 0, kFailure = 1, kUsage = 2 };
    // The most designs one start may name.
    static constexpr int kMaximumDesigns = 50;
    // The most --copies one print job takes: one print job holds at most a million items.
    static constexpr int kMaximumCopies = 1'000'000;

    // Every option, the text services' included.
    static QList<QCommandLineOption> options();
    // Whether the raw arguments ask for work that needs no display (a batch job, help, version):
    // known before any application object exists, so that such a start never opens a window.
    static bool isHeadless(int argc, const char *const *argv);
    // Whether the raw arguments hold an option of the toolkit's own (-platform, -style, ...), which
    // only the application object takes away.
    static bool mentionsToolkitOption(int argc, const char *const *argv);
    // Reads the arguments (the program's name first). Relative paths are taken from
    // workingDirectory. Nothing, with a one-line reason, for a request that cannot be carried out
    // as asked; the caller's parser then holds the options for the text services.
    static std::optional<CACommandRequest> parse(const QStringList &arguments, const QString &workingDirectory,
                                                 QString *error, bool *helpOrVersion = nullptr);
    // The help text `--help` prints.
    static QString helpText();
    // One line on standard error, "parcelwick: " first, names in it as the bytes they were given as.
    static void printLine(const QString &line);

    // An argument or path as the system gave it, as text that keeps every byte: a byte that is no
    // part of UTF-8 becomes the lone surrogate U+DC00 + byte, which no decoded text holds, and
    // pathBytes turns the text back into the very bytes. Names that are no UTF-8 so travel through
    // the reading of the options and are opened by their own bytes.
    static QString argumentText(QByteArrayView bytes);
    static QByteArray pathBytes(const QString &text);
    // The current folder as argumentText gives it.
    static QString currentFolder();
};
