// ports: the serial ports present, in the order and with the texts of the window's port box.
#include "Commands.h"
#include "Console.h"

#include "platform/SerialPorts.h"

void RunPorts()
{
    SERIALPORTS list;
    EnumerateSerialPorts(list);
    for (const SERIALPORT& port : list)
        PrintLine(QString::fromStdWString(PortItemText(port)) + QLatin1Char('\t') +
                  QString::fromStdWString(port.path));
}
