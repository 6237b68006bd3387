// The process's peak resident memory, for tests that prove a loader refused an input before
// allocating what its header asked for: the peak only grows, and only with memory really touched.
#pragma once

#include <sys/resource.h>

// Highest resident set size of the process so far, in MiB.
inline long peakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}
