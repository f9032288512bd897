#pragma once
// Settings files and emulator images taken apart byte by byte, without the program's own
// reader and writer, so that the tests check the layout rather than restate it.

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace kvx {

// N for the header "Hallvex Inv." + "Tidewell": 20 code units and one zero byte.
constexpr int kHeaderSize = 41;
constexpr int kBodySize = 113;
constexpr int kFileSize = 2 + kHeaderSize + kBodySize;

// A file with the right header and this body.
QByteArray FileWithBody(const QByteArray& body);

// The file position of a record offset (16-89 or 101-139).
int PositionOf(int recordOffset);

void SetByte(QByteArray& file, int recordOffset, std::uint8_t value);
// A 16-bit field: low byte first in a settings file.
void SetWord(QByteArray& file, int recordOffset, std::uint16_t value);

QByteArray Read(const QString& path);
void Write(const QString& path, const QByteArray& bytes);

// A 16-bit value of an emulator image: high byte first, as the dive computer keeps it.
std::uint16_t ImageWord(const QByteArray& image, int address);

}  // namespace kvx
