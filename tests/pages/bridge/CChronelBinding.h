#pragma once
// What the bridge serves: Chronel's application object in this process, as the program has
// it, with its main window, its page host and the application's automation object. The clock
// is the test stand-in, so a correction is recorded instead of made; message boxes are
// answered by a hook; the time servers are the test's NTP server on loopback. Besides the
// object it answers the test's own requests under /control/.

#include "CLoopbackHttpServer.h"

#include <oaidl.h>

#include <memory>
#include <string>

class CChronelBinding {
public:
    CChronelBinding();
    ~CChronelBinding();
    CChronelBinding(const CChronelBinding&) = delete;
    CChronelBinding& operator=(const CChronelBinding&) = delete;

    // Fresh settings pointed at 127.0.0.1:`ntpPort`, then the application and its windows.
    bool start(unsigned short ntpPort, std::string& error);
    // The application's automation object, which the pages see as window.external.
    IDispatch* automation() const;
    // /control/...: true when the path was one of these.
    bool control(const HttpRequest& request, HttpResponse& response);

private:
    struct State;
    std::unique_ptr<State> m_state;
};
