#include "CPrivateAreaFile.h"

#include "FileIo.h"
#include "LittleEndian.h"
#include "UniqueHandle.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint64_t kMegabyte = 1024 * 1024;
constexpr size_t kTail = CPrivateArea::TailSize;

// Counts file operations; a test uses the limit to stop a write part-way, as a crash would.
class CStepBudget {
public:
    explicit CStepBudget(size_t limit) : m_left(limit) {}
    bool take()
    {
        if (m_left == 0)
            return false;
        --m_left;
        return true;
    }

private:
    size_t m_left;
};

uint32_t u32At(const BYTE* p) { return readLittleEndian<uint32_t>(p); }

void putU32(BYTE* p, uint32_t v) { writeLittleEndian<uint32_t>(p, v); }

using fileio::readAt;
using fileio::writeAll;
using fileio::seek;

bool writeAt(HANDLE file, uint64_t offset, const BYTE* data, size_t length, CStepBudget& budget)
{
    return budget.take() && seek(file, offset) && writeAll(file, data, length);
}

bool truncateAt(HANDLE file, uint64_t offset, CStepBudget& budget)
{
    return budget.take() && seek(file, offset) && SetEndOfFile(file);
}

// What the last 37 bytes of a data file say.
struct STail {
    enum class Kind { None, Valid, Pending, Broken } kind = Kind::None;
    uint64_t size = 0;
    uint64_t start = 0;  // where the area begins (Valid, Pending)
    uint32_t total = 0;  // its total size (Valid), or the new area's (Pending)
};

STail locate(HANDLE file)
{
    STail tail;
    if (!fileio::size(file, tail.size) || tail.size < kTail)
        return tail;
    BYTE bytes[kTail];
    if (!readAt(file, tail.size - kTail, bytes, kTail))
        return tail;
    const uint32_t last = u32At(bytes + kTail - 4);
    if (strncmp(reinterpret_cast<const char*>(bytes), CPrivateArea::Marker, CPrivateArea::TextField) == 0) {
        tail.total = last;
        if (last >= kTail + 4 && last <= CPrivateArea::MaxTotalSize && last <= tail.size) {
            tail.kind = STail::Kind::Valid;
            tail.start = tail.size - last;
        } else {
            tail.kind = STail::Kind::Broken;
        }
        return tail;
    }
    if (std::memcmp(bytes, CPrivateAreaFile::PendingTag, sizeof CPrivateAreaFile::PendingTag - 1) == 0) {
        uint64_t start = 0;
        std::memcpy(&start, bytes + 24, sizeof start);
        tail.total = last;
        // A rewrite never moves the end of the file further from the area's start than the
        // area and two tails: anything else is not ours, and restoring there would cut into
        // the disk image.
        if (start <= tail.size && tail.size - start <= CPrivateArea::MaxTotalSize + 2 * kTail
            && last <= CPrivateArea::MaxTotalSize) {
            tail.kind = STail::Kind::Pending;
            tail.start = start;
        } else {
            tail.kind = STail::Kind::Broken;
        }
        return tail;
    }
    return tail;
}

bool readsAsArea(HANDLE file, const STail& tail)
{
    std::vector<BYTE> bytes(tail.total);
    CPrivateArea area;
    return readAt(file, tail.start, bytes.data(), tail.total) && area.parse(bytes.data(), bytes.size());
}

void pendingTail(BYTE out[kTail], uint64_t start, uint32_t total)
{
    std::memset(out, 0, kTail);
    std::memcpy(out, CPrivateAreaFile::PendingTag, sizeof CPrivateAreaFile::PendingTag - 1);
    std::memcpy(out + 24, &start, sizeof start);
    putU32(out + kTail - 4, total);
}

// Puts `image` at `start` of a data file whose current end is `end`, keeping a complete
// tail (pending, then the marker) at the end of the file after every single operation.
bool storeAt(HANDLE file, uint64_t start, uint64_t end, const std::vector<BYTE>& image,
             const std::vector<size_t>& fieldEnds, CStepBudget& budget)
{
    const uint64_t target = start + image.size();
    BYTE tail[kTail];
    pendingTail(tail, start, static_cast<uint32_t>(image.size()));

    // 1. The pending tail replaces the old one, or is appended when there is no old area.
    if (end - start >= kTail) {
        if (!writeAt(file, end - kTail, tail, kTail, budget))
            return false;
    } else {
        if (!writeAt(file, start, tail, kTail, budget))
            return false;
        end = start + kTail;
    }
    // 2. Move it to the new end. A tail is never written over the one in force: when the two
    //    places overlap it first hops past the current end.
    if (target != end) {
        if (target < end + kTail && end < target + kTail) {
            const uint64_t hop = std::max(end, target) + kTail;
            if (!writeAt(file, hop - kTail, tail, kTail, budget))
                return false;
            end = hop;
        }
        if (!writeAt(file, target - kTail, tail, kTail, budget))
            return false;
        if (target < end && !truncateAt(file, target, budget))
            return false;
    }
    FlushFileBuffers(file);
    // 3. The body, field by field, then the marker and total size last.
    const size_t body = image.size() - kTail;
    size_t from = 0;
    for (size_t fieldEnd : fieldEnds) {
        size_t to = std::min(fieldEnd, body);
        if (to > from) {
            if (!writeAt(file, start + from, image.data() + from, to - from, budget))
                return false;
            from = to;
        }
    }
    if (from < body && !writeAt(file, start + from, image.data() + from, body - from, budget))
        return false;
    FlushFileBuffers(file);
    if (!writeAt(file, target - kTail, image.data() + body, kTail, budget))
        return false;
    FlushFileBuffers(file);
    return seek(file, target);
}

bool writeSideFile(const std::wstring& path, const std::vector<BYTE>& image, const std::vector<size_t>& fieldEnds,
                   CStepBudget& budget)
{
    if (!budget.take())
        return false;
    CFileHandle side(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!side) {
        DeleteFileW(path.c_str());
        return false;
    }
    size_t from = 0;
    for (size_t fieldEnd : fieldEnds) {
        if (fieldEnd <= from || fieldEnd > image.size())
            continue;
        if (!budget.take())
            return false; // stopped part-way: leave what a crash would leave
        if (!writeAll(side.get(), image.data() + from, fieldEnd - from)) {
            side.reset();
            DeleteFileW(path.c_str());
            return false;
        }
        from = fieldEnd;
    }
    if (from < image.size() && (!budget.take() || !writeAll(side.get(), image.data() + from, image.size() - from))) {
        side.reset();
        DeleteFileW(path.c_str());
        return false;
    }
    FlushFileBuffers(side.get());
    return true;
}

// The side file's area, when it holds one whole well-formed area.
bool readSideFile(const std::wstring& path, std::vector<BYTE>& image)
{
    CFileHandle side(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    uint64_t size = 0;
    if (!side || !fileio::size(side.get(), size) || size < CPrivateArea::MinTotalSize || size > CPrivateArea::MaxTotalSize)
        return false;
    std::vector<BYTE> bytes(static_cast<size_t>(size));
    if (!readAt(side.get(), 0, bytes.data(), static_cast<DWORD>(bytes.size())))
        return false;
    CPrivateArea area;
    if (!area.parse(bytes.data(), bytes.size()))
        return false;
    image = std::move(bytes);
    return true;
}

} // namespace

std::wstring CPrivateAreaFile::sideFilePath(const std::wstring& dataFile) { return dataFile + L"_config"; }

CPrivateArea::Status CPrivateAreaFile::load(const std::wstring& dataFile, std::vector<BYTE>& image)
{
    STail tail;
    {
        CFileHandle file(CreateFileW(dataFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return CPrivateArea::Status::Unreadable;
        tail = locate(file.get());
        if (tail.kind == STail::Kind::Valid && readsAsArea(file.get(), tail)) {
            image.resize(tail.total);
            readAt(file.get(), tail.start, image.data(), tail.total);
            return CPrivateArea::Status::Present;
        }
    }

    // The data file's own area is missing, damaged or half-written. A valid side file means
    // the file had an area (the earlier format never had side files): put the copy back rather
    // than take the file for an earlier-format lockbox, whose upgrade would wrap the wrong key.
    std::vector<BYTE> side;
    if (!readSideFile(sideFilePath(dataFile), side))
        return tail.kind == STail::Kind::None ? CPrivateArea::Status::Absent : CPrivateArea::Status::Damaged;

    uint64_t start = 0;
    switch (tail.kind) {
    case STail::Kind::Valid:
        start = tail.start;
        break;
    case STail::Kind::Pending:
        if (tail.total != side.size())
            return CPrivateArea::Status::Damaged;
        start = tail.start;
        break;
    default:
        // No tail to go by: the disk image is a whole number of megabytes and an area is far
        // smaller, so what lies past the last megabyte boundary is the broken area.
        if (tail.size % kMegabyte > CPrivateArea::MaxTotalSize + 2 * kTail)
            return tail.kind == STail::Kind::None ? CPrivateArea::Status::Absent : CPrivateArea::Status::Damaged;
        start = tail.size - tail.size % kMegabyte;
        break;
    }

    CFileHandle file(CreateFileW(dataFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    CStepBudget budget(SIZE_MAX);
    if (!file || !storeAt(file.get(), start, tail.size, side, {}, budget))
        return CPrivateArea::Status::Damaged;
    image = std::move(side);
    return CPrivateArea::Status::Present;
}

bool CPrivateAreaFile::store(const std::wstring& dataFile, HANDLE file, const std::vector<BYTE>& image,
                             const std::vector<size_t>& fieldEnds, size_t stepLimit)
{
    if (image.size() < kTail + 4 || image.size() > CPrivateArea::MaxTotalSize)
        return false;
    CStepBudget budget(stepLimit);
    CFileHandle owned;
    uint64_t start = 0, end = 0;
    if (file != INVALID_HANDLE_VALUE && file != nullptr) {
        // A new data file: the area goes at the position the caller left, the end of the
        // disk image; nothing valid lies beyond it yet.
        if (!fileio::position(file, start))
            return false;
        end = start;
    } else {
        owned.reset(CreateFileW(dataFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!owned)
            return false;
        file = owned.get();
        STail tail = locate(file);
        switch (tail.kind) {
        case STail::Kind::Valid:
            // A total size is only believed when it frames a whole area.
            if (!readsAsArea(file, tail))
                return false;
            start = tail.start;
            break;
        case STail::Kind::Pending:
            start = tail.start;
            break;
        case STail::Kind::None:
            start = tail.size; // no area yet: it is appended
            break;
        default:
            return false; // where the area starts is unknown: writing could cut the disk image
        }
        end = tail.size;
    }
    return writeSideFile(sideFilePath(dataFile), image, fieldEnds, budget)
        && storeAt(file, start, end, image, fieldEnds, budget);
}

uint64_t CPrivateAreaFile::usableSize(const std::wstring& dataFile)
{
    CFileHandle file(CreateFileW(dataFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 0;
    STail tail = locate(file.get());
    return tail.kind == STail::Kind::Valid || tail.kind == STail::Kind::Pending ? tail.start : tail.size;
}

bool CPrivateAreaFile::ensureSideFile(const std::wstring& dataFile)
{
    std::vector<BYTE> image;
    if (load(dataFile, image) != CPrivateArea::Status::Present)
        return false;
    const std::wstring sidePath = sideFilePath(dataFile);
    std::vector<BYTE> current;
    if (readSideFile(sidePath, current) && current == image)
        return true;
    CStepBudget budget(SIZE_MAX);
    return writeSideFile(sidePath, image, {}, budget);
}
