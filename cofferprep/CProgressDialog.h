#pragma once
// Cofferprep's one window: the modal progress dialog (template 129) with its icon, its text
// and Cancel. It starts the installation thread, keeps dispatching messages until that
// thread ends, turns device notifications into the waiting flags, and asks before it lets
// the user cancel.

#include "CDialog.h"
#include "CInstallation.h"
#include "IDeviceAccess.h"

#include <windows.h>

#include <string>

class CProgressDialog : public CDialog, public IInstallationUi {
public:
    CProgressDialog(HINSTANCE instance, IDeviceAccess& devices, CInstallation::Settings settings);
    ~CProgressDialog() override;
    CProgressDialog(const CProgressDialog&) = delete;
    CProgressDialog& operator=(const CProgressDialog&) = delete;

    // Shows the dialog as the program's main window; returns when the installation has
    // ended (or at once when the dialog cannot be created).
    INT_PTR doModal();

    // IInstallationUi, called on the installation thread.
    void showInstallFailure() override;

protected:
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool onInitDialog() override;
    bool onCommand(UINT id, UINT code, HWND control) override;

private:
    void onStartInstall();
    void onCancel();
    void onDeviceChange(WPARAM event);
    void onDestroy();

    // Dispatches this thread's messages until `thread` ends.
    void dispatchUntilEnded(HANDLE thread);
    int messageBox(UINT textId, UINT type);

    HINSTANCE m_instance;
    IDeviceAccess& m_devices;
    CInstallation m_installation;
    HDEVNOTIFY m_notification = nullptr;
    CHandle m_thread;
    bool m_started = false;
};
