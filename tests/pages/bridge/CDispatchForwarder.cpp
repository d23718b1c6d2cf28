#include "CDispatchForwarder.h"

#include "ComTypes.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::string failure(HRESULT hr, const std::wstring& message)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    return std::string("{\"ok\":false,\"hr\":\"") + code + "\",\"error\":" + CDispatchForwarder::quote(message) + "}";
}

// One argument from its text form into a VARIANT; false when the form is unknown.
bool toVariant(const std::string& text, VARIANT& v)
{
    if (text.empty())
        return false;
    const std::string value = text.substr(1);
    switch (text[0]) {
    case 'i':
        V_VT(&v) = VT_I4;
        V_I4(&v) = static_cast<LONG>(std::strtol(value.c_str(), nullptr, 10));
        return true;
    case 'd':
        V_VT(&v) = VT_R8;
        V_R8(&v) = std::strtod(value.c_str(), nullptr);
        return true;
    case 'b':
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = value == "1" ? VARIANT_TRUE : VARIANT_FALSE;
        return true;
    case 's': {
        const std::wstring wide = CDispatchForwarder::widen(value);
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        return V_BSTR(&v) != nullptr;
    }
    default:
        return false;
    }
}

std::string fromVariant(const VARIANT& v)
{
    char number[64];
    switch (V_VT(&v)) {
    case VT_EMPTY:
        return "null";
    case VT_NULL:
        return "null";
    case VT_BSTR:
        // A script engine reads a null BSTR as the empty string.
        return CDispatchForwarder::quote(V_BSTR(&v) ? std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : std::wstring());
    case VT_BOOL:
        return V_BOOL(&v) ? "true" : "false";
    case VT_I4:
        std::snprintf(number, sizeof number, "%ld", static_cast<long>(V_I4(&v)));
        return number;
    case VT_I2:
        std::snprintf(number, sizeof number, "%d", V_I2(&v));
        return number;
    case VT_UI4:
        std::snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(V_UI4(&v)));
        return number;
    case VT_R8:
        std::snprintf(number, sizeof number, "%.17g", V_R8(&v));
        return number;
    default: {
        CVariant converted;
        if (SUCCEEDED(VariantChangeType(converted.get(), const_cast<VARIANT*>(&v), 0, VT_BSTR)))
            return fromVariant(converted.ref());
        return "null";
    }
    }
}

// The arguments of one Invoke, released together.
class CArguments {
public:
    explicit CArguments(size_t count) : m_values(count)
    {
        for (VARIANT& v : m_values)
            VariantInit(&v);
    }
    ~CArguments()
    {
        for (VARIANT& v : m_values)
            VariantClear(&v);
    }
    CArguments(const CArguments&) = delete;
    CArguments& operator=(const CArguments&) = delete;
    VARIANT* data() { return m_values.empty() ? nullptr : m_values.data(); }
    VARIANT& at(size_t i) { return m_values[i]; }
    size_t size() const { return m_values.size(); }

private:
    std::vector<VARIANT> m_values;
};

// EXCEPINFO's strings, freed when the call's answer has been made.
class CExceptionInfo {
public:
    CExceptionInfo() { ZeroMemory(&m_info, sizeof m_info); }
    ~CExceptionInfo()
    {
        SysFreeString(m_info.bstrSource);
        SysFreeString(m_info.bstrDescription);
        SysFreeString(m_info.bstrHelpFile);
    }
    CExceptionInfo(const CExceptionInfo&) = delete;
    CExceptionInfo& operator=(const CExceptionInfo&) = delete;
    EXCEPINFO* get() { return &m_info; }
    HRESULT code() const { return m_info.scode ? m_info.scode : (m_info.wCode ? 0x80040200 + m_info.wCode : S_OK); }
    std::wstring description() const
    {
        return m_info.bstrDescription ? std::wstring(m_info.bstrDescription) : std::wstring();
    }

private:
    EXCEPINFO m_info;
};

} // namespace

std::wstring CDispatchForwarder::widen(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

std::string CDispatchForwarder::narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string CDispatchForwarder::quote(const std::wstring& text)
{
    std::string out = "\"";
    char escape[8];
    for (wchar_t c : text) {
        if (c == L'"')
            out += "\\\"";
        else if (c == L'\\')
            out += "\\\\";
        else if (c >= 0x20 && c < 0x7f)
            out += static_cast<char>(c);
        else {
            // Every other UTF-16 unit as \uXXXX, surrogates included: JSON reads them back.
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        }
    }
    return out + "\"";
}

std::string CDispatchForwarder::call(const std::string& name, const std::vector<std::string>& arguments) const
{
    std::wstring wideName = widen(name);
    LPOLESTR names[] = {&wideName[0]};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = m_target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return failure(hr, L"no method " + wideName);

    // DISPPARAMS hold the last argument first.
    CArguments values(arguments.size());
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (!toVariant(arguments[i], values.at(arguments.size() - 1 - i)))
            return failure(E_INVALIDARG, L"argument " + std::to_wstring(i + 1) + L" has no known type");
    }
    DISPPARAMS parameters{values.data(), nullptr, static_cast<UINT>(values.size()), 0};
    CVariant result;
    CExceptionInfo exception;
    UINT badArgument = 0;
    hr = m_target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result.put(),
                          exception.get(), &badArgument);
    if (hr == DISP_E_EXCEPTION)
        return failure(exception.code(), exception.description().empty() ? wideName + L" failed" : exception.description());
    if (FAILED(hr))
        return failure(hr, wideName + L" failed");
    return "{\"ok\":true,\"value\":" + fromVariant(result.ref()) + "}";
}

std::string CDispatchForwarder::names() const
{
    TComPtr<ITypeInfo> info;
    if (FAILED(m_target->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put())))
        return "[]";
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes)))
        return "[]";
    const WORD count = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    std::string out = "[";
    bool first = true;
    for (WORD i = 0; i < count; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function)))
            continue;
        // IUnknown's and IDispatch's own methods are restricted: no script calls them.
        const bool callable = !(function->wFuncFlags & FUNCFLAG_FRESTRICTED) && function->invkind == INVOKE_FUNC;
        const MEMBERID id = function->memid;
        info->ReleaseFuncDesc(function);
        if (!callable)
            continue;
        CBstr name;
        UINT got = 0;
        if (FAILED(info->GetNames(id, name.put(), 1, &got)) || got != 1)
            continue;
        if (!first)
            out += ',';
        out += quote(name.str());
        first = false;
    }
    return out + "]";
}
