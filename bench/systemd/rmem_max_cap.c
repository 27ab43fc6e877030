/* Preloaded into kovr to give its sockets the receive buffer that a system
 * with net.core.rmem_max at KOVR_RMEM_MAX (Debian's default, 212992, unless
 * given) would give, on a machine whose own limit differs and must not be
 * changed: SO_RCVBUF is cut to that limit as the kernel cuts it, and
 * SO_RCVBUFFORCE is left to the kernel, which grants it by capability. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <sys/socket.h>

int setsockopt(int fd, int level, int name, const void *value, socklen_t length)
{
    static int (*next)(int, int, int, const void *, socklen_t);
    if (next == NULL) {
        next = (int (*)(int, int, int, const void *, socklen_t))dlsym(RTLD_NEXT, "setsockopt");
    }
    const char *limitText = getenv("KOVR_RMEM_MAX");
    const int limit = limitText != NULL ? atoi(limitText) : 212992;
    if (level == SOL_SOCKET && name == SO_RCVBUF && length == sizeof(int) && *(const int *)value > limit) {
        return next(fd, level, name, &limit, sizeof limit);
    }
    return next(fd, level, name, value, length);
}
