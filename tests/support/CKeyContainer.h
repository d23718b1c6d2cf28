#pragma once
// A CryptoAPI key container as a test arranges it. Each Windows account has its own exchange
// key pair in the container; a test stands in for another account by giving the container
// another pair, and puts the first one back from its exported form.

#include <windows.h>

#include <vector>

class CKeyContainer {
public:
    // Deletes the container and its keys (CRYPT_DELETEKEYSET); true when it is gone.
    static bool remove(const wchar_t* name);
    // Gives the container a new, exportable exchange key pair and returns it exported.
    static std::vector<BYTE> newExchangePair(const wchar_t* name);
    // Makes an exported pair the container's exchange key pair again.
    static bool restoreExchangePair(const wchar_t* name, const std::vector<BYTE>& pair);
};
