#pragma once
// A byte buffer for key material: wiped when it is released or destroyed.

#include <windows.h>

#include <cstddef>
#include <vector>

class CSecretBytes {
public:
    CSecretBytes() = default;
    explicit CSecretBytes(size_t length) : m_bytes(length, 0) {}
    CSecretBytes(const BYTE* data, size_t length) : m_bytes(data, data + length) {}
    explicit CSecretBytes(std::vector<BYTE>&& bytes) : m_bytes(std::move(bytes)) {}
    ~CSecretBytes() { wipe(); }

    CSecretBytes(const CSecretBytes& other) : m_bytes(other.m_bytes) {}
    CSecretBytes& operator=(const CSecretBytes& other)
    {
        if (this != &other) {
            wipe();
            m_bytes = other.m_bytes;
        }
        return *this;
    }
    CSecretBytes(CSecretBytes&& other) noexcept : m_bytes(std::move(other.m_bytes)) { other.m_bytes.clear(); }
    CSecretBytes& operator=(CSecretBytes&& other) noexcept
    {
        if (this != &other) {
            wipe();
            m_bytes = std::move(other.m_bytes);
            other.m_bytes.clear();
        }
        return *this;
    }

    BYTE* data() { return m_bytes.data(); }
    const BYTE* data() const { return m_bytes.data(); }
    size_t size() const { return m_bytes.size(); }
    bool empty() const { return m_bytes.empty(); }
    const std::vector<BYTE>& bytes() const { return m_bytes; }

    void wipe()
    {
        if (!m_bytes.empty())
            SecureZeroMemory(m_bytes.data(), m_bytes.size());
        m_bytes.clear();
    }

    bool operator==(const CSecretBytes& other) const { return m_bytes == other.m_bytes; }

private:
    std::vector<BYTE> m_bytes;
};
