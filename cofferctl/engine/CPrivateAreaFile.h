#pragma once
// Where a private area sits in its data file, and the order of writes that keeps a lockbox
// openable whatever moment a rewrite is interrupted at (power loss, a full disk): the disk key
// exists nowhere but in the area.
//
// A rewrite first puts the complete new area into the side file. Only then does the data file
// change, and while it does, its last 37 bytes are a "rewrite in progress" tail naming where
// the area starts and how long the new one is, instead of the marker. So the data file holds
// either a complete area (old or new) or that tail beside a complete copy in the side file,
// from which the next read restores it.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CPrivateArea.h"

class CPrivateAreaFile {
public:
    static std::wstring sideFilePath(const std::wstring& dataFile);

    // The stored bytes of the data file's area, restored from the side file first when the
    // data file's own area was damaged or left half-written.
    static CPrivateArea::Status load(const std::wstring& dataFile, std::vector<BYTE>& image);

    // Writes `image` as the area (see CPrivateArea::write). `fieldEnds` splits the writes at
    // field boundaries.
    static bool store(const std::wstring& dataFile, HANDLE file, const std::vector<BYTE>& image,
                      const std::vector<size_t>& fieldEnds, size_t stepLimit = SIZE_MAX);

    // File size less the area: the part that is the disk image.
    static uint64_t usableSize(const std::wstring& dataFile);

    // Makes the side file an exact copy of the data file's area; true when it is one.
    static bool ensureSideFile(const std::wstring& dataFile);

    // The tail that stands in for the marker while the data file is rewritten.
    static constexpr char PendingTag[25] = "AREA-REWRITE-IN-PROGRESS";
};
