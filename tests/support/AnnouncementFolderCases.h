#pragma once
// The shared announcement folder, $TMPDIR/tidewell-UID, and its ports folder as a test
// lays them out before the emulator starts or port discovery looks: one table of cases
// that both programs must judge alike.

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

struct AnnouncementFolderCase {
    const char* name;
    const char* folder;  // "base" or "ports": the one laid out as below; the other is 0700
    enum Layout { Missing, Mode, OtherOwner, LinkToOwnFolder } layout;
    mode_t mode;
    // What the emulator says; nullptr where it announces there and discovery lists.
    const char* refusal;

    bool usable() const { return refusal == nullptr && layout != Missing; }
};

inline std::ostream& operator<<(std::ostream& out, const AnnouncementFolderCase& c)
{
    return out << c.name;
}

inline std::string SharedBase(const std::string& temp)
{
    return temp + "/tidewell-" + std::to_string(::getuid());
}

// Whether this user can lay out `c`: only root can give a folder to another user.
inline bool CanLayOut(const AnnouncementFolderCase& c)
{
    return c.layout != AnnouncementFolderCase::OtherOwner || ::geteuid() == 0;
}

// Makes base and ports under `temp` private, puts an announcement "shared" pointing at
// `target` in the ports folder, then gives the folder the row names its layout. A link
// in place of base leads to such a folder elsewhere under `temp`. Missing makes nothing.
inline bool LayOut(const AnnouncementFolderCase& c, const std::string& temp,
                   const std::string& target)
{
    using Case = AnnouncementFolderCase;
    if (c.layout == Case::Missing)
        return true;
    const std::string base = SharedBase(temp);
    const std::string laidOut = std::string(c.folder) == "base" ? base : base + "/ports";
    const std::string elsewhere = temp + "/elsewhere";
    const std::string holder = c.layout == Case::LinkToOwnFolder ? elsewhere : base;
    if (::mkdir(holder.c_str(), 0700) != 0 || ::mkdir((holder + "/ports").c_str(), 0700) != 0 ||
        ::symlink(target.c_str(), (holder + "/ports/shared").c_str()) != 0)
        return false;
    switch (c.layout) {
        case Case::Missing:
            return true;
        case Case::Mode:
            return ::chmod(laidOut.c_str(), c.mode) == 0;
        case Case::OtherOwner:
            return ::chown(laidOut.c_str(), ::getuid() + 4321, ::getgid()) == 0;
        case Case::LinkToOwnFolder:
            return ::symlink(elsewhere.c_str(), laidOut.c_str()) == 0;
    }
    return false;
}

// The folder whose complaint the emulator prints for `c`.
inline std::string LaidOutFolder(const AnnouncementFolderCase& c, const std::string& temp)
{
    return SharedBase(temp) + (std::string(c.folder) == "base" ? "" : "/ports");
}

namespace announcement_cases {

inline const char* const kOthersCanWrite =
    "other users can write to it; make it private with: chmod go-w ";
inline const char* const kAnotherUsers =
    "it belongs to another user; point XDG_RUNTIME_DIR or TMPDIR at a folder of your own";
inline const char* const kALink = "it is a symbolic link, not a folder";

}  // namespace announcement_cases

// The table, for INSTANTIATE_TEST_SUITE_P.
inline auto AnnouncementFolderCases()
{
    using Case = AnnouncementFolderCase;
    using namespace announcement_cases;
    return testing::Values(
        Case{"missing", "base", Case::Missing, 0, nullptr},
        Case{"own 0700", "base", Case::Mode, 0700, nullptr},
        Case{"own 0755", "base", Case::Mode, 0755, nullptr},
        Case{"own 0775", "base", Case::Mode, 0775, kOthersCanWrite},
        Case{"own 0777", "base", Case::Mode, 0777, kOthersCanWrite},
        Case{"ports own 0757", "ports", Case::Mode, 0757, kOthersCanWrite},
        Case{"another user's", "base", Case::OtherOwner, 0, kAnotherUsers},
        Case{"ports another user's", "ports", Case::OtherOwner, 0, kAnotherUsers},
        Case{"link to an own folder", "base", Case::LinkToOwnFolder, 0, kALink});
}

inline std::string AnnouncementFolderCaseName(
    const testing::TestParamInfo<AnnouncementFolderCase>& info)
{
    std::string name = info.param.name;
    for (char& ch : name)
        ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
}
