// detect: is there a dive computer on the port, and which one.
#include "Commands.h"
#include "Connection.h"
#include "Console.h"

#include "device/ModelTable.h"

void RunDetect(const Arguments& arguments)
{
    Connection connection(arguments.port);
    DEVICE_DATA identity{};
    connection.ReadIdentity(identity);
    PrintLine(QStringLiteral("%1: %2, serial number %3, ID # %4, version # %5")
                  .arg(connection.Path(),
                       QString::fromStdWString(DeviceData::ModelNameOf(identity.modelCode)))
                  .arg(DeviceData::SerialNumberOf(identity))
                  .arg(identity.modelCode)
                  .arg(identity.firmwareVersion));
}
