// Reading the device password from a file or a descriptor: one line, line
// endings dropped, a bounded buffer, and nothing left behind.
#include "tools/kovr/password.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using kovr::cli::Password;
using kovr::cli::PasswordSource;
using kovr::cli::ReadPassword;
using kovr::cli::ReadPasswordFile;

namespace {

// The password read from a pipe that carries `input`.
std::string ReadFromPipe(const std::string &input, bool *ok = nullptr, std::string *error = nullptr)
{
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    // Small enough for the pipe's buffer, so it can be written up front.
    const ssize_t n = write(fds[1], input.data(), input.size());
    EXPECT_EQ(n, static_cast<ssize_t>(input.size()));
    close(fds[1]);
    Password password;
    std::string message;
    const bool result = password.ReadLine(fds[0], message);
    close(fds[0]);
    if (ok != nullptr) {
        *ok = result;
    }
    if (error != nullptr) {
        *error = message;
    }
    return std::string(password.c_str(), password.size());
}

TEST(CliPasswordInputTest, OneLineWithoutItsLineEnding)
{
    EXPECT_EQ(ReadFromPipe("secret\n"), "secret");
    EXPECT_EQ(ReadFromPipe("secret\r\n"), "secret");
    EXPECT_EQ(ReadFromPipe("secret"), "secret");
    EXPECT_EQ(ReadFromPipe("first\nsecond\n"), "first");
    EXPECT_EQ(ReadFromPipe("\n"), "");
    EXPECT_EQ(ReadFromPipe(""), "");
    EXPECT_EQ(ReadFromPipe("  spaces kept \n"), "  spaces kept ");
}

TEST(CliPasswordInputTest, ALineThatDoesNotFitOrHoldsANulIsRefused)
{
    const std::string longest(Password::kCapacity - 1, 'p');
    bool ok = false;
    EXPECT_EQ(ReadFromPipe(longest + "\n", &ok), longest);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadFromPipe(longest, &ok), longest);
    EXPECT_TRUE(ok);

    std::string error;
    EXPECT_EQ(ReadFromPipe(longest + "p\n", &ok, &error), "");
    EXPECT_FALSE(ok);
    EXPECT_NE(error.find("longer than 1023 bytes"), std::string::npos) << error;

    EXPECT_EQ(ReadFromPipe(std::string("se\0cret\n", 8), &ok, &error), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, kovr::common::kHoldsNul);
}

TEST(CliPasswordInputTest, NothingPastTheLineStaysInTheBuffer)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string input = "pw\nthe rest of the input";
    ASSERT_EQ(write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    close(fds[1]);
    Password password;
    std::string error;
    ASSERT_TRUE(password.ReadLine(fds[0], error));
    close(fds[0]);
    const std::string buffer(password.c_str(), Password::kCapacity);
    EXPECT_EQ(buffer, std::string("pw") + std::string(Password::kCapacity - 2, '\0'));
    password.Clear();
    EXPECT_EQ(std::string(password.c_str(), Password::kCapacity), std::string(Password::kCapacity, '\0'));
}

TEST(CliPasswordInputTest, PasswordFileGivesItsFirstLineAndNamesItselfOnFailure)
{
    const std::string path = ::testing::TempDir() + "cli-password-" + std::to_string(getpid());
    std::ofstream(path) << "from-file\nignored\n";
    chmod(path.c_str(), 0600);
    Password password;
    std::string error;
    PasswordSource source;
    source.file = path;
    ASSERT_TRUE(ReadPassword(source, "unused", password, error)) << error;
    EXPECT_STREQ(password.c_str(), "from-file");

    const std::string fifo = path + ".fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string missing = path + ".missing";
    chmod(path.c_str(), 0640);
    struct Row {
        std::string path;
        std::string error;
    };
    const Row rows[] = {
        {path, "--password-file: '" + path + "' can be read by group or others"},
        {fifo, "--password-file: cannot open '" + fifo + "': not a regular file"}, // no writer: never blocks
        {"/", "--password-file: cannot open '/': not a regular file"},
        {missing, "--password-file: cannot open '" + missing + "': "},
    };
    for (const Row &row : rows) {
        EXPECT_FALSE(ReadPasswordFile(row.path, password, error)) << row.path;
        EXPECT_EQ(error.rfind(row.error, 0), 0u) << error;
    }
    std::remove(path.c_str());
    std::remove(fifo.c_str());
}

} // namespace
