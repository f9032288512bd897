#include "persistence/FileTarget.h"

#include <QFile>

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileTarget {

namespace {

// What a path names that is not a regular file, as the reason for leaving it alone.
QString NotRegular(mode_t mode)
{
    if (S_ISDIR(mode))
        return SystemReason(EISDIR);
    const char* kind = S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISFIFO(mode)               ? "a FIFO"
                       : S_ISSOCK(mode)               ? "a socket"
                                                      : "something else";
    return QStringLiteral("it is %1, not a regular file").arg(QLatin1String(kind));
}

}  // namespace

QString SystemReason(int error)
{
    return QString::fromStdString(std::system_category().message(error));
}

QString WhyNotWritable(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT ? QString() : SystemReason(errno);
    return S_ISREG(st.st_mode) ? QString() : NotRegular(st.st_mode);
}

bool OpenForReading(const QString& path, QFile& file, QString& why)
{
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened, since opening a device is already an act on it.
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        why = SystemReason(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        why = NotRegular(st.st_mode);
        return false;
    }
    // Looked at once more when open, in case the name was given to something else in
    // between; opened without waiting, in case that is a FIFO.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = SystemReason(errno);
        return false;
    }
    if (::fstat(fd, &st) != 0)
        why = SystemReason(errno);
    else if (!S_ISREG(st.st_mode))
        why = NotRegular(st.st_mode);
    else if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    else
        why = file.errorString();
    ::close(fd);
    return false;
}

}  // namespace FileTarget
