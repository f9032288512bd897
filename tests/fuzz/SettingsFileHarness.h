#pragma once
// One input through the settings-file reader, as the fuzzer and the replay test feed it.

#include "persistence/SettingsFile.h"

#include <cstddef>
#include <cstdint>

// Reads the bytes as a settings file into a record and checks what the reader promises:
// the record changes only when the file opened, and then exactly in the body's ranges, to
// the bytes after the header. Returns false when a promise is broken. The outcome is
// stored through outcome when given.
bool ReplaySettingsFile(const std::uint8_t* data, std::size_t size, OpenOutcome* outcome = nullptr);
