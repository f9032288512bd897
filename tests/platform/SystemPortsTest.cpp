#include "platform/SystemPorts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct EntryCase {
    const char* what;
    SystemPortFields fields;
    CStdStr itemText;  // what the port box shows for it
};

constexpr bool kUsb = true, kNative = false;

SystemPortFields Port(const char* path, bool usb, const char* manufacturer = "",
                      const char* product = "", int vendorId = -1, int productId = -1)
{
    return {path, usb, manufacturer, product, vendorId, productId};
}

TEST(SystemPortEntry, NamedAfterTheDeviceAndDescribedByTheAdaptersStrings)
{
    const EntryCase cases[] = {
        {"a port of the machine itself", Port("/dev/ttyS0", kNative), L"ttyS0"},
        {"strings of a port that is not USB are not its own",
         Port("/dev/ttyS1", kNative, "Intel", "UART"), L"ttyS1"},
        {"manufacturer, then product",
         Port("/dev/ttyUSB0", kUsb, "FTDI", "FT232R USB UART", 0x0403, 0x6001),
         L"ttyUSB0 : FTDI FT232R USB UART"},
        {"a product that names its maker already",
         Port("/dev/ttyUSB1", kUsb, "prolific", "Prolific USB-Serial Controller"),
         L"ttyUSB1 : Prolific USB-Serial Controller"},
        {"padding and line breaks dropped",
         Port("/dev/ttyUSB2", kUsb, "  Silicon Labs ", "CP2102 USB to UART\n Bridge Controller "),
         L"ttyUSB2 : Silicon Labs CP2102 USB to UART Bridge Controller"},
        {"product only", Port("/dev/ttyACM0", kUsb, "", "Type1 Interface"),
         L"ttyACM0 : Type1 Interface"},
        {"manufacturer only", Port("/dev/ttyUSB3", kUsb, "FTDI", ""), L"ttyUSB3 : FTDI"},
        {"blank strings count as none", Port("/dev/ttyUSB4", kUsb, " ", "\t", 0x067b, 0x2303),
         L"ttyUSB4 : USB serial adapter 067b:2303"},
        {"no strings, no ids", Port("/dev/ttyUSB5", kUsb, "", ""), L"ttyUSB5 : USB serial adapter"},
        {"UTF-8 strings",
         Port("/dev/ttyUSB6", kUsb, "Hallvex Ger\xC3\xA4tebau", "Kabel \xE2\x80\x93 2"),
         L"ttyUSB6 : Hallvex Ger\u00E4tebau Kabel \u2013 2"},
    };
    for (const EntryCase& c : cases) {
        const SERIALPORT entry = SystemPortEntry(c.fields);
        EXPECT_EQ(PortItemText(entry), c.itemText) << c.what;
        EXPECT_EQ(entry.path, std::wstring(c.fields.path.begin(), c.fields.path.end())) << c.what;
    }
}

}  // namespace
