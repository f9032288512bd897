// AnnouncementFolder.h: where tidewell-emulator announces its ports and port discovery
// looks for them, and the one rule both apply before trusting such a folder. Plain POSIX:
// the emulator does not link Qt.
//
// An announcement is a symlink BASE/ports/NAME pointing at a pseudo-terminal. BASE is
// $XDG_RUNTIME_DIR/tidewell, or the shared fallback $TMPDIR/tidewell-UID (/tmp when TMPDIR
// is unset). Whoever can write BASE or BASE/ports can plant a link to any device there, so
// a folder counts only when it is a real folder (a symbolic link in its place is refused,
// not followed), the user owns it, and neither group nor others can write it.
#pragma once

#include <string>

namespace announcement {

// $XDG_RUNTIME_DIR/tidewell; empty when XDG_RUNTIME_DIR is unset or empty.
std::string RuntimeBase();
// $TMPDIR/tidewell-UID, with /tmp when TMPDIR is unset or empty.
std::string SharedBase();
// The folder that holds the links under `base`.
std::string PortsFolder(const std::string& base);

enum class Verdict {
    Usable,
    Missing,
    SymbolicLink,
    NotAFolder,
    OwnedByAnother,
    WritableByOthers,
    Unexaminable,  // lstat failed for another reason than a missing path; errno says why
};

// How `path` fares under the rule, judged from the path itself (lstat).
Verdict Examine(const std::string& path);

// For a person: `path`, what is wrong with it and what to do. Empty for Usable.
std::string Complaint(const std::string& path, Verdict verdict);

}  // namespace announcement
