#pragma once
// The Authenticode checks the update makes before it starts a downloaded program.

#include <windows.h>

#include <string>

class ITrustVerifier {
public:
    virtual ~ITrustVerifier() = default;
    // WinVerifyTrust's answer for the file open as `file` at `path`: 0 (ERROR_SUCCESS) when its
    // signature and the whole chain verify.
    virtual LONG verify(const std::wstring& path, HANDLE file) = 0;
    // The X.500 subject of the certificate that signed `path`; empty when it is not signed.
    virtual std::wstring signerSubject(const std::wstring& path) = 0;
};
