#include "FuzzSupport.h"

#include "platform/PWPerson.h"
#include "platform/PWPersonRecord.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

// The compact person records of the contact caches: whatever a damaged cache holds, a record
// either gives a person or is refused; a person it gives writes a record that reads back to the
// same record (compared as bytes: a NaN inside an address is equal to nothing, its bits are).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    PWPersonRecord::Reader reader;
    const std::shared_ptr<PWPerson> person = reader.decode(bytes);
    if (!person)
        return 0;
    const QByteArray record = PWPersonRecord::encode(*person);
    const std::shared_ptr<PWPerson> again = reader.decode(record);
    pwFuzzCheck(again && PWPersonRecord::encode(*again) == record);
    return 0;
}
