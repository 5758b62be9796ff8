#include "FuzzSupport.h"

#include "platform/PWRtfd.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

// An archive that parses is written back to one that parses to the same files.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<PWRtfd> rtfd = PWRtfd::parse(bytes);
    if (!rtfd)
        return 0;
    pwFuzzCheck(PWRtfd::parse(rtfd->serialized()) == rtfd);
    rtfd->attributedString();
    return 0;
}
