#pragma once

#include "app/command/CACommandLine.h"

#include <QString>

#include <functional>

class PWJobReport;

// A print or export asked for on the command line, carried out without any window: the design is
// read (never written: a design read with damaged parts stays as it is on disk), the persons are
// read, and the pages go through the same printing views as the print sheet. Output files are
// written whole or not at all.
class CABatchJob
{
public:
    // Lines for a person watching a long job (page counts), without a line break.
    using ProgressReporter = std::function<void(const QString &line)>;

    // The most items (labels, envelopes, cards) one print job is asked to hold: the job's map of
    // items is made whole before the first page.
    static constexpr qint64 kMaxPrintedItems = 1'000'000;

    explicit CABatchJob(CACommandRequest request);

    void setProgressReporter(ProgressReporter reporter) { m_progress = std::move(reporter); }
    // Runs the job: CACommandLine::kSuccess, else kFailure with a one-line reason. A job that
    // read its design without a part of it, printed a picture as a placeholder, an address past its
    // label or card, items off the paper or texts without any font, or whose contacts file had lines
    // that look like persons read into a quoted field, fails after its output is written, each such
    // part, picture, person and field named among the warnings.
    int run(QString *reason);
    // Warnings that did not stop the job (parts of the design that could not be read).
    const QStringList &warnings() const { return m_warnings; }

private:
    int print(QString *reason);
    int reportDegraded(const PWJobReport &report, QString *reason);
    void noteReadProblems(const QStringList &problems);
    int exportDesign(QString *reason);
    // Whether `items` items from the requested start fit in one job on a sheet of `positions`.
    bool jobFits(qint64 items, int positions, QString *reason) const;

    CACommandRequest m_request;
    ProgressReporter m_progress;
    QStringList m_warnings;
    qsizetype m_recordsTakenByQuotes = 0;
    // Parts of the design its reading left out.
    int m_readProblems = 0;
};
