// The Windows window system's parts on their own: the pane codec, the browser's fallback command,
// the balloon tips and the UI loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "win32/BalloonTips.h"
#include "win32/PaneCodec.h"
#include "win32/SelfDrawn.h"
#include "win32/WideText.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32UiLoop.h"

namespace morvelin::win32 {
namespace {

TEST(PaneCodec, TakesGb18030ToUtf8AndBackExactly) {
    const struct {
        const char* name;
        std::string gb18030, utf8;
    } rows[] = {
        {"Chinese", "\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},
        {"an emoji, four bytes in both", "\x94\x39\xFC\x36", "\xF0\x9F\x98\x80"},
        {"CR LF and ASCII stay", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"the euro sign, one byte in code page 936 only", "\xA2\xE3", "\xE2\x82\xAC"},
        {"empty", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Gb18030ToUtf8(row.gb18030), row.utf8);
        EXPECT_EQ(Utf8ToGb18030(row.utf8), row.gb18030);
    }
}

TEST(PaneCodec, EveryCharacterMakesTheRoundTrip) {
    std::string all;
    int withoutCode = 0;
    for (std::uint32_t c = 1; c <= 0x10FFFF; c += c < 0x10000 ? 1 : 977) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        std::wstring wide;
        if (c < 0x10000) {
            wide += static_cast<wchar_t>(c);
        } else {
            wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        const std::string utf8 = Utf8(wide);
        if (!Utf8ToGb18030(utf8)) {
            // The private use characters that GB18030-2005 gave up for standard ones.
            EXPECT_TRUE(c >= 0xE000 && c <= 0xF8FF) << std::hex << c;
            EXPECT_EQ(Utf8ToGb18030Lossy(utf8), "?");
            ++withoutCode;
            continue;
        }
        all += utf8;
    }
    EXPECT_LE(withoutCode, 24);
    const std::optional<std::string> gb18030 = Utf8ToGb18030(all);
    ASSERT_TRUE(gb18030.has_value());
    EXPECT_TRUE(Gb18030ToUtf8(*gb18030) == all);
}

TEST(PaneCodec, RefusesBytesThatAreNoTextAndShowsThemAsReplacements) {
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"a lead byte at the end", "ab\x81"},
        {"a lead byte before a space", "\x81 x"},
        {"0xFF", "\xFF"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Gb18030ToUtf8(row.bytes), std::nullopt);
        const std::string shown = Gb18030ToUtf8Lossy(row.bytes);
        EXPECT_NE(shown.find("\xEF\xBF\xBD"), std::string::npos) << shown;
    }
    EXPECT_EQ(Utf8ToGb18030("\xC3"), std::nullopt) << "ill-formed UTF-8";
}

TEST(Win32Desktop, HtmCommandIsCutAtItsPlaceholder) {
    const struct {
        const char* name;
        const wchar_t *command, *line;
    } rows[] = {
        {"quoted placeholder", L"\"C:\\b.exe\" -o \"%1\" -x", L"\"C:\\b.exe\" -o  https://a/"},
        {"bare placeholder", L"C:\\b.exe %1 -x", L"C:\\b.exe  https://a/"},
        {"no placeholder", L"C:\\b.exe -new", L"C:\\b.exe -new https://a/"},
        {"nothing registered", L"", L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Win32Desktop::HtmCommandLine(row.command, L"https://a/"), row.line);
    }
}

TEST(BalloonPlace, StandsAboveRightOfThePointerAndTurnsAtTheScreensEdges) {
    const RECT screen{0, 0, 1280, 800};
    const SIZE text{100, 40};
    const struct {
        const char* name;
        POINT pointer;
        bool right, below;
    } rows[] = {
        {"room everywhere", {400, 400}, false, false},
        {"at the right edge", {1250, 400}, true, false},
        {"at the top edge", {400, 20}, false, true},
        {"in the top right corner", {1250, 20}, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const BalloonShape shape = PlaceBalloon(row.pointer, text, screen);
        EXPECT_EQ(shape.tail[2].x, row.pointer.x);
        EXPECT_EQ(shape.tail[2].y, row.pointer.y);
        EXPECT_EQ(shape.body.right - shape.body.left, text.cx + 32);
        EXPECT_EQ(shape.body.bottom - shape.body.top, text.cy + 32);
        EXPECT_EQ(shape.body.left < row.pointer.x - 16, row.right);
        EXPECT_EQ(shape.body.top > row.pointer.y, row.below);
        EXPECT_LE(shape.body.right, screen.right);
        EXPECT_GE(shape.body.top, screen.top);
        EXPECT_LE(shape.window.left, shape.body.left);
        EXPECT_GE(shape.window.right, shape.body.right + 5) << "room for the shadow";
    }
}

class BalloonTipsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 50, 50,
                                   nullptr, nullptr, nullptr, nullptr);
        other_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 100, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(tips_.Attach(control_, L"tip\r\n\r\nline two"));
    }
    void TearDown() override {
        DestroyWindow(control_);
        DestroyWindow(other_);
    }
    BalloonTips tips_{GetModuleHandleW(nullptr),
                      static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))};
    HWND control_ = nullptr;
    HWND other_ = nullptr;
};

TEST_F(BalloonTipsTest, ComesUpAfterARestAndGoesOnAnyMoveOrInput) {
    tips_.OnPointerMoved(control_, {120, 120});
    EXPECT_FALSE(tips_.Showing());
    tips_.OnRested();
    EXPECT_EQ(tips_.ShownFor(), control_);
    EXPECT_TRUE(IsWindowVisible(tips_.Window()));
    tips_.OnPointerMoved(control_, {120, 120});
    EXPECT_TRUE(tips_.Showing()) << "a repeated move without movement is no move";
    tips_.OnPointerMoved(control_, {121, 120});
    EXPECT_FALSE(tips_.Showing());
    tips_.OnRested();
    EXPECT_TRUE(tips_.Showing()) << "up again after another rest on the same control";
    tips_.OnInput();
    EXPECT_FALSE(tips_.Showing());
    tips_.OnRested();
    EXPECT_FALSE(tips_.Showing()) << "a key or button ends the rest too";
}

TEST_F(BalloonTipsTest, HidesAfterItsTimeAndOnlyAControlWithATipShowsOne) {
    tips_.OnPointerMoved(control_, {120, 120});
    tips_.OnRested();
    tips_.OnShownLongEnough();
    EXPECT_FALSE(tips_.Showing());
    tips_.OnRested();
    EXPECT_FALSE(tips_.Showing()) << "up again only after the pointer has moved and rested";
    tips_.OnPointerMoved(other_, {320, 120});
    tips_.OnRested();
    EXPECT_FALSE(tips_.Showing());
    EXPECT_FALSE(tips_.Attach(nullptr, L"x"));
}

TEST(TextLabel, WrapsAtCrLfAndWhereTheWidthEndsWithoutCuttingACharacter) {
    const HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE one{};
    GetTextExtentPoint32W(dc, L"\x4E2D", 1, &one);
    const auto lines =
        TextLabel::WrapLines(dc, L"\x4E2D\x4E2D\x4E2D\x4E2D\r\nab\xD83D\xDE00", one.cx * 2);
    DeleteDC(dc);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], L"\x4E2D\x4E2D");
    EXPECT_EQ(lines[1], L"\x4E2D\x4E2D");
    for (const std::wstring& line : lines) {
        EXPECT_FALSE(!line.empty() && line.back() >= 0xD800 && line.back() <= 0xDBFF)
            << "a surrogate pair is kept whole";
    }
}

TEST(Win32UiLoop, RunsPostsFromAnyThreadInOrderAndTimersUnlessStopped) {
    Win32UiLoop loop;
    std::vector<int> ran;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) {
            loop.Post([&ran, i] { ran.push_back(i); });
        }
    });
    poster.join();
    bool fired = false;
    bool stoppedFired = false;
    loop.StartTimer(1, [&] { fired = true; });
    loop.StopTimer(loop.StartTimer(1, [&] { stoppedFired = true; }));
    while (ran.size() < 100 || !fired) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        loop.RunPending();
    }
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(ran[static_cast<std::size_t>(i)], i);
    }
    EXPECT_FALSE(stoppedFired);
}

}  // namespace
}  // namespace morvelin::win32
