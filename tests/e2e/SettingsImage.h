// SettingsImage.h: the tests' own picture of where a DEVICE_DATA record lives in the dive
// computer's memory, drawn apart from the device layer so that a mistake on one side shows
// on the other.
#pragma once

#include "TestFrames.h"

#include "device/DEVICE_DATA.h"

#include <string>

namespace e2e {

// `record` after a load from a dive computer holding `image`: every transferred byte at its
// record offset, the 16-bit fields in host order, all other bytes as they were.
DEVICE_DATA afterLoad(DEVICE_DATA record, const Bytes& image);

// `image` after a store of `record`: every transferred byte at its address, the 16-bit
// values most significant byte first, all other bytes as they were.
Bytes afterStore(Bytes image, const DEVICE_DATA& record);

// The positions (addresses or record offsets) where `actual` differs from `expected`, with
// both bytes; empty when the two are equal.
std::string differences(const Bytes& actual, const Bytes& expected);

}  // namespace e2e
