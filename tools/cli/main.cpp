// tidewell-cli: the device and file layers of Tidewell from a shell.
#include "Arguments.h"
#include "Commands.h"
#include "Console.h"
#include "Failure.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    try {
        const Arguments arguments = ParseArguments(QCoreApplication::arguments());
        switch (arguments.command) {
            case Arguments::Command::Help:
                std::fputs(kUsage, stdout);
                break;
            case Arguments::Command::Ports:
                RunPorts();
                break;
            case Arguments::Command::Detect:
                RunDetect(arguments);
                break;
            case Arguments::Command::Load:
                RunLoad(arguments);
                break;
            case Arguments::Command::Store:
                RunStore(arguments);
                break;
            case Arguments::Command::Show:
                RunShow(arguments);
                break;
        }
        FinishOutput();
        return ExitOk;
    } catch (const Failure& failure) {
        PrintError(failure.message);
        return failure.code;
    } catch (const std::exception& e) {
        PrintError(QString::fromUtf8(e.what()));
        return ExitOtherFailure;
    }
}
