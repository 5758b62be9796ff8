#include "FuzzSupport.h"

#include "app/pictures/CAiPhoto.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

// An album database from anywhere: a refusal gives no albums, and whatever is read answers every
// question about its albums and keys without reading past them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::unique_ptr<CAiPhoto> photos = CAiPhoto::fromBytes(bytes, QStringLiteral("/nonexistent"));
    pwFuzzCheck(photos->error().isEmpty() || photos->albumsCount() == 0);
    for (int album = -1; album <= photos->albumsCount(); ++album) {
        photos->albumName(album);
        for (const QString &key : photos->imageKeys(album)) {
            pwFuzzCheck(!key.isEmpty());
            photos->imagePathForKey(key);
            photos->thumbPathForKey(key);
            photos->captionForKey(key);
        }
    }
    pwFuzzCheck(photos->imageKeys(photos->albumsCount()).isEmpty());
    return 0;
}
