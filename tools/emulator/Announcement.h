// Announcement.h: tells port discovery about the emulator with a symlink to its port,
// BASE/ports/NAME, for as long as the object lives. BASE is $XDG_RUNTIME_DIR/tidewell, or
// $TMPDIR/tidewell-UID without a runtime folder (announcement/AnnouncementFolder.h).
#pragma once

#include <string>

namespace emulator {

class Announcement {
public:
    // Makes the folders that are missing, private to the user. Throws std::runtime_error
    // when a folder is not fit to hold announcements or the link cannot be made.
    Announcement(const std::string& name, const std::string& target);
    // Removes the link while it is still ours, then the folders once they are empty.
    ~Announcement();
    Announcement(const Announcement&) = delete;
    Announcement& operator=(const Announcement&) = delete;

    const std::string& path() const { return path_; }

    // A usable NAME: one plain file name.
    static bool validName(const std::string& name);

private:
    std::string base_;
    std::string path_;
    std::string target_;
};

}  // namespace emulator
