#pragma once
// The application object. An exception that escapes an event handler is shown in the
// application's error box and the program goes on running.

#include <exception>

#include <QApplication>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The text of an exception: its own message, or "Unknown Exception".
    static QString MessageOf(std::exception_ptr error);
    // The application's standard exception box.
    static void ShowException(std::exception_ptr error);
};
