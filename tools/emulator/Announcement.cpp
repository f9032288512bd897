// Announcement.cpp: the folders and the symlink in them.
#include "Announcement.h"

#include "announcement/AnnouncementFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace emulator {

namespace {

// An emulator that stops removes the folders once they are empty; when one does so while
// we announce, the folders are made again. More than a few such losses is no race.
constexpr int kAttempts = 3;

[[noreturn]] void fail(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// Makes `dir` when it is missing; one that exists must be fit to hold announcements.
void prepareFolder(const std::string& dir)
{
    using announcement::Verdict;
    Verdict verdict = announcement::Examine(dir);
    if (verdict == Verdict::Missing) {
        if (::mkdir(dir.c_str(), 0700) == 0)
            return;
        if (errno != EEXIST)
            fail("cannot create", dir);
        verdict = announcement::Examine(dir);  // another emulator made it meanwhile
    }
    if (verdict != Verdict::Usable)
        throw std::runtime_error(announcement::Complaint(dir, verdict));
}

}  // namespace

bool Announcement::validName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

Announcement::Announcement(const std::string& name, const std::string& target) : target_(target)
{
    const std::string runtime = announcement::RuntimeBase();
    base_ = runtime.empty() ? announcement::SharedBase() : runtime;
    const std::string ports = announcement::PortsFolder(base_);
    path_ = ports + "/" + name;
    // Made beside the ports folder, where discovery does not look, and renamed over the
    // final name, so that a link left by an emulator that was killed is replaced without a
    // moment in which the name is missing.
    const std::string temp = base_ + "/." + name + "." + std::to_string(::getpid());
    for (int attempt = 1;; ++attempt) {
        prepareFolder(base_);
        prepareFolder(ports);
        ::unlink(temp.c_str());
        if (::symlink(target.c_str(), temp.c_str()) != 0) {
            if (errno != ENOENT || attempt == kAttempts)
                fail("cannot create", temp);
            continue;
        }
        if (::rename(temp.c_str(), path_.c_str()) == 0)
            return;
        const int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        if (error != ENOENT || attempt == kAttempts)
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
    // The last emulator to stop leaves no folders behind. While another one still
    // announces, its link keeps them: rmdir refuses a folder that is not empty.
    ::rmdir(announcement::PortsFolder(base_).c_str());
    ::rmdir(base_.c_str());
}

}  // namespace emulator
