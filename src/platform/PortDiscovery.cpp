// Where the ports come from on Linux.
#include "platform/SerialPorts.h"
#include "platform/SystemPorts.h"

#include "announcement/AnnouncementFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <glob.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

namespace {

bool Listed(const SERIALPORTS& list, const CStdStr& path)
{
    return std::any_of(list.begin(), list.end(),
                       [&path](const SERIALPORT& port) { return port.path == path; });
}

// Bluetooth links bound with rfcomm, which the system does not always report as serial.
// glob matches the names alone, where a QDir name filter would look at every entry of /dev.
void AddRfcommPorts(SERIALPORTS& list)
{
    glob_t found{};
    if (::glob("/dev/rfcomm*", 0, nullptr, &found) == 0) {
        for (std::size_t i = 0; i < found.gl_pathc; ++i) {
            struct stat device {};
            if (::stat(found.gl_pathv[i], &device) != 0 || !S_ISCHR(device.st_mode))
                continue;
            const QString path = QFile::decodeName(found.gl_pathv[i]);
            if (!Listed(list, path.toStdWString()))
                list.push_back({path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toStdWString(),
                                CStdStr(), path.toStdWString()});
        }
    }
    ::globfree(&found);
}

// The folders in which tidewell-emulator announces its ports: the runtime one and the
// shared fallback, for emulators started without a runtime folder. Only folders that pass
// the emulator's own rule count: in any other, someone else could have planted a link to
// a device of their choosing.
QStringList AnnouncementFolders()
{
    QStringList folders;
    for (const std::string& base : {announcement::RuntimeBase(), announcement::SharedBase()}) {
        const std::string ports = announcement::PortsFolder(base);
        if (!base.empty() && announcement::Examine(base) == announcement::Verdict::Usable &&
            announcement::Examine(ports) == announcement::Verdict::Usable)
            folders << QFile::decodeName(ports.c_str());
    }
    return folders;
}

// Each announcement is a symlink named after the port, pointing at its pseudo-terminal. A
// link whose emulator has gone without removing it points at nothing and is passed over.
void AddAnnouncedPorts(SERIALPORTS& list)
{
    for (const QString& folder : AnnouncementFolders()) {
        const QDir ports(folder, QString(), QDir::Name, QDir::System | QDir::Files);
        for (const QFileInfo& link : ports.entryInfoList()) {
            if (!link.isSymLink() || !link.exists())
                continue;
            list.push_back({link.fileName().toStdWString(), L"Type1 emulator",
                            link.symLinkTarget().toStdWString()});
        }
    }
}

}  // namespace

bool EnumerateSerialPorts(SERIALPORTS& list)
{
    list.clear();
    if (!AddSystemPorts(list))
        return false;
    AddRfcommPorts(list);
    AddAnnouncedPorts(list);
    SortPorts(list);
    return true;
}
