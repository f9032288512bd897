// store: a settings file's settings into the dive computer, by the same procedure as the
// window's Store, with the person's answers given by the flags.
#include "Commands.h"
#include "Connection.h"
#include "Console.h"
#include "SettingsFiles.h"

#include "transfer/StoreProcedure.h"

namespace {

class FlagAnswers : public StoreProcedure::Questions {
public:
    explicit FlagAnswers(const Arguments& arguments) : arguments_(arguments) {}

    // Copying settings between dive computers is what a dive shop does: it keeps what
    // makes each one itself unless --all.
    bool StoreOnOther(const DEVICE_DATA&, const DEVICE_DATA&) override { return true; }
    Answer ChangeOwn(const std::vector<StoreProcedure::OwnChange>&) override
    {
        return arguments_.all ? Answer::Write : Answer::Keep;
    }
    QString KeepBackup(const DEVICE_DATA& held) override
    {
        if (arguments_.backup.isEmpty())
            return QString();
        WriteSettingsTo(arguments_.backup, held);
        return arguments_.backup;
    }

private:
    const Arguments& arguments_;
};

}  // namespace

void RunStore(const Arguments& arguments)
{
    // A file that will not do is refused before the dive computer is touched.
    const DEVICE_DATA record = ReadSettingsFrom(arguments.file);
    if (!arguments.backup.isEmpty())
        RefuseUnwritable(arguments.backup);
    Connection connection(arguments.port);
    // A new connection has nothing cached: what the dive computer holds is read whole.
    const DEVICE_DATA held = connection.Load();
    FlagAnswers answers(arguments);
    StoreProcedure::Options options;
    options.keepOwn = !arguments.all;
    // The flags answer every question, so the store always goes on.
    const std::optional<StoreProcedure::Plan> plan =
        StoreProcedure::Decide(record, record, held, options, answers);
    connection.Store(*plan, arguments.verify);
    PrintLine(
        QStringLiteral("Stored the settings of %1 on %2").arg(arguments.file, connection.Path()));
}
