#pragma once
// What the tray icon asks of the window that owns it: the main window opens its page host
// and runs its exit sequence.

class ITrayIconHost {
public:
    // "Settings..." in the menu, or a double click on the icon.
    virtual void openPageHost() = 0;
    // "Exit" in the menu.
    virtual void exitApplication() = 0;

protected:
    ~ITrayIconHost() = default;
};
