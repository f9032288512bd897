#include "window/Main.h"

namespace {

QStringList SplitCommandLine(const QString& line)
{
    QStringList items;
    const QChar quote(QLatin1Char('"'));
    int pos = 0;
    while (pos < line.size()) {
        QString item;
        if (line[pos] == quote) {
            int end = pos + 1;
            while (end < line.size() && !(line[end] == quote && line[end - 1] != QLatin1Char('\\')))
                ++end;
            if (end >= line.size())
                break;  // no closing quote: the rest is dropped
            item = line.mid(pos + 1, end - pos - 1);
            pos = end + 1;
        } else {
            int end = line.indexOf(QLatin1Char(' '), pos);
            if (end < 0)
                end = line.size();
            item = line.mid(pos, end - pos);
            pos = end + 1;
        }
        if (!item.isEmpty())
            items.append(item);
    }
    return items;
}

}  // namespace

QString ParamString(const QString& commandLine, int index)
{
    return SplitCommandLine(commandLine).value(index);
}

int ParamCount(const QString& commandLine)
{
    return SplitCommandLine(commandLine).size();
}
