#include "CSuiteComponents.h"

#include "ComTypes.h"
#include "ResourceString.h"

namespace {

// A component created for IUnknown in any context, run, then asked for its interface.
template <typename Interface>
bool createComponent(const CLSID& clsid, const IID& iid, TComPtr<Interface>& out)
{
    TComPtr<IUnknown> unknown;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.putVoid())))
        return false;
    OleRun(unknown.get());
    return SUCCEEDED(unknown->QueryInterface(iid, out.putVoid()));
}

void debugFailure(const wchar_t* what, HRESULT hr)
{
    OutputDebugStringW(formatText(L"****** %s failed: 0x%08lX ******\n", what, static_cast<unsigned long>(hr)).c_str());
}

} // namespace

bool CSuiteComponents::connectVault(bool mainWindowExists)
{
    if (m_vault)
        return true;
    if (!createComponent(CLSID_Cofferix, IID_ICofferix, m_vault))
        return false;
    if (mainWindowExists) {
        m_vault->installMonitor(1);
        CBstr path(m_programPath);
        m_vault->setProcessName(path.get());
    }
    return true;
}

bool CSuiteComponents::connectCompanion()
{
    if (m_companion)
        return true;
    if (!createComponent(kClsidCompanion, kIidCompanion, m_companion))
        return false;
    long result = 0;
    HRESULT hr = m_companion->connect(1, &result);
    if (FAILED(hr))
        debugFailure(L"Companion", hr);
    return true;
}

void CSuiteComponents::startVault(const std::wstring& commandLine)
{
    if (!m_vault)
        return;
    m_vault->installMonitor(1);
    CBstr line(commandLine);
    long result = 0;
    m_vault->processCommandLine(line.get(), &result);
    CBstr path(m_programPath);
    m_vault->setProcessName(path.get());
}

bool CSuiteComponents::handToVault(const std::wstring& commandLine)
{
    if (!m_vault)
        return false;
    CBstr line(commandLine);
    long handled = 0;
    return SUCCEEDED(m_vault->processCommandLine(line.get(), &handled)) && handled != 0;
}

void CSuiteComponents::release()
{
    if (m_companion) {
        long result = 0;
        m_companion->connect(0, &result);
        m_companion.reset();
    }
    if (m_vault) {
        m_vault->installMonitor(0);
        m_vault.reset();
    }
}
