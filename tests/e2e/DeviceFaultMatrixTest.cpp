// DeviceFaultMatrixTest.cpp: each fault of the emulator against each operation of the device
// layer (detection, load, store, verified store, one-byte read), through the real
// pseudo-terminal: the error the caller gets, and that the port stays open and the next
// operation behaves.
//
// Every row has an emulator and a port of its own, so the rows run side by side: a row
// mostly waits out the protocol's pauses and read time-outs.
#include "Emulator.h"
#include "SettingsImage.h"

#include "device/Device_Type1_Control.h"
#include "device/Errors.h"

#include <gtest/gtest.h>

#include <cxxabi.h>
#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace e2e {
namespace {

enum class Operation { Detect, Load, Store, VerifiedStore, ReadByte };

// How an operation ended: kSucceeds, or the error's class, code and text.
const std::string kSucceeds = "succeeds";
// Any error of the device layer, when the timing of the line decides which one.
const std::string kAnyDeviceError = "a device error";

std::string failure(const std::string& errorClass, int code, const std::wstring& text)
{
    return errorClass + " " + std::to_string(code) + " '" + std::string(text.begin(), text.end()) +
           "'";
}

const std::string kNotFound = failure("kAPI::Device_Not_Present", 17, L"Device Type1 Not Found");
const std::string kTimedOut = failure("kAPI::CommError", 18, L"Listen: Serial Port Timed Out");
const std::string kPartial = failure("kAPI::CommError", 18, L"Listen: Partial Read Time Out ");
const std::string kBadChecksum = failure("kAPI::CommError", 8, L"Listen: Bad Checksum ");
const std::string kWrongEcho =
    failure("kAPI::CommError", 9, L"Write: Data returned did not match sent");
const std::string kBadEcho = failure("kAPI::CommError", 13, L"Bad Command Echo");

std::string notVerifiedAt(std::uint32_t address)
{
    char at[16];
    std::snprintf(at, sizeof at, " at 0x%04X", address);
    return failure("kAPI::VerifyError", 9, L"Data did not match expected values") + at;
}

bool matches(const std::string& expected, const std::string& seen)
{
    return seen == expected || (expected == kAnyDeviceError && seen.rfind("kAPI::", 0) == 0);
}

struct Row {
    const char* name;
    std::vector<std::string> faults;
    Operation operation;
    std::string outcome;
    std::string after;  // of the operation that follows
    // The rest of a split answer comes after the operation has given up. The row waits for
    // it before the next request, whose purge throws it away; arriving later, it would be
    // read as the start of the next answer.
    bool restComesLate = false;
    // What follows: a one-byte read of the model code, or a verified store of the intended
    // settings, after which the image must hold exactly them.
    Operation then = Operation::ReadByte;
};

// Answers are counted over the emulator's life, and each row starts with its operation:
// detection sends 1 probe while it fails, up to 4; a load reads 6 blocks (32 + 10 bytes at
// 0x00, 2 at 0x2A, 28 at 0x2C, 22 at 0x4A, 17 at 0x60); a store sends a write enable before
// each of its 5 ranges: enable 1, writes 2-3, enable 4, write 5, enable 6, write 7, enable 8,
// write 9, enable 10, write 11; a verified store then reads 12-17 back in the load's blocks.
const Row kRows[] = {
    {"SilentDetect", {"--silent"}, Operation::Detect, kNotFound, kTimedOut},
    {"SilentLoad", {"--silent"}, Operation::Load, kTimedOut, kTimedOut},
    {"SilentStore", {"--silent"}, Operation::Store, kTimedOut, kTimedOut},
    {"SilentReadByte", {"--silent"}, Operation::ReadByte, kTimedOut, kTimedOut},

    {"DropDetect", {"--drop", "1"}, Operation::Detect, kSucceeds, kSucceeds},
    {"DropLoad", {"--drop", "6"}, Operation::Load, kTimedOut, kSucceeds},
    {"DropStore", {"--drop", "4"}, Operation::Store, kTimedOut, kSucceeds},
    {"DropReadByte", {"--drop", "1"}, Operation::ReadByte, kTimedOut, kSucceeds},

    {"BadChecksumDetect", {"--bad-checksum", "1"}, Operation::Detect, kSucceeds, kSucceeds},
    {"BadChecksumLoad", {"--bad-checksum", "2"}, Operation::Load, kBadChecksum, kSucceeds},
    {"BadChecksumStore", {"--bad-checksum", "2"}, Operation::Store, kBadChecksum, kSucceeds},
    {"BadChecksumReadByte", {"--bad-checksum", "1"}, Operation::ReadByte, kBadChecksum, kSucceeds},

    // Detection: the late third piece spoils the next probe's answer too; a later one succeeds.
    {"SplitDetect", {"--split", "1:3"}, Operation::Detect, kSucceeds, kSucceeds},
    {"SplitLoad", {"--split", "4:3"}, Operation::Load, kPartial, kSucceeds, true},
    {"SplitStore", {"--split", "9:3"}, Operation::Store, kPartial, kSucceeds, true},
    {"SplitReadByte", {"--split", "1:3"}, Operation::ReadByte, kPartial, kSucceeds, true},

    // A wrong length echo: a failed attempt for detection, a failed read, and for a write
    // the write's own error.
    {"WrongEchoDetect", {"--wrong-echo", "1"}, Operation::Detect, kSucceeds, kSucceeds},
    {"WrongEchoLoad", {"--wrong-echo", "3"}, Operation::Load, kBadEcho, kSucceeds},
    {"WrongEchoStore", {"--wrong-echo", "3"}, Operation::Store, kWrongEcho, kSucceeds},
    {"WrongEchoReadByte", {"--wrong-echo", "1"}, Operation::ReadByte, kBadEcho, kSucceeds},

    // Stray bytes shift the answer: its checksum fails, and the next request throws away
    // the tail that is left over.
    {"NoiseDetect", {"--noise", "1"}, Operation::Detect, kSucceeds, kSucceeds},
    {"NoiseLoad", {"--noise", "5"}, Operation::Load, kBadChecksum, kSucceeds},
    {"NoiseStore", {"--noise", "11"}, Operation::Store, kBadChecksum, kSucceeds},
    {"NoiseReadByte", {"--noise", "1"}, Operation::ReadByte, kBadChecksum, kSucceeds},

    // An answer for another address is no answer to the request: detection tries again, a
    // load fails and leaves the record as it was, and so does a store's read-back.
    {"WrongAddressDetect", {"--wrong-address", "1"}, Operation::Detect, kSucceeds, kSucceeds},
    {"WrongAddressLoad", {"--wrong-address", "3"}, Operation::Load, kBadEcho, kSucceeds},
    {"WrongAddressVerifiedStore",
     {"--wrong-address", "12"},
     Operation::VerifiedStore,
     kBadEcho,
     kSucceeds},
    {"WrongAddressReadByte", {"--wrong-address", "1"}, Operation::ReadByte, kBadEcho, kSucceeds},

    // The personal text acknowledged but not kept: only the read-back can tell. The next
    // verified store, past the fault, puts everything in place.
    {"AckOnlyVerifiedStore",
     {"--ack-only", "7"},
     Operation::VerifiedStore,
     notVerifiedAt(0x2C),
     kSucceeds,
     false,
     Operation::VerifiedStore},

    // The emulator is gone: every later request fails too.
    {"HangUpDetect", {"--hangup", "1"}, Operation::Detect, kNotFound, kAnyDeviceError},
    {"HangUpLoad", {"--hangup", "2"}, Operation::Load, kAnyDeviceError, kAnyDeviceError},
    {"HangUpStore", {"--hangup", "5"}, Operation::Store, kAnyDeviceError, kAnyDeviceError},
    {"HangUpReadByte", {"--hangup", "1"}, Operation::ReadByte, kAnyDeviceError, kAnyDeviceError},
};

constexpr std::uint32_t kModelCodeAddress = 0x24;
// Long past the last piece of a split answer; reached only when something is wrong.
constexpr int kPatienceMs = 15000;

std::string describe(const kAPI::Error& e)
{
    if (const auto* verify = dynamic_cast<const kAPI::VerifyError*>(&e))
        return notVerifiedAt(verify->address);
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status), std::free);
    return failure(status == 0 ? name.get() : typeid(e).name(), e.code, e.what());
}

bool same(const DEVICE_DATA& a, const DEVICE_DATA& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The settings of a row.
struct Settings {
    Bytes image;           // the emulator's image at the start
    DEVICE_DATA held;      // what it holds: a load must give it, a store writes it back
    DEVICE_DATA intended;  // other settings, for a verified store; same model code
};

Settings settingsOf(const Bytes& image)
{
    Settings s{image, afterLoad(DEVICE_DATA{}, image), {}};
    s.intended = s.held;
    std::memset(s.intended.personalText, 0, sizeof s.intended.personalText);
    std::memcpy(s.intended.personalText, "Back by 18:00", 13);
    s.intended.timeAlarm = 95;
    s.intended.depthAlarm = 30 * 128;
    s.intended.light ^= 0x80;
    return s;
}

std::string load(kAPI::Device_Type1_Control& control, const Settings& s)
{
    DEVICE_DATA before;
    std::memset(&before, 0xA5, sizeof before);
    DEVICE_DATA loaded = before;
    try {
        control.LoadSettings(loaded, true);
    } catch (const kAPI::Error& e) {
        return describe(e) + (same(loaded, before) ? "" : ", and the record changed");
    }
    return same(loaded, afterLoad(before, s.image)) ? kSucceeds : "loaded other settings";
}

std::string run(Operation operation, kAPI::Device_Type1_Control& control, const Settings& s)
{
    try {
        switch (operation) {
            case Operation::Detect:
                control.Open(4);
                return kSucceeds;
            case Operation::Load:
                return load(control, s);
            case Operation::Store:
                control.StoreSettings(s.held, true);
                return kSucceeds;
            case Operation::VerifiedStore:
                control.StoreSettings(s.intended, true, true);
                return kSucceeds;
            case Operation::ReadByte: {
                const std::uint8_t model = control.ReadByte(kModelCodeAddress, false);
                return model == s.held.modelCode
                           ? kSucceeds
                           : "read " + std::to_string(model) + " as the model code";
            }
        }
    } catch (const kAPI::Error& e) {
        return describe(e);
    }
    return "no such operation";
}

// What a row saw.
struct Seen {
    std::string outcome;
    bool portOpen = false;
    std::string after;
    std::string imageDifferences;  // after a verified store that follows
};

Seen runRow(const Row& row)
{
    Emulator emulator(std::string("faults-") + row.name, row.faults);
    const Settings settings = settingsOf(emulator.image());
    kAPI::CancelFlag cancel{0};
    kAPI::Device_Type1_Control control(emulator.portPath().c_str(), &cancel);

    Seen seen;
    seen.outcome = run(row.operation, control, settings);
    seen.portOpen = control.IsOpen();
    if (row.restComesLate) {
        // On this platform the port handle is the terminal's descriptor.
        pollfd p{static_cast<int>(control.PortHandle()), POLLIN, 0};
        ::poll(&p, 1, kPatienceMs);
    }
    seen.after = run(row.then, control, settings);
    if (row.then == Operation::VerifiedStore)
        seen.imageDifferences =
            differences(emulator.image(), afterStore(settings.image, settings.intended));
    return seen;
}

TEST(DeviceFaultMatrix, EachFaultAgainstEachOperation)
{
    std::vector<std::future<Seen>> rows;
    for (const Row& row : kRows)
        rows.push_back(std::async(std::launch::async, runRow, std::cref(row)));

    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(kRows[i].name);
        const Seen seen = rows[i].get();
        EXPECT_PRED2(matches, kRows[i].outcome, seen.outcome);
        EXPECT_TRUE(seen.portOpen);
        EXPECT_PRED2(matches, kRows[i].after, seen.after);
        EXPECT_EQ(seen.imageDifferences, "");
    }
}

}  // namespace
}  // namespace e2e
