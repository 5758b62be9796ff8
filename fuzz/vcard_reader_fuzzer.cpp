#include "FuzzSupport.h"

#include "platform/PWVCardParser.h"
#include "platform/PWVCardReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

// Both stages of vCard reading: bytes to cards, then cards to persons.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!PWVCardParser::parse(bytes))
        return 0;
    PWVCardReader::personsFromData(bytes);
    return 0;
}
