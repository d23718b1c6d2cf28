#include "CInUseDialog.h"

#include "CModule.h"
#include "CSystemHandles.h"
#include "CVaultRegKey.h"
#include "CVaultSettings.h"
#include "GdiScope.h"
#include "ResourceString.h"
#include "resource.h"

#include <shellapi.h>

#include <algorithm>

namespace {
constexpr int kIconSize = 16;
constexpr int kItemIndent = 40;
constexpr int kDetailsMarginDlu = 10;

void writeSetting(const wchar_t* name, DWORD value)
{
    CVaultRegKey key(vaultkeys::Settings);
    key.writeDword(name, value);
}

// The bottom of a control in the dialog's client coordinates.
int bottomOf(HWND dialog, HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect.bottom;
}
} // namespace

CInUseDialog::CInUseDialog(Mode mode, std::vector<SOpenLockbox> lockboxes, ISystemHandles* system)
    : CDialog(IDD_INUSE), m_mode(mode), m_lockboxes(std::move(lockboxes)), m_system(system)
{
    if (!m_system) {
        m_ownSystem = std::make_unique<CSystemHandles>();
        m_system = m_ownSystem.get();
    }
    for (const SOpenLockbox& lockbox : m_lockboxes)
        m_deviceNames.push_back(lockbox.deviceName());
}

CInUseDialog::~CInUseDialog() = default;

bool CInUseDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_MEASUREITEM:
        if (wParam != IDC_INUSE_LIST)
            return false;
        onMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    case WM_DRAWITEM:
        if (wParam != IDC_INUSE_LIST)
            return false;
        onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    return CDialog::onMessage(message, wParam, lParam, result);
}

bool CInUseDialog::onInitDialog()
{
    SetWindowTextW(hwnd(), loadString(IDS_VAULT_TITLE).c_str());
    SendDlgItemMessageW(hwnd(), IDC_INUSE_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_EXCLAMATION)), 0);

    // The heading in the dialog font's height, bold.
    LOGFONTW face{};
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    if (!dialogFont || !GetObjectW(dialogFont, sizeof face, &face))
        face.lfHeight = -11;
    face.lfWeight = FW_BOLD;
    lstrcpynW(face.lfFaceName, L"Tahoma", LF_FACESIZE);
    m_headingFont.reset(CreateFontIndirectW(&face));
    if (m_headingFont)
        SendDlgItemMessageW(hwnd(), IDC_INUSE_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(m_headingFont.get()), FALSE);

    std::wstring text;
    if (m_mode == Mode::Standby)
        text = loadString(IDS_INUSE_STANDBY);
    else if (m_lockboxes.size() == 1)
        text = substituteString(IDS_INUSE_ONE_LOCKBOX, {m_lockboxes.front().name});
    else
        text = loadString(IDS_INUSE_SEVERAL_LOCKBOXES);
    SetDlgItemTextW(hwnd(), IDC_INUSE_TEXT, text.c_str());

    CheckDlgButton(hwnd(), IDC_INUSE_ITEMS, CVaultSettings::inUseItems() == 1 ? BST_CHECKED : BST_UNCHECKED);
    showDetails(CVaultSettings::inUseDetails() == 1);
    fillList();

    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd());
    return true;
}

bool CInUseDialog::onCommand(UINT id, UINT code, HWND control)
{
    switch (id) {
    case IDC_INUSE_DETAILS:
        if (code == BN_CLICKED) {
            const bool shown = !m_detailsShown;
            writeSetting(L"PIDInfo", shown ? 1 : 0);
            showDetails(shown);
        }
        return true;
    case IDC_INUSE_ITEMS:
        if (code == BN_CLICKED) {
            writeSetting(L"PIDItems", IsDlgButtonChecked(hwnd(), IDC_INUSE_ITEMS) == BST_CHECKED ? 1 : 0);
            fillList();
        }
        return true;
    case IDC_INUSE_REFRESH:
        if (code == BN_CLICKED) {
            m_detector.reset();
            fillList();
        }
        return true;
    case IDOK: {
        CInUseDetector fresh(*m_system);
        if (fresh.detect(m_deviceNames) && fresh.programs().empty())
            m_retry = true;
        finish(IDOK);
        return true;
    }
    case IDCANCEL:
        finish(IDCANCEL);
        return true;
    }
    return CDialog::onCommand(id, code, control);
}

void CInUseDialog::finish(INT_PTR result)
{
    m_result = result;
    endDialog(result);
}

void CInUseDialog::showDetails(bool shown)
{
    m_detailsShown = shown;
    const int show = shown ? SW_SHOW : SW_HIDE;
    for (int id : {IDC_INUSE_LIST, IDC_INUSE_ITEMS, IDC_INUSE_REFRESH})
        ShowWindow(item(id), show);
    SetDlgItemTextW(hwnd(), IDC_INUSE_DETAILS,
                    loadString(shown ? IDS_INUSE_DETAILS_HIDE : IDS_INUSE_DETAILS_SHOW).c_str());

    // Down to the list, or to whichever of the summary's text and buttons ends lower.
    int bottom = bottomOf(hwnd(), item(IDC_INUSE_LIST));
    if (!shown)
        bottom = std::max(bottomOf(hwnd(), item(IDC_INUSE_TEXT)), bottomOf(hwnd(), item(IDC_INUSE_DETAILS)));
    RECT margin{0, 0, 0, kDetailsMarginDlu};
    MapDialogRect(hwnd(), &margin);
    RECT client{};
    GetClientRect(hwnd(), &client);
    RECT window{};
    GetWindowRect(hwnd(), &window);
    const int nonClient = (window.bottom - window.top) - (client.bottom - client.top);
    SetWindowPos(hwnd(), nullptr, 0, 0, window.right - window.left, bottom + margin.bottom + nonClient,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CInUseDialog::addLine(LineKind kind, const std::wstring& text, const std::wstring& program)
{
    m_lines.push_back(SLine{kind, text, program});
    HWND list = item(IDC_INUSE_LIST);
    const LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index >= 0)
        SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(m_lines.size() - 1));
}

bool CInUseDialog::detect()
{
    if (m_detector)
        return true;
    m_detector = std::make_unique<CInUseDetector>(*m_system);
    if (!m_detector->detect(m_deviceNames)) {
        m_detector.reset();
        return false;
    }
    return true;
}

void CInUseDialog::fillList()
{
    HWND list = item(IDC_INUSE_LIST);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    m_lines.clear();

    if (!detect()) {
        addLine(LineKind::Notice, loadString(IDS_INUSE_UNKNOWN));
        return;
    }

    const bool items = IsDlgButtonChecked(hwnd(), IDC_INUSE_ITEMS) == BST_CHECKED;
    for (const std::wstring& program : m_detector->programs()) {
        addLine(LineKind::Program, CInUseDetector::friendlyName(program), program);
        if (!items)
            continue;
        for (const std::wstring& kernelName : m_detector->itemsOf(program)) {
            if (kernelName.empty())
                continue;
            const std::wstring path = drivePath(kernelName);
            const DWORD attributes = GetFileAttributesW(path.c_str());
            const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            addLine(LineKind::Item, substituteString(folder ? IDS_INUSE_DIRECTORY : IDS_INUSE_FILE, {path}));
        }
    }
    if (SendMessageW(list, LB_GETCOUNT, 0, 0) == 0) {
        addLine(LineKind::Notice, loadString(IDS_INUSE_ALL_CEASED));
        m_retry = true;
    }
}

std::wstring CInUseDialog::drivePath(const std::wstring& kernelName) const
{
    // The longest device name that ends where a path component does: SDisk1 is no part of SDisk12.
    const SOpenLockbox* best = nullptr;
    size_t bestLength = 0;
    for (const SOpenLockbox& lockbox : m_lockboxes) {
        const std::wstring device = lockbox.deviceName();
        if (kernelName.compare(0, device.size(), device) != 0)
            continue;
        if (kernelName.size() > device.size() && kernelName[device.size()] != L'\\')
            continue;
        if (device.size() > bestLength) {
            best = &lockbox;
            bestLength = device.size();
        }
    }
    if (!best)
        return kernelName;
    return std::wstring(1, best->drive) + L":" + kernelName.substr(bestLength);
}

HICON CInUseDialog::iconFor(const SLine& line)
{
    if (line.kind == LineKind::Item)
        return nullptr;
    const std::wstring& text = line.text;
    auto cached = m_icons.find(text);
    if (cached != m_icons.end())
        return cached->second.get();

    CIcon icon;
    if (line.kind == LineKind::Program) {
        HICON extracted = ExtractIconW(CModule::instance(), line.program.c_str(), 0);
        // 1 means the file is no program with icons.
        if (extracted && reinterpret_cast<ULONG_PTR>(extracted) != 1)
            icon.reset(extracted);
        else
            icon.reset(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
    } else {
        icon.reset(CopyIcon(LoadIconW(nullptr, IDI_INFORMATION)));
    }
    HICON result = icon.get();
    m_icons.emplace(text, std::move(icon));
    return result;
}

void CInUseDialog::onMeasureItem(MEASUREITEMSTRUCT& measure)
{
    // Lines are measured as they are added: the one being measured is the last one.
    int height = 13;
    CWindowDc dc(hwnd());
    if (dc && !m_lines.empty()) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
        CSelectObject select(dc.get(), font);
        const SLine& line = m_lines.back();
        RECT list{};
        GetClientRect(item(IDC_INUSE_LIST), &list);
        RECT text{0, 0, std::max<LONG>(list.right - kIconSize - 8 - GetSystemMetrics(SM_CXVSCROLL), 40), 0};
        // Notices wrap; program and item lines stay on one line.
        const UINT format = line.kind == LineKind::Notice ? DT_WORDBREAK : DT_SINGLELINE;
        DrawTextW(dc.get(), line.text.c_str(), static_cast<int>(line.text.size()), &text,
                  format | DT_CALCRECT | DT_NOPREFIX);
        height = text.bottom - text.top;
    }
    measure.itemHeight = static_cast<UINT>(std::max(height, kIconSize) + 4);
}

void CInUseDialog::onDrawItem(const DRAWITEMSTRUCT& draw)
{
    if (draw.itemID == static_cast<UINT>(-1))
        return;
    const size_t index = static_cast<size_t>(draw.itemData);
    if (index >= m_lines.size())
        return;
    const SLine& line = m_lines[index];

    const std::wstring& text = line.text;

    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    FillRect(draw.hDC, &draw.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(draw.hDC, TRANSPARENT);
    SetTextColor(draw.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));

    RECT textRect = draw.rcItem;
    textRect.left += 2;
    if (HICON icon = iconFor(line)) {
        const int top = line.kind == LineKind::Notice
            ? draw.rcItem.top + 2
            : draw.rcItem.top + ((draw.rcItem.bottom - draw.rcItem.top) - kIconSize) / 2;
        DrawIconEx(draw.hDC, textRect.left, top, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        textRect.left += kIconSize + 6;
    } else {
        textRect.left += kItemIndent;
    }
    if (line.kind == LineKind::Notice) {
        textRect.top += 2;
        DrawTextW(draw.hDC, text.c_str(), static_cast<int>(text.size()), &textRect, DT_WORDBREAK | DT_NOPREFIX);
    } else {
        DrawTextW(draw.hDC, text.c_str(), static_cast<int>(text.size()), &textRect,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (draw.itemState & ODS_FOCUS)
        DrawFocusRect(draw.hDC, &draw.rcItem);
}
