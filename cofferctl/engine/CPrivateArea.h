#pragma once
// The private area behind a lockbox's disk image: the key items of the lockbox, laid out as
// little-endian 32-bit integers and fixed 33-byte texts, ending with a marker and the area's
// total size so that both are found from the end of the file. A side file ("<data file>_config")
// holds an exact copy.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class CPrivateArea {
public:
    static constexpr const char* Marker = "4CF5EE939E2849249CA8542E30E3937A";
    static constexpr size_t TextField = 33;
    static constexpr size_t TailSize = TextField + 4; // marker and total size
    // Bounds for hostile files: real areas hold a few hundred bytes per account.
    static constexpr uint32_t MaxTotalSize = 256 * 1024;
    static constexpr uint32_t MinTotalSize = 4 + 4 + 4 + 4 + 33 + 33 + 4 + 4 + 33 + 33 + 4;

    enum class Status {
        Present,    // read (or restored from the side file)
        Absent,     // no marker: a lockbox of the earlier format
        Damaged,    // an area was there but cannot be used, and no valid copy exists
        Unreadable, // the data file cannot be opened
    };

    CPrivateArea() = default;
    explicit CPrivateArea(std::wstring dataFile) : m_dataFile(std::move(dataFile)) {}

    const std::wstring& dataFile() const { return m_dataFile; }
    void setDataFile(const std::wstring& path) { m_dataFile = path; }

    Status read();
    // With `file`, the area goes at its current position (a new data file); without it, it
    // replaces the area of the existing file. The side file is rewritten first, so a valid
    // copy of the area exists on disk throughout. `stepLimit` stops the write after that many
    // file operations, as a power loss would.
    bool write(HANDLE file = INVALID_HANDLE_VALUE, size_t stepLimit = SIZE_MAX);

    // The area as stored: fields 1 to 16, and the offset at which each field ends.
    std::vector<BYTE> serialise(std::vector<size_t>* fieldEnds = nullptr) const;
    // False for anything that is not one whole well-formed area.
    bool parse(const BYTE* data, size_t length);

    // The lockbox's key items.
    uint32_t version = 1;
    std::vector<std::vector<BYTE>> userEntries;
    std::vector<BYTE> digest;
    std::vector<BYTE> passwordWrappedKey;
    std::string passwordVerifier;
    std::vector<BYTE> modeToken;
    std::wstring question;
    std::vector<BYTE> answerWrappedKey;
    std::string answerVerifier;

    uint32_t totalSize() const { return m_totalSize; }

private:
    std::wstring m_dataFile;
    uint32_t m_totalSize = 0;
};
