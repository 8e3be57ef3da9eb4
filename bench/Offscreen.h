// What every in-process benchmark starts with: Qt without a display, and
// the cases registered with the benchmark library.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

inline std::unique_ptr<QApplication> offscreenApplication(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

// False when an argument is not the library's; it has said which.
inline bool runRegisteredBenchmarks(int& argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return false;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return true;
}
