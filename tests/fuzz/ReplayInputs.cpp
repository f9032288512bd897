#include "ReplayInputs.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

std::vector<Bytes> ReadSeeds(const std::string& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<Bytes> seeds;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return seeds;
}

std::unique_ptr<std::uint8_t[]> ExactCopy(const Bytes& input)
{
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[input.size()]);
    std::copy(input.begin(), input.end(), exact.get());
    return exact;
}

Mutator::Mutator(unsigned seed, int longestInsert, int longestNoise)
    : random_(seed), longestInsert_(longestInsert), longestNoise_(longestNoise)
{
}

Bytes Mutator::Mutate(Bytes input, const std::function<void(Bytes&)>& special)
{
    const int steps = Between(1, 4);
    for (int i = 0; i < steps; ++i) {
        const int kind = Between(0, special ? 4 : 3);
        switch (kind) {
            case 0:  // one byte anew
                if (!input.empty())
                    input[Index(input)] = Byte();
                break;
            case 1:  // cut short
                input.resize(Between(0, static_cast<int>(input.size())));
                break;
            case 2:  // bytes put in
                input.insert(input.begin() + Between(0, static_cast<int>(input.size())),
                             Between(1, longestInsert_), Byte());
                break;
            case 3:
                if (special) {
                    special(input);
                    break;
                }
                [[fallthrough]];
            default:  // a bit flipped
                if (!input.empty())
                    input[Index(input)] ^= 1u << Between(0, 7);
                break;
        }
    }
    return input;
}

Bytes Mutator::Noise()
{
    Bytes input(Between(0, longestNoise_));
    for (std::uint8_t& b : input)
        b = Byte();
    return input;
}

int Mutator::Between(int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random_);
}

std::uint8_t Mutator::Byte()
{
    return static_cast<std::uint8_t>(Between(0, 255));
}

std::size_t Mutator::Index(const Bytes& input)
{
    return Between(0, static_cast<int>(input.size()) - 1);
}
