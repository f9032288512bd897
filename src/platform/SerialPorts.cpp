#include "platform/SerialPorts.h"

#include <QDir>
#include <QString>

#include <algorithm>
#include <string>

namespace {

std::u16string Utf16(const CStdStr& text)
{
    return QString::fromStdWString(text).toStdU16String();
}

// The "C" locale's lower-case mapping: the letters A to Z, nothing else. Spelled out
// rather than asked of std::locale::classic(), whose first use builds every facet of the
// locale: a cost of each start for 26 letters.
wchar_t FoldedC(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualFolded(const CStdStr& a, const CStdStr& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return FoldedC(x) == FoldedC(y); });
}

}  // namespace

void SortPorts(SERIALPORTS& list)
{
    std::stable_sort(list.begin(), list.end(), [](const SERIALPORT& a, const SERIALPORT& b) {
        const std::u16string aName = Utf16(a.name), bName = Utf16(b.name);
        if (aName != bName)
            return aName < bName;
        return Utf16(a.description) < Utf16(b.description);
    });
}

CStdStr PortItemText(const SERIALPORT& port)
{
    // A port that tells nothing of itself is listed by its name alone, without a colon
    // that leads nowhere.
    if (port.description.empty())
        return port.name;
    return port.name + L" : " + port.description;
}

int FindPortIndex(const SERIALPORTS& list, const CStdStr& text, int mode)
{
    if (text.empty() || mode < MatchItemText || mode > MatchDescription)
        return -1;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const SERIALPORT& port = list[i];
        const CStdStr field = mode == MatchItemText   ? PortItemText(port)
                              : mode == MatchPortName ? port.name
                                                      : port.description;
        if (EqualFolded(field, text))
            return static_cast<int>(i);
    }
    return -1;
}

CStdStr PortPathFor(const SERIALPORTS& list, int index, const CStdStr& text)
{
    if (index >= 0 && static_cast<std::size_t>(index) < list.size())
        return list[index].path;
    // The text of an item whose port has gone still begins with that port's name.
    const QString typed =
        QString::fromStdWString(text).section(QStringLiteral(" : "), 0, 0).trimmed();
    if (typed.isEmpty())
        return CStdStr();
    if (QDir::isAbsolutePath(typed))
        return typed.toStdWString();
    return (QStringLiteral("/dev/") + typed).toStdWString();
}
