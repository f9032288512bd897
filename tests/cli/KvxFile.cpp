#include "KvxFile.h"

#include <QFile>

#include <stdexcept>

namespace kvx {

QByteArray FileWithBody(const QByteArray& body)
{
    QByteArray file;
    file.append(char(kHeaderSize)).append('\0');
    for (const char c : QByteArrayLiteral("Hallvex Inv.Tidewell"))
        file.append(c).append('\0');
    file.append('\0');  // the low half of a terminating zero; its high half is not stored
    return file + body;
}

int PositionOf(int recordOffset)
{
    const int bodyIndex = recordOffset < 101 ? recordOffset - 16 : recordOffset - 101 + 74;
    return 2 + kHeaderSize + bodyIndex;
}

void SetByte(QByteArray& file, int recordOffset, std::uint8_t value)
{
    file[PositionOf(recordOffset)] = static_cast<char>(value);
}

void SetWord(QByteArray& file, int recordOffset, std::uint16_t value)
{
    SetByte(file, recordOffset, static_cast<std::uint8_t>(value & 0xFF));
    SetByte(file, recordOffset + 1, static_cast<std::uint8_t>(value >> 8));
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

std::uint16_t ImageWord(const QByteArray& image, int address)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(image[address]) << 8 |
                                      static_cast<std::uint8_t>(image[address + 1]));
}

}  // namespace kvx
