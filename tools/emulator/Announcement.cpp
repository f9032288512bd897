// Announcement.cpp: the ports directory and the symlink in it.
#include "Announcement.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace emulator {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// Makes `dir` unless it exists. One that exists must be a real directory (not a symlink),
// and in a shared place such as /tmp it must also be the user's own and closed to others.
void makeDirectory(const std::string& dir, bool shared)
{
    if (::mkdir(dir.c_str(), 0700) == 0)
        return;
    if (errno != EEXIST)
        fail("cannot create", dir);
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0)
        fail("cannot examine", dir);
    if (!S_ISDIR(st.st_mode))
        throw std::runtime_error(dir + " is not a directory");
    if (shared && (st.st_uid != ::getuid() || (st.st_mode & 0077) != 0)) {
        throw std::runtime_error(dir + " is not the user's own private directory");
    }
}

// Returns the ports directory. Its parent, $XDG_RUNTIME_DIR/tidewell or /tmp/tidewell-UID,
// holds links in the making.
std::string portsDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const bool shared = runtime == nullptr || runtime[0] == '\0';
    const std::string base =
        shared ? "/tmp/tidewell-" + std::to_string(::getuid()) : std::string(runtime) + "/tidewell";
    makeDirectory(base, shared);
    makeDirectory(base + "/ports", shared);
    return base + "/ports";
}

}  // namespace

bool Announcement::validName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

Announcement::Announcement(const std::string& name, const std::string& target) : target_(target)
{
    // Made outside the ports directory, where discovery does not look, and renamed over the
    // final name, so that a link left by an emulator that was killed is replaced without a
    // moment in which the name is missing.
    const std::string ports = portsDirectory();
    path_ = ports + "/" + name;
    const std::string temp = ports + "/../." + name + "." + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0)
        fail("cannot create", temp);
    if (::rename(temp.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        fail("cannot create", path_);
    }
}

Announcement::~Announcement()
{
    // Only our own link: another emulator may have taken the name since.
    char buf[4096];
    const ssize_t n = ::readlink(path_.c_str(), buf, sizeof buf);
    if (n >= 0 && target_ == std::string(buf, static_cast<std::size_t>(n)))
        ::unlink(path_.c_str());
}

}  // namespace emulator
