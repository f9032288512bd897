#include "platform/VersionInformation.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

const std::array<const wchar_t*, VersionInformation::KeyCount> VersionInformation::Keys = {
    L"CompanyName",     L"FileDescription",  L"FileVersion", L"InternalName",   L"LegalCopyright",
    L"LegalTrademarks", L"OriginalFilename", L"ProductName", L"ProductVersion", L"Comments",
};

namespace {

// The marker that opens the block, with its closing NUL. Put together at run time so that
// the reader's own code never holds it whole and cannot pass for a block.
std::string Marker()
{
    return std::string("TidewellVersion") + "Block/1" + '\0';
}

// The block's fields: NUL-terminated texts laid end to end, read in order.
class Fields {
public:
    Fields(const char* begin, const char* end) : next_(begin), end_(end) {}

    // The next field, or nothing when the data ends before its NUL.
    std::optional<std::string_view> Next()
    {
        const char* nul = std::find(next_, end_, '\0');
        if (nul == end_)
            return std::nullopt;
        std::string_view field(next_, static_cast<std::size_t>(nul - next_));
        next_ = nul + 1;
        return field;
    }

private:
    const char* next_;
    const char* end_;
};

CStdStr Wide(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdWString();
}

QString ProgramFile(const CStdStr& fileName)
{
    if (fileName.find(L'/') == CStdStr::npos)
        return QStringLiteral("/proc/self/exe");
    return QString::fromStdWString(fileName);
}

// The translation list's first entry, which names the string table to use; nothing when
// the block has no translation list or an empty one.
std::optional<std::string_view> FirstTranslation(Fields& fields)
{
    if (fields.Next() != std::string_view("Translation"))
        return std::nullopt;
    const std::optional<std::string_view> first = fields.Next();
    if (!first || first->empty())
        return std::nullopt;
    for (;;) {  // further entries are passed over
        const std::optional<std::string_view> other = fields.Next();
        if (!other)
            return std::nullopt;
        if (other->empty())
            return first;
    }
}

// Sets the values of the keys that the table named by translation holds.
void ReadStringTable(Fields& fields, std::string_view translation,
                     std::array<CStdStr, VersionInformation::KeyCount>& values)
{
    for (std::optional<std::string_view> table = fields.Next(); table && !table->empty();
         table = fields.Next()) {
        for (;;) {
            const std::optional<std::string_view> key = fields.Next();
            if (!key || key->empty())
                break;
            const std::optional<std::string_view> value = fields.Next();
            if (!value)
                return;
            if (*table != translation)
                continue;
            const CStdStr name = Wide(*key);
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (name == VersionInformation::Keys[i])
                    values[i] = Wide(*value);
            }
        }
    }
}

// What follows the first marker in `file`, up to BlockLimit bytes; nothing when the file
// holds no marker. The file is read piece by piece through one small buffer rather than
// mapped: every page of a mapping that the search passed over would count towards the
// program's memory, on top of the same pages of the running program itself.
std::optional<std::string> BlockAfterMarker(QFile& file)
{
    constexpr std::size_t Piece = 16 * 1024;
    constexpr std::size_t BlockLimit = 4 * 1024;  // the block itself is a few hundred bytes
    const std::string marker = Marker();
    const std::boyer_moore_horspool_searcher searcher(marker.begin(), marker.end());
    // The end of the piece before, where a marker may begin, then the piece.
    std::vector<char> buffer(marker.size() - 1 + Piece);
    std::size_t kept = 0;
    for (;;) {
        const qint64 read = file.read(buffer.data() + kept, static_cast<qint64>(Piece));
        if (read <= 0)
            return std::nullopt;
        const auto end = buffer.begin() + static_cast<std::ptrdiff_t>(kept + read);
        const auto at = std::search(buffer.begin(), end, searcher);
        if (at != end) {
            std::string block(at + static_cast<std::ptrdiff_t>(marker.size()), end);
            if (block.size() < BlockLimit) {
                const QByteArray rest = file.read(static_cast<qint64>(BlockLimit - block.size()));
                block.append(rest.constData(), static_cast<std::size_t>(rest.size()));
            }
            return block;
        }
        kept = std::min(kept + static_cast<std::size_t>(read), marker.size() - 1);
        std::copy(end - static_cast<std::ptrdiff_t>(kept), end, buffer.begin());
    }
}

}  // namespace

bool VersionInformation::Read()
{
    valid_ = false;
    if (fileName_.empty())
        return false;

    QFile file(ProgramFile(fileName_));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const std::optional<std::string> block = BlockAfterMarker(file);
    if (!block)
        return false;
    Fields fields(block->data(), block->data() + block->size());
    const std::optional<std::string_view> translation = FirstTranslation(fields);
    if (!translation)
        return false;
    valid_ = true;
    ReadStringTable(fields, *translation, values_);
    return valid_;
}

CStdStr VersionInformation::Value(const CStdStr& key) const
{
    for (std::size_t i = 0; i < KeyCount; ++i) {
        if (key == Keys[i])
            return values_[i];
    }
    return CStdStr();
}
