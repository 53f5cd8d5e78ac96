// The main of a benchmark program on the offscreen platform: the
// application set up, the benchmarks run, the file they made removed.
#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "platform/ui/application.h"

inline int RunOffscreenBenchmarks(int argc, char** argv, const std::string& File) {
    ChooseOffscreenPlatform();
    InitializeApplication(argc, argv);
    Application->Initialize();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    FinalizeApplication();
    std::filesystem::remove(File);
    return 0;
}
