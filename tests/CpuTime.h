#pragma once
// The processor time this test process has used, user and system, for the
// checks that a program stays idle.

#include <sys/resource.h>

inline double processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
