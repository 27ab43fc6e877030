// The guard that keeps test traffic off the machine's own network: every
// helper that opens a socket or builds a lab asks it first. Tests run under
// tests/netlab/isolated, in a network namespace of their own where only lo
// (and the lab's h1 and h2) can be up. Header-only, so that the fuzz targets,
// which are built without the tests, share it.
#pragma once

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/stat.h>

#include <string>

namespace kovr::test {

namespace detail {

inline ino_t NamespaceInode(const char *path)
{
    struct stat st {};
    return stat(path, &st) == 0 ? st.st_ino : 0;
}

// Any interface that is up and is not ours means this is not a namespace
// that tests/netlab/isolated made for us.
inline bool HasForeignInterfaceUp()
{
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) {
        return true;
    }
    bool foreign = false;
    for (ifaddrs *it = list; it != nullptr; it = it->ifa_next) {
        const std::string name = it->ifa_name;
        if ((it->ifa_flags & IFF_UP) && name != "lo" && name != "h1" && name != "h2") {
            foreign = true;
        }
    }
    freeifaddrs(list);
    return foreign;
}

} // namespace detail

// True only when the calling process is in a private network namespace, not
// the machine's default one (nor one that can't be told apart from it).
inline bool InPrivateNamespace()
{
    // The kernel gives its initial network namespace this inode number.
    constexpr ino_t kInitialNamespace = 0xEFFFFFF9;
    const ino_t self = detail::NamespaceInode("/proc/self/ns/net");
    if (self == 0 || self == kInitialNamespace) {
        return false;
    }
    // pid 1's namespace is unreadable in some sandboxes; then the inode
    // check above and the interface check below have to do.
    const ino_t init = detail::NamespaceInode("/proc/1/ns/net");
    if (init != 0 && init == self) {
        return false;
    }
    return !detail::HasForeignInterfaceUp();
}

} // namespace kovr::test
