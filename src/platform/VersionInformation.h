#pragma once
// The string values of the application's own version block (cmake/TidewellVersion.cmake),
// read from the program file at start-up. The About window shows "ProductVersion" and the
// settings file's header is "CompanyName" followed by "ProductName".

#include "device/CStdStr.h"

#include <array>
#include <cstddef>

class VersionInformation {
public:
    static constexpr std::size_t KeyCount = 10;
    // "CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
    // "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments".
    static const std::array<const wchar_t*, KeyCount> Keys;

    VersionInformation() = default;
    VersionInformation(const VersionInformation&) = delete;
    VersionInformation& operator=(const VersionInformation&) = delete;

    // The file to read: the first command-line item. A bare program name (no directory)
    // stands for the running executable, as the shell found it on the search path.
    void SetFileName(const CStdStr& fileName) { fileName_ = fileName; }
    const CStdStr& FileName() const { return fileName_; }

    // Reads the block from the file and returns Valid(). Valid only when the block and a
    // translation entry were found; an empty file name, a file without the block or a
    // block without translations leave it invalid. Values of keys the block lacks keep
    // what they held (empty before the first read).
    bool Read();
    bool Valid() const { return valid_; }

    // The value of one of the ten keys; empty for any other key.
    CStdStr Value(const CStdStr& key) const;

private:
    CStdStr fileName_;
    bool valid_ = false;
    std::array<CStdStr, KeyCount> values_;
};
