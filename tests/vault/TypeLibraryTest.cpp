// Cofferctl.dll's type library, as hosts see it: resource 1 of the module, its six types, and
// ICofferix's four methods in their dispatch order.

#include "CChildProcess.h"
#include "ComPtr.h"
#include "ComTypes.h"
#include "Cofferctl_h.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CofferctlTypeLibraryTest, SixTypesAndTheHostInterface)
{
    const std::wstring dll = CChildProcess::besideTests(L"Cofferctl.dll");
    TComPtr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx((dll + L"\\1").c_str(), REGKIND_NONE, library.put()), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_COFFERCTLLib));
    EXPECT_EQ(attributes->lcid, 0x0409u);
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    library->ReleaseTLibAttr(attributes);

    struct Type {
        const GUID* guid;
        const wchar_t* name;
        TYPEKIND kind;
        const wchar_t* help;
    };
    const Type types[] = {
        {&CLSID_LockBoxList, L"LockBoxList", TKIND_COCLASS, L"LockBoxList Class"},
        {&IID_ILockBoxList, L"ILockBoxList", TKIND_DISPATCH, L"ILockBoxList Interface"},
        {&CLSID_Cofferix, L"Cofferix", TKIND_COCLASS, L"Cofferix Class"},
        {&IID_ICofferix, L"ICofferix", TKIND_DISPATCH, L"ICofferix Interface"},
        {&CLSID_VaultOptions, L"VaultOptions", TKIND_COCLASS, L"VaultOptions Class"},
        {&IID_IVaultOptions, L"IVaultOptions", TKIND_DISPATCH, L"IVaultOptions Interface"},
    };
    EXPECT_EQ(library->GetTypeInfoCount(), 6u);
    for (const Type& type : types) {
        TComPtr<ITypeInfo> info;
        ASSERT_EQ(library->GetTypeInfoOfGuid(*type.guid, info.put()), S_OK) << type.name;
        CBstr name, help;
        ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, name.put(), help.put(), nullptr, nullptr), S_OK);
        EXPECT_EQ(name.str(), type.name);
        EXPECT_EQ(help.str(), type.help);
        TYPEATTR* typeAttributes = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&typeAttributes), S_OK);
        EXPECT_EQ(typeAttributes->typekind, type.kind) << type.name;
        info->ReleaseTypeAttr(typeAttributes);
    }

    TComPtr<ITypeInfo> host;
    ASSERT_EQ(library->GetTypeInfoOfGuid(IID_ICofferix, host.put()), S_OK);
    const wchar_t* methods[] = {L"installMonitor", L"processCommandLine", L"setProcessName", L"getAboutText"};
    for (int id = 1; id <= 4; ++id) {
        CBstr name, help;
        ASSERT_EQ(host->GetDocumentation(id, name.put(), help.put(), nullptr, nullptr), S_OK) << id;
        EXPECT_EQ(name.str(), methods[id - 1]);
        EXPECT_EQ(help.str(), std::wstring(L"method ") + methods[id - 1]);
    }
}

} // namespace
