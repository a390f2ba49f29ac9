#pragma once
// Reproducible file contents: the same count and seed give the same bytes.
#include <cstddef>
#include <random>
#include <string>

inline std::string RandomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator());
    return bytes;
}
