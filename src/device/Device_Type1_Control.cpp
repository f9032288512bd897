#include "device/Device_Type1_Control.h"

#include <cstring>

#include "device/Errors.h"

namespace kAPI {

Device_Type1_Control::Device_Type1_Control(const wchar_t* portPath, const CancelFlag* cancelFlag,
                                           SerialOps& serialOps)
    : Device(cancelFlag), CommModel1(portPath, serialOps)
{
}

Device_Type1_Control::~Device_Type1_Control() = default;

void Device_Type1_Control::SetCallbacks(void (*progressFunction)(int),
                                        void (*statusFunction)(const wchar_t*),
                                        void (*connectedFunction)(int))
{
    if (progressFunction != nullptr)
        progress.onPercent = Callback::functiontranslator_1<int, void (*)(int)>(progressFunction);
    onStatus =
        Callback::functiontranslator_1<const wchar_t*, void (*)(const wchar_t*)>(statusFunction);
    onConnected = connectedFunction;
}

void Device_Type1_Control::SetCallbacks(const Callback::Callback_1<int>& progressCallback,
                                        const Callback::Callback_1<const wchar_t*>& statusCallback)
{
    progress.onPercent = progressCallback;
    onStatus = statusCallback;
}

void Device_Type1_Control::Open(int attempts)
{
    // Whatever an earlier Open found may be another dive computer by now.
    detected = false;
    detectedSettings = DEVICE_DATA{};
    std::memcpy(sendBuffer.get(), DetectProbe, sizeof DetectProbe);
    // The bar starts full and loses one share per failed attempt.
    progress.Start(attempts);
    progress.current += attempts;
    progress.Update();

    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (CancelRequested())
            throw MakeUserCancel();
        try {
            Exchange(sizeof DetectProbe, DetectAnswerLength);
            CheckEcho(sizeof DetectProbe);
        } catch (const Error&) {
            progress.current -= 1;
            progress.Update();
            continue;
        }
        KeepDetected();
        ReportStatus(L"Comm Opened Successfully!");
        progress.current = 0;
        progress.Update();
        ReportConnected(1);
        return;
    }

    ReportStatus(L"Comm Open Failure!");
    ReportConnected(0);
    progress.current = 0;
    progress.Update();
    throw Device_Not_Present(L"Device Type1 Not Found", ErrInterfaceNotDetected);
}

void Device_Type1_Control::KeepDetected()
{
    constexpr int header = sizeof DetectProbe;
    DeviceData::PlaceByPlan(detectedSettings, DetectAddress, receiveBuffer.get() + header,
                            DetectLength);
    DeviceData::SwapWords(detectedSettings);
    detected = true;
}

void Device_Type1_Control::Slot5()
{
}

int Device_Type1_Control::Slot7()
{
    return 0;
}

void Device_Type1_Control::Slot9()
{
}

}  // namespace kAPI
