#include "FuzzSupport.h"

#include "platform/PWKeyedArchive.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWKeyedUnarchiver.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

// Every kind of decoder over the table, and for each value that decodes: archived again, it
// must decode to the same value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<PWKeyedArchive> archive = PWKeyedArchive::parse(bytes);
    if (!archive || PWKeyedArchive::isNil(archive->rootUid()))
        return 0;
    const quint64 root = archive->rootUid();
    if (const std::optional<PWColor> color = PWKeyedUnarchiver(*archive).decodeColor(root))
        pwFuzzCheck(PWKeyedUnarchiver::unarchiveColor(PWKeyedArchiver::archivedData(*color)) == color);
    if (const std::optional<PWFont> font = PWKeyedUnarchiver(*archive).decodeFont(root))
        pwFuzzCheck(PWKeyedUnarchiver::unarchiveFont(PWKeyedArchiver::archivedData(*font)) == font);
    if (const std::optional<PWAttributedString> text = PWKeyedUnarchiver(*archive).decodeAttributedString(root))
        pwFuzzCheck(PWKeyedUnarchiver::unarchiveAttributedString(PWKeyedArchiver::archivedData(*text)).has_value());
    PWKeyedUnarchiver(*archive).decodeObject(root);
    PWKeyedUnarchiver(*archive).decodeParagraphStyle(root);
    return 0;
}
