#pragma once
// Where a settings file may be written and read. A settings file is only ever a regular
// file: a device, a FIFO, a socket or a folder of the chosen name is never replaced, and
// never read either, since opening a device can set it to work and a FIFO without a writer
// would keep the reader waiting for good. A symbolic link counts as what it names, so a
// save through it keeps the link and replaces the file it names.

#include <QString>

class QFile;

namespace FileTarget {

// Why no settings file may be written at `path`: the operating system's reason when the
// path cannot be looked at, or what it names when that is not a regular file. Empty when
// `path` names a regular file or nothing yet.
QString WhyNotWritable(const QString& path);

// The operating system's text for an error number, such as "No space left on device".
QString SystemReason(int error);

// Opens the regular file at `path` into `file` for reading, without ever waiting. On
// failure returns false and sets `why` to the reason.
bool OpenForReading(const QString& path, QFile& file, QString& why);

}  // namespace FileTarget
