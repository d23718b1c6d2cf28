#include "CProgressDialog.h"

#include "CMessageWait.h"
#include "CofferprepNames.h"
#include "CofferprepResources.h"

#include <dbt.h>

CProgressDialog::CProgressDialog(HINSTANCE instance, IDeviceAccess& devices, CInstallation::Settings settings)
    : m_instance(instance), m_devices(devices), m_installation(devices, std::move(settings), *this)
{
}

CProgressDialog::~CProgressDialog()
{
    // The thread uses this object: it must have ended before the object goes.
    if (m_thread)
        WaitForSingleObject(m_thread.get(), INFINITE);
}

INT_PTR CProgressDialog::doModal()
{
    INT_PTR result = DialogBoxParamW(m_instance, MAKEINTRESOURCEW(IDD_PROGRESS), nullptr, &CProgressDialog::dialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (m_thread)
        WaitForSingleObject(m_thread.get(), INFINITE);
    return result;
}

INT_PTR CALLBACK CProgressDialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CProgressDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CProgressDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->m_window = window;
    }
    if (!self)
        return FALSE;
    try {
        return self->onMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into the system's dialog code; the message counts as handled.
        return TRUE;
    }
}

INT_PTR CProgressDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog();
        return TRUE;
    case WM_START_INSTALL:
        onStartInstall();
        return TRUE;
    case WM_SHOW_INSTALL_FAILURE:
        messageBox(IDS_INSTALL_FAILED, MB_OK | MB_ICONEXCLAMATION);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            onCancel();
            return TRUE;
        }
        return FALSE;
    case WM_DEVICECHANGE:
        if (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) {
            onDeviceChange(wParam);
            SetWindowLongPtrW(m_window, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        onDestroy();
        return FALSE;
    default:
        return FALSE;
    }
}

void CProgressDialog::onInitDialog()
{
    m_notification = m_devices.registerInterfaceNotification(m_window, cofferprep::kDiskInterface);
    SetDlgItemTextW(m_window, IDC_PROGRESS_TEXT,
                    loadString(m_installation.settings().windows2000 ? IDS_INSTALLING_WIN2000 : IDS_INSTALLING).c_str());
    PostMessageW(m_window, WM_START_INSTALL, 0, 0);
}

void CProgressDialog::onStartInstall()
{
    if (m_started)
        return;
    m_started = true;
    m_thread = m_installation.start();
    if (m_thread)
        dispatchUntilEnded(m_thread.get());
    EndDialog(m_window, 1);
}

void CProgressDialog::dispatchUntilEnded(HANDLE thread)
{
    if (CMessageWait::forAny(&thread, 1, m_window) < 0)
        WaitForSingleObject(thread, INFINITE); // the thread uses this object: it must end first
}

void CProgressDialog::onCancel()
{
    if (messageBox(IDS_CONFIRM_CANCEL, MB_YESNOCANCEL | MB_ICONEXCLAMATION) != IDYES)
        return;
    m_installation.flags().cancel();
    EndDialog(m_window, IDCANCEL);
}

void CProgressDialog::onDeviceChange(WPARAM event)
{
    // Any arrival ends the wait for the plugged disk, whatever kind of device it is.
    m_installation.flags().clear(event == DBT_DEVICEARRIVAL ? WaitFlag::Arrival : WaitFlag::Removal);
}

void CProgressDialog::onDestroy()
{
    m_devices.unregisterNotification(m_notification);
    m_notification = nullptr;
}

void CProgressDialog::showInstallFailure()
{
    // Sent, not posted: the installation goes on only after the user has answered.
    SendMessageW(m_window, WM_SHOW_INSTALL_FAILURE, 0, 0);
}

int CProgressDialog::messageBox(UINT textId, UINT type)
{
    return MessageBoxW(m_window, loadString(textId).c_str(), loadString(IDS_APP_TITLE).c_str(), type);
}

std::wstring CProgressDialog::loadString(UINT id) const
{
    const wchar_t* text = nullptr;
    int length = LoadStringW(m_instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}
