// A slow disk for bench_runs, loaded with LD_PRELOAD: every fsync and
// fdatasync waits 10 ms before the real call, and is counted.
// slow_fsync_count() gives the count to a program that looks it up.

#include <atomic>
#include <chrono>
#include <dlfcn.h>
#include <thread>

namespace {
std::atomic<long> calls{0};

template <typename F>
F real(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void slowDown()
{
    ++calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}
} // namespace

extern "C" {

long slow_fsync_count()
{
    return calls.load();
}

int fsync(int fd)
{
    static const auto next = real<int (*)(int)>("fsync");
    slowDown();
    return next(fd);
}

int fdatasync(int fd)
{
    static const auto next = real<int (*)(int)>("fdatasync");
    slowDown();
    return next(fd);
}
}
