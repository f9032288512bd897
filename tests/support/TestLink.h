#pragma once
// The framed link on a fake serial port, with its frame buffers open to the test.

#include <cstring>

#include "FakeSerial.h"
#include "device/CommModel1.h"

struct TestLink : kAPI::CommModel1 {
    explicit TestLink(fake::FakeSerial& port, const wchar_t* path = L"/dev/ttyFAKE")
        : kAPI::CommModel1(path, port)
    {
    }
    void SetRequest(const fake::Bytes& bytes)
    {
        std::memcpy(sendBuffer.get(), bytes.data(), bytes.size());
    }
    fake::Bytes Answer(std::size_t length) const
    {
        return fake::Bytes(receiveBuffer.get(), receiveBuffer.get() + length);
    }
    bool Transmitting() const { return transmitting; }
};
