// Message boxes and cursors without a window system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "windows.h"

namespace {

TEST(MessageBox, WithoutAHookWritesToStderrAndAnswersTheDefaultButton) {
    struct Case {
        UINT type;
        int answer;
    };
    const Case cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, IDYES},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_RETRYCANCEL, IDRETRY},
        {MB_ICONWARNING, IDOK},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", c.type), c.answer) << c.type;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "[caption] text\n");
    }
    testing::internal::CaptureStderr();
    MessageBoxA(nullptr, "bitsPP==24 with GRAY bitmap", nullptr, MB_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[Error] bitsPP==24 with GRAY bitmap\n")
        << "no caption means \"Error\"";
}

struct Box {
    std::string text, caption;
    UINT type;
};

TEST(MessageBox, HookSeesEveryBoxAndAnswersIt) {
    std::vector<Box> boxes;
    auto hook = [](void* ctx, HWND, LPCSTR text, LPCSTR caption, UINT type) -> int {
        static_cast<std::vector<Box>*>(ctx)->push_back({text ? text : "", caption ? caption : "<null>", type});
        return IDCANCEL;
    };
    pw_set_message_box_hook(hook, &boxes, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Copy done", "Complete", MB_OK), IDCANCEL);
    MessageBoxA(nullptr, "bitsPP==8 with COLOR bitmap", nullptr, MB_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a hooked box is not printed";
    void* ctx = nullptr;
    EXPECT_NE(pw_set_message_box_hook(nullptr, nullptr, &ctx), nullptr);
    EXPECT_EQ(ctx, &boxes);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Complete");
    EXPECT_EQ(boxes[1].caption, "<null>") << "the hook gets the caption as given";
    EXPECT_EQ(boxes[1].text, "bitsPP==8 with COLOR bitmap");
}

TEST(Cursor, WaitCursorIsShownAndThePreviousComesBack) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    ASSERT_NE(arrow, nullptr);
    ASSERT_NE(wait, nullptr);
    EXPECT_NE(arrow, wait);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), wait) << "one handle per system cursor";
    EXPECT_EQ(GetCursor(), arrow) << "the process starts with the arrow";

    HCURSOR previous = SetCursor(wait);
    EXPECT_EQ(previous, arrow);
    EXPECT_EQ(GetCursor(), wait);
    EXPECT_EQ(SetCursor(previous), wait);
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_TRUE(DestroyCursor(wait));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), wait) << "system cursors are never destroyed";

    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(SetCursor(nullptr), arrow);
    EXPECT_EQ(GetCursor(), nullptr) << "NULL hides the cursor";
    SetCursor(arrow);
}

}  // namespace
