#pragma once

// Builds a Swish-e keyword index with the swish-e program from documents handed to it on its
// standard input ("-S prog -i stdin"). Each document's path becomes its "swishdocpath", the
// words of its text what a query finds. Used by the clip-art generator, the tests and the
// benchmark; the application itself never writes an index.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

struct SwishDocument
{
    QByteArray path; // "<picture path>,<caption>", in Mac OS Roman
    QByteArray text; // the words to find it by
};

inline QByteArray swishDocumentStream(const std::vector<SwishDocument> &documents)
{
    QByteArray stream;
    for (const SwishDocument &document : documents) {
        stream += "Path-Name: " + document.path + "\nContent-Length: " + QByteArray::number(document.text.size())
                  + "\nDocument-Type: TXT*\n\n" + document.text;
    }
    return stream;
}

// False, with the program's output in *error, when the index was not made.
inline bool buildSwishIndex(const QString &program, const QString &indexPath, const std::vector<SwishDocument> &documents,
                            QString *error = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, {QStringLiteral("-S"), QStringLiteral("prog"), QStringLiteral("-i"), QStringLiteral("stdin"),
                            QStringLiteral("-f"), indexPath, QStringLiteral("-v"), QStringLiteral("0")});
    if (!process.waitForStarted(30000)) {
        if (error)
            *error = QStringLiteral("cannot start %1").arg(program);
        return false;
    }
    process.write(swishDocumentStream(documents));
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(300000);
    const QByteArray output = process.readAll();
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(output);
        return false;
    }
    return true;
}
