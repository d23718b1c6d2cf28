#include "CPrivateArea.h"

#include "CPrivateAreaFile.h"
#include "LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

void putU32(std::vector<BYTE>& out, uint32_t v)
{
    BYTE bytes[4];
    writeLittleEndian<uint32_t>(bytes, v);
    out.insert(out.end(), bytes, bytes + 4);
}

void putBytes(std::vector<BYTE>& out, const std::vector<BYTE>& bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void putCounted(std::vector<BYTE>& out, const std::vector<BYTE>& bytes)
{
    putU32(out, static_cast<uint32_t>(bytes.size()));
    putBytes(out, bytes);
}

// A fixed 33-byte text: at most 32 bytes and a 0 byte, zero-filled.
void putText(std::vector<BYTE>& out, const void* text, size_t length)
{
    BYTE field[CPrivateArea::TextField] = {};
    std::memcpy(field, text, std::min<size_t>(length, CPrivateArea::TextField - 1));
    out.insert(out.end(), field, field + sizeof field);
}

// Bounds-checked reader over an area image.
class CReader {
public:
    CReader(const BYTE* data, size_t length) : m_data(data), m_length(length) {}

    bool u32(uint32_t& v)
    {
        if (m_length - m_pos < 4)
            return false;
        v = readLittleEndian<uint32_t>(m_data + m_pos);
        m_pos += 4;
        return true;
    }
    bool bytes(size_t count, std::vector<BYTE>& out)
    {
        if (m_length - m_pos < count)
            return false;
        out.assign(m_data + m_pos, m_data + m_pos + count);
        m_pos += count;
        return true;
    }
    bool counted(std::vector<BYTE>& out)
    {
        uint32_t count = 0;
        return u32(count) && bytes(count, out);
    }
    bool text(std::string& out)
    {
        std::vector<BYTE> field;
        if (!bytes(CPrivateArea::TextField, field))
            return false;
        out.assign(reinterpret_cast<const char*>(field.data()), strnlen(reinterpret_cast<const char*>(field.data()), field.size()));
        return true;
    }
    size_t position() const { return m_pos; }
    size_t remaining() const { return m_length - m_pos; }

private:
    const BYTE* m_data;
    size_t m_length;
    size_t m_pos = 0;
};

} // namespace

std::vector<BYTE> CPrivateArea::serialise(std::vector<size_t>* fieldEnds) const
{
    std::vector<BYTE> out;
    std::vector<size_t> ends;
    auto mark = [&] { ends.push_back(out.size()); };
    putU32(out, version);
    mark();
    putU32(out, static_cast<uint32_t>(userEntries.size()));
    mark();
    for (const auto& entry : userEntries)
        putCounted(out, entry);
    mark();
    putU32(out, static_cast<uint32_t>(digest.size()));
    mark();
    putBytes(out, digest);
    mark();
    putU32(out, static_cast<uint32_t>(passwordWrappedKey.size()));
    mark();
    putBytes(out, passwordWrappedKey);
    mark();
    putText(out, passwordVerifier.data(), passwordVerifier.size());
    mark();
    putText(out, modeToken.data(), modeToken.size());
    mark();
    // The question with its terminating 0; an empty question is a single 0 unit.
    std::wstring units = question.substr(0, std::wcslen(question.c_str()));
    putU32(out, static_cast<uint32_t>(units.size() + 1));
    mark();
    for (wchar_t c : units) {
        out.push_back(static_cast<BYTE>(c & 0xFF));
        out.push_back(static_cast<BYTE>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    mark();
    putU32(out, static_cast<uint32_t>(answerWrappedKey.size()));
    mark();
    putBytes(out, answerWrappedKey);
    mark();
    putText(out, answerVerifier.data(), answerVerifier.size());
    mark();
    putText(out, Marker, std::strlen(Marker));
    mark();
    putU32(out, static_cast<uint32_t>(out.size() + 4)); // the total counts itself
    mark();
    if (fieldEnds)
        *fieldEnds = std::move(ends);
    return out;
}

bool CPrivateArea::parse(const BYTE* data, size_t length)
{
    if (length < 4 || length > MaxTotalSize)
        return false;
    CReader in(data, length);
    CPrivateArea area(m_dataFile);
    if (!in.u32(area.version))
        return false;
    if (area.version == 0) {
        // An area of version 0 carries nothing beyond its version.
        *this = std::move(area);
        m_totalSize = static_cast<uint32_t>(length);
        return true;
    }
    uint32_t count = 0;
    // Each entry takes at least its 4-byte length: a count beyond that is not believed.
    if (!in.u32(count) || count > in.remaining() / 4)
        return false;
    area.userEntries.resize(count);
    for (auto& entry : area.userEntries)
        if (!in.counted(entry))
            return false;
    std::string marker;
    uint32_t questionUnits = 0, total = 0;
    if (!in.counted(area.digest) || !in.counted(area.passwordWrappedKey) || !in.text(area.passwordVerifier))
        return false;
    if (!in.bytes(TextField, area.modeToken))
        return false;
    area.modeToken.resize(TextField - 1);
    if (!in.u32(questionUnits) || questionUnits > in.remaining() / 2)
        return false;
    std::vector<BYTE> questionBytes;
    if (!in.bytes(static_cast<size_t>(questionUnits) * 2, questionBytes))
        return false;
    area.question.assign(questionUnits, L'\0');
    for (uint32_t i = 0; i < questionUnits; ++i)
        area.question[i] = static_cast<wchar_t>(questionBytes[2 * i] | (questionBytes[2 * i + 1] << 8));
    area.question.resize(std::wcslen(area.question.c_str()));
    if (!in.counted(area.answerWrappedKey) || !in.text(area.answerVerifier) || !in.text(marker) || !in.u32(total))
        return false;
    if (marker != Marker || total != length || in.remaining() != 0)
        return false;
    *this = std::move(area);
    m_totalSize = total;
    return true;
}

CPrivateArea::Status CPrivateArea::read()
{
    std::vector<BYTE> image;
    Status status = CPrivateAreaFile::load(m_dataFile, image);
    if (status != Status::Present)
        return status;
    return parse(image.data(), image.size()) ? Status::Present : Status::Damaged;
}

bool CPrivateArea::write(HANDLE file, size_t stepLimit)
{
    std::vector<size_t> fieldEnds;
    std::vector<BYTE> image = serialise(&fieldEnds);
    if (!CPrivateAreaFile::store(m_dataFile, file, image, fieldEnds, stepLimit))
        return false;
    m_totalSize = static_cast<uint32_t>(image.size());
    return true;
}
