// EmulatorProcessTest.cpp: the emulator as a program: its command line, its exit status,
// and its announcement to port discovery.
#include "AnnouncementFolderCases.h"
#include "EmulatorProcess.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace e2e {
namespace {

std::string linkTarget(const std::string& link)
{
    char buf[4096];
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, static_cast<std::size_t>(n));
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

class EmulatorRejects : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(EmulatorRejects, BadCommandLineWithUsageAndStatus2)
{
    EmulatorProcess emulator(GetParam());
    EXPECT_EQ(emulator.wait(), 2);
    EXPECT_EQ(emulator.slavePath(), "");
    EXPECT_NE(emulator.errors().find("Usage: tidewell-emulator"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EmulatorRejects,
    testing::Values(
        std::vector<std::string>{"--bogus"}, std::vector<std::string>{"stray"},
        std::vector<std::string>{"--drop"}, std::vector<std::string>{"--drop", "0"},
        std::vector<std::string>{"--drop", "-1"}, std::vector<std::string>{"--noise", "2x"},
        std::vector<std::string>{"--hangup", "99999999999999999999999"},
        std::vector<std::string>{"--split", "2"}, std::vector<std::string>{"--split", "2:1"},
        std::vector<std::string>{"--split", ":3"}, std::vector<std::string>{"--name", ""},
        std::vector<std::string>{"--name", "a/b"}, std::vector<std::string>{"--name", ".."},
        std::vector<std::string>{"--image"}, std::vector<std::string>{"--pace=yes"},
        std::vector<std::string>{"--wrong-address", "0"}, std::vector<std::string>{"--ack-only"},
        std::vector<std::string>{"--second-image"}, std::vector<std::string>{"--second-image="}));

TEST(EmulatorProgram, HelpPrintsUsageAndSucceeds)
{
    EmulatorProcess emulator({"--help"});
    EXPECT_EQ(emulator.wait(), 0);
    EXPECT_EQ(emulator.slavePath(), "Usage: tidewell-emulator [OPTION]...");
    const std::string usage = emulator.restOfOutput();
    for (const char* flag :
         {"--split N:K", "--wrong-address N", "--ack-only N", "--second-image FILE", "SIGUSR1"})
        EXPECT_NE(usage.find(flag), std::string::npos) << flag;
}

TEST(EmulatorProgram, UnusableImageFileFailsWithStatus1)
{
    TempDir dir;
    const std::string shortFile = dir.path() + "/short.bin";
    std::ofstream(shortFile) << "too short";
    const struct {
        const char* flag;
        std::string file;
        const char* message;
    } cases[] = {
        {"--image", shortFile, "shorter than 8192 bytes"},
        {"--image", dir.path(), "cannot read"},
        {"--second-image", shortFile, "shorter than 8192 bytes"},
        // A second dive computer is never made up: its image must be there.
        {"--second-image", dir.path() + "/absent.bin", "cannot read the second image"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.flag) + " " + c.file);
        EmulatorProcess emulator({"--name", "bad-image", c.flag, c.file});
        EXPECT_EQ(emulator.wait(), 1);
        EXPECT_EQ(emulator.slavePath(), "");
        EXPECT_NE(emulator.errors().find(c.message), std::string::npos);
    }
}

enum class StopBy { Terminate, Interrupt, EndOfInput };

class EmulatorAnnouncement : public testing::TestWithParam<StopBy> {};

TEST_P(EmulatorAnnouncement, LinksToThePortUntilTheEmulatorStops)
{
    const std::string name = "announce-" + std::to_string(static_cast<int>(GetParam()));
    EmulatorProcess emulator({"--name", name});
    const std::string link = emulator.announcement(name);
    ASSERT_NE(emulator.slavePath(), "");
    EXPECT_EQ(linkTarget(link), emulator.slavePath());

    switch (GetParam()) {
        case StopBy::Terminate:
            emulator.signal(SIGTERM);
            break;
        case StopBy::Interrupt:
            emulator.signal(SIGINT);
            break;
        case StopBy::EndOfInput:
            emulator.closeInput();
            break;
    }
    EXPECT_EQ(emulator.wait(), 0);
    EXPECT_FALSE(exists(link)) << link;
}

INSTANTIATE_TEST_SUITE_P(StopWays, EmulatorAnnouncement,
                         testing::Values(StopBy::Terminate, StopBy::Interrupt, StopBy::EndOfInput));

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Without a runtime folder the emulator announces in $TMPDIR/tidewell-UID/ports, where
// someone else may have been first.
class EmulatorSharedFolder : public testing::TestWithParam<AnnouncementFolderCase> {};

TEST_P(EmulatorSharedFolder, AnnouncesOnlyInAFolderOfTheUsersOwn)
{
    const AnnouncementFolderCase& c = GetParam();
    if (!CanLayOut(c))
        GTEST_SKIP() << "only root can give a folder to another user";
    TempDir temp;
    ASSERT_TRUE(LayOut(c, temp.path(), "/dev/null"));
    const std::string base = SharedBase(temp.path());

    EmulatorProcess emulator({"--name", "emulated"}, false, temp.path());
    const std::string link = emulator.announcement("emulated");
    ASSERT_EQ(link, base + "/ports/emulated");
    if (c.refusal != nullptr) {
        EXPECT_EQ(emulator.wait(), 1);
        EXPECT_EQ(emulator.slavePath(), "");
        const std::string errors = emulator.errors();
        const std::string folder = LaidOutFolder(c, temp.path());
        EXPECT_NE(errors.find("cannot announce in " + folder + ": " + c.refusal), std::string::npos)
            << errors;
        EXPECT_FALSE(exists(link));
        EXPECT_FALSE(exists(temp.path() + "/elsewhere/ports/emulated"));
        return;
    }
    ASSERT_NE(emulator.slavePath(), "") << emulator.errors();
    EXPECT_EQ(linkTarget(link), emulator.slavePath());
    if (c.layout == AnnouncementFolderCase::Missing) {
        EXPECT_EQ(modeOf(base), 0700u);
        EXPECT_EQ(modeOf(base + "/ports"), 0700u);
    } else {
        EXPECT_EQ(modeOf(LaidOutFolder(c, temp.path())), c.mode);  // left as it was
    }
    emulator.signal(SIGTERM);
    EXPECT_EQ(emulator.wait(), 0);
    EXPECT_FALSE(exists(link));
    if (c.layout == AnnouncementFolderCase::Missing) {
        EXPECT_FALSE(exists(base)) << "the last emulator to go leaves nothing behind";
    } else {
        EXPECT_EQ(linkTarget(base + "/ports/shared"), "/dev/null") << "another's link stays";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, EmulatorSharedFolder, AnnouncementFolderCases(),
                         AnnouncementFolderCaseName);

}  // namespace
}  // namespace e2e
