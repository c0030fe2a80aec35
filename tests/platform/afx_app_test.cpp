// The program's run of its application object, and CString.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afxwin.h"

namespace {

class CRecordingApp : public CWinApp {
public:
    explicit CRecordingApp(BOOL start) : CWinApp("recorder"), start_(start) {}
    std::vector<std::string> calls;
    CWinThread* thread_in_init = nullptr;
    BOOL InitInstance() override {
        calls.push_back(std::string("InitInstance ") + m_lpCmdLine);
        thread_in_init = AfxGetThread();
        return start_;
    }
    int ExitInstance() override {
        calls.push_back("ExitInstance");
        return start_ ? 5 : 7;
    }

private:
    BOOL start_;
};

TEST(AfxWinMain, RunsInitInstanceThenTheLoopThenExitInstance) {
    char arg0[] = "updater", arg1[] = "-a", arg2[] = "b";
    char* argv[] = {arg0, arg1, arg2};
    for (BOOL start : {TRUE, FALSE}) {
        CRecordingApp app(start);
        const int code = AfxWinMain(3, argv);
        EXPECT_EQ(code, start ? 5 : 7) << "ExitInstance gives the exit status";
        const std::vector<std::string> expected = {"InitInstance -a b", "ExitInstance"};
        EXPECT_EQ(app.calls, expected);
        EXPECT_EQ(app.thread_in_init, &app) << "the application is the thread object while it runs";
        EXPECT_EQ(AfxGetModuleState()->m_nInitState, start ? 1 : -1);
    }
}

TEST(AfxWinMain, WithoutApplicationObjectFails) {
    testing::internal::CaptureStderr();
    char arg0[] = "program";
    char* argv[] = {arg0};
    EXPECT_EQ(AfxWinMain(1, argv), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
}

TEST(CString, FormatHasNoLengthLimit) {
    CString s;
    s.Format("%s-%d", std::string(5000, 'a').c_str(), 42);
    EXPECT_EQ(s.GetLength(), 5003);
    EXPECT_EQ(s.Right(3), "-42");
    s.Format("Photo resolution is:%g", 150.0);
    EXPECT_EQ(s, "Photo resolution is:150");
}

TEST(CString, PiecesClampInsteadOfFailing) {
    const CString s("pagewright.dst");
    struct Case {
        CString got;
        const char* want;
    };
    const Case cases[] = {
        {s.Left(4), "page"},        {s.Left(99), "pagewright.dst"}, {s.Left(-1), ""},
        {s.Right(3), "dst"},        {s.Right(99), "pagewright.dst"}, {s.Mid(4, 6), "wright"},
        {s.Mid(10), ".dst"},        {s.Mid(99, 2), ""},              {s.Mid(-5, 4), "page"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
    EXPECT_EQ(s.Find('.'), 10);
    EXPECT_EQ(s.Find("wright"), 4);
    EXPECT_EQ(s.Find('x'), -1);
    EXPECT_EQ(s.Find('p', 99), -1);
    EXPECT_EQ(s.ReverseFind('t'), 13);
}

TEST(CString, EditingAndComparison) {
    CString s("  Druckerziel ");
    s.TrimLeft();
    s.TrimRight();
    EXPECT_EQ(s, "Druckerziel");
    EXPECT_EQ(s.Replace("ziel", "ziele"), 1);
    EXPECT_EQ(s.CompareNoCase("DRUCKERZIELE"), 0);
    EXPECT_LT(s.Compare("E"), 0);
    EXPECT_TRUE(CString() == "");
    EXPECT_TRUE(CString("a") != nullptr);
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(static_cast<LPCTSTR>(s), "");
}

TEST(CString, BufferAccessForCApis) {
    CString s;
    char* p = s.GetBuffer(128);
    GetModuleFileNameA(nullptr, p, 129);
    s.ReleaseBuffer();
    EXPECT_GT(s.GetLength(), 0);
    EXPECT_EQ(s.Find('/'), -1);
    EXPECT_EQ(s.GetLength(), static_cast<int>(std::strlen(s)));
    s.GetBuffer(10);
    s.ReleaseBuffer(3);
    EXPECT_EQ(s.GetLength(), 3);
}

}  // namespace
