#pragma once
// The abstract dive computer: memory access, detection and the plumbing that every long
// operation shares (cancel request, status and connected reports, progress).

#include <atomic>
#include <cstdint>
#include <list>

#include <boost/noncopyable.hpp>
#include <boost/shared_ptr.hpp>

#include "device/DEVICE_DATA.h"
#include "device/TSmartProgress.h"

// A dive's log record; this system reads no dive logs.
struct _DIVE_DATA;

namespace kAPI {

// The caller's cancel request, set to 1 from another thread or a signal handler while a
// transfer runs; a plain byte would be a data race.
using CancelFlag = std::atomic<std::uint8_t>;

class Device : boost::noncopyable {
public:
    virtual ~Device();
    // Reads memory [address, address + length) into `buffer`; returns `length`.
    virtual int Read(std::uint32_t address, int length, std::uint8_t* buffer,
                     bool withProgress) = 0;
    // Writes `buffer` to memory [address, address + length); returns `length`.
    virtual int Write(std::uint32_t address, int length, const std::uint8_t* buffer,
                      bool withProgress) = 0;
    // Sends `sendLength` request bytes as they stand and reads an answer of
    // `answerLength` bytes (0: send only); returns `answerLength`.
    virtual int RawExchange(int sendLength, const std::uint8_t* request, int answerLength,
                            std::uint8_t* answer) = 0;
    // Looks for the dive computer with up to `attempts` probes; throws when none answers.
    virtual void Open(int attempts) = 0;
    // Slots 5, 7 and 9 are unnamed places of the interface, kept in order; nothing calls
    // them. 5 and 9 do nothing, 7 returns 0.
    virtual void Slot5() = 0;
    // The model code and firmware version, when `buffer` holds at least 2 bytes.
    virtual void ReadIdentity(std::uint8_t* buffer, int length) = 0;
    virtual int Slot7() = 0;
    // Refreshes the controller's own `settings` from the dive computer.
    virtual void ReadSettings() = 0;
    virtual void Slot9() = 0;

    // True when the caller's cancel byte is 1; a null cancel pointer never cancels.
    bool CancelRequested() const;
    void ReportStatus(const wchar_t* text) const;
    void ReportConnected(int state) const;

protected:
    explicit Device(const CancelFlag* cancel);

    std::uint32_t MaxAddress;
    const CancelFlag* cancelFlag;  // owned by the caller
    std::list<boost::shared_ptr<_DIVE_DATA>> dives;
    boost::shared_ptr<_DIVE_DATA> currentDive;
    DEVICE_DATA settings{};
    void (*onConnected)(int) = nullptr;
    Callback::Callback_1<const wchar_t*> onStatus =
        Callback::functiontranslator_1<const wchar_t*, void (*)(const wchar_t*)>(nullptr);
    TSmartProgress progress;
};

}  // namespace kAPI
