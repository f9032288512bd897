// Options.cpp: parsing of the command line; flags take their value as the next argument
// or after "=".
#include "Options.h"

#include "Announcement.h"

#include <cerrno>
#include <cstdlib>

namespace emulator {

const char* const kUsage =
    "Usage: tidewell-emulator [OPTION]...\n"
    "Plays a Type1 dive computer on a pseudo-terminal. Prints the terminal's path on the\n"
    "first line of standard output; stops on SIGINT, SIGTERM or the end of standard input.\n"
    "\n"
    "  --image FILE      memory image of 8192 bytes, saved again after every write;\n"
    "                    made from the built-in image when FILE does not exist\n"
    "  --second-image FILE\n"
    "                    a second dive computer: a memory image of 8192 bytes that must\n"
    "                    exist, saved again after every write to it. SIGUSR1 swaps the\n"
    "                    two dive computers on the line, as if the cable had been moved:\n"
    "                    the next request is answered from the other image\n"
    "  --name NAME       announce the port to port discovery as NAME (default: emulator):\n"
    "                    a link $XDG_RUNTIME_DIR/tidewell/ports/NAME, or without a runtime\n"
    "                    directory $TMPDIR/tidewell-UID/ports/NAME (/tmp when TMPDIR is unset)\n"
    "  --pace            send at the speed of a 2400-baud line\n"
    "\n"
    "Faults (answers are counted from 1 over the emulator's life; flags combine):\n"
    "  --silent          never answer\n"
    "  --drop N          do not send the Nth answer\n"
    "  --bad-checksum N  send the Nth answer with a wrong checksum\n"
    "  --split N:K       send the Nth answer in K pieces, 2.5 s apart\n"
    "  --wrong-echo N    echo a wrong length byte in the Nth answer (the key byte\n"
    "                    in a write-enable answer); its checksum stays right\n"
    "  --noise N         send 3 stray bytes before the Nth answer\n"
    "  --wrong-address N when the Nth answer is a read, answer it for an address 256 bytes\n"
    "                    away: its header names that address and its data is that memory,\n"
    "                    its checksum stays right\n"
    "  --ack-only N      when the Nth answer is a write, acknowledge it as usual but do\n"
    "                    not keep its bytes\n"
    "  --hangup N        hang up the line halfway through the Nth answer, then exit\n"
    "\n"
    "  --help            show this text\n"
    "\n"
    "Exit status: 0 when stopped or hung up as asked, 1 on a failure, 2 for a bad command line.\n";

namespace {

// A decimal number of at least `least`.
unsigned long number(const std::string& flag, const std::string& text, unsigned long least)
{
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    errno = 0;
    const unsigned long value = digits ? std::strtoul(text.c_str(), nullptr, 10) : 0;
    if (!digits || errno == ERANGE || value < least) {
        throw UsageError(flag + " needs a number of at least " + std::to_string(least) + ", not '" +
                         text + "'");
    }
    return value;
}

void addSplit(FaultPlan& faults, const std::string& flag, const std::string& value)
{
    const std::size_t colon = value.find(':');
    if (colon == std::string::npos)
        throw UsageError(flag + " needs N:K, not '" + value + "'");
    faults.split(number(flag, value.substr(0, colon), 1), number(flag, value.substr(colon + 1), 2));
}

}  // namespace

Options parseOptions(int argc, const char* const argv[])
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = flag.find('=');
            flag.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = flag.substr(eq + 1);
            flag.resize(eq);
        }
        auto value = [&]() -> std::string {
            if (inlineValue)
                return *std::exchange(inlineValue, std::nullopt);
            if (i + 1 >= argc)
                throw UsageError(flag + " needs a value");
            return argv[++i];
        };

        if (flag == "--image") {
            options.image = value();
            if (options.image->empty())
                throw UsageError("--image needs a file name");
        } else if (flag == "--second-image") {
            options.secondImage = value();
            if (options.secondImage->empty())
                throw UsageError("--second-image needs a file name");
        } else if (flag == "--name") {
            options.name = value();
            if (!Announcement::validName(options.name)) {
                throw UsageError("--name needs a plain file name, not '" + options.name + "'");
            }
        } else if (flag == "--pace") {
            options.pace = true;
        } else if (flag == "--silent") {
            options.faults.silence();
        } else if (flag == "--help") {
            options.help = true;
        } else if (flag == "--drop") {
            options.faults.add(Fault::Drop, number(flag, value(), 1));
        } else if (flag == "--bad-checksum") {
            options.faults.add(Fault::BadChecksum, number(flag, value(), 1));
        } else if (flag == "--wrong-echo") {
            options.faults.add(Fault::WrongEcho, number(flag, value(), 1));
        } else if (flag == "--noise") {
            options.faults.add(Fault::Noise, number(flag, value(), 1));
        } else if (flag == "--wrong-address") {
            options.faults.add(Fault::WrongAddress, number(flag, value(), 1));
        } else if (flag == "--ack-only") {
            options.faults.add(Fault::AckOnly, number(flag, value(), 1));
        } else if (flag == "--hangup") {
            options.faults.add(Fault::HangUp, number(flag, value(), 1));
        } else if (flag == "--split") {
            addSplit(options.faults, flag, value());
        } else {
            throw UsageError("unknown argument '" + std::string(argv[i]) + "'");
        }
        if (inlineValue)
            throw UsageError(flag + " takes no value");
    }
    return options;
}

}  // namespace emulator
