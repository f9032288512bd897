// ports: the serial ports present, in the order and with the texts of the window's port box.
#include "Commands.h"
#include "Console.h"
#include "Failure.h"

#include "platform/SerialPorts.h"

void RunPorts()
{
    SERIALPORTS list;
    if (!EnumerateSerialPorts(list))
        throw Failure{ExitOtherFailure, QStringLiteral("Can't Enumerate Ports")};
    for (const SERIALPORT& port : list)
        PrintLine(QString::fromStdWString(PortItemText(port)) + QLatin1Char('\t') +
                  QString::fromStdWString(port.path));
}
