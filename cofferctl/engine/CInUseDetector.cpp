#include "CInUseDetector.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwchar>

namespace {

constexpr ULONG kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
constexpr size_t kFirstTableBytes = 8192;
// A table this large is no answer we can use.
constexpr size_t kLargestTableBytes = size_t(256) << 20;

constexpr ULONG kObjectBasicInformation = 0;
constexpr ULONG kObjectNameInformation = 1;
constexpr ULONG kObjectTypeInformation = 2;
// Files report no name size: this is what a name of MAX_PATH characters needs.
constexpr ULONG kDefaultNameBytes = 520;

// The file object type numbers of the Windows versions the vault runs on.
constexpr BYTE kFileTypeA = 26;
constexpr BYTE kFileTypeB = 28;

// The table's count is 32 bits, but the entries after it are aligned for their pointer.
struct HandleTableStart {
    ULONG count;
    fileinfo::SystemHandleEntry first;
};
constexpr size_t kEntriesOffset = offsetof(HandleTableStart, first);

// ObjectBasicInformation's answer: 56 bytes of fixed fields on every architecture.
struct ObjectBasic {
    ULONG attributes;
    ACCESS_MASK grantedAccess;
    ULONG handleCount;
    ULONG pointerCount;
    ULONG pagedPoolCharge;
    ULONG nonPagedPoolCharge;
    ULONG reserved[3];
    ULONG nameInfoSize;
    ULONG typeInfoSize;
    ULONG securityDescriptorSize;
    LARGE_INTEGER creationTime;
};
static_assert(sizeof(ObjectBasic) == 56, "the basic object information is 56 bytes");

bool succeeded(NTSTATUS status) { return status >= 0; }

// The counted string at the start of a name or type answer, when it lies inside the buffer.
std::wstring countedText(const std::vector<BYTE>& buffer)
{
    if (buffer.size() < sizeof(UNICODE_STRING))
        return {};
    UNICODE_STRING text;
    std::memcpy(&text, buffer.data(), sizeof text);
    if (!text.Buffer || text.Length == 0)
        return {};
    const BYTE* begin = reinterpret_cast<const BYTE*>(text.Buffer);
    const BYTE* end = buffer.data() + buffer.size();
    if (begin < buffer.data() || begin > end || size_t(end - begin) < text.Length)
        return {};
    std::wstring result(text.Length / sizeof(wchar_t), L'\0');
    std::memcpy(result.data(), begin, result.size() * sizeof(wchar_t));
    return result;
}

struct FriendlyName {
    const wchar_t* base;
    const wchar_t* name;
};

constexpr FriendlyName kFriendlyNames[] = {
    {L"winword", L"Microsoft Word"},     {L"explorer", L"Windows Explorer"},
    {L"wordpad", L"WordPad"},            {L"mspaint", L"Microsoft Paint"},
    {L"calc", L"Calculator"},            {L"iexplore", L"Internet Explorer"},
    {L"excel", L"Microsoft Excel"},      {L"powerpnt", L"Microsoft PowerPoint"},
    {L"notepad", L"Notepad"},            {L"visio32", L"Microsoft Visio"},
};

} // namespace

CInUseDetector::CInUseDetector(ISystemHandles& system)
    : m_system(system), m_device(system, CSystemHandleOwner::Release::Handle, INVALID_HANDLE_VALUE)
{
}

bool CInUseDetector::detect(const std::vector<std::wstring>& deviceNames)
{
    m_files.clear();
    m_programIds.clear();
    m_programs.clear();

    if (!m_system.bindNative())
        return false;
    std::vector<fileinfo::SystemHandleEntry> entries;
    if (!readHandleTable(entries))
        return false;

    m_device.reset(m_system.openDevice(fileinfo::kDevicePath));
    if (!m_device.valid())
        return false;
    const bool walked = walkTable(entries, deviceNames);
    m_device.reset();
    return walked && findPrograms();
}

bool CInUseDetector::readHandleTable(std::vector<fileinfo::SystemHandleEntry>& entries)
{
    entries.clear();
    std::vector<BYTE> buffer(kFirstTableBytes, 0);
    ULONG returned = 0;
    NTSTATUS status;
    for (;;) {
        returned = 0;
        status = m_system.querySystemInformation(kSystemHandleInformation, buffer.data(),
                                                 static_cast<ULONG>(buffer.size()), &returned);
        if (status != kInfoLengthMismatch)
            break;
        if (buffer.size() * 2 > kLargestTableBytes)
            return false;
        buffer.assign(buffer.size() * 2, 0);
    }
    if (!succeeded(status))
        return false;

    const size_t valid = std::min<size_t>(returned, buffer.size());
    if (valid < sizeof(ULONG))
        return true;
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const size_t room = valid > kEntriesOffset ? (valid - kEntriesOffset) / sizeof(fileinfo::SystemHandleEntry) : 0;
    entries.resize(std::min<size_t>(count, room));
    if (!entries.empty())
        std::memcpy(entries.data(), buffer.data() + kEntriesOffset, entries.size() * sizeof(fileinfo::SystemHandleEntry));
    return true;
}

bool CInUseDetector::walkTable(const std::vector<fileinfo::SystemHandleEntry>& entries,
                               const std::vector<std::wstring>& deviceNames)
{
    const DWORD own = m_system.currentProcessId();
    for (const fileinfo::SystemHandleEntry& entry : entries) {
        if (entry.processId == own)
            continue;
        if (m_fileType && entry.objectType != m_fileType)
            continue;
        if (entry.objectType != kFileTypeA && entry.objectType != kFileTypeB)
            continue;
        const std::wstring name = kernelName(entry);
        if (name.empty())
            continue;
        for (const std::wstring& device : deviceNames) {
            if (device.empty() || name.compare(0, device.size(), device) != 0)
                continue;
            m_files[entry.processId].push_back(fileNameOf(entry));
            break; // one line per handle, even when two device names share a beginning
        }
    }
    return true;
}

std::wstring CInUseDetector::kernelName(const fileinfo::SystemHandleEntry& entry)
{
    wchar_t name[fileinfo::kObjectNameBytes / sizeof(wchar_t)] = {};
    DWORD returned = 0;
    const PVOID address = entry.object;
    if (!m_system.deviceControl(m_device.get(), fileinfo::kIoctlObjectName, &address, sizeof address, name,
                                sizeof name, &returned))
        return {};
    return std::wstring(name, wcsnlen(name, sizeof name / sizeof name[0]));
}

std::wstring CInUseDetector::fileNameOf(const fileinfo::SystemHandleEntry& entry)
{
    CSystemHandleOwner copy(m_system, CSystemHandleOwner::Release::Object);
    {
        CSystemHandleOwner holder(m_system, CSystemHandleOwner::Release::Handle);
        CSystemHandleOwner self(m_system, CSystemHandleOwner::Release::Handle);
        holder.reset(m_system.openProcess(PROCESS_ALL_ACCESS, entry.processId));
        self.reset(m_system.openProcess(PROCESS_ALL_ACCESS, m_system.currentProcessId()));
        if (!holder.valid() || !self.valid())
            return {};
        const HANDLE source = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(entry.handle));
        if (!succeeded(m_system.duplicateObject(holder.get(), source, self.get(), copy.put(), 0, 0,
                                                DUPLICATE_SAME_ACCESS))
            || !copy.valid())
            return {};
    }

    ObjectBasic basic{};
    ULONG returned = 0;
    if (!succeeded(m_system.queryObject(copy.get(), kObjectBasicInformation, &basic, sizeof basic, &returned)))
        return {};
    std::vector<BYTE> type(size_t(basic.typeInfoSize) + 2, 0);
    if (!succeeded(m_system.queryObject(copy.get(), kObjectTypeInformation, type.data(),
                                        static_cast<ULONG>(type.size()), &returned)))
        return {};
    if (countedText(type) != L"File")
        return {};
    m_fileType = entry.objectType;
    std::vector<BYTE> name(basic.nameInfoSize ? basic.nameInfoSize : kDefaultNameBytes, 0);
    if (!succeeded(m_system.queryObject(copy.get(), kObjectNameInformation, name.data(),
                                        static_cast<ULONG>(name.size()), &returned)))
        return {};
    return countedText(name);
}

bool CInUseDetector::findPrograms()
{
    if (!m_system.bindProcessModules())
        return false;
    for (const auto& process : m_files) {
        CSystemHandleOwner handle(m_system, CSystemHandleOwner::Release::Handle);
        handle.reset(m_system.openProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, process.first));
        if (!handle.valid())
            continue;
        HMODULE modules[4096 / sizeof(HMODULE)] = {};
        DWORD needed = 0;
        if (!m_system.enumProcessModules(handle.get(), modules, sizeof modules, &needed) || needed < sizeof(HMODULE))
            continue;
        wchar_t path[MAX_PATH] = {};
        const DWORD length = m_system.moduleFileName(handle.get(), modules[0], path, MAX_PATH);
        if (length == 0)
            continue;
        std::wstring program(path, std::min<DWORD>(length, MAX_PATH));
        // Two copies of one program show as one line, with the first one's items.
        if (m_programIds.emplace(program, process.first).second)
            m_programs.push_back(program);
    }
    return true;
}

std::vector<std::wstring> CInUseDetector::itemsOf(const std::wstring& program) const
{
    const auto id = m_programIds.find(program);
    if (id == m_programIds.end())
        return {};
    const auto files = m_files.find(id->second);
    return files == m_files.end() ? std::vector<std::wstring>{} : files->second;
}

std::wstring CInUseDetector::friendlyName(const std::wstring& program)
{
    const size_t slash = program.find_last_of(L'\\');
    std::wstring base = slash == std::wstring::npos ? program : program.substr(slash + 1);
    if (!base.empty())
        CharLowerBuffW(base.data(), static_cast<DWORD>(base.size()));
    const size_t dot = base.find_last_of(L'.');
    if (dot != std::wstring::npos)
        base.resize(dot);
    for (const FriendlyName& known : kFriendlyNames) {
        if (base == known.base)
            return known.name;
    }
    return program;
}
