#pragma once
// The process-wide objects that the main window, the refresh worker and the device layer
// share. They are made before the main window and outlive it.

#include <cstdint>

#include <boost/thread/mutex.hpp>

#include "device/CStdStr.h"
#include "device/DEVICE_DATA.h"
#include "platform/SerialPorts.h"

namespace kAPI {
class Device_Type1_Control;
}
class TAboutForm;
class TForm1;

extern TForm1* Form1;
// The About window, made by the main window when About is first chosen; null before.
extern TAboutForm* AboutForm;

// The one settings record the window shows and edits.
extern DEVICE_DATA CurrentSettings;
// The device controller, or null. Only the main thread creates and destroys it.
extern kAPI::Device_Type1_Control* CurrentDevice;
// Handed to every controller; no command of the window cancels a transfer, so it stays 0.
extern std::uint8_t CancelByte;

extern SERIALPORTS PortList;
extern CStdStr PortPath;
extern CStdStr LastPort;
extern int SelectedPortIndex;

// RequestLock guards RefreshRequested; BusyLock guards RefreshRunning and DeviceBusy.
// Each is held for one flag access only, never across a transfer.
extern boost::mutex RequestLock;
extern boost::mutex BusyLock;
extern bool RefreshRequested;
// The refresh worker is using the device controller.
extern bool RefreshRunning;
// The main thread is using, making or destroying the device controller.
extern bool DeviceBusy;

// True while the window writes values into its own controls: the editors ignore changes.
extern bool UpdatingControls;
// True while the store on exit runs.
extern bool ExitStoreActive;

extern CStdStr LastOpenFile;
extern CStdStr LastSaveFile;

// Both locks are taken during static initialisation and released by the main window
// before it starts the refresh worker, so the worker can never take them earlier.
void ReleaseStartupLocks();

// The main thread holds one of these while it uses, makes or destroys the device
// controller: it waits until the refresh worker has finished with the controller and
// marks it busy, so that the worker leaves it alone. Claims may nest.
class DeviceClaim {
public:
    DeviceClaim();
    ~DeviceClaim();
    DeviceClaim(const DeviceClaim&) = delete;
    DeviceClaim& operator=(const DeviceClaim&) = delete;

private:
    static int depth;
};

// Destroys the device controller, closing its port, and forgets it. The caller has
// claimed it.
void DestroyCurrentDevice();
