#pragma once
// Little-endian integers at any byte offset, as stored records, registry values and driver
// buffers lay them out. Read byte by byte: offsets are often odd, and the same bytes must come
// out on every architecture.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

template <typename T>
T readLittleEndian(const BYTE* at)
{
    using U = std::make_unsigned_t<T>;
    uint64_t value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<uint64_t>(at[i]) << (8 * i);
    return static_cast<T>(static_cast<U>(value));
}

// Bytes at or past `size` (a short value, a cut answer) read as zero.
template <typename T>
T readLittleEndianOrZero(const BYTE* bytes, size_t size, size_t offset)
{
    using U = std::make_unsigned_t<T>;
    uint64_t value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        if (bytes && offset + i < size)
            value |= static_cast<uint64_t>(bytes[offset + i]) << (8 * i);
    return static_cast<T>(static_cast<U>(value));
}

template <typename T>
void writeLittleEndian(BYTE* at, T value)
{
    const auto bits = static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(value));
    for (size_t i = 0; i < sizeof(T); ++i)
        at[i] = static_cast<BYTE>(bits >> (8 * i));
}
