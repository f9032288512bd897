#pragma once
// The controller of a Type1 dive computer: constructing it opens the serial port,
// destroying it closes the port. Every failure is thrown as a kAPI::Error.
//
// Memory is addressed 0 to 8191 and moved in requests of at most 32 bytes, each preceded
// by a pause; a caller's cancel byte set to 1 stops a long transfer between blocks. Every
// read or write answer must echo its request's command, address and length.

#include <cstdint>

#include "device/CommModel1.h"
#include "device/DEVICE_DATA.h"
#include "device/Device.h"

namespace kAPI {

class Device_Type1_Control : public Device, public CommModel1 {
public:
    static constexpr std::uint8_t CmdRead = 0x05;
    static constexpr std::uint8_t CmdWrite = 0x06;
    static constexpr std::uint8_t CmdWriteEnable = 0x07;
    static constexpr std::uint8_t WriteEnableKey = 0xA5;
    static constexpr int MaxBlock = 32;
    static constexpr std::uint32_t BlockPause = 500;        // ms before every block
    static constexpr std::uint32_t WriteEnablePause = 666;  // ms before a write enable
    // A read of 27 bytes at 0x1B: its 32-byte answer tells that the dive computer is there,
    // and carries its counters, model code, firmware version and serial number.
    static constexpr std::uint32_t DetectAddress = 0x1B;
    static constexpr int DetectLength = 27;
    static constexpr std::uint8_t DetectProbe[4] = {CmdRead, 0x00, DetectAddress, DetectLength};
    static constexpr int DetectAnswerLength = 32;

    // Opens the port; sends nothing. `cancelFlag` may be null (never cancel).
    Device_Type1_Control(const wchar_t* portPath, const CancelFlag* cancelFlag,
                         SerialOps& ops = PlatformSerialOps());
    ~Device_Type1_Control() override;

    // A null `progress` keeps the present progress callback; null `status` or
    // `connected` silence those reports.
    void SetCallbacks(void (*progress)(int), void (*status)(const wchar_t*),
                      void (*connected)(int));
    // The same for callers that report to an object of their own (see Callback.h).
    void SetCallbacks(const Callback::Callback_1<int>& progress,
                      const Callback::Callback_1<const wchar_t*>& status);

    int Read(std::uint32_t address, int length, std::uint8_t* buffer, bool withProgress) override;
    int Write(std::uint32_t address, int length, const std::uint8_t* buffer,
              bool withProgress) override;
    // `answer`, if given, receives the whole answer frame: `answerLength` bytes,
    // checksum last.
    int RawExchange(int sendLength, const std::uint8_t* request, int answerLength,
                    std::uint8_t* answer) override;
    void Open(int attempts) override;
    void Slot5() override;
    void ReadIdentity(std::uint8_t* buffer, int length) override;
    int Slot7() override;
    void ReadSettings() override;
    void Slot9() override;

    std::uint8_t ReadByte(std::uint32_t address, bool withProgress);

    // True after a successful Open of this controller; false before it and after an Open
    // that failed or was canceled.
    bool Detected() const { return detected; }
    // What the detection answer carried, as LoadSettings would place it: the counters,
    // model code, firmware version and serial digits (record offsets 46-57) and the bytes
    // around them, 16-bit fields in host order; every other byte zero. All zero unless
    // Detected().
    const DEVICE_DATA& DetectedSettings() const { return detectedSettings; }

    // Reads the settings image into `record`, 16-bit fields in host order. On failure
    // `record` is left as it was. Both end with kAPI::User_Cancel at the next block
    // boundary once the cancel byte is 1.
    void LoadSettings(DEVICE_DATA& record, bool withProgress);
    // Writes the settings image of `record` to the dive computer; a failure or a cancel
    // leaves there the blocks written so far. With `verify` the blocks are then read back
    // and compared with what was written: a difference throws kAPI::VerifyError naming
    // the first address that differs, and progress runs over both passes.
    void StoreSettings(const DEVICE_DATA& record, bool withProgress, bool verify = false);

protected:
    // One request of 1 to 32 bytes.
    void ReadBlock(std::uint32_t address, int n, std::uint8_t* destination, bool withProgress);
    void WriteBlock(std::uint32_t address, int n, const std::uint8_t* source, bool withProgress);

private:
    void CheckRange(std::uint32_t address, int length) const;
    void PutHeader(std::uint8_t command, std::uint32_t address, int n);
    // Throws code 13 unless the answer's first `count` bytes echo the request's.
    void CheckEcho(int count) const;
    // Takes the identity and counters from the detection answer in the receive buffer.
    void KeepDetected();

    bool detected = false;
    DEVICE_DATA detectedSettings{};
};

}  // namespace kAPI
