// What a test counts before and after an operation, to show that it left
// no descriptor or thread behind.
#pragma once

#include <dirent.h>

namespace kovr::test {

// The entries of a /proc directory, "." and ".." aside.
inline int CountEntries(const char *directory)
{
    int count = 0;
    if (DIR *stream = opendir(directory)) {
        while (dirent *entry = readdir(stream)) {
            count += entry->d_name[0] != '.' ? 1 : 0;
        }
        closedir(stream);
    }
    return count;
}

// Descriptors open in this process, leaving out the one that reads them.
inline int OpenDescriptorCount()
{
    return CountEntries("/proc/self/fd") - 1;
}

inline int ThreadCount()
{
    return CountEntries("/proc/self/task");
}

} // namespace kovr::test
