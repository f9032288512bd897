#pragma once
// One input through the device layer's answer path, as the fuzzer and the replay test feed
// it. The input picks a few operations of a Type1 controller on a fake serial port
// (detection, reads, a load, a store with or without verify, a raw exchange) and, request
// by request, what the port gives back: echoed answers, answers for another request, short,
// long, silent or late ones, answers in pieces and stray bytes.

#include <cstddef>
#include <cstdint>
#include <set>
#include <utility>

enum class DeviceOperation { Open, Read, ReadByte, Load, Store, VerifiedStore, Raw };

// How the operations of the inputs ended: each with 0 when it succeeded, otherwise the code
// of the kAPI::Error it threw.
using DeviceOutcomes = std::set<std::pair<DeviceOperation, int>>;

// Runs the input and checks what the device layer promises. Only kAPI::Error is thrown;
// an operation sends no more requests than it needs and ends within their time on the
// virtual clock; what succeeds took its data only from answers that echoed their requests
// (a read, a load, the record detection keeps), and a verified store read back what it
// wrote; a failed load leaves its record as it was. Returns false when a promise is
// broken. The outcomes are added to `outcomes` when given.
bool ReplayDeviceAnswers(const std::uint8_t* data, std::size_t size,
                         DeviceOutcomes* outcomes = nullptr);
