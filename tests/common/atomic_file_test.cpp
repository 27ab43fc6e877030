// The atomic writer says what happened: the new file in place and on disk,
// or in place but perhaps not on disk when the folder's sync fails after
// the rename.
#include "common/atomic_file.h"

#include "discovery/platform/fault_injection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <unistd.h>

using namespace kovr::common;

namespace {

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(AtomicFileTest, AFailedFolderSyncIsReportedWithTheNewFileInPlace)
{
    const struct {
        const char *what;
        bool folderSyncFails;
        Replacement expected;
    } cases[] = {
        {"synced", false, Replacement::Done},
        {"folder sync fails", true, Replacement::NotDurable},
    };
    for (const auto &c : cases) {
        char folder[] = "/tmp/kovr-atomic-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        const std::string path = std::string(folder) + "/kovr.prom";
        std::ofstream(path) << "old\n";
        if (c.folderSyncFails) {
            kovr::platform::ArmFault(kovr::platform::Fault::FolderSync, 1);
        }
        std::string error;
        EXPECT_EQ(ReplaceFileAtomically(path, "new\n", error), c.expected) << c.what;
        kovr::platform::DisarmAllFaults();
        EXPECT_EQ(ReadFile(path), "new\n") << c.what;
        EXPECT_EQ(error.empty(), c.expected == Replacement::Done) << c.what << ": " << error;
        std::remove(path.c_str());
        EXPECT_EQ(rmdir(folder), 0) << c.what << ": a temporary file was left behind";
    }
}

} // namespace
