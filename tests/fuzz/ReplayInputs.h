#pragma once
// The inputs of the replay tests: a fuzzer's seeds, and mutations of them and noise drawn
// from a fixed seed, so that an input that fails comes back on every run.

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Every file of `folder`, in the order of their names.
std::vector<Bytes> ReadSeeds(const std::string& folder);

// A copy of exactly the input's size, so that AddressSanitizer sees a read past its end.
std::unique_ptr<std::uint8_t[]> ExactCopy(const Bytes& input);

class Mutator {
public:
    // Puts in at most `longestInsert` bytes at a time; noise is at most `longestNoise` long.
    Mutator(unsigned seed, int longestInsert, int longestNoise);

    // One to four steps: a byte anew, cut short, bytes put in, a bit flipped, and
    // `special`, when given, as one more kind of step, as likely as each of the others.
    Bytes Mutate(Bytes input, const std::function<void(Bytes&)>& special = {});
    Bytes Noise();

    int Between(int low, int high);
    std::uint8_t Byte();

private:
    std::size_t Index(const Bytes& input);

    std::mt19937 random_;
    int longestInsert_;
    int longestNoise_;
};
