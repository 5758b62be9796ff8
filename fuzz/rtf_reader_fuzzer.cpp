#include "FuzzSupport.h"

#include "platform/PWRtfReader.h"
#include "platform/PWRtfWriter.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

// Whatever text the reader accepts, the writer writes RTF that the reader reads to the same
// characters.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<PWAttributedString> text = PWRtfReader::read(bytes);
    if (!text)
        return 0;
    const std::optional<PWAttributedString> again = PWRtfReader::read(PWRtfWriter::write(*text));
    pwFuzzCheck(again.has_value());
    // Every paragraph break ("\r\n" being one) is written as \par and read as "\n".
    QString expected = text->string();
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'))
        .replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    pwFuzzCheck(again->string() == expected);
    return 0;
}
