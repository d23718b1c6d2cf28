#include "CChronelBinding.h"

#include "CChronelApp.h"
#include "CChronelProxyObj.h"
#include "CClockSetterStub.h"
#include "CDispatchForwarder.h"
#include "CMainWnd.h"
#include "CMessageBoxCapture.h"
#include "CDialogAnswers.h"
#include "CTimeZoneSetterStub.h"
#include "CSuiteRegistryTest.h"
#include "ChronelSettings.h"
#include "ComTypes.h"
#include "UniqueHandle.h"
#include "resource.h"

#include <cstdlib>
#include <optional>
#include <vector>

struct CChronelBinding::State {
    std::optional<COleInit> ole;
    CClockSetterStub clock;
    std::unique_ptr<CChronelApp> app;
    std::unique_ptr<CMessageBoxCapture> capture;
    CTimeZoneSetterStub zoneSetter;
    std::unique_ptr<CDialogAnswers> dialogs;
    int answer = IDYES;
    std::vector<CapturedBox> boxes;
};

namespace {

// Seeds the settings the bridge runs with: only the loopback server, no ICMP test first.
void seedSettings()
{
    CSuiteRegistryTest::removeSuiteKeys();
    settings::write(settings::server(1), L"127.0.0.1");
    for (int k = 2; k <= 5; ++k)
        settings::write(settings::server(k), L"");
    settings::write(settings::kInternetCheck, false);
}

// The values of one key under the settings root as a JSON object: numbers for DWORDs,
// strings for texts.
std::string registryValues(const std::wstring& subkey)
{
    std::wstring path = settings::kRootPath;
    if (!subkey.empty())
        path += L"\\" + subkey;
    CKeyHandle key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return "{\"exists\":false,\"values\":{}}";
    std::string out = "{\"exists\":true,\"values\":{";
    bool first = true;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        BYTE data[4096];
        DWORD size = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG status = RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data, &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            continue;
        if (!first)
            out += ',';
        first = false;
        out += CDispatchForwarder::quote(std::wstring(name, nameLength));
        out += ':';
        if (type == REG_DWORD && size == sizeof(DWORD)) {
            DWORD number = 0;
            memcpy(&number, data, sizeof number);
            out += std::to_string(number);
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            data[size] = 0;
            data[size + 1] = 0;
            std::wstring text(reinterpret_cast<const wchar_t*>(data));
            out += CDispatchForwarder::quote(text);
        } else {
            out += "null";
        }
    }
    return out + "}}";
}

std::string boxesJson(const std::vector<CapturedBox>& boxes)
{
    std::string out = "[";
    for (size_t i = 0; i < boxes.size(); ++i) {
        const CapturedBox& b = boxes[i];
        if (i)
            out += ',';
        out += std::string("{\"caption\":") + CDispatchForwarder::quote(b.caption) +
               ",\"text\":" + CDispatchForwarder::quote(b.text) + ",\"icon\":" + std::to_string(b.icon) +
               ",\"buttons\":" + std::to_string(b.buttons) + ",\"answer\":" + std::to_string(b.answer) + "}";
    }
    return out + "]";
}

} // namespace

CChronelBinding::CChronelBinding() : m_state(std::make_unique<State>()) {}

CChronelBinding::~CChronelBinding()
{
    if (m_state->app && m_state->app->mainWnd() && m_state->app->mainWnd()->pageHostWindow())
        DestroyWindow(m_state->app->mainWnd()->pageHostWindow());
    m_state->app.reset();
    m_state->capture.reset();
    m_state->dialogs.reset();
    m_state->ole.reset();
}

bool CChronelBinding::start(unsigned short ntpPort, std::string& error)
{
    State& s = *m_state;
    s.ole.emplace();
    if (!s.ole->ok()) {
        error = "OleInitialize failed";
        return false;
    }
    seedSettings();
    s.capture = std::make_unique<CMessageBoxCapture>(
        [&s](const CapturedBox&) { return s.answer; }, [&s](const CapturedBox& box) { s.boxes.push_back(box); });
    s.dialogs = std::make_unique<CDialogAnswers>();
    s.app = std::make_unique<CChronelApp>(s.clock);
    s.app->setTimeZoneSetter(s.zoneSetter);
    if (ntpPort)
        s.app->sync().setPort(ntpPort);
    if (!s.app->createMainWindow()) {
        error = "the main window was not created";
        return false;
    }
    CMainWnd* main = s.app->mainWnd();
    // The system tells the page host of a clock change; the stand-in clock does it here.
    s.clock.onSet = [main] {
        if (HWND page = main->pageHostWindow())
            PostMessageW(page, WM_TIMECHANGE, 0, 0);
    };
    main->openPageHost();
    if (!main->pageHostWindow()) {
        error = "the page host was not created";
        return false;
    }
    return true;
}

IDispatch* CChronelBinding::automation() const
{
    return m_state->app ? static_cast<IDispatch*>(m_state->app->automationObject()) : nullptr;
}

bool CChronelBinding::control(const HttpRequest& request, HttpResponse& response)
{
    State& s = *m_state;
    const auto query = CLoopbackHttpServer::decodeForm(request.query);
    auto field = [&](const char* name) {
        auto found = query.find(name);
        return found == query.end() ? std::string() : found->second;
    };
    if (request.path == "/control/registry") {
        response.body = registryValues(CDispatchForwarder::widen(field("key")));
    } else if (request.path == "/control/answer") {
        const std::string button = field("button");
        s.answer = button == "no" ? IDNO : button == "yes" ? IDYES : 0;
        response.body = "{\"ok\":true}";
    } else if (request.path == "/control/boxes") {
        response.body = boxesJson(s.boxes);
    } else if (request.path == "/control/clock") {
        response.body = "{\"requests\":" + std::to_string(s.clock.requests.size()) +
                        (s.clock.requests.empty() ? std::string()
                                                  : ",\"lastCorrection\":" +
                                                        std::to_string(s.clock.correctionOf(s.clock.requests.size() - 1))) +
                        "}";
    } else if (request.path == "/control/check") {
        // A fresh check, as the page host makes one when it opens; the answer comes when it ends.
        s.app->sync().invalidateCache();
        s.app->sync().startCheck(s.app->mainWnd()->pageHostWindow());
        response.body = "{\"ok\":true}";
    } else if (request.path == "/control/reset") {
        seedSettings();
        s.boxes.clear();
        // Pop-ups of an earlier test go; the schedule follows the emptied registry.
        CReminders& reminders = s.app->mainWnd()->reminders();
        reminders.popups().closeAll();
        reminders.sound().stop();
        reminders.refresh();
        // The main window plans the next check again, as after a change of Autocheck.
        SendMessageW(s.app->mainWnd()->hwnd(), WM_AUTOCHECK_CHANGED, 0, 0);
        response.body = "{\"ok\":true}";
    } else if (request.path == "/control/reminder-dialog") {
        // How the next Reminder dialog is answered.
        CDialogAnswers::Answer answer;
        answer.ok = field("action") == "ok";
        answer.text = CDispatchForwarder::widen(field("text"));
        answer.countdown = !field("hours").empty() || !field("minutes").empty();
        answer.hours = atoi(field("hours").c_str());
        answer.minutes = atoi(field("minutes").c_str());
        answer.everyDays = atoi(field("every").c_str());
        answer.deleteWhenDone = field("deleteWhenDone") == "1";
        s.dialogs->set(answer);
        response.body = "{\"ok\":true}";
    } else if (request.path == "/control/zone-dialog") {
        // How the next Time Zone dialog is answered.
        CDialogAnswers::ZoneAnswer answer;
        answer.ok = field("action") == "ok";
        answer.name = CDispatchForwarder::widen(field("name"));
        answer.catalogueIndex = field("index").empty() ? -1 : atoi(field("index").c_str());
        s.dialogs->set(answer);
        response.body = "{\"ok\":true}";
    } else if (request.path == "/control/confirm") {
        // How the next Confirm Message dialog is answered.
        CDialogAnswers::ConfirmAnswer answer;
        answer.first = field("button") == "first";
        answer.dontShowAgain = field("dontShow") == "1";
        s.dialogs->set(answer);
        response.body = "{\"ok\":true}";
    } else if (request.path == "/control/zones") {
        // The zones applied to the computer (by their bias) and the confirmations shown.
        std::string applied = "[";
        for (size_t i = 0; i < s.zoneSetter.requests.size(); ++i)
            applied += (i ? "," : "") + std::to_string(s.zoneSetter.requests[i].Bias);
        response.body = "{\"applied\":" + applied + "],\"confirmations\":" +
                        std::to_string(s.dialogs->confirmations()) + "}";
    } else if (request.path == "/control/reminders") {
        // The open reminder pop-ups and the check timer's period.
        CReminders& reminders = s.app->mainWnd()->reminders();
        response.body = "{\"popups\":" + std::to_string(reminders.popups().count()) +
                        ",\"period\":" + std::to_string(reminders.period()) +
                        ",\"dialogs\":" + std::to_string(s.dialogs->answered()) + "}";
    } else if (request.path == "/control/quit") {
        PostQuitMessage(0);
        response.body = "{\"ok\":true}";
    } else {
        return false;
    }
    return true;
}
