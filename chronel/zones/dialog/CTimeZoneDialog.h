#pragma once
// The Time Zone dialog (template 149): the name, catalogue zone and time zone bar choices of
// one zone of the user's list. Opened for a new zone, for zone n, or for the home zone; OK
// saves through CZoneList and closes, "Add Another" saves a new zone and starts the next one.

#include "CDialog.h"
#include "CZoneCatalogue.h"
#include "CZoneList.h"
#include "UniqueHandle.h"

#include <windows.h>

#include <functional>
#include <string>

class CTimeZoneDialog : public CDialog {
public:
    // The zone list keeps names of at most this many characters.
    static constexpr size_t kNameChars = 256;

    // A new zone; `addedAnother` runs after each successful "Add Another".
    explicit CTimeZoneDialog(std::function<void()> addedAnother = {}, const CZoneCatalogue* catalogue = nullptr);
    // Zone n with its name (n <= 0: the home zone).
    CTimeZoneDialog(long n, std::wstring name, std::function<void()> addedAnother = {},
                    const CZoneCatalogue* catalogue = nullptr);
    ~CTimeZoneDialog() override;

protected:
    bool onInitDialog() override;
    bool onCommand(UINT id, UINT code, HWND control) override;

private:
    void fillCatalogue();
    void showStoredZone();
    void startNewZone();
    void showPicture(UINT bitmapId);
    void showRecord();
    void setName(const std::wstring& name);
    void updateEnabling();
    void copyChosenDisplay();
    void onAddAnother();
    // Saves the dialog's data under the zone's number, telling the user when it fails.
    bool save();

    std::wstring name() const;
    bool checked(int id) const;

    const CZoneCatalogue* m_catalogue;
    CZoneCatalogue m_ownCatalogue;
    std::function<void()> m_addedAnother;
    long m_number;
    bool m_isNew;
    std::wstring m_name;
    // What the dialog opens with: the stored record, or a new zone's starting choices.
    ZoneRecord m_record{0, 1, 0, 0};
    // A new zone takes the chosen zone's text as its name until the user edits the name.
    bool m_copyName = false;
    bool m_settingName = false;
    CGdiObject m_picture;
};
