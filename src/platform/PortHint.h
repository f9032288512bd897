#pragma once
// When a serial port would not open, the reason a person can do something about.

#include <QString>

#include "device/CStdStr.h"

namespace PortHint {

// One line on why `path` could not be opened, or "" when nothing useful can be said:
// the device is missing, it belongs to a group the user is not in (with how to join
// it), or another program holds it.
QString WhyNotOpened(const CStdStr& path);

}  // namespace PortHint
