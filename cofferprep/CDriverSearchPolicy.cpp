#include "CDriverSearchPolicy.h"

#include "CofferprepNames.h"

namespace {

const wchar_t* const kValueNames[2] = {cofferprep::kDontPromptValue, cofferprep::kDontSearchValue};

} // namespace

CDriverSearchPolicy::CDriverSearchPolicy(HKEY root)
{
    if (RegCreateKeyExW(root, cofferprep::kPolicyKeyPath, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        m_key.put(), nullptr) != ERROR_SUCCESS)
        m_key.reset();
}

void CDriverSearchPolicy::suppressWindowsUpdate()
{
    if (!m_key)
        return;
    for (int i = 0; i < 2; ++i) {
        Saved& saved = m_saved[i];
        if (saved.changed)
            continue;
        DWORD size = 0;
        saved.existed =
            RegQueryValueExW(m_key.get(), kValueNames[i], nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS;
        if (saved.existed) {
            saved.data.resize(size);
            if (RegQueryValueExW(m_key.get(), kValueNames[i], nullptr, &saved.type, saved.data.data(), &size) !=
                ERROR_SUCCESS)
                continue; // changed under us: leave this one alone rather than lose it
            saved.data.resize(size);
        }
        const DWORD one = 1;
        saved.changed = RegSetValueExW(m_key.get(), kValueNames[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                                       sizeof one) == ERROR_SUCCESS;
    }
}

void CDriverSearchPolicy::restore()
{
    for (int i = 0; i < 2; ++i) {
        Saved& saved = m_saved[i];
        if (!saved.changed)
            continue;
        if (saved.existed)
            RegSetValueExW(m_key.get(), kValueNames[i], 0, saved.type, saved.data.data(),
                           static_cast<DWORD>(saved.data.size()));
        else
            RegDeleteValueW(m_key.get(), kValueNames[i]);
        saved.changed = false;
    }
}
