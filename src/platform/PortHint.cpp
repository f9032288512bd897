#include "platform/PortHint.h"

#include <cerrno>
#include <cstring>

#include <grp.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace PortHint {

namespace {

QString GroupName(gid_t gid)
{
    if (const group* g = ::getgrgid(gid))
        return QString::fromLocal8Bit(g->gr_name);
    return QString::number(gid);
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QString ProcessName(const QString& processFolder)
{
    QFile comm(processFolder + QStringLiteral("/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return QStringLiteral("a program");
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

// A rule file of that name under /etc, even one that points at /dev/null, stands in for
// the packaged one: the administrator has dealt with it.
bool RulesInForce(const QDir& root)
{
    const QString rules = QStringLiteral("udev/rules.d/85-brltty.rules");
    if (QFileInfo::exists(root.filePath(QStringLiteral("etc/") + rules)) ||
        QFileInfo(root.filePath(QStringLiteral("etc/") + rules)).isSymLink())
        return false;
    if (QFileInfo(root.filePath(QStringLiteral("etc/systemd/system/brltty-udev.service")))
            .isSymLink())
        return false;  // masked
    return QFileInfo::exists(root.filePath(QStringLiteral("usr/lib/") + rules)) ||
           QFileInfo::exists(root.filePath(QStringLiteral("lib/") + rules));
}

QString Missing(const QString& shown)
{
    QString hint =
        QStringLiteral("%1 does not exist: check that the interface cable is plugged in.")
            .arg(shown);
    if (BrlttyClaimsAdapters())
        hint += QStringLiteral(
            " brltty, a service for braille displays, is installed and may have claimed the "
            "USB serial adapter. Without a braille display, remove it (sudo apt remove brltty) "
            "or mask it (sudo systemctl mask brltty-udev.service), then plug the cable in "
            "again.");
    return hint;
}

QString Busy(const QString& shown)
{
    const QStringList holders = Holders(shown);
    const QString who =
        holders.isEmpty() ? QStringLiteral("another program") : holders.join(QStringLiteral(", "));
    return QStringLiteral("%1 is in use by %2: close the port there, then try again.")
        .arg(shown, who);
}

// The number of the pseudo-terminal `path` names, or -1 for any other device.
int PseudoTerminalIndex(const QString& path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    const QString prefix = QStringLiteral("/dev/pts/");
    bool isNumber = false;
    const int index = real.startsWith(prefix) ? real.mid(prefix.size()).toInt(&isNumber) : -1;
    return isNumber ? index : -1;
}

// The pseudo-terminal whose master side the open file `fd` of a process is, or -1. The
// program at that side is the line's far end (an emulated dive computer), not a holder.
int MasterIndex(const QString& processFolder, const QString& link, const QString& fd)
{
    const QString target = QFile::symLinkTarget(link);
    if (target != QStringLiteral("/dev/ptmx") && target != QStringLiteral("/dev/pts/ptmx"))
        return -1;
    QFile info(processFolder + QStringLiteral("/fdinfo/") + fd);
    if (!info.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray tag = "tty-index:";
    for (const QByteArray& line : info.readAll().split('\n'))
        if (line.startsWith(tag)) {
            bool isNumber = false;
            const int index = line.mid(tag.size()).trimmed().toInt(&isNumber);
            return isNumber ? index : -1;
        }
    return -1;
}

}  // namespace

bool IsBusy(int systemError)
{
    return systemError == EBUSY || systemError == EWOULDBLOCK;
}

QString WhyNotOpened(const CStdStr& wide, int systemError)
{
    const QString shown = QString::fromStdWString(wide);
    if (IsBusy(systemError))
        return Busy(shown);
    switch (systemError) {
        case 0:
            return QString();
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return Missing(shown);
        case EACCES:
        case EPERM: {
            struct stat st {};
            if (::stat(QFile::encodeName(shown).constData(), &st) != 0)
                return QStringLiteral("Permission denied on %1.").arg(shown);
            const QString group = GroupName(st.st_gid);
            return QStringLiteral(
                       "Permission denied on %1, which belongs to the group \"%2\". Join "
                       "that group (sudo usermod -aG %2 $USER), then log out and in again.")
                .arg(shown, group);
        }
        case ENOTTY:
            return QStringLiteral("%1 is not a serial port.").arg(shown);
        default:
            return QStringLiteral("%1: %2.").arg(
                shown, QString::fromLocal8Bit(std::strerror(systemError)));
    }
}

QStringList Holders(const QString& path, const QString& proc)
{
    struct stat device {};
    if (::stat(QFile::encodeName(path).constData(), &device) != 0)
        return {};
    const int terminal = PseudoTerminalIndex(path);
    QStringList holders;
    const QDir processes(proc);
    for (const QString& pid : processes.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        pid.toInt(&isNumber);
        if (!isNumber)
            continue;
        const QString folder = processes.filePath(pid);
        const QDir fds(folder + QStringLiteral("/fd"));
        bool holds = false;
        bool farEnd = false;
        for (const QString& fd :
             fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            struct stat open {};
            if (::stat(QFile::encodeName(fds.filePath(fd)).constData(), &open) == 0 &&
                SameFile(open, device))
                holds = true;
            if (terminal >= 0 && MasterIndex(folder, fds.filePath(fd), fd) == terminal)
                farEnd = true;
        }
        if (holds && !farEnd)
            holders << QStringLiteral("%1 (process %2)").arg(ProcessName(folder), pid);
    }
    return holders;
}

bool BrlttyClaimsAdapters(const QString& rootPath)
{
    const QDir root(rootPath);
    const bool installed = QFileInfo::exists(root.filePath(QStringLiteral("usr/bin/brltty"))) ||
                           QFileInfo::exists(root.filePath(QStringLiteral("bin/brltty")));
    return installed && RulesInForce(root);
}

}  // namespace PortHint
