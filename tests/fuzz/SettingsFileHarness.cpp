#include "SettingsFileHarness.h"

#include "platform/VersionInformation.h"

#include <QBuffer>
#include <QByteArray>

#include <cstring>

namespace {

// The program carries the version block (tidewell_embed_version), so headers can match.
struct ProgramVersion {
    ProgramVersion()
    {
        info.SetFileName(L"/proc/self/exe");
        info.Read();
    }
    VersionInformation info;
};

const VersionInformation& Info()
{
    static const ProgramVersion program;
    return program.info;
}

bool InBody(std::size_t offset)
{
    return (offset >= 16 && offset < 90) || (offset >= 101 && offset < 140);
}

}  // namespace

bool ReplaySettingsFile(const std::uint8_t* data, std::size_t size, OpenOutcome* outcome)
{
    if (!Info().Valid())
        return false;

    // Raw data, not a copy: a read past the input's end is a read past the fuzzer's buffer.
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    DEVICE_DATA record;
    std::memset(&record, 0xA5, sizeof record);
    const DEVICE_DATA before = record;
    const OpenOutcome result = ReadSettingsFile(stream, Info(), record);
    if (outcome != nullptr)
        *outcome = result;

    if (result != OpenOutcome::Opened)
        return std::memcmp(&record, &before, sizeof record) == 0;
    const std::size_t n = size < 2 ? 0 : data[0] | data[1] << 8;
    if (size < 2 + n + SettingsFile::BodySize)
        return false;
    const std::uint8_t* body = data + 2 + n;
    const std::uint8_t* bytesNow = DeviceData::Bytes(record);
    for (std::size_t offset = 0; offset < sizeof record; ++offset) {
        const std::uint8_t expected = InBody(offset) ? *body++ : 0xA5;
        if (bytesNow[offset] != expected)
            return false;
    }
    return true;
}
