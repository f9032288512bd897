// Where the ports come from on Linux.
#include "platform/SerialPorts.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>

#include <unistd.h>

#include <algorithm>

namespace {

bool Listed(const SERIALPORTS& list, const CStdStr& path)
{
    return std::any_of(list.begin(), list.end(),
                       [&path](const SERIALPORT& port) { return port.path == path; });
}

void AddSystemPorts(SERIALPORTS& list)
{
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        list.push_back({info.portName().toStdWString(), info.description().toStdWString(),
                        info.systemLocation().toStdWString()});
    }
}

// Bluetooth links bound with rfcomm, which the system does not always report as serial.
void AddRfcommPorts(SERIALPORTS& list)
{
    const QDir dev(QStringLiteral("/dev"), QStringLiteral("rfcomm*"), QDir::Name, QDir::System);
    for (const QFileInfo& device : dev.entryInfoList()) {
        const CStdStr path = device.absoluteFilePath().toStdWString();
        if (!Listed(list, path))
            list.push_back({device.fileName().toStdWString(), CStdStr(), path});
    }
}

// The folders in which tidewell-emulator announces its ports. The fallback in /tmp counts
// only while it is the user's own, as the emulator insists too.
QStringList AnnouncementFolders()
{
    QStringList folders;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        folders << runtime + QStringLiteral("/tidewell/ports");
    const QString shared = QStringLiteral("/tmp/tidewell-%1").arg(::getuid());
    if (QFileInfo(shared).ownerId() == ::getuid())
        folders << shared + QStringLiteral("/ports");
    return folders;
}

// Each announcement is a symlink named after the port, pointing at its pseudo-terminal. A
// link whose emulator has gone without removing it points at nothing and is passed over.
void AddAnnouncedPorts(SERIALPORTS& list)
{
    QStringList seen;
    for (const QString& folder : AnnouncementFolders()) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen << canonical;
        const QDir ports(canonical, QString(), QDir::Name, QDir::System | QDir::Files);
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
    AddSystemPorts(list);
    AddRfcommPorts(list);
    AddAnnouncedPorts(list);
    SortPorts(list);
    return true;
}
