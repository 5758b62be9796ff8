#include "app/pictures/CCSwishIndexer.h"

#include "kernel/base/FTMacRoman.h"
#include "platform/PWDescriptor.h"
#include "platform/PWIsolatedCall.h"

#include <QFileInfo>
#include <QLoggingCategory>

#include <swish-e.h>

#include <cstdio>

Q_LOGGING_CATEGORY(lcSwishIndex, "pw.app.pictures")

namespace {

// Mac OS Roman from 0x80 on, for reading the index's document paths; below that it is ASCII.
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// The library writes its complaints to standard output unless told otherwise.
void routeLibraryErrors()
{
    static const bool routed = [] {
        set_error_handle(stderr);
        return true;
    }();
    Q_UNUSED(routed);
}

// Reads every hit's document path of every one-letter prefix query: this walks each word's data
// and each document's properties once, which is where a damaged index makes the library give up.
int readWholeIndex(SW_HANDLE handle)
{
    static const char prefixes[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (const char *p = prefixes; *p; ++p) {
        char query[3] = {*p, '*', '\0'};
        SW_RESULTS results = SwishQuery(handle, query);
        if (!results)
            continue;
        while (SW_RESULT hit = SwishNextResult(results)) {
            char property[] = "swishdocpath";
            if (PropValue *value = getResultPropValue(hit, property, 0))
                freeResultPropValue(value);
        }
        Free_Results_Object(results);
    }
    return 0;
}

enum class Trial { Readable, Unreadable, Damaged };

constexpr char kTrialJob[] = "swish-index-trial";
constexpr QByteArrayView kReadableAnswer = "readable";
constexpr QByteArrayView kUnreadableAnswer = "unreadable";
// As long as a reading of the largest collection's index takes many times over.
constexpr int kTrialDeadlineMs = 20000;

// The trial in the child: opens the index (the request is the library's argument) and reads it
// whole. The library's complaints go to standard error, which the child has silenced, and its
// standard output, which carries the answer, is kept from any line the library prints there.
QByteArray trialAnswer(const QByteArray &argument)
{
    routeLibraryErrors();
    const PWSilencedStandardOutput silenced;
    QByteArray copy = argument;
    SW_HANDLE handle = SwishInit(copy.data());
    if (!handle || SwishError(handle)) {
        if (handle)
            SwishClose(handle);
        return kUnreadableAnswer.toByteArray();
    }
    readWholeIndex(handle);
    SwishClose(handle);
    return kReadableAnswer.toByteArray();
}

[[maybe_unused]] const bool kTrialJobRegistered = PWIsolatedCall::registerJob(kTrialJob, &trialAnswer);

// Opens and reads the index in a child process: libswish-e calls exit() on some damaged indexes
// and may loop on others; neither may reach the application. The child is a fresh start of the
// program, never a fork of this threaded one, whose copy could wait for good on a lock another
// thread held at the fork.
Trial tryIndexInChild(const QByteArray &argument, QString *reason)
{
    PWIsolatedCall::Limits limits;
    limits.deadlineMs = kTrialDeadlineMs;
    limits.answerBytes = 64;
    const PWIsolatedCall::Outcome outcome = PWIsolatedCall::run(kTrialJob, argument, limits);
    if (!outcome.ok) {
        *reason = outcome.reason;
        return Trial::Damaged;
    }
    if (outcome.answer == kReadableAnswer)
        return Trial::Readable;
    if (outcome.answer == kUnreadableAnswer)
        return Trial::Unreadable;
    *reason = QStringLiteral("the trial reading gave no answer");
    return Trial::Damaged;
}

} // namespace

CCSwishIndexer::CCSwishIndexer(QString indexName, void *handle)
    : m_indexName(std::move(indexName))
    , m_indexHandle(handle)
{
}

CCSwishIndexer::~CCSwishIndexer()
{
    if (m_indexHandle)
        SwishClose(static_cast<SW_HANDLE>(m_indexHandle));
}

std::unique_ptr<CCSwishIndexer> CCSwishIndexer::open(const QString &indexPath)
{
    routeLibraryErrors();
    // The library takes a blank-separated list of index files: quoted, a path with blanks
    // stays one file.
    const QString quoted = QStringLiteral("\"%1\"").arg(indexPath);
    const auto fail = [&quoted](const QString &why) -> std::unique_ptr<CCSwishIndexer> {
        qCWarning(lcSwishIndex).noquote() << QStringLiteral("Error loading index at '%1': %2").arg(quoted, why);
        return nullptr;
    };
    const QFileInfo info(indexPath);
    if (!info.isFile())
        return fail(QStringLiteral("no such file"));
    if (!QFileInfo(indexPath + QStringLiteral(".prop")).isFile())
        return fail(QStringLiteral("its property file is missing"));
    const QByteArray argument = quoted.toLocal8Bit();
    QString reason;
    switch (tryIndexInChild(argument, &reason)) {
    case Trial::Readable:
        break;
    case Trial::Damaged:
        return fail(reason);
    case Trial::Unreadable: {
        // Open it here as well, only to have the library's own words for the log.
        QByteArray copy = argument;
        SW_HANDLE handle = SwishInit(copy.data());
        QString message = QStringLiteral("the library cannot open it");
        if (handle && SwishError(handle))
            message = QString::fromLocal8Bit(SwishErrorString(handle)) + QStringLiteral(": ")
                      + QString::fromLocal8Bit(SwishLastErrorMsg(handle));
        if (handle)
            SwishClose(handle);
        return fail(message);
    }
    }
    QByteArray copy = argument;
    SW_HANDLE handle = SwishInit(copy.data());
    if (!handle || SwishError(handle)) {
        const QString message = handle ? QString::fromLocal8Bit(SwishErrorString(handle)) : QStringLiteral("no handle");
        if (handle)
            SwishClose(handle);
        return fail(message);
    }
    return std::unique_ptr<CCSwishIndexer>(new CCSwishIndexer(indexPath, handle));
}

std::optional<QList<QVariantMap>> CCSwishIndexer::queryString(const QString &query) const
{
    std::optional<QByteArray> bytes = encodeMacRoman(query);
    if (!bytes || !m_indexHandle)
        return std::nullopt;
    auto *handle = static_cast<SW_HANDLE>(m_indexHandle);
    SW_RESULTS results = SwishQuery(handle, bytes->data());
    if (SwishError(handle)) {
        if (results)
            Free_Results_Object(results);
        return std::nullopt;
    }
    QList<QVariantMap> entries;
    entries.reserve(1000);
    if (!results)
        return entries;
    while (SW_RESULT hit = SwishNextResult(results)) {
        char property[] = "swishdocpath";
        PropValue *value = getResultPropValue(hit, property, 0);
        if (!value)
            continue;
        QString path;
        if (value->datatype == PROP_STRING && value->value.v_str)
            path = decodeMacRoman(QByteArray(value->value.v_str));
        freeResultPropValue(value);
        if (!path.isEmpty())
            entries.append(entryForDocumentPath(path));
    }
    Free_Results_Object(results);
    return entries;
}

QString CCSwishIndexer::tokenizeQuery(const QString &query)
{
    QStringList words = query.split(QLatin1Char(' '));
    for (QString &word : words) {
        if (word.size() > 2 && !word.endsWith(QLatin1Char('*')))
            word.append(QLatin1Char('*'));
    }
    return words.join(QLatin1Char(' ')) + QStringLiteral(" not (%1)").arg(query);
}

QVariantMap CCSwishIndexer::entryForDocumentPath(const QString &documentPath)
{
    // Field 1 is the picture's path, field 2 its caption; any further fields are not ours.
    const QStringList fields = documentPath.split(QLatin1Char(','));
    const QString name = fields.at(0).section(QLatin1Char('/'), -1);
    const QString hint = fields.size() >= 2 ? fields.at(1) : name;
    return {{QStringLiteral("name"), name}, {QStringLiteral("hint"), hint}};
}

std::optional<QByteArray> CCSwishIndexer::encodeMacRoman(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const std::optional<char> byte = macRomanByte(c.unicode());
        if (!byte)
            return std::nullopt;
        bytes.append(*byte);
    }
    return bytes;
}

QString CCSwishIndexer::decodeMacRoman(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text.append(value < 0x80 ? QChar(char16_t(value)) : QChar(kMacRomanHigh[value - 0x80]));
    }
    return text;
}
