#pragma once
// The settings file, byte for byte:
//
//   N                 2 bytes, low byte first: the size of the header text field
//   header text       N bytes: HeaderText in UTF-16LE code units and one zero byte
//   body            113 bytes: the record's offsets 16-89, 101-122 and 123-139
//
// The body holds the record as it is, so its 16-bit fields are low byte first.

#include "device/CStdStr.h"
#include "device/DEVICE_DATA.h"

#include <QString>

#include <cstddef>

class QIODevice;
class VersionInformation;

namespace SettingsFile {
constexpr std::size_t BodySize = 113;
// The most header bytes a reader takes; a larger N is refused.
constexpr std::size_t HeaderBufferSize = 1000;
}  // namespace SettingsFile

// The text that names the application in the header: "CompanyName" then "ProductName".
CStdStr HeaderText(const VersionInformation& info);

// Writes N and the header text field. Throws std::logic_error "Info Not Available" when the
// version information is not valid.
void WriteFileHeader(QIODevice& stream, const VersionInformation& info);

// Reads N and the header text field and compares the text, up to its first zero code unit,
// with HeaderText. Throws std::logic_error "Info Not Available", before reading anything,
// when the version information is not valid, and std::invalid_argument "Incompatible File
// Type" when the text differs, when the stream ends inside the header, or when N is larger
// than the header buffer. Leaves the stream after all N bytes.
void CheckFileHeader(QIODevice& stream, const VersionInformation& info);

void WriteSettingsBody(QIODevice& stream, const DEVICE_DATA& record);

// Reads the body into the record only when all of it is there; returns false, and leaves
// the record as it was, when the stream holds less.
bool ReadSettingsBody(QIODevice& stream, DEVICE_DATA& record);

// What became of a save or an open. StatusText gives the status-pane text of each.
enum class SaveOutcome { Saved, SaveFailed };
enum class OpenOutcome { Opened, FileNotOpen, IncompatibleFileType, ReadFailure };
CStdStr StatusText(SaveOutcome outcome);
CStdStr StatusText(OpenOutcome outcome);

// Writes the whole file into a temporary file beside path, which replaces path only once it
// is complete: a save that fails in any way leaves an existing file as it was. SaveFailed,
// with the reason in `why` when given, when path names something other than a regular file
// (FileTarget) or the file cannot be created or written. Throws std::logic_error "Info Not
// Available" when the version information is not valid.
SaveOutcome SaveSettingsFile(const QString& path, const VersionInformation& info,
                             const DEVICE_DATA& record, QString* why = nullptr);

// Reads a whole file from the stream into the record, which changes only when the outcome
// is Opened: a foreign or truncated header is IncompatibleFileType; invalid version
// information or a body shorter than 113 bytes is ReadFailure. Bytes after the body are
// ignored.
OpenOutcome ReadSettingsFile(QIODevice& stream, const VersionInformation& info,
                             DEVICE_DATA& record);

// ReadSettingsFile on the regular file at path. FileNotOpen when it cannot be opened or is
// no regular file (FileTarget), ReadFailure also when reading it fails; in these cases
// `why`, when given, receives the reason. It stays empty for a file that is only foreign or
// too short.
OpenOutcome OpenSettingsFile(const QString& path, const VersionInformation& info,
                             DEVICE_DATA& record, QString* why = nullptr);
