// Tidewell: the settings editor for Type1 dive computers.
#include <exception>

#include "window/Application.h"
#include "window/Main.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Tidewell"));
    try {
        TForm1 form;
        form.show();
        return TApplication::exec();
    } catch (...) {
        // Start-up failed or an error escaped the message loop: say so, and end.
        TApplication::ShowException(std::current_exception());
        return 0;
    }
}
