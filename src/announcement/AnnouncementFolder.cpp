// AnnouncementFolder.cpp: the folder names and the rule.
#include "AnnouncementFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace announcement {

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::string RuntimeBase()
{
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    return runtime.empty() ? std::string() : runtime + "/tidewell";
}

std::string SharedBase()
{
    std::string temp = Environment("TMPDIR");
    if (temp.empty())
        temp = "/tmp";
    return temp + "/tidewell-" + std::to_string(::getuid());
}

std::string PortsFolder(const std::string& base)
{
    return base + "/ports";
}

Verdict Examine(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Verdict::Missing : Verdict::Unexaminable;
    if (S_ISLNK(st.st_mode))
        return Verdict::SymbolicLink;
    if (!S_ISDIR(st.st_mode))
        return Verdict::NotAFolder;
    if (st.st_uid != ::getuid())
        return Verdict::OwnedByAnother;
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return Verdict::WritableByOthers;
    return Verdict::Usable;
}

std::string Complaint(const std::string& path, Verdict verdict)
{
    const int error = errno;
    const std::string where = "cannot announce in " + path + ": ";
    const std::string elsewhere = "point XDG_RUNTIME_DIR or TMPDIR at a folder of your own";
    switch (verdict) {
        case Verdict::Usable:
            return std::string();
        case Verdict::Missing:
            return where + "it does not exist";
        case Verdict::SymbolicLink:
            return where + "it is a symbolic link, not a folder; remove it, or " + elsewhere;
        case Verdict::NotAFolder:
            return where + "it is not a folder; remove it, or " + elsewhere;
        case Verdict::OwnedByAnother:
            return where + "it belongs to another user; " + elsewhere;
        case Verdict::WritableByOthers:
            return where + "other users can write to it; make it private with: chmod go-w " + path;
        case Verdict::Unexaminable:
            return where + std::strerror(error);
    }
    return std::string();
}

}  // namespace announcement
