// load: the dive computer's settings into a settings file.
#include "Commands.h"
#include "Connection.h"
#include "Console.h"
#include "SettingsFiles.h"

void RunLoad(const Arguments& arguments)
{
    RefuseUnwritable(arguments.file);
    Connection connection(arguments.port);
    WriteSettingsTo(arguments.file, connection.Load());
    PrintLine(
        QStringLiteral("Saved the settings from %1 to %2").arg(connection.Path(), arguments.file));
}
