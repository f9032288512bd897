#pragma once
// The undo stack of the settings editors. An entry knows nothing of fields: it is a run
// of raw bytes saved from an offset of the settings record just before an edit.

#include <cstdint>
#include <memory>
#include <vector>

class sUnDo {
public:
    sUnDo() = default;
    // Copies `size` bytes from `source`; a null source is refused with
    // std::invalid_argument "Undo: Bad Data Pointer".
    sUnDo(std::uint16_t offset, std::uint16_t size, const std::uint8_t* source);
    sUnDo(const sUnDo& other);
    sUnDo& operator=(const sUnDo& other);
    ~sUnDo() = default;

    std::uint16_t Size = 0;
    std::uint16_t Offset = 0;
    std::unique_ptr<std::uint8_t[]> Data;  // null when Size is 0
};

class CUnDo {
public:
    CUnDo() = default;
    CUnDo(const CUnDo&) = delete;
    CUnDo& operator=(const CUnDo&) = delete;
    ~CUnDo() { Clear(); }

    void Push(const sUnDo& entry);
    // The newest entry, removed from the stack; valid until the next Pop. An empty
    // stack raises std::runtime_error "Stack Empty".
    const sUnDo& Pop();
    bool IsEmpty() const { return stack.empty(); }
    void Clear() { stack.clear(); }

private:
    std::vector<std::unique_ptr<sUnDo>> stack;
    sUnDo Current;
};
