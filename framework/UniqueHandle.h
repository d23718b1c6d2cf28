#pragma once
// Move-only owners of Win32 handles. Each trait names the handle type, its invalid value and
// the call that releases it.

#include <windows.h>
#include <utility>

template <typename Traits>
class TUniqueHandle {
public:
    using Type = typename Traits::Type;

    TUniqueHandle() noexcept : m_h(Traits::invalid()) {}
    explicit TUniqueHandle(Type h) noexcept : m_h(h) {}
    ~TUniqueHandle() { reset(); }

    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    TUniqueHandle(TUniqueHandle&& other) noexcept : m_h(other.release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Type get() const noexcept { return m_h; }
    bool valid() const noexcept { return m_h != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // Address for functions that return a new handle through an out parameter.
    Type* put() noexcept
    {
        reset();
        return &m_h;
    }

    Type release() noexcept { return std::exchange(m_h, Traits::invalid()); }

    void reset(Type h = Traits::invalid()) noexcept
    {
        Type old = std::exchange(m_h, h);
        if (old != Traits::invalid())
            Traits::close(old);
    }

private:
    Type m_h;
};

struct HandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::CloseHandle(h); }
};

// CreateFile and CreateToolhelp32Snapshot report failure as INVALID_HANDLE_VALUE, not NULL.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { ::CloseHandle(h); }
};

struct KeyHandleTraits {
    using Type = HKEY;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::RegCloseKey(h); }
};

struct ModuleHandleTraits {
    using Type = HMODULE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::FreeLibrary(h); }
};

struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::DeleteObject(h); }
};

// Icons the program loaded or built itself (not shared system icons).
struct IconHandleTraits {
    using Type = HICON;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::DestroyIcon(h); }
};

struct MenuHandleTraits {
    using Type = HMENU;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::DestroyMenu(h); }
};

// The screen's DC, from GetDC(nullptr).
struct ScreenDcTraits {
    using Type = HDC;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::ReleaseDC(nullptr, h); }
};

struct MemoryDcTraits {
    using Type = HDC;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::DeleteDC(h); }
};

struct ServiceHandleTraits {
    using Type = SC_HANDLE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::CloseServiceHandle(h); }
};

using CHandle = TUniqueHandle<HandleTraits>;
using CFileHandle = TUniqueHandle<FileHandleTraits>;
using CKeyHandle = TUniqueHandle<KeyHandleTraits>;
using CModuleHandle = TUniqueHandle<ModuleHandleTraits>;
using CGdiObject = TUniqueHandle<GdiObjectTraits>;
using CServiceHandle = TUniqueHandle<ServiceHandleTraits>;
using CIcon = TUniqueHandle<IconHandleTraits>;
using CMenu = TUniqueHandle<MenuHandleTraits>;
using CScreenDc = TUniqueHandle<ScreenDcTraits>;
using CMemoryDc = TUniqueHandle<MemoryDcTraits>;

// The two handles CreateProcess hands back: whatever it filled in is closed at the end.
class CProcessInformation {
public:
    CProcessInformation() = default;
    ~CProcessInformation() { reset(); }
    CProcessInformation(const CProcessInformation&) = delete;
    CProcessInformation& operator=(const CProcessInformation&) = delete;

    // For CreateProcess; closes what was held.
    PROCESS_INFORMATION* put() noexcept
    {
        reset();
        return &m_info;
    }
    HANDLE process() const noexcept { return m_info.hProcess; }
    DWORD processId() const noexcept { return m_info.dwProcessId; }
    // The process handle, for a caller that keeps it; the thread handle stays to be closed.
    CHandle releaseProcess() noexcept { return CHandle(std::exchange(m_info.hProcess, nullptr)); }

private:
    void reset() noexcept
    {
        if (m_info.hThread)
            ::CloseHandle(m_info.hThread);
        if (m_info.hProcess)
            ::CloseHandle(m_info.hProcess);
        m_info = PROCESS_INFORMATION{};
    }

    PROCESS_INFORMATION m_info{};
};
