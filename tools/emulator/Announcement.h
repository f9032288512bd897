// Announcement.h: tells port discovery about the emulator with a symlink to its port,
// $XDG_RUNTIME_DIR/tidewell/ports/NAME (or /tmp/tidewell-UID/ports/NAME), for as long as
// the object lives.
#pragma once

#include <string>

namespace emulator {

class Announcement {
public:
    // Throws std::runtime_error when the link cannot be made.
    Announcement(const std::string& name, const std::string& target);
    ~Announcement();
    Announcement(const Announcement&) = delete;
    Announcement& operator=(const Announcement&) = delete;

    const std::string& path() const { return path_; }

    // A usable NAME: one plain file name.
    static bool validName(const std::string& name);

private:
    std::string path_;
    std::string target_;
};

}  // namespace emulator
