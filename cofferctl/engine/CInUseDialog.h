#pragma once
// The in-use dialog: lockboxes that could not be closed (or, before standby, the vault that
// cannot be closed) because programs still hold files on them, with the programs and their
// files listed on request.

#include "CDialog.h"
#include "CInUseDetector.h"
#include "SOpenLockbox.h"
#include "UniqueHandle.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CInUseDialog : public CDialog {
public:
    enum class Mode { Close, Standby };

    // `system` stays the caller's; without it the real system is asked.
    CInUseDialog(Mode mode, std::vector<SOpenLockbox> lockboxes, ISystemHandles* system = nullptr);
    ~CInUseDialog() override;

    // Finds who holds the lockboxes, once: the list shows what was found. False when the
    // holders cannot be found at all.
    bool detect();
    // True once nothing held the lockboxes any more: the caller may try closing again.
    bool retry() const { return m_retry; }
    // How the dialog ended (IDOK or IDCANCEL), 0 while it runs.
    INT_PTR result() const { return m_result; }

protected:
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool onInitDialog() override;
    bool onCommand(UINT id, UINT code, HWND control) override;

private:
    enum class LineKind { Program, Item, Notice };
    struct SLine {
        LineKind kind;
        std::wstring text;
        std::wstring program; // the program's path, for its icon
    };

    void showDetails(bool shown);
    void fillList();
    void addLine(LineKind kind, const std::wstring& text, const std::wstring& program = {});
    std::wstring drivePath(const std::wstring& kernelName) const;
    HICON iconFor(const SLine& line);
    void onMeasureItem(MEASUREITEMSTRUCT& measure);
    void onDrawItem(const DRAWITEMSTRUCT& draw);
    void finish(INT_PTR result);

    Mode m_mode;
    std::vector<SOpenLockbox> m_lockboxes;
    std::vector<std::wstring> m_deviceNames;
    std::unique_ptr<ISystemHandles> m_ownSystem;
    ISystemHandles* m_system;
    std::unique_ptr<CInUseDetector> m_detector;
    bool m_detailsShown = false;
    bool m_retry = false;
    INT_PTR m_result = 0;
    std::vector<SLine> m_lines;
    std::map<std::wstring, CIcon> m_icons;
    CGdiObject m_headingFont;
};
