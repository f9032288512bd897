#pragma once
// The steps of the user's work that are true now. Every step is reported to the main
// window as one 32-bit event code: a code with the top bit clear sets its bits, one
// with the top bit set clears the bits of its low 31 bits, and 0 clears everything.

#include <cstdint>

enum UiEvent : std::uint32_t {
    UiReset = 0,
    UiConnected = 1,
    UiNotConnected = 0x80000001u,
    UiLoaded = 2,
    UiLoadFailed = 0x80000002u,
    UiStored = 4,
    UiStoreFailed = 0x80000004u,
    UiFileOpened = 8,
    UiFileOpenFailed = 0x80000008u,
    UiFileSaved = 16,
    UiClean = 32,
    UiChanged = 0x80000020u,
    UiUndoChanged = 64,
    UiExit = 0x20000000u,
};

struct State {
    static constexpr std::uint32_t ClearBit = 0x80000000u;
    // The bits of `bits`.
    static constexpr std::uint32_t Connected = 1;
    static constexpr std::uint32_t Loaded = 2;
    static constexpr std::uint32_t Stored = 4;
    static constexpr std::uint32_t Opened = 8;
    static constexpr std::uint32_t Saved = 16;
    static constexpr std::uint32_t Clean = 32;
    static constexpr std::uint32_t UndoTouched = 64;

    std::uint32_t bits = 0;
    std::uint32_t last = 0;

    void Apply(std::uint32_t code)
    {
        if (code == 0) {
            bits = 0;
            last = 0;
            return;
        }
        if (code & ClearBit)
            bits &= ~(code & ~ClearBit);
        else
            bits |= code;
        last = code;
    }

    // For a setting code: any of its bits set; for a clearing code: none of them set.
    bool Test(std::uint32_t code) const
    {
        if (code & ClearBit)
            return (bits & (code & ~ClearBit)) == 0;
        return (bits & code) != 0;
    }
};
