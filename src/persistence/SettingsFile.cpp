#include "persistence/SettingsFile.h"

#include "persistence/FileTarget.h"
#include "platform/VersionInformation.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace {

struct ByteRange {
    std::size_t offset;
    std::size_t size;
};

// The record's bytes in the body, in file order: memoryA, then memoryB in two parts.
constexpr ByteRange BodyRanges[] = {{16, 74}, {101, 22}, {123, 17}};

void RequireValid(const VersionInformation& info)
{
    if (!info.Valid())
        throw std::logic_error("Info Not Available");
}

[[noreturn]] void Incompatible()
{
    throw std::invalid_argument("Incompatible File Type");
}

bool ReadExactly(QIODevice& stream, std::uint8_t* into, std::size_t size)
{
    const qint64 wanted = static_cast<qint64>(size);
    return stream.read(reinterpret_cast<char*>(into), wanted) == wanted;
}

std::u16string Utf16(const CStdStr& text)
{
    return QString::fromStdWString(text).toStdU16String();
}

}  // namespace

CStdStr HeaderText(const VersionInformation& info)
{
    return info.Value(L"CompanyName") + info.Value(L"ProductName");
}

void WriteFileHeader(QIODevice& stream, const VersionInformation& info)
{
    RequireValid(info);
    const std::u16string text = Utf16(HeaderText(info));
    // The zero byte is the low half of a terminating zero code unit; its high half is
    // not stored, so N is always odd.
    const std::size_t n = 2 * text.size() + 1;
    QByteArray header;
    header.append(static_cast<char>(n & 0xFF)).append(static_cast<char>(n >> 8));
    for (const char16_t unit : text) {
        header.append(static_cast<char>(unit & 0xFF)).append(static_cast<char>(unit >> 8));
    }
    header.append('\0');
    stream.write(header);
}

void CheckFileHeader(QIODevice& stream, const VersionInformation& info)
{
    RequireValid(info);
    const std::u16string expected = Utf16(HeaderText(info));

    std::uint8_t size[2];
    if (!ReadExactly(stream, size, sizeof size))
        Incompatible();
    const std::size_t n = size[0] | size[1] << 8;
    std::array<std::uint8_t, SettingsFile::HeaderBufferSize> buffer;
    if (n > buffer.size() || !ReadExactly(stream, buffer.data(), n))
        Incompatible();

    // An odd last byte belongs to no code unit.
    std::u16string text;
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        const char16_t unit = static_cast<char16_t>(buffer[i] | buffer[i + 1] << 8);
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    if (text != expected)
        Incompatible();
}

void WriteSettingsBody(QIODevice& stream, const DEVICE_DATA& record)
{
    const std::uint8_t* bytes = DeviceData::Bytes(record);
    for (const ByteRange& range : BodyRanges) {
        stream.write(reinterpret_cast<const char*>(bytes + range.offset),
                     static_cast<qint64>(range.size));
    }
}

bool ReadSettingsBody(QIODevice& stream, DEVICE_DATA& record)
{
    std::array<std::uint8_t, SettingsFile::BodySize> body;
    if (!ReadExactly(stream, body.data(), body.size()))
        return false;
    std::uint8_t* bytes = DeviceData::Bytes(record);
    const std::uint8_t* from = body.data();
    for (const ByteRange& range : BodyRanges) {
        std::copy(from, from + range.size, bytes + range.offset);
        from += range.size;
    }
    return true;
}

CStdStr StatusText(SaveOutcome outcome)
{
    return outcome == SaveOutcome::Saved ? L"Ready" : L"Save Failed";
}

CStdStr StatusText(OpenOutcome outcome)
{
    switch (outcome) {
        case OpenOutcome::Opened:
            return L"Ready";
        case OpenOutcome::FileNotOpen:
            return L"File not Open";
        case OpenOutcome::IncompatibleFileType:
            return L"Incompatible File Type";
        case OpenOutcome::ReadFailure:
            break;
    }
    return L"Read Failure";
}

SaveOutcome SaveSettingsFile(const QString& path, const VersionInformation& info,
                             const DEVICE_DATA& record, QString* why)
{
    const auto failed = [why](const QString& reason) {
        if (why != nullptr)
            *why = reason;
        return SaveOutcome::SaveFailed;
    };
    // The rename at the end would put a regular file in place of whatever path names.
    const QString refused = FileTarget::WhyNotWritable(path);
    if (!refused.isEmpty())
        return failed(refused);
    // Left uncommitted (a throw included), QSaveFile removes its temporary file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    WriteFileHeader(file, info);
    WriteSettingsBody(file, record);
    // The bytes wait in the file's buffer; commit() would rename a temporary file that a
    // full disk cut short while that buffer was written out, so write it out here. Qt
    // calls that failure "Unknown error"; the system's reason is still in errno.
    errno = 0;
    if (!file.flush())
        return failed(errno != 0 ? FileTarget::SystemReason(errno) : file.errorString());
    if (!file.commit())
        return failed(file.errorString());
    return SaveOutcome::Saved;
}

OpenOutcome ReadSettingsFile(QIODevice& stream, const VersionInformation& info, DEVICE_DATA& record)
{
    try {
        CheckFileHeader(stream, info);
    } catch (const std::invalid_argument&) {
        return OpenOutcome::IncompatibleFileType;
    } catch (const std::logic_error&) {
        return OpenOutcome::ReadFailure;
    }
    return ReadSettingsBody(stream, record) ? OpenOutcome::Opened : OpenOutcome::ReadFailure;
}

OpenOutcome OpenSettingsFile(const QString& path, const VersionInformation& info,
                             DEVICE_DATA& record, QString* why)
{
    QFile file;
    QString reason;
    if (!FileTarget::OpenForReading(path, file, reason)) {
        if (why != nullptr)
            *why = reason;
        return OpenOutcome::FileNotOpen;
    }
    const OpenOutcome outcome = ReadSettingsFile(file, info, record);
    // A read that failed is no sign of a foreign file, whatever part of it was missing.
    if (outcome != OpenOutcome::Opened && file.error() != QFileDevice::NoError) {
        if (why != nullptr)
            *why = file.errorString();
        return OpenOutcome::ReadFailure;
    }
    return outcome;
}
