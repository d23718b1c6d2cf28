// PagesBridge: serves the HTML pages of one folder and the automation object of the binding
// on 127.0.0.1, so that a browser engine other than the system's can run the pages against
// the real program. Each POST /call names a method and its arguments; the call goes through
// the object's IDispatch exactly as the page host's script engine makes it. Everything runs
// on this thread, the object's apartment: requests are served by its message loop.
//
//   PagesBridge.exe <pages folder> <port file> [NTP port]
//
// The port it listens on is written to the port file once it serves.

#include "CChronelBinding.h"
#include "CDispatchForwarder.h"
#include "CLoopbackHttpServer.h"
#include "UniqueHandle.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string contentType(const std::wstring& path)
{
    const size_t dot = path.rfind(L'.');
    const std::wstring ext = dot == std::wstring::npos ? L"" : path.substr(dot + 1);
    if (ext == L"htm" || ext == L"html")
        return "text/html; charset=utf-8";
    if (ext == L"css")
        return "text/css; charset=utf-8";
    if (ext == L"js")
        return "text/javascript; charset=utf-8";
    if (ext == L"svg")
        return "image/svg+xml";
    if (ext == L"png")
        return "image/png";
    return "application/octet-stream";
}

// A file of the pages folder or of its "Time" folder; other folder parts, drives and ".." are
// not served.
void serveFile(const std::wstring& folder, const std::string& path, HttpResponse& response)
{
    std::wstring name = CDispatchForwarder::widen(CLoopbackHttpServer::percentDecode(path.substr(1)));
    std::wstring sub;
    if (name.rfind(L"Time/", 0) == 0) {
        sub = L"Time\\";
        name = name.substr(5);
    }
    if (name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos || name.find(L"..") != std::wstring::npos) {
        response.status = 404;
        response.contentType = "text/plain";
        response.body = "not found";
        return;
    }
    const std::wstring full = folder + L"\\" + sub + name;
    CFileHandle file(CreateFileW(full.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > (16 << 20)) {
        response.status = 404;
        response.contentType = "text/plain";
        response.body = "not found";
        return;
    }
    std::string data(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!data.empty() && (!ReadFile(file.get(), &data[0], static_cast<DWORD>(data.size()), &read, nullptr) ||
                          read != data.size())) {
        response.status = 500;
        response.contentType = "text/plain";
        response.body = "unreadable";
        return;
    }
    response.contentType = contentType(name);
    response.body = std::move(data);
}

bool writePortFile(const std::wstring& path, unsigned short port)
{
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return false;
    const std::string text = std::to_string(port) + "\n";
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// Diagnostics go to a file beside the port file: Wine's standard output must not be read
// through a pipe.
void report(const std::wstring& portFile, const std::string& text)
{
    CFileHandle file(CreateFileW((portFile + L".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 0, nullptr));
    DWORD written = 0;
    const std::string line = text + "\n";
    if (file)
        WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fputs("usage: PagesBridge <pages folder> <port file> [NTP port]\n", stderr);
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::wstring portFile = argv[2];
    const unsigned short ntpPort = argc > 3 ? static_cast<unsigned short>(_wtoi(argv[3])) : 0;

    CChronelBinding binding;
    std::string error;
    if (!binding.start(ntpPort, error)) {
        report(portFile, "bridge: " + error);
        return 1;
    }
    CDispatchForwarder forwarder(binding.automation());

    CLoopbackHttpServer server([&](const HttpRequest& request, HttpResponse& response) {
        if (request.path.compare(0, 9, "/control/") == 0) {
            if (!binding.control(request, response)) {
                response.status = 404;
                response.body = "{\"ok\":false,\"error\":\"no such control\"}";
            }
        } else if (request.path == "/call") {
            if (request.method != "POST") {
                response.status = 405;
                response.body = "{\"ok\":false,\"error\":\"POST only\"}";
                return;
            }
            const auto fields = CLoopbackHttpServer::decodeForm(request.body);
            auto name = fields.find("name");
            if (name == fields.end()) {
                response.status = 400;
                response.body = "{\"ok\":false,\"error\":\"no method name\"}";
                return;
            }
            std::vector<std::string> arguments;
            auto range = fields.equal_range("arg");
            for (auto it = range.first; it != range.second; ++it)
                arguments.push_back(it->second);
            response.body = forwarder.call(name->second, arguments);
        } else if (request.path == "/names") {
            response.body = forwarder.names();
        } else if (request.method == "GET") {
            serveFile(folder, request.path, response);
        } else {
            response.status = 405;
            response.body = "{\"ok\":false}";
        }
    });
    if (!server.listen(0)) {
        report(portFile, "bridge: " + server.error());
        return 1;
    }
    if (!writePortFile(portFile, server.port())) {
        report(portFile, "bridge: the port file cannot be written");
        return 1;
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
