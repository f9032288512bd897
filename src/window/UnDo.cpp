#include "window/UnDo.h"

#include <cstring>
#include <stdexcept>

namespace {
std::unique_ptr<std::uint8_t[]> CopyOf(const std::uint8_t* bytes, std::uint16_t size)
{
    if (size == 0)
        return nullptr;
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size]);
    std::memcpy(copy.get(), bytes, size);
    return copy;
}
}  // namespace

sUnDo::sUnDo(std::uint16_t offset, std::uint16_t size, const std::uint8_t* source)
    : Size(size), Offset(offset)
{
    if (source == nullptr)
        throw std::invalid_argument("Undo: Bad Data Pointer");
    Data = CopyOf(source, size);
}

sUnDo::sUnDo(const sUnDo& other)
    : Size(other.Size), Offset(other.Offset), Data(CopyOf(other.Data.get(), other.Size))
{
}

sUnDo& sUnDo::operator=(const sUnDo& other)
{
    if (this != &other) {
        Data = CopyOf(other.Data.get(), other.Size);
        Size = other.Size;
        Offset = other.Offset;
    }
    return *this;
}

void CUnDo::Push(const sUnDo& entry)
{
    stack.push_back(std::make_unique<sUnDo>(entry));
}

const sUnDo& CUnDo::Pop()
{
    if (stack.empty())
        throw std::runtime_error("Stack Empty");
    Current = *stack.back();
    stack.pop_back();
    return Current;
}
