#include "device/AnsiText.h"

#include <cerrno>

#include <iconv.h>

namespace AnsiText {

namespace {

constexpr const char* kCodePage = "WINDOWS-1252";

// One conversion descriptor for one call; iconv_t is not safe to share between threads.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok())
            ::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Converts one unit; false when it has no counterpart.
    bool One(const char* in, std::size_t inSize, char* out, std::size_t outSize,
             std::size_t& produced)
    {
        char* inPtr = const_cast<char*>(in);
        char* outPtr = out;
        std::size_t outLeft = outSize;
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (::iconv(cd_, &inPtr, &inSize, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return false;
        produced = outSize - outLeft;
        return true;
    }

private:
    iconv_t cd_;
};

}  // namespace

std::string FromWide(const CStdStr& text)
{
    Converter conv(kCodePage, "WCHAR_T");
    std::string out;
    for (wchar_t c : text) {
        char byte = '?';
        std::size_t produced = 0;
        char buffer[4];
        if (conv.ok() &&
            conv.One(reinterpret_cast<const char*>(&c), sizeof c, buffer, sizeof buffer,
                     produced) &&
            produced == 1)
            byte = buffer[0];
        out += byte;
    }
    return out;
}

CStdStr ToWide(const std::string& bytes)
{
    Converter conv("WCHAR_T", kCodePage);
    CStdStr out;
    for (char b : bytes) {
        wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(b));
        std::size_t produced = 0;
        wchar_t buffer[2];
        if (conv.ok() &&
            conv.One(&b, 1, reinterpret_cast<char*>(buffer), sizeof buffer, produced) &&
            produced == sizeof(wchar_t))
            c = buffer[0];
        out += c;
    }
    return out;
}

}  // namespace AnsiText
