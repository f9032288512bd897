#include "app/CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

#include "platform/VersionInformation.h"

TCommandLine::TCommandLine(const QStringList& arguments)
    : help({QStringLiteral("h"), QStringLiteral("help")},
           QStringLiteral("Shows this help and ends.")),
      version({QStringLiteral("v"), QStringLiteral("version")},
              QStringLiteral("Shows the version and ends."))
{
    parser.setApplicationDescription(
        QStringLiteral("Reads, changes and stores the settings of Kelvor Type1 dive computers, "
                       "and keeps them in settings files."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A settings file (.kvx) to open at start, as "
                                                "Open does."),
                                 QStringLiteral("[FILE]"));
    if (!parser.parse(arguments))
        error = parser.errorText();
    else if (parser.positionalArguments().size() > 1)
        error = QStringLiteral("Only one settings file can be opened.");
}

QString TCommandLine::File() const
{
    const QStringList files = parser.positionalArguments();
    if (!error.isEmpty() || files.isEmpty() || files.first().isEmpty())
        return QString();
    return QFileInfo(files.first()).absoluteFilePath();
}

QString VersionText(const VersionInformation& info)
{
    if (!info.Valid())
        return QStringLiteral("tidewell Unknown\n");
    QString text =
        QStringLiteral("tidewell ") + QString::fromStdWString(info.Value(L"ProductVersion"));
    const QString copyright = QString::fromStdWString(info.Value(L"LegalCopyright"));
    if (!copyright.isEmpty())
        text += QLatin1Char('\n') + copyright;
    return text + QLatin1Char('\n');
}

std::optional<int> AnswerWithoutWindow(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const TCommandLine line(arguments);
    if (!line.AsksForHelp() && !line.AsksForVersion())
        return std::nullopt;
    int count = argc;
    const QCoreApplication core(count, argv);
    QString text;
    if (line.AsksForHelp()) {
        text = line.HelpText();
    } else {
        VersionInformation info;
        info.SetFileName(QCoreApplication::applicationFilePath().toStdWString());
        info.Read();
        text = VersionText(info);
    }
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
