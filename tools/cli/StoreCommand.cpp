// store: a settings file's settings into the dive computer.
#include "Commands.h"
#include "Connection.h"
#include "Console.h"
#include "SettingsFiles.h"

#include <cstddef>
#include <cstring>

namespace {

// The bytes that make one dive computer this one: model code, firmware version and serial
// number (record offsets 52 to 57). Copying settings between dive computers keeps them.
constexpr std::size_t kIdentityOffset = offsetof(DEVICE_DATA, modelCode);
constexpr std::size_t kIdentitySize = offsetof(DEVICE_DATA, block2) - kIdentityOffset;

}  // namespace

void RunStore(const Arguments& arguments)
{
    // A file that will not do is refused before the dive computer is touched.
    DEVICE_DATA record = ReadSettingsFrom(arguments.file);
    if (!arguments.backup.isEmpty())
        RefuseUnwritable(arguments.backup);
    Connection connection(arguments.port);
    const DEVICE_DATA present = connection.Load();
    if (!arguments.backup.isEmpty())
        WriteSettingsTo(arguments.backup, present);
    if (!arguments.all)
        std::memcpy(DeviceData::Bytes(record) + kIdentityOffset,
                    DeviceData::Bytes(present) + kIdentityOffset, kIdentitySize);
    connection.Store(record);
    PrintLine(
        QStringLiteral("Stored the settings of %1 on %2").arg(arguments.file, connection.Path()));
}
