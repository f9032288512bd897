#pragma once
// Settings files as the window reads and writes them, with failures as exit codes.

#include "device/DEVICE_DATA.h"

#include <QString>

// The record in a settings file. Throws a Failure: ExitFileIo when the file cannot be read,
// ExitBadFile when it is foreign or cut short.
DEVICE_DATA ReadSettingsFrom(const QString& path);

// Writes the record as the window's Save does; an existing file is replaced only by a
// whole new one. Throws a Failure with ExitFileIo.
void WriteSettingsTo(const QString& path, const DEVICE_DATA& record);
