// Tidewell: the settings editor for Type1 dive computers.
#include <exception>

#include "platform/AboutForm.h"
#include "window/Application.h"
#include "window/Externals.h"
#include "window/Main.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Tidewell"));
    try {
        TForm1 form;
        TAboutForm about(form.Version(), &form);
        AboutForm = &about;
        form.show();
        const int result = TApplication::exec();
        AboutForm = nullptr;
        return result;
    } catch (...) {
        // Start-up failed or an error escaped the message loop: say so, and end.
        AboutForm = nullptr;
        TApplication::ShowException(std::current_exception());
        return 0;
    }
}
