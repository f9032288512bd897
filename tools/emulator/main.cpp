// main.cpp: tidewell-emulator, a Type1 dive computer on a pseudo-terminal. Reads the
// command line, sets up image, terminal and announcement, prints the terminal's path and
// runs the event loop; everything it set up is undone on the way out.
#include "Announcement.h"
#include "DiveComputer.h"
#include "EventLoop.h"
#include "Options.h"
#include "PseudoTerminal.h"
#include "Signals.h"

#include <signal.h>

#include <exception>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>

namespace emulator {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

MemoryImage initialImage(const Options& options)
{
    if (!options.image)
        return MemoryImage::builtIn();
    if (auto image = MemoryImage::load(*options.image))
        return *image;
    // A new file starts from the built-in image and exists from the start on.
    MemoryImage image = MemoryImage::builtIn();
    image.save(*options.image);
    return image;
}

// The second dive computer is one the person chose: an image that is not there is a
// mistake, not a reason to make one.
MemoryImage secondImage(const std::string& path)
{
    if (auto image = MemoryImage::load(path))
        return *image;
    throw std::runtime_error("cannot read the second image " + path + ": no such file");
}

DiveComputer::Persist persistTo(const std::optional<std::string>& path)
{
    if (!path)
        return [](const MemoryImage&) { return true; };
    return [file = *path](const MemoryImage& image) {
        try {
            image.save(file);
            return true;
        } catch (const std::exception& e) {
            std::cerr << "tidewell-emulator: write refused: " << e.what() << '\n';
            return false;
        }
    };
}

int run(int argc, const char* const argv[])
{
    Options options;
    try {
        options = parseOptions(argc, argv);
    } catch (const UsageError& e) {
        std::cerr << "tidewell-emulator: " << e.what() << "\n\n" << kUsage;
        return kExitUsage;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    // Whoever reads our output may go away first; that must not stop us before we clean up.
    ::signal(SIGPIPE, SIG_IGN);
    try {
        Signals signals;
        DiveComputer device(initialImage(options), persistTo(options.image));
        std::optional<DiveComputer> second;
        if (options.secondImage)
            second.emplace(secondImage(*options.secondImage), persistTo(options.secondImage));
        PseudoTerminal pty;
        Announcement announcement(options.name, pty.slavePath());
        std::cout << pty.slavePath() << std::endl;
        EventLoop(options.faults, device, second ? &*second : nullptr, pty, options.pace)
            .run(signals);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "tidewell-emulator: " << e.what() << '\n';
        return kExitFailure;
    }
}

}  // namespace
}  // namespace emulator

int main(int argc, char* argv[])
{
    return emulator::run(argc, argv);
}
