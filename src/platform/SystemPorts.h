#pragma once
// The serial devices that the system itself reports (ttyS*, ttyUSB*, ttyACM*, ...), found
// through libserialport, and how each becomes an entry of the port list.

#include "platform/SerialPorts.h"

#include <string>

// What libserialport tells of one port. Texts as it gives them: UTF-8, possibly padded.
struct SystemPortFields {
    std::string path;          // the device: /dev/ttyUSB0
    bool usb = false;          // a USB adapter; the fields below are read only for those
    std::string manufacturer;  // the adapter's own strings, empty when it has none
    std::string product;
    int vendorId = -1;  // -1 when unknown
    int productId = -1;
};

// The entry for one such port: named after its device (ttyUSB0). A USB adapter is
// described by its manufacturer and product strings, the way its maker labels it
// ("FTDI FT232R USB UART"), or by its USB ids when it carries no strings; any other port
// has no description.
SERIALPORT SystemPortEntry(const SystemPortFields& fields);

// Appends an entry for each serial device the system reports. Returns false, adding
// nothing, when the system's list of devices cannot be read.
bool AddSystemPorts(SERIALPORTS& list);
