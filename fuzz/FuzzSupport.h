#pragma once

#include <QtGlobal>

#include <cstdlib>

// Decoders log every refusal; a fuzzer refuses millions of inputs, so the log is silenced.
inline void pwFuzzSilenceLog()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

// A property the decoders promise: a broken one is a finding, reported as a crash.
inline void pwFuzzCheck(bool condition)
{
    if (!condition)
        std::abort();
}
