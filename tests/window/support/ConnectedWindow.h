#pragma once
// The set-up of a window test with a dive computer: the dive computer (the fake one on
// virtual time, or the emulator process), the modal answers, the main window on screen and
// its driver, made in the order they depend on each other and destroyed in reverse.

#include <memory>
#include <optional>

#include <QString>
#include <QStringList>

#include "FakeDevice.h"
#include "FormDriver.h"
#include "RunningEmulator.h"
#include "ScriptedModal.h"
#include "window/Main.h"

class ConnectedWindow {
public:
    enum class Attach { Yes, No };

    // The window with the fake dive computer, attached as a successful Connect leaves it
    // unless `attach` says No.
    explicit ConnectedWindow(Attach attach = Attach::Yes);
    // The window beside the emulator started as `name` with `options`; Connect() connects
    // them, so that a test can choose the window's options first.
    explicit ConnectedWindow(const QString& name, const QStringList& options = {});

    // Types the emulator's entry into the port box and clicks Connect.
    void Connect();

    std::optional<RunningEmulator> emulator;
    std::optional<FakeDevice> device;
    ScriptedModal modal;
    std::unique_ptr<TForm1> form;  // may be destroyed ahead of the rest
    FormDriver driver;
};
