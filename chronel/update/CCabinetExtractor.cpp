#include "CCabinetExtractor.h"

#include "SafePath.h"

#include <windows.h>

#include <fcntl.h>
#include <fdi.h>

#include <cstdlib>

namespace {

// FDI opens the cabinet by a narrow name; it is handed this token, and the open callback
// answers it with the wide path of the extraction running on this thread, so that any path
// works whatever the code page.
constexpr char kCabinetToken[] = "velmora.cab";

struct Extraction {
    std::wstring cabinet;
    std::wstring folder;
    CCabinetExtractor::Result result;
    std::wstring current; // the file being written
};

thread_local Extraction* t_extraction = nullptr;

HANDLE toHandle(INT_PTR value) { return reinterpret_cast<HANDLE>(value); }
INT_PTR fromHandle(HANDLE handle) { return reinterpret_cast<INT_PTR>(handle); }

FNALLOC(allocate) { return std::malloc(cb); }
FNFREE(release) { std::free(pv); }

FNOPEN(openFile)
{
    (void)oflag;
    (void)pmode;
    if (!t_extraction || lstrcmpA(pszFile, kCabinetToken) != 0)
        return -1;
    HANDLE file = CreateFileW(t_extraction->cabinet.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? -1 : fromHandle(file);
}

FNREAD(readFile)
{
    DWORD read = 0;
    return ReadFile(toHandle(hf), pv, cb, &read, nullptr) ? static_cast<UINT>(read) : static_cast<UINT>(-1);
}

FNWRITE(writeFile)
{
    DWORD written = 0;
    return WriteFile(toHandle(hf), pv, cb, &written, nullptr) ? static_cast<UINT>(written)
                                                               : static_cast<UINT>(-1);
}

FNCLOSE(closeFile) { return CloseHandle(toHandle(hf)) ? 0 : -1; }

FNSEEK(seekFile)
{
    const DWORD method = seektype == SEEK_CUR ? FILE_CURRENT : seektype == SEEK_END ? FILE_END : FILE_BEGIN;
    return static_cast<long>(SetFilePointer(toHandle(hf), dist, nullptr, method));
}

std::wstring storedName(const FDINOTIFICATION* note)
{
    // The name is UTF-8 when the cabinet says so, otherwise in the ANSI code page.
    const UINT codePage = (note->attribs & _A_NAME_IS_UTF) ? CP_UTF8 : CP_ACP;
    const int length = MultiByteToWideChar(codePage, 0, note->psz1, -1, nullptr, 0);
    if (length <= 1)
        return {};
    std::wstring name(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, note->psz1, -1, name.data(), length);
    name.resize(static_cast<size_t>(length - 1));
    return name;
}

INT_PTR startFile(Extraction& job, const FDINOTIFICATION* note)
{
    const std::wstring name = storedName(note);
    const std::wstring path = safepath::inside(job.folder, name);
    if (path.empty() || !safepath::createParents(job.folder, path)) {
        job.result.refused.push_back(name);
        return 0; // skip this file, go on with the next
    }
    // An earlier read-only copy would refuse to be replaced.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        job.result.refused.push_back(name);
        return 0;
    }
    job.current = path;
    return fromHandle(file);
}

INT_PTR finishFile(Extraction& job, const FDINOTIFICATION* note)
{
    HANDLE file = toHandle(note->hf);
    FILETIME local{}, utc{};
    if (DosDateTimeToFileTime(note->date, note->time, &local) && LocalFileTimeToFileTime(&local, &utc))
        SetFileTime(file, &utc, nullptr, &utc);
    CloseHandle(file);
    constexpr USHORT kKept = _A_RDONLY | _A_HIDDEN | _A_SYSTEM | _A_ARCH;
    const DWORD attributes = note->attribs & kKept;
    SetFileAttributesW(job.current.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    job.result.written.push_back(job.current);
    job.current.clear();
    return TRUE;
}

FNFDINOTIFY(notify)
{
    Extraction* job = static_cast<Extraction*>(pfdin->pv);
    switch (fdint) {
    case fdintCOPY_FILE:
        return startFile(*job, pfdin);
    case fdintCLOSE_FILE_INFO:
        return finishFile(*job, pfdin);
    case fdintNEXT_CABINET:
        return -1; // a set spanning several cabinets is not used by updates
    default:
        return 0;
    }
}

struct FdiContext {
    HFDI handle;
    ~FdiContext()
    {
        if (handle)
            FDIDestroy(handle);
    }
};

} // namespace

CCabinetExtractor::Result CCabinetExtractor::extract(const std::wstring& cabinet, const std::wstring& folder)
{
    Extraction job{cabinet, folder, {}, {}};
    ERF error{};
    FdiContext context{FDICreate(allocate, release, openFile, readFile, writeFile, closeFile, seekFile,
                                 cpuUNKNOWN, &error)};
    if (!context.handle)
        return job.result;
    Extraction* previous = t_extraction;
    t_extraction = &job;
    char token[sizeof(kCabinetToken)];
    lstrcpyA(token, kCabinetToken);
    char noPath[] = "";
    job.result.complete = FDICopy(context.handle, token, noPath, 0, notify, nullptr, &job) != FALSE;
    t_extraction = previous;
    return job.result;
}
