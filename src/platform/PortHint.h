#pragma once
// When a serial port would not open, the reason a person can do something about. It is
// read off the system's own error of that open: the port is never opened a second time
// to find out, which would race with its holder and toggle the lines under it.

#include <QString>
#include <QStringList>

#include "device/CStdStr.h"

namespace PortHint {

// True when `systemError`, the error of a failed open, says another program holds the port.
bool IsBusy(int systemError);

// One line on why `path` could not be opened, given the system's error of that open: the
// device is missing, it belongs to a group the user is not in (with how to join it),
// another program holds it (naming that program when it can be seen), it is no serial
// port, or the system's own words. "" for an error of 0.
QString WhyNotOpened(const CStdStr& path, int systemError);

// The programs that hold `path` open, each as "name (process id)", found through the
// open files listed under `proc`; those whose lists cannot be read are left out.
QStringList Holders(const QString& path, const QString& proc = QStringLiteral("/proc"));

// True when brltty, the braille display service, is installed under `root` with its udev
// rules in force: they claim some USB serial adapters for braille displays, and the
// adapter's port then vanishes as soon as it appears.
bool BrlttyClaimsAdapters(const QString& root = QStringLiteral("/"));

}  // namespace PortHint
