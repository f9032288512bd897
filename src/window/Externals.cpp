#include "window/Externals.h"

#include <chrono>
#include <thread>

#include "device/Device_Type1_Control.h"

TForm1* Form1 = nullptr;
TAboutForm* AboutForm = nullptr;

DEVICE_DATA CurrentSettings{};
kAPI::Device_Type1_Control* CurrentDevice = nullptr;
std::uint8_t CancelByte = 0;

SERIALPORTS PortList;
CStdStr PortPath;
CStdStr LastPort;
int SelectedPortIndex = 0;

boost::mutex RequestLock;
boost::mutex BusyLock;
bool RefreshRequested = false;
bool RefreshRunning = false;
bool DeviceBusy = false;

bool UpdatingControls = false;
bool ExitStoreActive = false;

CStdStr LastOpenFile;
CStdStr LastSaveFile;

namespace {

// Made after the two mutexes in this unit, so destroyed before them: a process that
// never made a window still ends with both unlocked.
class StartupLocks {
public:
    StartupLocks()
    {
        RequestLock.lock();
        BusyLock.lock();
    }
    ~StartupLocks() { Release(); }
    void Release()
    {
        if (held_) {
            held_ = false;
            RequestLock.unlock();
            BusyLock.unlock();
        }
    }

private:
    bool held_ = true;
};

StartupLocks startupLocks;

}  // namespace

void ReleaseStartupLocks()
{
    startupLocks.Release();
}

int DeviceClaim::depth = 0;

DeviceClaim::DeviceClaim()
{
    if (depth++ > 0)
        return;
    for (;;) {
        {
            boost::mutex::scoped_lock lock(BusyLock);
            if (!RefreshRunning) {
                DeviceBusy = true;
                return;
            }
        }
        // The worker's one-byte exchange ends within a few seconds at most.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

DeviceClaim::~DeviceClaim()
{
    if (--depth > 0)
        return;
    boost::mutex::scoped_lock lock(BusyLock);
    DeviceBusy = false;
}

void DestroyCurrentDevice()
{
    delete CurrentDevice;
    CurrentDevice = nullptr;
}
