#include "CReminderSoundBox.h"

#include "DialogFields.h"
#include "RegistryValue.h"
#include "ResourceString.h"
#include "resource.h"

#include <commdlg.h>
#include <mmsystem.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace {

// Marlett's glyphs for the play triangle and the stop square, as on the caption buttons.
constexpr wchar_t kPlayFace[] = L"4";
constexpr wchar_t kStopFace[] = L"g";
// GetOpenFileName's path buffer; the stored record keeps what fits.
constexpr DWORD kPathChars = 1024;

} // namespace

void CReminderSoundBox::attach(HWND dialog)
{
    m_dialog = dialog;
    HWND button = GetDlgItem(dialog, IDC_REMINDER_PLAY);
    RECT client{};
    GetClientRect(button, &client);
    // Marlett's triangle and square fill only the middle of its cell, as on the caption
    // buttons: a cell as tall as the button gives a glyph about the size of the text beside it.
    LOGFONTW face{};
    face.lfHeight = -std::max<LONG>(8, client.bottom - client.top);
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = SYMBOL_CHARSET;
    lstrcpynW(face.lfFaceName, L"Marlett", LF_FACESIZE);
    m_glyphs.reset(CreateFontIndirectW(&face));
    if (m_glyphs)
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(m_glyphs.get()), FALSE);
    showFace(false);
    fill();
}

void CReminderSoundBox::detach()
{
    stop();
    m_dialog = nullptr;
}

std::wstring CReminderSoundBox::mediaFolder()
{
    CKeyHandle key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, KEY_QUERY_VALUE,
                      key.put())
        != ERROR_SUCCESS)
        return std::wstring();
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!queryRegistryValue(key.get(), L"MediaPath", type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    std::wstring folder = registryText(data);
    if (type == REG_EXPAND_SZ)
        folder = expandEnvironment(folder, MAX_PATH);
    if (folder.size() > MAX_PATH)
        return std::wstring();
    return folder;
}

void CReminderSoundBox::fill()
{
    HWND box = GetDlgItem(m_dialog, IDC_REMINDER_SOUND);
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    const std::wstring folder = mediaFolder();
    if (!folder.empty()) {
        std::wstring pattern = folder;
        if (pattern.back() != L'\\')
            pattern += L'\\';
        pattern += L"*.wav";
        // DlgDirListComboBox writes the file part back into the buffer and makes the folder
        // the current one, so that the bare names it lists open as they are.
        std::vector<wchar_t> buffer(std::max<size_t>(pattern.size() + 1, MAX_PATH + 1), L'\0');
        std::copy(pattern.begin(), pattern.end(), buffer.begin());
        DlgDirListComboBoxW(m_dialog, buffer.data(), IDC_REMINDER_SOUND, 0, DDL_READWRITE | DDL_READONLY);
    }
    const std::wstring none = loadString(IDS_SOUND_NONE);
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(none.c_str()));
    setText(none);
}

std::wstring CReminderSoundBox::text() const
{
    HWND box = GetDlgItem(m_dialog, IDC_REMINDER_SOUND);
    const int length = GetWindowTextLengthW(box);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(box, text.data(), length + 1)));
    return text;
}

void CReminderSoundBox::setText(const std::wstring& text)
{
    SetDlgItemTextW(m_dialog, IDC_REMINDER_SOUND, text.c_str());
}

void CReminderSoundBox::enable(bool on)
{
    if (!on)
        stop();
    for (int id : {IDC_REMINDER_SOUND, IDC_REMINDER_PLAY, IDC_REMINDER_BROWSE})
        enableField(GetDlgItem(m_dialog, id), on);
}

void CReminderSoundBox::browse()
{
    const std::wstring title = loadString(IDS_REMINDER_SOUND_TITLE);
    // Pairs of description and pattern, each ending in a zero, and a zero after the last.
    std::wstring filter = loadString(IDS_SOUND_FILTER);
    filter += L'\0';
    filter += L"*.wav";
    filter += L'\0';
    const std::wstring folder = text();
    std::vector<wchar_t> path(kPathChars, L'\0');

    OPENFILENAMEW chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = m_dialog;
    chooser.lpstrFilter = filter.c_str();
    chooser.lpstrFile = path.data();
    chooser.nMaxFile = kPathChars;
    chooser.lpstrInitialDir = folder.c_str();
    chooser.lpstrTitle = title.c_str();
    chooser.Flags = OFN_PATHMUSTEXIST;
    if (GetOpenFileNameW(&chooser))
        setText(path.data());
}

void CReminderSoundBox::togglePlay()
{
    if (m_device) {
        stop();
        return;
    }
    const UINT device = m_sound.open(text());
    if (device == 0)
        return;
    m_device = device;
    // The stop face goes up first: a device may report the end before play() returns.
    showFace(true);
    if (!m_sound.play(device, m_dialog))
        stop();
}

void CReminderSoundBox::onNotify(WPARAM flags, LPARAM device)
{
    if (m_device == 0 || static_cast<UINT>(device) != m_device)
        return;
    // Aborted and superseded arrive after our own close or a newer play: the device number they
    // name may already belong to the next one.
    if (flags == MCI_NOTIFY_ABORTED || flags == MCI_NOTIFY_SUPERSEDED)
        return;
    stop();
}

void CReminderSoundBox::stop()
{
    if (m_device) {
        const UINT device = m_device;
        m_device = 0;
        m_sound.close(device);
    }
    showFace(false);
}

void CReminderSoundBox::showFace(bool stopFace)
{
    if (m_dialog && IsWindow(m_dialog))
        SetDlgItemTextW(m_dialog, IDC_REMINDER_PLAY, stopFace ? kStopFace : kPlayFace);
}
