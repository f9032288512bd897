#pragma once
// What a store is, for the window and tidewell-cli alike. It runs in three steps, so that
// the window can ask its questions on its own thread between two exchanges of its worker:
//   1. ReadHeld (on the controller's thread): what the dive computer holds now;
//   2. Decide: whether to go on, what is written, and the backup, asking the Questions;
//   3. Write (on the controller's thread): the settings, read back when verified.
// Classify says what a failure of steps 1 and 3 means.

#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

#include <QString>

#include "device/DEVICE_DATA.h"

namespace kAPI {
class Device_Type1_Control;
}

namespace StoreProcedure {

// A setting that makes a dive computer itself or counts its dives, changed by a store.
struct OwnChange {
    QString setting;
    QString before;  // as the dive computer holds it, shown as the window shows it
    QString after;
};

// The person's say in a store. The window asks; tidewell-cli answers from its flags.
class Questions {
public:
    enum class Answer { Write, Keep, Cancel };

    virtual ~Questions() = default;
    // The settings came from `origin`, but `connected` is another dive computer: go on?
    virtual bool StoreOnOther(const DEVICE_DATA& origin, const DEVICE_DATA& connected) = 0;
    // The store would change these on the dive computer the settings came from: Write
    // them, Keep the dive computer's own and write the rest, or Cancel the store.
    virtual Answer ChangeOwn(const std::vector<OwnChange>& changes) = 0;
    // Keeps `held` as the way back and returns where, or "" when no backup is wanted.
    // Throws std::runtime_error with the reason when it cannot be kept: nothing is written.
    virtual QString KeepBackup(const DEVICE_DATA& held) = 0;
};

struct Options {
    // Onto another dive computer, keep its serial number, model, firmware and counters.
    bool keepOwn = true;
};

// What the dive computer holds now. Its identity and counters are always read from it;
// the rest of `cached` (what this connection last read or wrote) counts only while they
// match, otherwise the whole settings are read. Throws the kAPI errors of the reads.
DEVICE_DATA ReadHeld(kAPI::Device_Type1_Control& device, const std::optional<DEVICE_DATA>& cached);

struct Plan {
    DEVICE_DATA written;  // what goes to the dive computer
    DEVICE_DATA held;     // what it held before
    QString backup;       // where that was kept, or ""
    bool other = false;   // the settings came from another dive computer
};

// `settings` as edited, `origin` as they were loaded or opened (names the dive computer
// they came from), `held` from ReadHeld. Empty when the person called the store off.
std::optional<Plan> Decide(const DEVICE_DATA& settings, const DEVICE_DATA& origin,
                           const DEVICE_DATA& held, const Options& options, Questions& questions);

// The changes of own settings between what the dive computer holds and `written`.
std::vector<OwnChange> OwnChanges(const DEVICE_DATA& held, const DEVICE_DATA& written);

// Writes the plan; with `verify` reads it back. Throws the kAPI errors of the transfer.
void Write(kAPI::Device_Type1_Control& device, const Plan& plan, bool verify);

struct Failure {
    enum class Kind {
        Canceled,    // the person stopped it at a block boundary
        NotKept,     // the read-back differs: `address`, `setting`
        LineBroken,  // the dive computer stopped answering, or the line failed: `detail`
    };
    Kind kind = Kind::LineBroken;
    std::uint32_t address = 0;
    QString setting;  // "" for memory that holds no named setting
    QString detail;   // the device layer's own text
};
Failure Classify(std::exception_ptr failure);

}  // namespace StoreProcedure
