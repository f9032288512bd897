// show: a settings file, field by field.
#include "Commands.h"
#include "Console.h"
#include "FieldPrinter.h"
#include "SettingsFiles.h"

void RunShow(const Arguments& arguments)
{
    const std::vector<Field> fields = FieldsOf(ReadSettingsFrom(arguments.file));
    if (arguments.json)
        PrintLine(QString::fromUtf8(FieldsAsJson(fields)).trimmed());
    else
        PrintLine(FieldsAsText(fields));
}
