#include "FuzzSupport.h"

#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextFileImport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pwFuzzSilenceLog();
    return 0;
}

// Both stages of text import: bytes to rows, then rows to persons; and what the reading promises.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CADelimitedText text(bytes);
    if (!text.isValid()) {
        pwFuzzCheck(text.rows().isEmpty() && !text.errorString().isEmpty());
        return 0;
    }
    pwFuzzCheck(text.rows().size() <= CADelimitedText::kMaxRows);
    for (const QStringList &row : text.rows()) {
        pwFuzzCheck(!row.isEmpty() && row.size() <= CADelimitedText::kMaxFieldsPerRow);
        bool anyText = false;
        for (const QString &field : row)
            anyText = anyText || !field.isEmpty();
        pwFuzzCheck(anyText);
    }
    for (const int column : text.registry())
        pwFuzzCheck(column >= 0 && column < text.fieldsCount());
    pwFuzzCheck(CATextFileImport::peopleFromText(text).size() == text.recordsCount());
    return 0;
}
