#include "FuzzSupport.h"

#include "kernel/merge/CADocument.h"
#include "kernel/FTKernelStartup.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Lives as long as the process: destroying it among the static destructors crashes.
    new QGuiApplication(*argc, *argv);
    startKernel();
    pwFuzzSilenceLog();
    return 0;
}

// A design file from anywhere: the property list, the document's keys, every component and the
// persons. A refusal must leave the document as it was, so what it writes afterwards is what it
// wrote before.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CADocument document;
    const QByteArray before = document.dataRepresentationOfType(CADocument::kAddressDocumentType);
    QString error;
    if (!document.loadDataRepresentation(bytes, CADocument::kAddressDocumentType, &error))
        pwFuzzCheck(document.dataRepresentationOfType(CADocument::kAddressDocumentType) == before);
    else
        document.dataRepresentationOfType(CADocument::kAddressDocumentType);
    return 0;
}
