#include "FuzzSupport.h"

#include "kernel/base/FTID3Reader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

// The tag and audio-header stage of the ID3 reader: whatever the sizes the bytes claim, the
// pictures it hands on are not empty and together no longer than the input (pieces of it, or of
// its unsynchronised form, which is never longer), and the time and rate it finds are not negative.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const FTID3Reader::Tag tag = FTID3Reader::parse(bytes);
    qsizetype pictureBytes = 0;
    for (const QByteArray &picture : tag.pictures) {
        pwFuzzCheck(!picture.isEmpty());
        pictureBytes += picture.size();
    }
    pwFuzzCheck(pictureBytes <= bytes.size());
    pwFuzzCheck(tag.fields.value(QStringLiteral("BitRate")).toInt() >= 0);
    const FTID3Reader::Audio audio = FTID3Reader::bitRateAndDuration(bytes);
    pwFuzzCheck(audio.bitRate >= 0 && audio.seconds >= 0);
    return 0;
}
