#include "window/Application.h"

#include <stdexcept>

#include "device/Errors.h"
#include "window/Modal.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
        return false;
    }
}

QString TApplication::MessageOf(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (const w_std::exception& e) {
        return QString::fromWCharArray(e.what());
    } catch (...) {
        return QStringLiteral("Unknown Exception");
    }
}

void TApplication::ShowException(std::exception_ptr error)
{
    Modal::Current().Message(QApplication::activeWindow(), MessageOf(error),
                             QApplication::applicationDisplayName(), QMessageBox::Ok,
                             QMessageBox::Critical);
}
