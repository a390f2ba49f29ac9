#pragma once
// Reads a fuzz input front to back; past its end every read gives zeros, so a
// cut input is still a valid one.
#include <cstddef>
#include <cstdint>
#include <string>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_data(data),
          m_size(size)
    {
    }

    bool AtEnd() const { return m_position >= m_size; }
    std::uint8_t Byte() { return AtEnd() ? 0 : m_data[m_position++]; }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() << 8 | Byte()); }
    // Up to count bytes, fewer where the input ends.
    std::string Take(std::size_t count)
    {
        const std::size_t available = AtEnd() ? 0 : m_size - m_position;
        const std::size_t taken = count < available ? count : available;
        std::string bytes(reinterpret_cast<const char*>(m_data + m_position), taken);
        m_position += taken;
        return bytes;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};
