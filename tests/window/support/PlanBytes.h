#pragma once
// The bytes a store writes, in the order of the transfer plan, as the dive computer keeps
// them (16-bit values most significant byte first): from a memory image, from a record, or
// from a settings file. Two sides that store the same settings give the same plan bytes.

#include <array>
#include <cstdint>

#include <QByteArray>
#include <QString>

#include "FakeDiveComputer.h"
#include "device/DEVICE_DATA.h"

class VersionInformation;

QByteArray PlanBytes(const QByteArray& image);
QByteArray PlanBytes(const std::array<std::uint8_t, fake::FakeDiveComputer::MemorySize>& memory);
QByteArray PlanBytes(DEVICE_DATA record);
// Empty when the file does not open.
QByteArray PlanBytesOfFile(const QString& path, const VersionInformation& info);
