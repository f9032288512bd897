#pragma once
// Settings files as the window reads and writes them, with failures as exit codes.

#include "device/DEVICE_DATA.h"

#include <QString>

// The record in a settings file. Throws a Failure: ExitFileIo when the file cannot be read
// or is no regular file, ExitBadFile when it is foreign or cut short.
DEVICE_DATA ReadSettingsFrom(const QString& path);

// Throws a Failure with ExitFileIo when `path` names something that WriteSettingsTo would
// refuse to replace (a device, a FIFO, a folder), so that a command can refuse it before
// it spends any time with a dive computer.
void RefuseUnwritable(const QString& path);

// Writes the record as the window's Save does; an existing file is replaced only by a
// whole new one, and only when it is a regular file. Throws a Failure with ExitFileIo.
void WriteSettingsTo(const QString& path, const DEVICE_DATA& record);
