#pragma once
// Chronel's registration as the local automation server of ChronelProxyObj: registry scripts
// 107 (the AppID) and 108 (the class and its ProgIDs), and the type library beside the
// program, written at every start.

#include <windows.h>

class CComRegistration {
public:
    static HRESULT registerServer();
    static HRESULT unregisterServer();
};
