#pragma once
// The resident memory of this process, for the checks and benchmarks that
// a flood of records leaves memory flat.

#include <cstdio>
#include <unistd.h>

inline long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}
