// The module instance: a DLL that links the framework registers its window classes against
// itself and loads its own texts, and its classes are gone once it is unloaded (Windows
// keeps them otherwise, their window procedure pointing into unmapped code).

#include "CChildProcess.h"
#include "CModule.h"
#include "ProcAddress.h"
#include "ResourceString.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kClass[] = L"VelmoraModuleTestClass";

bool classOf(HINSTANCE module)
{
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    return GetClassInfoExW(module, kClass, &info) != FALSE;
}

TEST(ModuleTest, ADllsClassesAndTextsAreItsOwnAndItsClassesGoWithIt)
{
    const std::wstring path = CChildProcess::besideTests(L"module_test_library.dll");
    for (int load = 0; load < 2; ++load) {
        HMODULE library = LoadLibraryW(path.c_str());
        ASSERT_NE(library, nullptr);
        auto instance = procAddress<HINSTANCE (*)()>(library, "moduleTestInstance");
        auto registerClass = procAddress<BOOL (*)(const wchar_t*)>(library, "moduleTestRegisterClass");
        auto text = procAddress<void (*)(wchar_t*, size_t)>(library, "moduleTestString");
        ASSERT_TRUE(instance && registerClass && text);

        EXPECT_EQ(instance(), library);
        EXPECT_TRUE(registerClass(kClass)) << "load " << load;
        EXPECT_TRUE(classOf(library));
        EXPECT_FALSE(classOf(GetModuleHandleW(nullptr))) << "registered against the DLL, not the program";
        wchar_t buffer[64] = {};
        text(buffer, 64);
        EXPECT_STREQ(buffer, L"A text of the test library");

        FreeLibrary(library);
        EXPECT_FALSE(classOf(library)) << "the class goes with the DLL";
    }
    // The program's own module is the program.
    EXPECT_EQ(CModule::instance(), GetModuleHandleW(nullptr));
    EXPECT_EQ(loadString(1), L"") << "the library's texts are not the program's";
}

} // namespace
