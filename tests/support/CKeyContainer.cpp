#include "CKeyContainer.h"

#include <wincrypt.h>

namespace {
constexpr const wchar_t* kProvider = L"Microsoft Strong Cryptographic Provider";

// Context on the named container, made when it does not exist yet.
HCRYPTPROV open(const wchar_t* name)
{
    HCRYPTPROV provider = 0;
    if (CryptAcquireContextW(&provider, name, kProvider, PROV_RSA_FULL, 0))
        return provider;
    if (CryptAcquireContextW(&provider, name, kProvider, PROV_RSA_FULL, CRYPT_NEWKEYSET))
        return provider;
    return 0;
}
} // namespace

bool CKeyContainer::remove(const wchar_t* name)
{
    HCRYPTPROV provider = 0;
    CryptAcquireContextW(&provider, name, kProvider, PROV_RSA_FULL, CRYPT_DELETEKEYSET);
    HCRYPTPROV probe = 0;
    if (CryptAcquireContextW(&probe, name, kProvider, PROV_RSA_FULL, 0)) {
        CryptReleaseContext(probe, 0);
        return false;
    }
    return true;
}

std::vector<BYTE> CKeyContainer::newExchangePair(const wchar_t* name)
{
    std::vector<BYTE> blob;
    HCRYPTPROV provider = open(name);
    if (!provider)
        return blob;
    HCRYPTKEY key = 0;
    if (CryptGenKey(provider, AT_KEYEXCHANGE, CRYPT_EXPORTABLE, &key)) {
        DWORD length = 0;
        if (CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, nullptr, &length)) {
            blob.resize(length);
            if (!CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, blob.data(), &length))
                blob.clear();
            else
                blob.resize(length);
        }
        CryptDestroyKey(key);
    }
    CryptReleaseContext(provider, 0);
    return blob;
}

bool CKeyContainer::restoreExchangePair(const wchar_t* name, const std::vector<BYTE>& pair)
{
    HCRYPTPROV provider = open(name);
    if (!provider)
        return false;
    HCRYPTKEY key = 0;
    bool ok = CryptImportKey(provider, pair.data(), static_cast<DWORD>(pair.size()), 0, CRYPT_EXPORTABLE, &key) != FALSE;
    if (ok)
        CryptDestroyKey(key);
    CryptReleaseContext(provider, 0);
    return ok;
}
