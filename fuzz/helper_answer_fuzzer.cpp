#include "FuzzSupport.h"

#include "app/contacts/CAHelperAnswer.h"
#include "app/contacts/CAScriptedSource.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

// The answer of a contact helper: bytes to messages, whole and cut into chunks at a point the
// input chooses (both must read the same), then records to persons.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    CAHelperAnswer::Limits limits;
    limits.maxBytes = 1024 * 1024;
    limits.maxRecords = 50;
    const CAHelperAnswer whole = CAHelperAnswer::parse(bytes, limits);

    CAHelperAnswer chunked(limits);
    const qsizetype step = qsizetype(data[0]) + 1;
    bool within = true;
    for (qsizetype at = 0; within && at < bytes.size(); at += step)
        within = chunked.feed(bytes.sliced(at, std::min(step, bytes.size() - at)));
    if (within)
        chunked.finish();
    pwFuzzCheck(within == whole.failure().isEmpty());
    pwFuzzCheck(chunked.records() == whole.records());
    // Progress and errors read before an answer was given up depend on where it was cut.
    if (within) {
        pwFuzzCheck(chunked.count() == whole.count() && chunked.index() == whole.index());
        pwFuzzCheck(chunked.reportedError() == whole.reportedError());
    }
    if (!whole.records())
        return 0;
    pwFuzzCheck(whole.records()->size() <= limits.maxRecords);
    QStringList problems;
    const CADataSourceContainer::ImportResult result = CAScriptedSource::personsFromRecords(*whole.records(), &problems);
    qsizetype objects = 0;
    for (const QJsonValue &record : *whole.records())
        objects += record.isObject() ? 1 : 0;
    pwFuzzCheck(result.persons.size() == objects);
    pwFuzzCheck(objects == whole.records()->size() || !problems.isEmpty());
    return 0;
}
