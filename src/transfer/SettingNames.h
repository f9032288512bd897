#pragma once
// The settings a diver knows by name, and where the dive computer holds them: for messages
// that say which setting a dive computer did not keep.

#include <cstdint>

#include <QString>

namespace SettingNames {

// The name of the setting at dive computer `address`, as the window labels it, or an empty
// string for memory that holds no setting a diver edits.
QString At(std::uint32_t address);

}  // namespace SettingNames
