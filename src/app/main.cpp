// Tidewell: the settings editor for Type1 dive computers.
#include <cstdio>
#include <exception>

#include "app/CommandLine.h"
#include "app/StartWindow.h"
#include "window/Application.h"
#include "window/Main.h"

int main(int argc, char** argv)
{
    // The usual start, from the menu, has nothing to parse, and pays nothing for parsing.
    const bool hasArguments = argc > 1;
    if (hasArguments)
        if (const std::optional<int> status = AnswerWithoutWindow(argc, argv))
            return *status;
    TApplication app(argc, argv);
    NameTheApplication();
    QString file;
    if (hasArguments) {
        // Read again without the toolkit's own options, which the application object took.
        const TCommandLine line(QCoreApplication::arguments());
        if (!line.Error().isEmpty()) {
            std::fprintf(stderr, "tidewell: %s\nTry 'tidewell --help'.\n",
                         qPrintable(line.Error()));
            return 2;
        }
        file = line.File();
    }
    try {
        TForm1 form;
        ShowStartWindow(form, file);
        return TApplication::exec();
    } catch (...) {
        // Start-up failed or an error escaped the message loop: say so, and end as a
        // failure, so that what started the window can tell.
        TApplication::ShowException(std::current_exception());
        return 1;
    }
}
