#pragma once
// The dive computer keeps its personal text in 8-bit characters. Windows-1252 stands for
// the system's 8-bit code page on every platform, so a text written on one machine
// reads the same on another.

#include <string>

#include "device/CStdStr.h"

namespace AnsiText {

// Characters the code page cannot represent become '?'.
std::string FromWide(const CStdStr& text);
// Bytes the code page leaves undefined come back as the code point of the same value.
CStdStr ToWide(const std::string& bytes);

}  // namespace AnsiText
