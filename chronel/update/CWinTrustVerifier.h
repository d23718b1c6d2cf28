#pragma once
// ITrustVerifier on the system: WinVerifyTrust with the generic verify action and revocation
// checked over the whole chain, and the signer's certificate read from the embedded PKCS #7.

#include "ITrustVerifier.h"

class CWinTrustVerifier : public ITrustVerifier {
public:
    LONG verify(const std::wstring& path, HANDLE file) override;
    std::wstring signerSubject(const std::wstring& path) override;
};
