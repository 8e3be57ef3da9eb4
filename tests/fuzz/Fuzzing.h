// What every fuzz target shares: the entry point libFuzzer calls, and a check
// that turns a broken promise of the reader into a crash the fuzzer keeps.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

#define FUZZ_REQUIRE(condition)                                                                                   \
    do {                                                                                                           \
        if (!(condition)) {                                                                                        \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);                           \
            std::abort();                                                                                          \
        }                                                                                                          \
    } while (0)

// The input without a copy, so a read past its end is a read past the
// fuzzer's buffer, which the address sanitizer reports.
inline QByteArray fuzzBytes(const uint8_t* data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Qt warns about every damaged picture; thousands a second would bury the
// fuzzer's own report.
inline void silenceQt()
{
    static const bool silenced = (qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}), true);
    (void)silenced;
}
