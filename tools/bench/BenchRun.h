// One benchmark run: a hidden window at the run's size, the program's start-up steps (shaders,
// scene, renderer) timed one by one, then the frame loop's steps for every scheduled tour time
// with a fixed time step, GPU pass times from PassTimer, CPU and wall-clock time per frame, and
// the requested captures. A sweep runs each configuration in a child process of its own, so
// every run starts from the same fresh state (registries, caches, driver).
#pragma once

#include "BenchOptions.h"
#include "BenchReport.h"

// Runs in this process. Needs a display; the window library is shut down afterwards.
RunResult runBenchmark(const BenchOptions& options, WindowSize size, bool updateShadowMaps);

// Runs in a forked child and hands the result back through a pipe; `ok` is false when the child
// failed or died.
RunResult runBenchmarkInChild(const BenchOptions& options, WindowSize size, bool updateShadowMaps);
