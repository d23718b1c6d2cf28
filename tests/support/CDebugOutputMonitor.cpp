#include "CDebugOutputMonitor.h"

namespace {

// The buffer: the writer's process id, then the text.
constexpr DWORD kBufferBytes = 4096;

} // namespace

CDebugOutputMonitor::CDebugOutputMonitor()
    : m_bufferReady(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY")),
      m_dataReady(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY")),
      m_mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferBytes, L"DBWIN_BUFFER"))
{
    if (!m_bufferReady || !m_dataReady || !m_mapping)
        return;
    m_view = static_cast<const char*>(MapViewOfFile(m_mapping.get(), FILE_MAP_READ, 0, 0, kBufferBytes));
    if (m_view)
        m_thread = std::thread([this] { run(); });
}

CDebugOutputMonitor::~CDebugOutputMonitor()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_view)
        UnmapViewOfFile(m_view);
}

void CDebugOutputMonitor::run()
{
    SetEvent(m_bufferReady.get());
    while (!m_stop) {
        if (WaitForSingleObject(m_dataReady.get(), 50) != WAIT_OBJECT_0)
            continue;
        std::string text(m_view + sizeof(DWORD), strnlen(m_view + sizeof(DWORD), kBufferBytes - sizeof(DWORD)));
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_texts.push_back(std::move(text));
        }
        SetEvent(m_bufferReady.get());
    }
}

std::vector<std::string> CDebugOutputMonitor::texts() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts;
}
