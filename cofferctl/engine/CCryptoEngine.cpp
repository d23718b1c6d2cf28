#include "CCryptoEngine.h"

#include <algorithm>
#include <cstring>

namespace {

// Destroys a hash object on every way out of the routine that made it.
class CHashScope {
public:
    explicit CHashScope(HCRYPTHASH hash) : m_hash(hash) {}
    ~CHashScope()
    {
        if (m_hash)
            CryptDestroyHash(m_hash);
    }
    CHashScope(const CHashScope&) = delete;
    CHashScope& operator=(const CHashScope&) = delete;

private:
    HCRYPTHASH m_hash;
};

} // namespace

CCryptoEngine& CCryptoEngine::instance()
{
    static CCryptoEngine engine;
    return engine;
}

bool CCryptoEngine::initialised() const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_initialised;
}

std::wstring CCryptoEngine::providerName() const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_providerName;
}

bool CCryptoEngine::ensureInitialised()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_initialised)
        return true;
    try {
        m_initialised = initialiseLocked();
    } catch (const CCryptoError&) {
        m_initialised = false;
    }
    return m_initialised;
}

void CCryptoEngine::release()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    releaseLocked();
    m_initialised = false;
}

void CCryptoEngine::releaseLocked()
{
    if (m_exchangeKey)
        CryptDestroyKey(m_exchangeKey);
    if (m_provider)
        CryptReleaseContext(m_provider, 0);
    m_exchangeKey = 0;
    m_provider = 0;
}

void CCryptoEngine::raise(const char* text)
{
    OutputDebugStringA(text);
    releaseLocked();
    m_initialised = false;
    throw CCryptoError(text);
}

// A container that does not exist yet (or whose keyset is not defined) is made on the spot.
bool CCryptoEngine::acquireWith(const std::wstring& provider)
{
    m_providerName = provider;
    if (CryptAcquireContextW(&m_provider, ContainerName, provider.c_str(), PROV_RSA_FULL, 0))
        return true;
    DWORD error = GetLastError();
    if (error == static_cast<DWORD>(NTE_BAD_KEYSET) || error == static_cast<DWORD>(NTE_KEYSET_NOT_DEF))
        if (CryptAcquireContextW(&m_provider, ContainerName, provider.c_str(), PROV_RSA_FULL, CRYPT_NEWKEYSET))
            return true;
    m_provider = 0;
    return false;
}

bool CCryptoEngine::initialiseLocked()
{
    releaseLocked();
    std::wstring tried = PreferredProvider;
    if (!acquireWith(tried)) {
        // Older systems name their RSA provider differently: fall back once to the
        // machine's default provider of the same type.
        wchar_t name[MAX_PATH];
        DWORD bytes = sizeof name;
        if (!CryptGetDefaultProviderW(PROV_RSA_FULL, nullptr, CRYPT_MACHINE_DEFAULT, name, &bytes)
            || tried == name || !acquireWith(name))
            raise("Unexpected error in CryptAcquireContext.");
    }
    if (!CryptGetUserKey(m_provider, AT_KEYEXCHANGE, &m_exchangeKey)) {
        m_exchangeKey = 0;
        if (GetLastError() != static_cast<DWORD>(NTE_NO_KEY))
            raise("\nFailure in CryptGetUserKey other than NTE_NO_KEY.");
        if (!CryptGenKey(m_provider, AT_KEYEXCHANGE, 0, &m_exchangeKey)) {
            m_exchangeKey = 0;
            raise("\nUnable to create new exchange keypair.");
        }
    }
    return true;
}

std::vector<BYTE> CCryptoEngine::randomBytes(size_t length)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (length < 16)
        length = 16;
    std::vector<BYTE> bytes(length);
    if (!m_provider || !CryptGenRandom(m_provider, static_cast<DWORD>(length), bytes.data()))
        raise("Unexpected error in CryptGenRandom.");
    return bytes;
}

std::vector<BYTE> CCryptoEngine::hashValue(HCRYPTHASH hash)
{
    DWORD size = 0, sizeBytes = sizeof size;
    if (!CryptGetHashParam(hash, HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &sizeBytes, 0))
        raise("CryptGetHashParam failed to get size.");
    DWORD length = 0;
    if (!CryptGetHashParam(hash, HP_HASHVAL, nullptr, &length, 0))
        raise("CryptGetHashParam failed to get length.");
    std::vector<BYTE> value(length);
    if (!CryptGetHashParam(hash, HP_HASHVAL, value.data(), &length, 0))
        raise("CryptGetHashParam failed to get value.");
    value.resize(length);
    return value;
}

CCryptoEngine::Wrapped CCryptoEngine::wrapForAccount(const BYTE* data, DWORD length)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_provider || !m_exchangeKey)
        raise("Error during CryptBeginHash!\n");
    // The output length is asked for without the hash: a length query must not feed it.
    DWORD needed = length;
    if (!CryptEncrypt(m_exchangeKey, 0, TRUE, 0, nullptr, &needed, 0))
        raise("Error encrypting data using CryptEncrypt");
    HCRYPTHASH hash = 0;
    if (!CryptCreateHash(m_provider, CALG_MD5, 0, 0, &hash))
        raise("Error during CryptBeginHash!\n");
    CHashScope hashScope(hash);
    Wrapped out;
    out.data.assign(std::max<DWORD>(needed, length), 0);
    std::memcpy(out.data.data(), data, length);
    DWORD produced = length;
    if (!CryptEncrypt(m_exchangeKey, hash, TRUE, 0, out.data.data(), &produced, static_cast<DWORD>(out.data.size())))
        raise("Error encrypting data using CryptEncrypt");
    out.data.resize(produced);
    out.digest = hashValue(hash);
    return out;
}

bool CCryptoEngine::unwrapForAccount(const std::vector<BYTE>& wrapped, const std::vector<BYTE>& expectedDigest,
                                     std::vector<BYTE>& plain)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_provider || !m_exchangeKey || wrapped.empty())
        return false;
    HCRYPTHASH hash = 0;
    if (!CryptCreateHash(m_provider, CALG_MD5, 0, 0, &hash))
        raise("Error during CryptBeginHash!\n");
    CHashScope hashScope(hash);
    std::vector<BYTE> copy = wrapped;
    DWORD length = static_cast<DWORD>(copy.size());
    // Another account's entry does not decrypt under this key pair.
    if (!CryptDecrypt(m_exchangeKey, hash, TRUE, 0, copy.data(), &length))
        return false;
    copy.resize(length);
    if (hashValue(hash) != expectedDigest) {
        SecureZeroMemory(copy.data(), copy.size());
        return false;
    }
    plain = std::move(copy);
    return true;
}
