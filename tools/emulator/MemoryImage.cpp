// MemoryImage.cpp: memory access and the image file.
#include "MemoryImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "UniqueFd.h"

namespace emulator {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

}  // namespace

MemoryImage::MemoryImage() = default;

Bytes MemoryImage::read(std::size_t address, std::size_t length) const
{
    return Bytes(bytes_.begin() + address, bytes_.begin() + address + length);
}

void MemoryImage::write(std::size_t address, const Bytes& data)
{
    std::copy(data.begin(), data.end(), bytes_.begin() + address);
}

std::optional<MemoryImage> MemoryImage::load(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT)
            return std::nullopt;
        fail("cannot open", path);
    }
    MemoryImage image;
    std::size_t got = 0;
    std::uint8_t extra = 0;
    for (;;) {
        // One byte of room beyond the image tells a file that is too long.
        const bool full = got == kMemorySize;
        std::uint8_t* into = full ? &extra : image.bytes_.data() + got;
        const ssize_t n = ::read(fd.get(), into, full ? 1 : kMemorySize - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("cannot read", path);
        }
        if (n == 0)
            break;
        if (full)
            throw std::runtime_error(path + " is longer than 8192 bytes");
        got += static_cast<std::size_t>(n);
    }
    if (got != kMemorySize)
        throw std::runtime_error(path + " is shorter than 8192 bytes");
    return image;
}

void MemoryImage::save(const std::string& path) const
{
    std::string temp = path + ".XXXXXX";
    UniqueFd fd(::mkstemp(temp.data()));
    if (!fd.valid())
        fail("cannot create a file beside", path);
    try {
        std::size_t done = 0;
        while (done < kMemorySize) {
            const ssize_t n = ::write(fd.get(), bytes_.data() + done, kMemorySize - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                fail("cannot write", temp);
            }
            done += static_cast<std::size_t>(n);
        }
        // No fsync: the rename already keeps readers from a half-written image, and an
        // emulator's memory need not survive a power cut.
        if (::fchmod(fd.get(), 0644) != 0)
            fail("cannot set the mode of", temp);
        fd.reset();
        if (::rename(temp.c_str(), path.c_str()) != 0)
            fail("cannot replace", path);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
}

}  // namespace emulator
