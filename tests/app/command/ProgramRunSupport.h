#pragma once

// The program started as a process of its own, as a user starts it from a shell: without a
// display, its exit status and what it wrote to its standard output and error.
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>
#include <memory>
#include <optional>
#include <poppler-qt6.h>
#include <sys/resource.h>

namespace commandtest {

struct ProgramRun
{
    int status = -1;
    QString out;
    QString err;
};

// The first page of an exported PDF at 72 dots per inch on white; null when it cannot be read.
inline QImage exportedPage(const QString &path)
{
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    if (!pdf || pdf->numPages() < 1)
        return QImage();
    pdf->setPaperColor(Qt::white);
    return pdf->page(0)->renderToImage(72.0, 72.0).convertToFormat(QImage::Format_RGB32);
}

// room, when given, is the most bytes any file the program writes may hold; a run not ended within
// waitMs is killed and answers status -1; -1 waits for its end however long it takes (the test
// runner's own time-out stands behind it).
inline ProgramRun runProgram(const QStringList &arguments, std::optional<rlim_t> room = std::nullopt,
                             int waitMs = 240000)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No display at all: a batch job must not need one.
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    if (room) {
        const rlim_t bytes = *room;
        process.setChildProcessModifier([bytes] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit {};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = bytes;
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    process.start(QStringLiteral(PW_PARCELWICK_BINARY), arguments);
    ProgramRun run;
    if (!process.waitForFinished(waitMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// An empty design on the default label layout, in the United States, with no sender: the input of
// batch jobs whose subject is what they write, not what they draw.
inline bool writeBlankDesign(const QString &path, QString *error)
{
    CAEnvironment::setDefaultCountry(QStringLiteral("us"));
    CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    if (!layout) {
        *error = QStringLiteral("no default layout");
        return false;
    }
    CADocument document;
    document.setLayoutArangeComponents(*layout, false);
    return document.writeToFile(path, error);
}

// The same with one address panel (name and company, barcode below) near the label's top left:
// the input of batch jobs that print persons.
inline bool writeAddressDesign(const QString &path, QString *error)
{
    CAEnvironment::setDefaultCountry(QStringLiteral("us"));
    CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    if (!layout) {
        *error = QStringLiteral("no default layout");
        return false;
    }
    CADocument document;
    document.setLayoutArangeComponents(*layout, false);
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        QStringLiteral("Name+Company"), QStringLiteral("us"), true, CAddressFormatController::kBarcodeBelow);
    auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
    panel->SetOrigin(8.0, 6.0);
    document.ftDocument()->AddObject(panel.release(), 0, false);
    return document.writeToFile(path, error);
}

// Environment variables set for the programs this test starts, put back when it ends.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const QByteArray &value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_previous(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (m_had)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_previous;
};

} // namespace commandtest
