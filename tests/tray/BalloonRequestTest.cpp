// WM_BALLOON_REQUEST as the vault sends it: the kind picks the icon, the block gets the
// owner, anchor and icon filled in, the texts are copied, and bad blocks are refused without
// harm. Without a notification area the anchor is the locator's fallback.

#include "CBalloonWnd.h"
#include "CMessageWindow.h"
#include "CSuiteRegistryTest.h"
#include "CTrayTestHost.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

class BalloonRequestTest : public CSuiteRegistryTest {
protected:
    void SetUp() override
    {
        CSuiteRegistryTest::SetUp();
        ASSERT_TRUE(host.create());
    }

    void TearDown() override
    {
        closeAllBalloons();
        CSuiteRegistryTest::TearDown();
    }

    static BalloonRequest requestFor(const wchar_t* title, const wchar_t* text, DWORD displayTime = 5000)
    {
        return BalloonRequest{title, text, 0, 0, 0, displayTime, nullptr};
    }

    CTrayTestHost host;
};

struct KindCase {
    const char* label;
    WPARAM kind;
    LPCWSTR icon;
};

// Test names and failure messages show the case's label.
void PrintTo(const KindCase& c, std::ostream* os) { *os << c.label; }

class BalloonKindTest : public BalloonRequestTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(BalloonKindTest, KindPicksTheIconAndTheBlockIsFilledIn)
{
    const KindCase& c = GetParam();
    BalloonRequest request = requestFor(L"Orvel.Cofferix", L"The \"Work\" lockbox could not be opened.", 8000);
    EXPECT_EQ(host.requestBalloon(c.kind, request), 1);

    EXPECT_EQ(request.iconId, static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(c.icon)));
    EXPECT_EQ(request.owner, host.hwnd());
    const auto anchor = host.locator.locate();
    ASSERT_TRUE(anchor.has_value());
    EXPECT_EQ(request.x, anchor->x);
    EXPECT_EQ(request.y, anchor->y);
    EXPECT_EQ(request.displayTime, 8000u);

    const auto windows = balloonWindowsOf(host.hwnd());
    ASSERT_EQ(windows.size(), 1u);
    const CBalloonWnd* balloon = balloonObject(windows[0]);
    ASSERT_NE(balloon, nullptr);
    EXPECT_EQ(balloon->iconId(), c.icon);
    EXPECT_EQ(balloon->title(), L"Orvel.Cofferix");
    EXPECT_EQ(balloon->text(), L"The \"Work\" lockbox could not be opened.");
    EXPECT_EQ(balloon->displayTime(), 8000u);
    EXPECT_EQ(balloon->anchor().x, anchor->x);
    EXPECT_EQ(balloon->anchor().y, anchor->y);
    // Close button, shaded frame, topmost, deleted with its window.
    EXPECT_EQ(balloon->options() & ~CBalloonWnd::kNoFade, 0x1E00u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BalloonKindTest,
                         ::testing::Values(KindCase{"success", 0, IDI_INFORMATION},
                                           KindCase{"partial_success", 1, IDI_WARNING},
                                           KindCase{"failure", 2, IDI_HAND},
                                           KindCase{"unknown", 9, IDI_INFORMATION}),
                         [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.label); });

TEST_F(BalloonRequestTest, TextsAreCopiedBeforeTheSenderFreesThem)
{
    std::wstring title = L"Orvel.Cofferix";
    std::wstring text = L"The vault was closed.";
    BalloonRequest request = requestFor(title.c_str(), text.c_str());
    ASSERT_EQ(host.requestBalloon(kBalloonSuccess, request), 1);
    title.assign(title.size(), L'#');
    text.assign(text.size(), L'#');
    const auto windows = balloonWindowsOf(host.hwnd());
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(balloonObject(windows[0])->title(), L"Orvel.Cofferix");
    EXPECT_EQ(balloonObject(windows[0])->text(), L"The vault was closed.");
}

TEST_F(BalloonRequestTest, TheDisplayTimeEndsTheBalloon)
{
    BalloonRequest request = requestFor(L"Orvel.Cofferix", L"Short", 100);
    ASSERT_EQ(host.requestBalloon(kBalloonSuccess, request), 1);
    ASSERT_EQ(balloonWindowsOf(host.hwnd()).size(), 1u);
    EXPECT_TRUE(CMessageWindow::pumpUntil([&] { return balloonWindowsOf(host.hwnd()).empty(); }, 5000));
}

TEST_F(BalloonRequestTest, OneMissingTextIsEmptyBothMissingIsRefused)
{
    BalloonRequest titleOnly = requestFor(L"Orvel.Cofferix", nullptr);
    EXPECT_EQ(host.requestBalloon(kBalloonSuccess, titleOnly), 1);
    BalloonRequest textOnly = requestFor(nullptr, L"The vault was opened.");
    EXPECT_EQ(host.requestBalloon(kBalloonSuccess, textOnly), 1);
    EXPECT_EQ(balloonWindowsOf(host.hwnd()).size(), 2u);
    closeAllBalloons();

    for (BalloonRequest request : {requestFor(nullptr, nullptr), requestFor(L"", L"")}) {
        EXPECT_EQ(host.requestBalloon(kBalloonFailure, request), 0);
        // Nothing is filled in and nothing is shown.
        EXPECT_EQ(request.owner, nullptr);
        EXPECT_EQ(request.iconId, 0u);
        EXPECT_TRUE(balloonWindowsOf(host.hwnd()).empty());
    }
}

// Two pages: the first readable and writable, the second inaccessible.
class CGuardedPages {
public:
    CGuardedPages()
    {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        m_pageSize = info.dwPageSize;
        m_base = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * m_pageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(m_base + m_pageSize, m_pageSize, PAGE_NOACCESS, &old);
    }
    ~CGuardedPages() { VirtualFree(m_base, 0, MEM_RELEASE); }
    CGuardedPages(const CGuardedPages&) = delete;
    CGuardedPages& operator=(const CGuardedPages&) = delete;

    BYTE* firstPage() const { return m_base; }
    BYTE* secondPage() const { return m_base + m_pageSize; }
    // The last `bytes` bytes of the readable page.
    BYTE* endOfFirstPage(size_t bytes) const { return m_base + m_pageSize - bytes; }
    void makeFirstPageReadOnly() const
    {
        DWORD old = 0;
        VirtualProtect(m_base, m_pageSize, PAGE_READONLY, &old);
    }
    size_t pageSize() const { return m_pageSize; }

private:
    size_t m_pageSize = 4096;
    BYTE* m_base = nullptr;
};

TEST_F(BalloonRequestTest, BadBlocksAreRefusedWithoutHarm)
{
    // No block at all, or addresses where nothing is mapped.
    EXPECT_EQ(SendMessageW(host.hwnd(), WM_BALLOON_REQUEST, kBalloonFailure, 0), 0);
    EXPECT_EQ(SendMessageW(host.hwnd(), WM_BALLOON_REQUEST, kBalloonFailure, 0x10), 0);

    CGuardedPages pages;
    ASSERT_NE(pages.firstPage(), nullptr);
    // A block running into the inaccessible page.
    EXPECT_EQ(SendMessageW(host.hwnd(), WM_BALLOON_REQUEST, kBalloonFailure,
                           reinterpret_cast<LPARAM>(pages.endOfFirstPage(12))),
              0);

    // Texts that point nowhere, or run into the inaccessible page without an end.
    auto* open = reinterpret_cast<wchar_t*>(pages.endOfFirstPage(64));
    for (int i = 0; i < 32; ++i)
        open[i] = L'A';
    struct TextCase {
        const wchar_t* title;
        const wchar_t* text;
    };
    for (const TextCase& c : {TextCase{reinterpret_cast<const wchar_t*>(0x20), L"text"},
                              TextCase{L"title", reinterpret_cast<const wchar_t*>(pages.secondPage())},
                              TextCase{L"title", open}}) {
        BalloonRequest request = requestFor(c.title, c.text);
        EXPECT_EQ(host.requestBalloon(kBalloonFailure, request), 0);
        EXPECT_EQ(request.owner, nullptr);
    }

    // A block Chronel cannot fill in.
    auto* readOnly = reinterpret_cast<BalloonRequest*>(pages.firstPage());
    *readOnly = requestFor(L"Orvel.Cofferix", L"read-only block");
    pages.makeFirstPageReadOnly();
    EXPECT_EQ(SendMessageW(host.hwnd(), WM_BALLOON_REQUEST, kBalloonFailure, reinterpret_cast<LPARAM>(readOnly)), 0);

    EXPECT_TRUE(balloonWindowsOf(host.hwnd()).empty());
    EXPECT_TRUE(IsWindow(host.hwnd()));
}

TEST_F(BalloonRequestTest, OverlongTextsAreCut)
{
    const std::wstring text(5000, L'x');
    BalloonRequest request = requestFor(L"Orvel.Cofferix", text.c_str());
    ASSERT_EQ(host.requestBalloon(kBalloonSuccess, request), 1);
    const auto windows = balloonWindowsOf(host.hwnd());
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(balloonObject(windows[0])->text(), std::wstring(CBalloonRequestHandler::kMaxTextLength, L'x'));
}

} // namespace
