#include "CTimeZoneDialog.h"

#include "CApplication.h"
#include "ResourceString.h"
#include "resource.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The pictures are 32-bit with straight alpha: laid here on the dialog's face colour, so
// that they sit on whatever colour the user's scheme gives dialogs. A bitmap of another
// depth is shown as it is.
void layOnFace(HBITMAP bitmap)
{
    DIBSECTION dib{};
    if (!bitmap || GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBitsPixel != 32
        || !dib.dsBm.bmBits)
        return;
    GdiFlush(); // GDI may still be writing to the bits
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    const int under[3] = {GetBValue(face), GetGValue(face), GetRValue(face)};
    auto* pixel = static_cast<BYTE*>(dib.dsBm.bmBits);
    const size_t count = static_cast<size_t>(dib.dsBm.bmWidth) * static_cast<size_t>(std::abs(dib.dsBm.bmHeight));
    for (size_t i = 0; i < count; ++i, pixel += 4) {
        const int alpha = pixel[3];
        for (int c = 0; c < 3; ++c)
            pixel[c] = static_cast<BYTE>((pixel[c] * alpha + under[c] * (255 - alpha) + 127) / 255);
        pixel[3] = 255; // opaque: a control that honours alpha draws it as laid here
    }
}

} // namespace

CTimeZoneDialog::CTimeZoneDialog(std::function<void()> addedAnother, const CZoneCatalogue* catalogue)
    : CDialog(IDD_TIME_ZONE), m_catalogue(catalogue), m_addedAnother(std::move(addedAnother)), m_number(0),
      m_isNew(true)
{
    if (!m_catalogue) {
        m_ownCatalogue.load();
        m_catalogue = &m_ownCatalogue;
    }
}

CTimeZoneDialog::CTimeZoneDialog(long n, std::wstring name, std::function<void()> addedAnother,
                                 const CZoneCatalogue* catalogue)
    : CTimeZoneDialog(std::move(addedAnother), catalogue)
{
    m_number = n <= 0 ? CZoneList::kHome : n;
    m_isNew = false;
    m_name = std::move(name);
}

CTimeZoneDialog::~CTimeZoneDialog()
{
    // A modeless dialog still open goes while its picture still exists.
    if (hwnd())
        DestroyWindow(hwnd());
}

bool CTimeZoneDialog::onInitDialog()
{
    SetWindowTextW(hwnd(), loadString(kAppTitleStringId).c_str());
    SendDlgItemMessageW(hwnd(), IDC_ZONE_NAME, EM_LIMITTEXT, kNameChars, 0);
    fillCatalogue();
    if (m_isNew) {
        showPicture(IDB_ZONE_NEW);
        startNewZone();
    } else {
        showPicture(IDB_ZONE_EDIT);
        showStoredZone();
    }
    return true;
}

void CTimeZoneDialog::fillCatalogue()
{
    // Unsorted, so that a position in the list is a catalogue index.
    HWND box = item(IDC_ZONE_CATALOGUE);
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < m_catalogue->count(); ++i)
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_catalogue->at(i).display.c_str()));
}

void CTimeZoneDialog::showStoredZone()
{
    ShowWindow(item(IDC_ZONE_ADD_ANOTHER), SW_HIDE);
    const bool home = m_number == CZoneList::kHome;
    if (home)
        SetDlgItemTextW(hwnd(), IDC_ZONE_NAME_LABEL, loadString(IDS_HOME_ZONE_NAME).c_str());

    const CZoneList list;
    ZoneRecord stored;
    if (list.readRecord(m_number, stored)) {
        m_record = stored;
    } else if (home) {
        const long own = list.homeZoneIndex(true, *m_catalogue);
        m_record.catalogueIndex = static_cast<uint32_t>(std::max(own, 0L));
    }
    m_copyName = false;
    setName(m_name);
    showRecord();
}

void CTimeZoneDialog::startNewZone()
{
    m_isNew = true;
    m_number = CZoneList().count() + 1;
    m_record = ZoneRecord{0, 1, 0, 0};
    setName(loadString(IDS_NEW_TIME_ZONE));
    showRecord();
    m_copyName = true;
}

void CTimeZoneDialog::showPicture(UINT bitmapId)
{
    // A static control does not own the bitmap it shows: the dialog keeps it until it ends.
    m_picture.reset(LoadImageW(resources(), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    layOnFace(static_cast<HBITMAP>(m_picture.get()));
    SendDlgItemMessageW(hwnd(), IDC_ZONE_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_picture.get()));
}

void CTimeZoneDialog::showRecord()
{
    // A stored index beyond the catalogue selects nothing; saving then keeps that index.
    const long index = m_catalogue->valid(static_cast<long>(m_record.catalogueIndex))
                           ? static_cast<long>(m_record.catalogueIndex)
                           : -1;
    SendDlgItemMessageW(hwnd(), IDC_ZONE_CATALOGUE, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    CheckDlgButton(hwnd(), IDC_ZONE_IN_BAR, m_record.showInBar ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd(), IDC_ZONE_HIDE_HERE, m_record.showWhenHere ? BST_UNCHECKED : BST_CHECKED);
    updateEnabling();
}

void CTimeZoneDialog::setName(const std::wstring& name)
{
    // The edit control reports its own change (EN_CHANGE) while the text is set.
    m_settingName = true;
    SetDlgItemTextW(hwnd(), IDC_ZONE_NAME, name.c_str());
    m_settingName = false;
}

void CTimeZoneDialog::updateEnabling()
{
    // Leaving a zone out of the bar while there only means something for a zone in the bar.
    EnableWindow(item(IDC_ZONE_HIDE_HERE), checked(IDC_ZONE_IN_BAR));
}

void CTimeZoneDialog::copyChosenDisplay()
{
    const LRESULT chosen = SendDlgItemMessageW(hwnd(), IDC_ZONE_CATALOGUE, CB_GETCURSEL, 0, 0);
    if (m_copyName && chosen != CB_ERR && m_catalogue->valid(static_cast<long>(chosen)))
        setName(m_catalogue->at(static_cast<size_t>(chosen)).display);
}

bool CTimeZoneDialog::onCommand(UINT id, UINT code, HWND control)
{
    switch (id) {
    case IDC_ZONE_NAME:
        if (code == EN_CHANGE && !m_settingName)
            m_copyName = false;
        return true;
    case IDC_ZONE_CATALOGUE:
        if (code == CBN_SELCHANGE)
            copyChosenDisplay();
        return true;
    case IDC_ZONE_IN_BAR:
        if (code == BN_CLICKED)
            updateEnabling();
        return true;
    case IDC_ZONE_ADD_ANOTHER:
        if (code == BN_CLICKED)
            onAddAnother();
        return true;
    case IDOK:
        if (save())
            endDialog(IDOK);
        return true;
    }
    return CDialog::onCommand(id, code, control);
}

void CTimeZoneDialog::onAddAnother()
{
    if (!m_isNew)
        return; // the button is hidden for a stored zone
    if (!save())
        return;
    if (m_addedAnother)
        m_addedAnother();
    startNewZone();
    // The next zone's name is typed first: the focus goes there with its text selected.
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(IDC_ZONE_NAME)), TRUE);
}

bool CTimeZoneDialog::save()
{
    const LRESULT chosen = SendDlgItemMessageW(hwnd(), IDC_ZONE_CATALOGUE, CB_GETCURSEL, 0, 0);
    const ZoneRecord record{chosen == CB_ERR ? m_record.catalogueIndex : static_cast<uint32_t>(chosen),
                            checked(IDC_ZONE_IN_BAR) ? 1u : 0u, m_record.atThisLocation,
                            checked(IDC_ZONE_HIDE_HERE) ? 0u : 1u};
    if (!CZoneList().save(m_number, m_isNew, name(), record)) {
        const std::wstring title = loadString(kAppTitleStringId);
        MessageBoxW(hwnd(), substituteString(IDS_REGISTRY_FAILED, {title}).c_str(), title.c_str(), MB_OK | MB_ICONHAND);
        return false;
    }
    return true;
}

std::wstring CTimeZoneDialog::name() const
{
    const int length = GetWindowTextLengthW(item(IDC_ZONE_NAME));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetDlgItemTextW(hwnd(), IDC_ZONE_NAME, text.data(), length + 1)));
    if (text.size() > kNameChars)
        text.resize(kNameChars);
    return text;
}

bool CTimeZoneDialog::checked(int id) const { return IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }
