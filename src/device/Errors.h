#pragma once
// The error family of the device layer. Every failure of the serial channel, the framed
// exchange and the dive computer controller is thrown as one of these, by value; each
// carries a fixed wide text ready to show to the diver and a numeric code.

#include <cstddef>
#include <cstdint>

namespace w_std {

class exception {
public:
    explicit exception(const wchar_t* text) : message(text) {}
    virtual ~exception() = default;
    virtual const wchar_t* what() const { return message; }

protected:
    exception(const exception&) = default;
    exception& operator=(const exception&) = default;

    const wchar_t* message;  // not owned
};

class runtime_error : public exception {
public:
    using exception::exception;
};

}  // namespace w_std

namespace kAPI {

enum ErrorCode : int {
    ErrUnknownOrSystem = 1,
    ErrCritical = 2,
    ErrRuntime = 3,
    ErrNoMemory = 4,
    ErrBufferOverrun = 5,
    ErrBadWriteParameter = 6,
    ErrBadReadParameter = 7,
    ErrChecksum = 8,
    ErrDataMismatch = 9,
    ErrCantSetModel = 10,
    ErrExpectedUnits = 11,
    ErrCantOpenPort = 12,
    ErrBadCommandEcho = 13,
    ErrWrite = 14,
    ErrRead = 15,
    ErrInvalidSampleRate = 16,
    ErrInterfaceNotDetected = 17,
    ErrTimedOut = 18,
    ErrStackUnderflow = 19,
    ErrStackOverflow = 20,
    ErrPortNotOpen = 21,
    ErrNoPortSpecified = 22,
    ErrAddressOutOfRange = 23,
    ErrBadInstruction = 24,
    ErrCanceled = 25,
    ErrUserCancel = 9999,
};

constexpr int ErrorMessageCount = 25;

// Row `code` (1 to 25) of the table of standard texts.
extern const wchar_t* const ErrorMessages[ErrorMessageCount + 1];

// Asks an error's constructor for the table text of `code` (1 to 25).
struct ErrorFromCode {
    explicit ErrorFromCode(int c) : code(c) {}
    int code;
};

class Error : public w_std::runtime_error {
public:
    Error(const wchar_t* text, int errorCode) : runtime_error(text), code(errorCode) {}
    explicit Error(ErrorFromCode c);
    Error(const Error&) = default;
    Error& operator=(const Error&) = default;

    int code;
    // The system's error number behind a port that would not open (for a hint on what to do
    // about it); 0 for every other failure.
    int systemError = 0;
};

class CriticalError : public Error {
public:
    using Error::Error;
};

class CommError : public Error {
public:
    using Error::Error;
};

// A store whose read-back differs from what was written: code 9 with its table text.
class VerifyError : public CommError {
public:
    explicit VerifyError(std::uint32_t firstDifference)
        : CommError(ErrorFromCode(ErrDataMismatch)), address(firstDifference)
    {
    }

    std::uint32_t address;  // dive computer address of the first byte that differs
};

class User_Cancel : public Error {
public:
    using Error::Error;
};

class Device_Not_Present : public Error {
public:
    using Error::Error;
};

class MemoryRangeError : public Error {
public:
    using Error::Error;
};

class BadInstruction : public Error {
public:
    using Error::Error;
};

// For texts that are not static: keeps its own copy (at most 70 characters), code 1.
class UnknownError : public Error {
public:
    static constexpr std::size_t BufferSize = 100;
    static constexpr std::size_t KeptOnConstruction = 70;

    explicit UnknownError(const wchar_t* text);
    UnknownError(const UnknownError& other);
    UnknownError& operator=(const UnknownError& other);

private:
    void CopyText(const wchar_t* text, std::size_t limit);

    wchar_t buffer[BufferSize];
    std::size_t length;
};

// The cancel error always carries code 9999 and the text "Canceled".
User_Cancel MakeUserCancel();

}  // namespace kAPI
