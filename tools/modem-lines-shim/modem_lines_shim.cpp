// Loaded with LD_PRELOAD into a serial server under test, and into nothing
// else: a pseudo-terminal has no modem lines, so the server's requests for
// them fail ("Inappropriate ioctl for device") and it gives up the line.
// Here such requests on a pseudo-terminal are answered as a line with DSR,
// CTS and CD on would answer them, keeping the DTR and RTS the server sets.
// Every other request, and every request on anything else, goes to the
// system unchanged.

#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

using IoctlFunction = int (*)(int, unsigned long, ...);

IoctlFunction systemIoctl()
{
    static IoctlFunction next = reinterpret_cast<IoctlFunction>(dlsym(RTLD_NEXT, "ioctl"));
    return next;
}

// The slave ends of Unix 98 pseudo-terminals have majors 136 to 143.
bool isPseudoTerminal(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

int outputLines = TIOCM_DTR | TIOCM_RTS;
constexpr int InputLines = TIOCM_DSR | TIOCM_CTS | TIOCM_CD;

} // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept
{
    va_list args;
    va_start(args, request);
    void *argument = va_arg(args, void *);
    va_end(args);
    const int result = systemIoctl()(fd, request, argument);
    if (result == 0 || errno != ENOTTY || !isPseudoTerminal(fd))
        return result;
    int *lines = static_cast<int *>(argument);
    switch (request) {
    case TIOCMGET:
        *lines = outputLines | InputLines;
        break;
    case TIOCMSET:
        outputLines = *lines & (TIOCM_DTR | TIOCM_RTS);
        break;
    case TIOCMBIS:
        outputLines |= *lines & (TIOCM_DTR | TIOCM_RTS);
        break;
    case TIOCMBIC:
        outputLines &= ~*lines;
        break;
    default:
        return result;
    }
    errno = 0;
    return 0;
}
