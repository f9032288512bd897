#include "device/Errors.h"

namespace kAPI {

const wchar_t* const ErrorMessages[ErrorMessageCount + 1] = {
    L"",
    L"Unknown or System Error",
    L"Critical Error",
    L"Runtime Error",
    L"Can't Get Memory",
    L"Buffer Overrun",
    L"Bad Write Parameter",
    L"Bad Read Parameter",
    L"Checksum Error",
    L"Data did not match expected values",
    L"Can't Set Model",
    L"Expected Metric, Imperial or Scientific",
    L"Can't Open Comm Port",
    L"Bad Command Echo",
    L"Error on Write",
    L"Error on Read",
    L"Invalid Sample Rate",
    L"The Interface Was Not Detected",
    L"Device Timed Out",
    L"Stack Underflow",
    L"Stack Overflow",
    L"Comm Port Not Open",
    L"No Comm Port Specified",
    L"Address Out of Range",
    L"Bad Instruction",
    L"Canceled",
};

namespace {
// Codes outside the table are a programming fault; they still get a text rather than
// a pointer past the table.
const wchar_t* TableText(int code)
{
    if (code < 1 || code > ErrorMessageCount)
        return ErrorMessages[ErrUnknownOrSystem];
    return ErrorMessages[code];
}
}  // namespace

Error::Error(ErrorFromCode c) : runtime_error(TableText(c.code)), code(c.code)
{
}

UnknownError::UnknownError(const wchar_t* text) : Error(L"", ErrUnknownOrSystem)
{
    CopyText(text, KeptOnConstruction);
}

UnknownError::UnknownError(const UnknownError& other) : Error(other)
{
    CopyText(other.buffer, BufferSize - 1);
}

UnknownError& UnknownError::operator=(const UnknownError& other)
{
    if (this != &other) {
        Error::operator=(other);
        CopyText(other.buffer, BufferSize - 1);
    }
    return *this;
}

void UnknownError::CopyText(const wchar_t* text, std::size_t limit)
{
    length = 0;
    while (text && length < limit && text[length] != L'\0') {
        buffer[length] = text[length];
        ++length;
    }
    buffer[length] = L'\0';
    message = buffer;
}

User_Cancel MakeUserCancel()
{
    return User_Cancel(ErrorMessages[ErrCanceled], ErrUserCancel);
}

}  // namespace kAPI
