// TestFrames.h: the tests' own picture of Type1 frames and of the emulator's built-in image,
// written apart from the emulator so that a mistake on one side shows on the other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

using Bytes = std::vector<std::uint8_t>;

// `frame` followed by the XOR of its bytes.
Bytes sealed(Bytes frame);

Bytes readRequest(std::uint16_t address, std::uint8_t length);
Bytes writeRequest(std::uint16_t address, const Bytes& data);
Bytes enableRequest();

Bytes readAnswer(std::uint16_t address, const Bytes& data);
Bytes writeAnswer(std::uint16_t address, std::uint8_t length);
Bytes enableAnswer();

// What the built-in image holds where no setting lives: low address byte XOR high byte.
std::uint8_t fill(std::uint16_t address);
Bytes fillFrom(std::uint16_t address, std::size_t length);

Bytes operator+(Bytes a, const Bytes& b);
std::string hex(const Bytes& bytes);

}  // namespace e2e
