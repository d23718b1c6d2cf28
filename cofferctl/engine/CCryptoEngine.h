#pragma once
// The process-wide CryptoAPI wrapper: the provider context on the key container "CofferixKeys"
// and the current Windows account's exchange key pair. Random bytes, the account-bound
// wrapping of disk keys and the digest that guards them come from here.
//
// A failing CryptoAPI call raises CCryptoError after the key and the context are released;
// callers catch it at the operation they abandon.

#include <windows.h>
#include <wincrypt.h>

#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

class CCryptoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CCryptoEngine {
public:
    static constexpr const wchar_t* ContainerName = L"CofferixKeys";
    static constexpr const wchar_t* PreferredProvider = L"Microsoft Strong Cryptographic Provider";

    static CCryptoEngine& instance();

    CCryptoEngine() = default;
    ~CCryptoEngine() { release(); }
    CCryptoEngine(const CCryptoEngine&) = delete;
    CCryptoEngine& operator=(const CCryptoEngine&) = delete;

    // Acquires the context and gets or makes the exchange key pair once; a failure is tried
    // again on the next call. Safe to call from the creation worker and the window thread.
    bool ensureInitialised();
    bool initialised() const;

    // Destroys the key, releases the context and forgets the initialisation.
    void release();

    std::wstring providerName() const;

    // At least 16 bytes (a smaller request is raised to 16).
    std::vector<BYTE> randomBytes(size_t length);

    struct Wrapped {
        std::vector<BYTE> data;
        std::vector<BYTE> digest; // MD5 of the plain data
    };
    Wrapped wrapForAccount(const BYTE* data, DWORD length);
    // False when the entry belongs to another account or its digest does not match.
    bool unwrapForAccount(const std::vector<BYTE>& wrapped, const std::vector<BYTE>& expectedDigest,
                          std::vector<BYTE>& plain);

private:
    bool initialiseLocked();
    bool acquireWith(const std::wstring& provider);
    [[noreturn]] void raise(const char* text);
    void releaseLocked();
    std::vector<BYTE> hashValue(HCRYPTHASH hash);

    mutable std::recursive_mutex m_lock;
    HCRYPTPROV m_provider = 0;
    HCRYPTKEY m_exchangeKey = 0;
    std::wstring m_providerName;
    bool m_initialised = false;
};
