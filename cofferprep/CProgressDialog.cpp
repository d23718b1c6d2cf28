#include "CProgressDialog.h"

#include "CMessageWait.h"
#include "SecureDisk.h"
#include "CofferprepResources.h"
#include "ResourceString.h"

#include <dbt.h>

CProgressDialog::CProgressDialog(HINSTANCE instance, IDeviceAccess& devices, CInstallation::Settings settings)
    : CDialog(IDD_PROGRESS, instance), m_instance(instance), m_devices(devices),
      m_installation(devices, std::move(settings), *this)
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
    INT_PTR result = CDialog::doModal(nullptr);
    if (m_thread)
        WaitForSingleObject(m_thread.get(), INFINITE);
    return result;
}

bool CProgressDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_START_INSTALL:
        onStartInstall();
        result = TRUE;
        return true;
    case WM_SHOW_INSTALL_FAILURE:
        messageBox(IDS_INSTALL_FAILED, MB_OK | MB_ICONEXCLAMATION);
        result = TRUE;
        return true;
    case WM_DEVICECHANGE:
        if (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) {
            onDeviceChange(wParam);
            result = 0;
            return true;
        }
        return false;
    case WM_DESTROY:
        onDestroy();
        return false;
    }
    return CDialog::onMessage(message, wParam, lParam, result);
}

bool CProgressDialog::onCommand(UINT id, UINT code, HWND control)
{
    if (id == IDCANCEL) {
        onCancel();
        return true;
    }
    return CDialog::onCommand(id, code, control);
}

bool CProgressDialog::onInitDialog()
{
    m_notification = m_devices.registerInterfaceNotification(hwnd(), securedisk::kDiskInterface);
    SetDlgItemTextW(hwnd(), IDC_PROGRESS_TEXT,
                    ::loadString(m_installation.settings().windows2000 ? IDS_INSTALLING_WIN2000 : IDS_INSTALLING,
                                 m_instance)
                        .c_str());
    PostMessageW(hwnd(), WM_START_INSTALL, 0, 0);
    return true;
}

void CProgressDialog::onStartInstall()
{
    if (m_started)
        return;
    m_started = true;
    m_thread = m_installation.start();
    if (m_thread)
        dispatchUntilEnded(m_thread.get());
    endDialog(1);
}

void CProgressDialog::dispatchUntilEnded(HANDLE thread)
{
    if (CMessageWait::forAny(&thread, 1, hwnd()) < 0)
        WaitForSingleObject(thread, INFINITE); // the thread uses this object: it must end first
}

void CProgressDialog::onCancel()
{
    if (messageBox(IDS_CONFIRM_CANCEL, MB_YESNOCANCEL | MB_ICONEXCLAMATION) != IDYES)
        return;
    m_installation.flags().cancel();
    endDialog(IDCANCEL);
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
    SendMessageW(hwnd(), WM_SHOW_INSTALL_FAILURE, 0, 0);
}

int CProgressDialog::messageBox(UINT textId, UINT type)
{
    return MessageBoxW(hwnd(), ::loadString(textId, m_instance).c_str(), ::loadString(IDS_APP_TITLE, m_instance).c_str(),
                       type);
}
