#include "FuzzSupport.h"

#include "platform/PWPlistCodec.h"
#include "platform/PWPlistXmlReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

// The direct XML reader promises never to answer a value the general path would not answer
// alike: whatever it reads, libplist must read to the same value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    constexpr int kDepth = 64;
    const std::optional<PWPlist> direct = PWPlistXmlReader::read(bytes, kDepth);
    if (!direct)
        return 0;
    QString error;
    const std::optional<PWPlist> general = PWPlistCodec::decodeThroughLibplist(bytes, &error, kDepth);
    pwFuzzCheck(general.has_value());
    pwFuzzCheck(*general == *direct);
    return 0;
}
