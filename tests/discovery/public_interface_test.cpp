// What libkovr.so offers its callers: exactly the KOVR functions of the
// public header, usable from C.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

extern "C" size_t PublicRecordSizeFromC(void);
extern "C" int OpenAndCloseFromC(void);

namespace {

const std::set<std::string> kPublicFunctions = {
    "KOVROpen",
    "KOVROpenByGuid",
    "KOVRClose",
    "KOVRGetLastError",
    "KOVRGetLastErrorMessage",
    "KOVRStartSyncSearch",
    "KOVRStartSyncSearchEx",
    "KOVRStartAsyncSearchCallback",
    "KOVRStartAsyncSearchMessage",
    "KOVRStartAsyncSearchEvent",
    "KOVRGetSearchResultCount",
    "KOVRGetSearchResults",
    "KOVRStopSearch",
    "KOVRGetDeviceInfo",
    "KOVRRebootDevice",
    "KOVRSetNetwork",
    "KOVRSetDHCP",
    "KOVRSetCommandPolicy",
    "KOVRCreateEvent",
    "KOVRWaitEvent",
    "KOVREventFd",
    "KOVRCloseEvent",
    "KOVRCreateMessageWindow",
    "KOVRGetWindowMessage",
    "KOVRDestroyMessageWindow",
};

std::set<std::string> ExportedSymbols()
{
    const std::string command = std::string("nm -D --defined-only ") + KOVR_SHARED_LIBRARY;
    FILE *pipe = popen(command.c_str(), "r");
    std::set<std::string> names;
    if (pipe == nullptr) {
        return names;
    }
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        // "address type name"
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) {
            names.insert(name);
        }
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return names;
}

TEST(PublicInterface, SharedLibraryExportsExactlyThePublicFunctions)
{
    EXPECT_EQ(ExportedSymbols(), kPublicFunctions);
}

TEST(PublicInterface, HeaderWorksFromC)
{
    EXPECT_EQ(PublicRecordSizeFromC(), 852u);
    EXPECT_EQ(OpenAndCloseFromC(), 0);
}

} // namespace
