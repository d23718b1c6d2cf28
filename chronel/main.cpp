// Chronel: keeps the computer's clock accurate.

#include "CChronelApp.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand)
{
    CSystemClockSetter clock;
    CChronelApp app(clock);
    return app.run(instance, showCommand);
}
