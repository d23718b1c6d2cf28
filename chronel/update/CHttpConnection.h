#pragma once
// One WinINet session and its HTTP connection to one server, opened from a root address such
// as "updates.example.com/updates" ("http://" is added when missing), and the GET requests
// made over it. Every handle is closed when the object ends.

#include "UniqueHandle.h"

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <string>
#include <vector>

struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type invalid() { return nullptr; }
    static void close(Type handle) { InternetCloseHandle(handle); }
};
using CInternetHandle = TUniqueHandle<InternetHandleTraits>;

class CHttpConnection {
public:
    // Receives a request's body in steps; false stops the transfer.
    using Sink = std::function<bool(const BYTE* bytes, DWORD count)>;
    // Gets the session's status notifications (WinINet's INTERNET_STATUS_... codes).
    using StatusHandler = std::function<void(DWORD status, const void* information, DWORD length)>;

    CHttpConnection() = default;
    ~CHttpConnection();
    CHttpConnection(const CHttpConnection&) = delete;
    CHttpConnection& operator=(const CHttpConnection&) = delete;

    // Opens the session with the system's proxy settings and connects to the root's host on
    // its port (80 unless the root names one). False when either fails or the root is no
    // HTTP address; a second open while one is open fails too.
    bool open(const std::wstring& root, const wchar_t* agent, const wchar_t* user = nullptr,
              const wchar_t* password = nullptr, StatusHandler status = {});
    bool isOpen() const { return m_connection.valid(); }
    void close();

    // The root's path, e.g. "/updates".
    const std::wstring& path() const { return m_path; }
    // The object name for `file` under the root's path: a "/" is put between them unless the
    // file begins with "\" or "/".
    std::wstring objectFor(const std::wstring& file) const;

    // GETs `object` and hands its body to `sink` in steps of `step` bytes. `expected`
    // receives the announced content length (0 when unknown). False when the request fails,
    // the server answers with other than a 2xx status, a read fails or the sink stops.
    bool get(const std::wstring& object, DWORD flags, DWORD step, const Sink& sink,
             DWORD* expected = nullptr);

    // "http://" added unless the text contains "http:".
    static std::wstring withScheme(const std::wstring& root);

private:
    static void CALLBACK onStatus(HINTERNET handle, DWORD_PTR context, DWORD status, void* information,
                                  DWORD length);

    // Declared in this order so that the connection closes before its session.
    CInternetHandle m_session;
    CInternetHandle m_connection;
    std::wstring m_path;
    StatusHandler m_status;
};
