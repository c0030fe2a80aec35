// Message queues, windows and message maps; the pumping an abort procedure does.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "afxwin.h"

namespace {

void drain() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST(MessageQueue, PeekLeavesOrTakesMessagesInOrder) {
    drain();
    MSG m{};
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 1, 10, 20));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 2, 11, 21));

    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1)) << "PM_NOREMOVE leaves it";

    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE)) << "a range filter skips ahead";
    EXPECT_EQ(m.wParam, 11u);
    EXPECT_EQ(m.lParam, 21);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, ThreadMessagesGoToTheThreadsHandler) {
    drain();
    struct Seen {
        std::vector<UINT> messages;
    } seen;
    auto handler = [](void* ctx, const MSG* msg) -> LRESULT {
        static_cast<Seen*>(ctx)->messages.push_back(msg->message);
        return 7;
    };
    void* previous_ctx = nullptr;
    PW_THREAD_MESSAGE_HANDLER previous = pw_set_thread_message_handler(handler, &seen, &previous_ctx);
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_EQ(DispatchMessageA(&m), 7);
    EXPECT_EQ(seen.messages, std::vector<UINT>{WM_APP});
    pw_set_thread_message_handler(previous, previous_ctx, nullptr);
}

TEST(MessageQueue, AnotherThreadPostsIntoThisQueueAndGetMessageWaits) {
    drain();
    const DWORD me = GetCurrentThreadId();
    std::thread poster([me] {
        Sleep(20);
        PostThreadMessageA(me, WM_APP + 5, 42, 0);
    });
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_APP + 5));
    EXPECT_EQ(m.wParam, 42u);
    poster.join();

    DWORD other = 0;
    std::thread([&other] { other = GetCurrentThreadId(); }).join();
    EXPECT_FALSE(PostThreadMessageA(other, WM_APP, 0, 0)) << "that thread has no queue any more";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
}

TEST(MessageQueue, QuitEndsGetMessage) {
    drain();
    PostQuitMessage(3);
    MSG m;
    EXPECT_FALSE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
}

// A window records what reaches its procedure.
std::vector<UINT> window_log;
LRESULT CALLBACK logging_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    window_log.push_back(msg);
    return msg == WM_USER ? static_cast<LRESULT>(wp + lp) : DefWindowProcA(h, msg, wp, lp);
}

TEST(Windows, PostedAndSentMessagesReachTheProcedure) {
    drain();
    window_log.clear();
    HWND w = pw_create_window(logging_proc, 99);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_USERDATA), 99);
    EXPECT_EQ(SendMessageA(w, WM_USER, 2, 3), 5);

    PostMessageA(w, WM_USER + 1, 0, 0);
    PostMessageA(nullptr, WM_USER + 2, 0, 0);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, reinterpret_cast<HWND>(-1), WM_USER + 1, WM_USER + 1, PM_NOREMOVE))
        << "(HWND)-1 takes thread messages only";
    ASSERT_TRUE(PeekMessageA(&m, w, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, w);
    DispatchMessageA(&m);

    PostMessageA(w, WM_USER + 3, 0, 0);
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_FALSE(IsWindow(w));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 2)) << "the destroyed window's messages were dropped";
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));

    const std::vector<UINT> expected = {WM_CREATE, WM_USER, WM_USER + 1, WM_DESTROY, WM_NCDESTROY};
    EXPECT_EQ(window_log, expected);
    EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_EQ(SendMessageA(w, WM_USER, 2, 3), 0);
}

// Message maps: a window class and an application class with their entries.
class CTestWnd : public CWnd {
public:
    int paints = 0;
    int commands = 0;
    bool destroyed_after = false;
    afx_msg void OnPaint() { ++paints; }
    afx_msg HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(0x1230); }
    afx_msg LRESULT OnTwice(WPARAM wp, LPARAM) { return static_cast<LRESULT>(wp * 2); }
    afx_msg void OnSave() { ++commands; }
    void PostNcDestroy() override { destroyed_after = true; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_MESSAGE(WM_APP + 1, &CTestWnd::OnTwice)
    ON_COMMAND(100, &CTestWnd::OnSave)
END_MESSAGE_MAP()

TEST(MessageMaps, WindowMessagesAndCommandsReachTheirHandlers) {
    CTestWnd wnd;
    ASSERT_TRUE(wnd.CreateHandle());
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
    EXPECT_EQ(wnd.SendMessage(WM_PAINT), 0);
    EXPECT_EQ(wnd.paints, 1);
    EXPECT_EQ(wnd.SendMessage(WM_QUERYDRAGICON), 0x1230);
    EXPECT_EQ(wnd.SendMessage(WM_APP + 1, 21), 42);
    EXPECT_EQ(wnd.SendMessage(WM_COMMAND, MAKELONG(100, CN_COMMAND)), 1);
    EXPECT_EQ(wnd.commands, 1);
    EXPECT_EQ(wnd.SendMessage(WM_COMMAND, MAKELONG(101, CN_COMMAND)), 0) << "no handler for 101";

    HWND h = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_TRUE(wnd.destroyed_after);
    EXPECT_EQ(CWnd::FromHandle(h), nullptr);
}

TEST(MessageMaps, DestroyingTheObjectDestroysItsWindow) {
    HWND h;
    {
        CTestWnd wnd;
        wnd.CreateHandle();
        h = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(h));
}

class CHelpApp : public CWinApp {
public:
    CHelpApp() : CWinApp("Help test") {}
    int helps = 0;
    afx_msg void OnHelpCounted() { ++helps; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHelpApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
    ON_COMMAND_RANGE(200, 210, &CHelpApp::OnHelpCounted)
END_MESSAGE_MAP()

TEST(MessageMaps, ApplicationCommandsRouteToBaseAndOwnHandlers) {
    AFX_MODULE_STATE* state = AfxGetModuleState();
    {
        CHelpApp app;
        EXPECT_EQ(AfxGetApp(), &app) << "an application object built here belongs to the current state";
        EXPECT_STREQ(AfxGetAppName(), "Help test");
        EXPECT_TRUE(app.OnCmdMsg(ID_HELP, CN_COMMAND, nullptr, nullptr));
        EXPECT_TRUE(app.OnCmdMsg(205, CN_COMMAND, nullptr, nullptr));
        EXPECT_FALSE(app.OnCmdMsg(211, CN_COMMAND, nullptr, nullptr));
        EXPECT_EQ(app.helps, 1);
    }
    EXPECT_EQ(state->m_pCurrentWinApp, nullptr) << "the object leaves its state when destroyed";
}

// What the abort procedure does while the spooler works: dispatch every waiting
// message through the current thread object, then go on.
TEST(Pumping, AbortProcedurePatternDispatchesEveryWaitingMessage) {
    drain();
    window_log.clear();
    HWND w = pw_create_window(logging_proc, 0);
    for (int i = 0; i < 3; ++i) PostMessageA(w, WM_USER + 10 + i, 0, 0);
    MSG msg;
    int pumped = 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        ASSERT_NE(AfxGetThread(), nullptr);
        AfxGetThread()->PumpMessage();
        ++pumped;
    }
    EXPECT_EQ(pumped, 3);
    const std::vector<UINT> expected = {WM_CREATE, WM_USER + 10, WM_USER + 11, WM_USER + 12};
    EXPECT_EQ(window_log, expected);
    DestroyWindow(w);
}

TEST(Pumping, RunWithoutMainWindowEndsAtOnce) {
    drain();
    CWinThread thread;
    EXPECT_EQ(thread.Run(), 0);
}

}  // namespace
