#pragma once

#include "app/command/CACommandLine.h"

#include <QString>

#include <functional>

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
    // Runs the job: CACommandLine::kSuccess, else kFailure with a one-line reason. Whatever the
    // job's report (PWJobReport) holds that fails a job (a part of the design not read, a problem
    // the contacts reader names, a picture printed as a placeholder, an address or text past its
    // label or card, items off the paper, letters without a font, a counter out of numbers) fails
    // it after its output is written, each named among the warnings; what it notes of an output
    // that is as designed (columns not read, fonts replaced, ...) is named there too and leaves
    // the job done.
    int run(QString *reason);
    // What the job's report named, in its order, whether or not the job was done.
    const QStringList &warnings() const { return m_warnings; }

private:
    int print(QString *reason);
    static void noteReadProblems(const QStringList &problems);
    int exportDesign(QString *reason);
    // Whether `items` items from the requested start fit in one job on a sheet of `positions`.
    bool jobFits(qint64 items, int positions, QString *reason) const;

    CACommandRequest m_request;
    ProgressReporter m_progress;
    QStringList m_warnings;
};
