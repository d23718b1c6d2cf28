#include "CReminderSound.h"

#include "ReminderRecord.h"

#include <mmsystem.h>

void CReminderSound::start(const std::wstring& file, int repeat)
{
    // The stopped sound's own notification (aborted) is not an end of play: the new sound
    // starts here rather than waiting for it, since the device number may be handed out again.
    closeDevice();
    m_file = file;
    m_remaining = repeat;
    playNext();
}

void CReminderSound::onNotify(WPARAM flags, LPARAM device)
{
    if (m_open == 0 || static_cast<UINT>(device) != m_open)
        return;
    if (flags == MCI_NOTIFY_SUCCESSFUL) {
        playNext();
    } else if (flags == MCI_NOTIFY_FAILURE) {
        // A device that accepted the play and then failed it (no wave output, for one) would
        // fail every repeat as well: stay silent.
        stop();
    }
    // Aborted or superseded: whoever stopped it decides what plays next.
}

void CReminderSound::stop()
{
    closeDevice();
    m_remaining = 0;
}

void CReminderSound::closeDevice()
{
    if (m_open) {
        const UINT device = m_open;
        m_open = 0;
        m_device.close(device);
    }
}

void CReminderSound::playNext()
{
    closeDevice();
    if (m_remaining != ReminderRecord::kContinuously) {
        const int before = m_remaining--;
        if (before <= 0) {
            m_remaining = 0;
            return;
        }
    }
    if (m_file.empty())
        return;
    const UINT device = m_device.open(m_file);
    if (device == 0)
        return; // silent; the reminder is still shown
    m_open = device;
    if (!m_device.play(device, m_notify))
        closeDevice();
}
