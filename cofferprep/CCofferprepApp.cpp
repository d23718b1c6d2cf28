#include "CCofferprepApp.h"

#include "CProgressDialog.h"
#include "SetupNames.h"
#include "UniqueHandle.h"

namespace {

// Opened when the program starts and set when it ends, also when it ends by an exception.
class CFinishedSignal {
public:
    CFinishedSignal() : m_event(CreateEventW(nullptr, FALSE, FALSE, setupnames::kDriverSetupFinishedEvent)) {}
    ~CFinishedSignal()
    {
        if (m_event)
            SetEvent(m_event.get());
    }

private:
    CHandle m_event;
};

} // namespace

int CCofferprepApp::run()
{
    CFinishedSignal finished;
    try {
        CProgressDialog dialog(m_instance, m_devices, m_settings);
        dialog.doModal();
    } catch (...) {
        // Out of memory before the dialog: there is nothing to install with.
    }
    return 0;
}
