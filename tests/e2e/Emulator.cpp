// Emulator.cpp: starting, reading and stopping an emulator on its own image file.
#include "Emulator.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace e2e {

namespace {

std::vector<std::string> arguments(const std::string& name, const std::string& imageFile,
                                   const std::vector<std::string>& flags)
{
    std::vector<std::string> args{"--name", name, "--image", imageFile};
    args.insert(args.end(), flags.begin(), flags.end());
    return args;
}

}  // namespace

Emulator::Emulator(const std::string& name, const std::vector<std::string>& flags)
    : imageFile_(dir_.path() + "/image.bin"), process_(arguments(name, imageFile_, flags))
{
    // The emulator has written its image file before it prints the path.
    const std::string& path = process_.slavePath();
    if (path.empty())
        throw std::runtime_error("tidewell-emulator did not start: " + process_.errors());
    portPath_.assign(path.begin(), path.end());
}

Emulator::~Emulator()
{
    process_.closeInput();
    process_.wait();
}

Bytes Emulator::image() const
{
    std::ifstream file(imageFile_, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + imageFile_);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace e2e
