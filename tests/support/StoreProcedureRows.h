#pragma once
// The store procedure's table: one list of rows, run once through tidewell-cli and once
// through the window, each front with its own expectations. Both fronts make the same edit
// (the sample rate and the units, in the fourth and fifth blocks of the plan) of what the
// dive computer, or for "another" rows a first dive computer, holds.
//
// The CLI asks no questions: its flags answer them. Another dive computer is always stored
// on, with its own identity and counters kept unless --all; that is why the row "another,
// answered No" stores through the CLI.

#include <QByteArray>

#include "device/DEVICE_DATA.h"

namespace store_rows {

enum class Target { Same, Other };

// What the dive computer's memory holds afterwards.
enum class Memory {
    Old,         // what it held before the store
    New,         // the edited settings
    NewOwnKept,  // the edited settings, with its own identity and counters
    AllButLast,  // the edited settings in every block but the last, which holds the old
};

// What the front reports.
enum class Told {
    Stored,          // success
    NothingWritten,  // the person said no: nothing was written, no failure
    BackupFailed,    // the backup could not be written, so nothing was
    NotKept,         // the read-back found the units not kept
    LineBroken,      // the dive computer stopped answering half-way
};

struct Front {
    Memory memory;
    bool backup;  // a backup of what the dive computer held exists afterwards
    Told told;
};

struct Row {
    const char* name;
    Target target;
    bool yes;           // the window's answer to "store on another dive computer?"
    bool backupFails;   // window: the backups folder is a file; CLI: --backup beneath a file
    const char* fault;  // the emulator's fault flag, or nullptr
    int faultAnswer;    // its N, counted from the first answer of the store's writing
    Front window;
    Front cli;
};

// A store writes five blocks, each a write enable and then writes of up to 32 bytes (two in
// the first block): the last block's write enable is answer 10 of the writing, its write
// answer 11.
inline constexpr int kLastWriteEnable = 10;
inline constexpr int kLastWrite = 11;

inline constexpr Row kRows[] = {
    {"same dive computer",
     Target::Same,
     true,
     false,
     nullptr,
     0,
     {Memory::New, true, Told::Stored},
     {Memory::New, true, Told::Stored}},
    {"another, answered Yes",
     Target::Other,
     true,
     false,
     nullptr,
     0,
     {Memory::NewOwnKept, true, Told::Stored},
     {Memory::NewOwnKept, true, Told::Stored}},
    {"another, answered No",
     Target::Other,
     false,
     false,
     nullptr,
     0,
     {Memory::Old, false, Told::NothingWritten},
     {Memory::NewOwnKept, true, Told::Stored}},
    {"backup failing",
     Target::Same,
     true,
     true,
     nullptr,
     0,
     {Memory::Old, false, Told::BackupFailed},
     {Memory::Old, false, Told::BackupFailed}},
    {"verify failing",
     Target::Same,
     true,
     false,
     "--ack-only",
     kLastWrite,
     {Memory::AllButLast, true, Told::NotKept},
     {Memory::AllButLast, true, Told::NotKept}},
    {"line breaking",
     Target::Same,
     true,
     false,
     "--hangup",
     kLastWriteEnable,
     {Memory::AllButLast, true, Told::LineBroken},
     {Memory::AllButLast, true, Told::LineBroken}},
};

// `image` made another dive computer: a Ludmo, serial number 7, with counters and settings
// of its own.
inline QByteArray OtherDiveComputer(QByteArray image)
{
    const char own[] = {0x01, 0x00, 0x00, 0x3C, 0x00, 0x02, 0x0C, 0x09, 0x00, 0x00, 0x00, 0x07};
    image.replace(0x1E, int(sizeof own), own, int(sizeof own));
    image[0x53] = 10;  // sample rate
    return image;
}

// The edit both fronts make: the sample rate to 60 s (30 s where it was 60 s) and the other
// units.
inline QByteArray Edited(QByteArray image)
{
    image[0x53] = char(image[0x53] == 60 ? 30 : 60);
    image[0x62] = char(image[0x62] == 0 ? 1 : 0);
    return image;
}

// What the target's memory holds when it held `target` and `edited` was stored on it.
inline QByteArray Expected(Memory memory, const QByteArray& target, const QByteArray& edited)
{
    constexpr int kOwnFrom = 0x1E, kOwnTo = 0x2A;  // counters, model, firmware, serial
    QByteArray image = target;
    if (memory == Memory::Old)
        return image;
    const int blocks = DeviceData::TransferBlockCount - (memory == Memory::AllButLast ? 1 : 0);
    for (int i = 0; i < blocks; ++i) {
        const auto& block = DeviceData::TransferPlan[i];
        image.replace(int(block.address), block.length, edited.mid(block.address, block.length));
    }
    if (memory == Memory::NewOwnKept)
        image.replace(kOwnFrom, kOwnTo - kOwnFrom, target.mid(kOwnFrom, kOwnTo - kOwnFrom));
    return image;
}

}  // namespace store_rows
