#pragma once
// The serial ports present, in the order and with the texts the port box shows.

#include "device/CStdStr.h"

#include <functional>
#include <vector>

struct SERIALPORT {
    CStdStr name;         // the platform's port name: ttyUSB0, rfcomm0, an emulator's name
    CStdStr description;  // empty when none is known
    CStdStr path;         // the device path the serial channel opens: /dev/ttyUSB0
};
using SERIALPORTS = std::vector<SERIALPORT>;

// Empties the list and fills it with the ports present now, sorted by SortPorts. Sources:
// the system's serial devices, the bound Bluetooth links /dev/rfcomm*, and the ports that
// tidewell-emulator announces (described "Type1 emulator"). Returns false, with the list
// empty, when the system's list of serial devices cannot be read.
bool EnumerateSerialPorts(SERIALPORTS& list);

// Where a window gets its port list: EnumerateSerialPorts, or what a test puts in its place.
using PortLister = std::function<bool(SERIALPORTS& list)>;

// Sorts by port name, then by description, comparing UTF-16 code units case-sensitively
// and not numerically (ttyS10 before ttyS2). Stable; duplicates stay.
void SortPorts(SERIALPORTS& list);

// The port box's item text: the name, " : ", the description; the name alone when there
// is no description.
CStdStr PortItemText(const SERIALPORT& port);

// Match modes of FindPortIndex.
enum : int { MatchItemText = 0, MatchPortName = 1, MatchDescription = 2 };

// The index of the first entry whose item text, name or description (by mode) equals text,
// letters folded to lower case as in the "C" locale; -1 when none does, when text is empty
// and for any other mode.
int FindPortIndex(const SERIALPORTS& list, const CStdStr& text, int mode);

// The device path to open: the path of entry index when that is an index of the list;
// otherwise what text names, whether it exists or not, so that opening it tells what is
// wrong: an absolute path as it stands (/dev/pts/7, a /dev/serial/by-id link), a port name
// under /dev (ttyUSB0, or the name an item's text begins with). Empty for empty text,
// meaning no port is chosen.
CStdStr PortPathFor(const SERIALPORTS& list, int index, const CStdStr& text);
