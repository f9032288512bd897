#include "PlanBytes.h"

#include "persistence/SettingsFile.h"

QByteArray PlanBytes(const QByteArray& image)
{
    QByteArray bytes;
    for (const auto& block : DeviceData::TransferPlan)
        bytes += image.mid(block.address, block.length);
    return bytes;
}

QByteArray PlanBytes(const std::array<std::uint8_t, fake::FakeDiveComputer::MemorySize>& memory)
{
    return PlanBytes(
        QByteArray(reinterpret_cast<const char*>(memory.data()), static_cast<int>(memory.size())));
}

QByteArray PlanBytes(DEVICE_DATA record)
{
    DeviceData::SwapWords(record);
    QByteArray bytes;
    for (const auto& block : DeviceData::TransferPlan)
        bytes += QByteArray(
            reinterpret_cast<const char*>(DeviceData::Bytes(record)) + block.recordOffset,
            block.length);
    return bytes;
}

QByteArray PlanBytesOfFile(const QString& path, const VersionInformation& info)
{
    DEVICE_DATA record{};
    if (OpenSettingsFile(path, info, record) != OpenOutcome::Opened)
        return QByteArray();
    return PlanBytes(record);
}
