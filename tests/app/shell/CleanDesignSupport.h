#pragma once

// A design file opened and exported by the batch job whole and with each of its keys left out in
// turn: the keys are those the file holds, found by walking it, never a list. The batch runs in
// this process through the program's own job (CABatchJob), or, when PW_CLEAN_PROGRAM names an
// installed program, through that program's --export.

#include "DesignParts.h"
#include "app/command/CABatchJob.h"
#include "app/command/CACommandLine.h"
#include "kernel/base/CDDArchiveKept.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWPlist.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>
#include <poppler-qt6.h>

namespace cleandesign {

// A key of a dictionary, or (index 0 or more) an entry of a list.
struct Step
{
    QString key;
    qsizetype index = -1;
};
using Path = QList<Step>;

inline PWPlist valueAt(const PWPlist &root, const Path &path)
{
    PWPlist value = root;
    for (const Step &step : path)
        value = step.index >= 0 ? value.toArray().value(step.index) : value.value(step.key);
    return value;
}

// root with the key path ends in left out.
inline PWPlist withoutKey(const PWPlist &root, const Path &path, qsizetype from = 0)
{
    const Step &step = path.at(from);
    if (step.index >= 0) {
        PWPlist::Array list = root.toArray();
        list[step.index] = withoutKey(list.at(step.index), path, from + 1);
        return PWPlist(list);
    }
    PWPlist::Dictionary dictionary = root.toDictionary();
    if (from + 1 == path.size())
        dictionary.remove(step.key);
    else
        dictionary.insert(step.key, withoutKey(dictionary.value(step.key), path, from + 1));
    return PWPlist(dictionary);
}

// Every key of every dictionary below value, each with its path, in the file's order.
inline void eachKey(const PWPlist &value, Path &path, const std::function<void(const Path &)> &visit)
{
    if (value.isDictionary()) {
        for (const PWPlist::Dictionary::Entry &entry : value.toDictionary()) {
            path.append({entry.first, -1});
            visit(path);
            eachKey(entry.second, path, visit);
            path.removeLast();
        }
    } else if (value.isArray()) {
        for (qsizetype i = 0; i < value.toArray().size(); ++i) {
            path.append({QString(), i});
            eachKey(value.toArray().at(i), path, visit);
            path.removeLast();
        }
    }
}

// The class the key lies in (the nearest dictionary naming one, else the design) and its keys from
// there, list entries as "*": the same key of every component of a class has one signature.
inline QString signatureOf(const PWPlist &root, const Path &path)
{
    QString place = QStringLiteral("design");
    QStringList keys;
    PWPlist value = root;
    for (const Step &step : path) {
        value = step.index >= 0 ? value.toArray().value(step.index) : value.value(step.key);
        keys.append(step.index >= 0 ? QStringLiteral("*") : step.key);
        if (&step != &path.last() && value.isDictionary() && value.value(QStringLiteral("Class ID")).isString()) {
            place = value.value(QStringLiteral("Class ID")).toString();
            keys.clear();
        }
    }
    return place + u':' + keys.join(u'/');
}

inline QString shown(const Path &path)
{
    QString text;
    for (const Step &step : path)
        text += step.index >= 0 ? QStringLiteral("[%1]").arg(step.index) : (text.isEmpty() ? QString() : QStringLiteral("/")) + step.key;
    return text;
}

// What a batch export made of a design: its exit status, what it named, the first page drawn.
struct Exported
{
    int status = -1;
    QStringList said;
    QImage page;
};

// The first page of a PDF at a resolution that shows every item, on white.
inline QImage pageOf(const QString &pdfPath)
{
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(pdfPath);
    if (!pdf || pdf->numPages() < 1)
        return QImage();
    pdf->setPaperColor(Qt::white);
    return pdf->page(0)->renderToImage(50.0, 50.0).convertToFormat(QImage::Format_RGB32);
}

// The design exported to PDF as `parcelwick --export DESIGN OUT.pdf` does it, from a file in folder.
inline Exported exported(const QByteArray &design, const QString &folder, bool drawn)
{
    const QString designPath = QDir(folder).filePath(QStringLiteral("design.pwdc"));
    const QString outputPath = QDir(folder).filePath(QStringLiteral("design.pdf"));
    QFile::remove(outputPath);
    {
        QFile file(designPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(design) != design.size())
            return {};
    }
    Exported result;
    if (const QString program = qEnvironmentVariable("PW_CLEAN_PROGRAM"); !program.isEmpty()) {
        QProcess process;
        process.start(program, {QStringLiteral("--export"), designPath, outputPath});
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.said = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    } else {
        CACommandRequest request;
        request.mode = CACommandRequest::Mode::BatchExport;
        request.design = designPath;
        request.output = outputPath;
        CABatchJob job(request);
        QString reason;
        result.status = job.run(&reason);
        result.said = job.warnings();
        if (!reason.isEmpty())
            result.said.append(reason);
    }
    if (drawn && result.status == CACommandLine::kSuccess)
        result.page = pageOf(outputPath);
    return result;
}

// What opening the design names, and the design as its objects then write it, nothing kept of the
// file: the state the reading made of it.
struct Opened
{
    bool read = false;
    QStringList problems;
    PWPlist own;
};

inline Opened opened(const QByteArray &design, const QString &folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("opened.pwdc"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(design) != design.size())
            return {};
    }
    CADocument document;
    Opened result;
    QString error;
    result.read = document.readFromFile(path, &error);
    result.problems = result.read ? document.readProblems() : QStringList {error};
    const CDDArchiveKept::Forgotten own;
    result.own = document.propertyListForComponents(nullptr);
    return result;
}

// The property over a corpus: each file opens without a word and its batch export is done (exit
// 0); so with each key chosen left out, and where leaving it out changes nothing the reading
// makes of the design (its objects write the same file), the export draws the same pixels.
class Clean
{
public:
    explicit Clean(QString folder)
        : m_folder(std::move(folder))
    {
    }

    // Which keys of a file are left out, by path and signature; every key when not set.
    std::function<bool(const QString &file, const Path &path, const QString &signature)> choose;

    void check(const QString &name, const QByteArray &bytes)
    {
        const std::optional<PWPlist> parsed = PWPlist::parse(bytes);
        if (!parsed || !parsed->isDictionary()) {
            m_failures.append(name + QStringLiteral(": no property list"));
            return;
        }
        ++m_files;
        Path walk;
        QList<Path> paths;
        eachKey(*parsed, walk, [&](const Path &path) {
            const QString signature = signatureOf(*parsed, path);
            if (!choose || choose(name, path, signature)) {
                paths.append(path);
                m_signatures.insert(signature);
            }
        });
        const Exported wholeExport = exported(bytes, m_folder, false);
        // With no key to leave out, what the reading makes is not wanted: the job names what
        // it could not read as the opening does, and fails for it.
        const Opened wholeRead = paths.isEmpty() ? Opened {true, wholeExport.said.filter(QStringLiteral("could not be read")), PWPlist()}
                                                 : opened(bytes, m_folder);
        if (!judged(name, wholeRead, wholeExport))
            return;
        // A key of a component is left out of a design holding that component alone, which reads
        // and exports in a fraction of the time; the whole of that design is the measure. Its page
        // is drawn the first time a design that reads as it asks for it.
        struct Whole
        {
            QByteArray bytes;
            Opened read;
            std::optional<QImage> page;
        };
        QHash<qsizetype, Whole> wholes;
        wholes.insert(-1, {bytes, wholeRead, std::nullopt});
        for (Path path : std::as_const(paths)) {
            const qsizetype component = componentOf(path);
            const PWPlist design = reduced(*parsed, path);
            if (!wholes.contains(component)) {
                const QByteArray whole = design.toXml();
                wholes.insert(component, {whole, opened(whole, m_folder), std::nullopt});
            }
            Whole &whole = wholes[component];
            const QByteArray without = withoutKey(design, path).toXml();
            const Opened read = opened(without, m_folder);
            // The key held what the reading takes in its place: the design is the whole one.
            const bool same = read.read && read.own == whole.read.own;
            const Exported export_ = exported(without, m_folder, same);
            ++m_leftOut;
            const QString where = name + QStringLiteral(" without ") + shown(path);
            // A key without which a part is dropped or prints nothing is named by the opening and
            // by the export, which fails for it; every other key left out is silent.
            if (read.read && pwtest::lostAPart(whole.read.own, read.own, valueAt(design, path))) {
                ++m_lost;
                const QString quoted = u'"' + path.last().key + u'"';
                if (read.problems.filter(quoted).isEmpty())
                    m_failures.append(where + QStringLiteral(": a part is lost, and opening does not name %1: ").arg(quoted)
                                      + read.problems.join(QStringLiteral(" | ")));
                if (export_.status != CACommandLine::kFailure || export_.said.filter(quoted).isEmpty())
                    m_failures.append(where + QStringLiteral(": a part is lost, and the export ends with %1 without naming %2: ")
                                                  .arg(export_.status)
                                                  .arg(quoted)
                                      + export_.said.join(QStringLiteral(" | ")));
                continue;
            }
            // A size or a place taken from a new design can carry an address past its card: the
            // job then fails for what it prints, as it does for any design, never for its reading.
            if (export_.status == CACommandLine::kFailure && read.read && read.problems.isEmpty()
                && export_.said.filter(QStringLiteral("could not be read")).isEmpty()) {
                ++m_failedForContent;
                continue;
            }
            if (!judged(where, read, export_))
                continue;
            if (same) {
                ++m_compared;
                if (!whole.page)
                    whole.page = exported(whole.bytes, m_folder, true).page;
                if (export_.page.isNull() || export_.page != *whole.page)
                    m_failures.append(where + QStringLiteral(": the design reads as the whole one, and exports other pixels"));
            }
        }
    }

    const QStringList &failures() const { return m_failures; }
    const QSet<QString> &signatures() const { return m_signatures; }
    int files() const { return m_files; }
    int leftOut() const { return m_leftOut; }
    int compared() const { return m_compared; }
    // Openings that named nothing and exports done, of all runs.
    int clean() const { return m_clean; }
    int named() const { return m_named; }
    int failed() const { return m_failed; }
    // Exports of a design with a key left out that failed for what they print (an address past
    // its card), not for a part of the design they could not read.
    int failedForContent() const { return m_failedForContent; }
    // Runs whose key left out lost a part of the design (each named, or a failure).
    int lost() const { return m_lost; }
    QString summary() const
    {
        return QStringLiteral("%1 files, %2 keys left out (%3 compared pixel for pixel); runs: %4 clean, %5 named, "
                              "%6 failed exports, %7 failed for what they print, %8 lost a part")
            .arg(m_files)
            .arg(m_leftOut)
            .arg(m_compared)
            .arg(m_clean)
            .arg(m_named)
            .arg(m_failed)
            .arg(m_failedForContent)
            .arg(m_lost);
    }

private:
    // The entry of the side's list a path lies in; -1 for the design's own keys.
    static qsizetype componentOf(const Path &path)
    {
        return path.size() >= 4 && path.at(0).key == QStringLiteral("Front Side") && path.at(1).key == QStringLiteral("Components")
                   ? path.at(2).index
                   : -1;
    }
    // The design with only the component the path lies in, the path changed to lead to it there.
    static PWPlist reduced(const PWPlist &design, Path &path)
    {
        const qsizetype component = componentOf(path);
        if (component < 0)
            return design;
        PWPlist::Dictionary root = design.toDictionary();
        PWPlist::Dictionary front = root.value(QStringLiteral("Front Side")).toDictionary();
        front.insert(QStringLiteral("Components"), PWPlist(PWPlist::Array {valueAt(design, path.mid(0, 3))}));
        root.insert(QStringLiteral("Front Side"), PWPlist(front));
        path[2].index = 0;
        return PWPlist(root);
    }

    bool judged(const QString &where, const Opened &read, const Exported &export_)
    {
        const bool named = !read.read || !read.problems.isEmpty();
        const bool failed = export_.status != CACommandLine::kSuccess;
        m_named += named ? 1 : 0;
        m_failed += failed ? 1 : 0;
        m_clean += !named && !failed ? 1 : 0;
        if (named)
            m_failures.append(where + QStringLiteral(": opening names ") + read.problems.join(QStringLiteral(" | ")));
        if (failed)
            m_failures.append(where + QStringLiteral(": the export ends with %1: ").arg(export_.status)
                              + export_.said.join(QStringLiteral(" | ")));
        return !named && !failed;
    }

    QString m_folder;
    QStringList m_failures;
    QSet<QString> m_signatures;
    int m_files = 0;
    int m_leftOut = 0;
    int m_compared = 0;
    int m_clean = 0;
    int m_named = 0;
    int m_failed = 0;
    int m_failedForContent = 0;
    int m_lost = 0;
};

// A choice of keys that leaves out each signature the first time it is met, and besides every
// stride-th key of each file counted from an offset its name gives: the same keys at every run.
inline std::function<bool(const QString &, const Path &, const QString &)> everySignatureAndEvery(int stride)
{
    auto met = std::make_shared<QSet<QString>>();
    auto counts = std::make_shared<QHash<QString, int>>();
    return [met, counts, stride](const QString &file, const Path &, const QString &signature) {
        const int n = (*counts)[file]++;
        const int offset = int(qHash(file, 0) % uint(stride));
        if (!met->contains(signature)) {
            met->insert(signature);
            return true;
        }
        return (n + offset) % stride == 0;
    };
}

} // namespace cleandesign
