#include "platform/PortHint.h"

#include <cerrno>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PortHint {

namespace {

QString GroupName(gid_t gid)
{
    if (const group* g = ::getgrgid(gid))
        return QString::fromLocal8Bit(g->gr_name);
    return QString::number(gid);
}

// True when another program holds the port: it opens, but not exclusively.
bool HeldByAnother(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

}  // namespace

QString WhyNotOpened(const CStdStr& wide)
{
    const QString shown = QString::fromStdWString(wide);
    const QByteArray path = shown.toLocal8Bit();
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return QStringLiteral("%1 does not exist: check that the interface cable is plugged in.")
            .arg(shown);
    if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        const QString group = GroupName(st.st_gid);
        return QStringLiteral(
                   "Permission denied on %1, which belongs to the group \"%2\". Join "
                   "that group (sudo usermod -aG %2 $USER), then log out and in again.")
            .arg(shown, group);
    }
    if (HeldByAnother(path))
        return QStringLiteral("%1 is in use by another program.").arg(shown);
    return QString();
}

}  // namespace PortHint
