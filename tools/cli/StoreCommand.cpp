// store: a settings file's settings into the dive computer.
#include "Commands.h"
#include "Connection.h"
#include "Console.h"
#include "SettingsFiles.h"

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
    // Copying settings between dive computers keeps what makes each one itself.
    if (!arguments.all)
        DeviceData::KeepOwnBytes(record, present);
    connection.Store(record, arguments.verify);
    PrintLine(
        QStringLiteral("Stored the settings of %1 on %2").arg(arguments.file, connection.Path()));
}
