// Dialogs from templates, answered through standard input as in a script.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "afxwin.h"

namespace {

const pw::res::DialogControl kAskControls[] = {
    {IDOK, "BUTTON", "&Go", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 0, 0, 10, 10},
    {IDCANCEL, "BUTTON", "Stop", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10},
    {10, "STATIC", "Salt && pepper", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10},
    {11, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10},
};
const pw::res::DialogControl kBareControls[] = {{30, "STATIC", "bare", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10}};
const pw::res::DialogControl kWorkControls[] = {{20, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10}};
const pw::res::DialogTemplate kDialogs[] = {
    {100, "&Ask", WS_POPUP | WS_CAPTION, 0, 0, 0, 120, 60, "MS Sans Serif", 8, kAskControls, 4},
    {200, nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 0, 80, 40, "MS Sans Serif", 8, kWorkControls, 1},
    {300, "Bare", WS_POPUP, 0, 0, 0, 80, 40, "MS Sans Serif", 8, kBareControls, 1},
};
const pw::res::ModuleResources kResources = {.dialogs = kDialogs, .dialog_count = 3};
PW_MODULE_RESOURCES(kResources);

// Standard input becomes a pipe the test writes answers into; standard output
// goes to a file the test reads back.
class Terminal : public ::testing::Test {
protected:
    void SetUp() override {
        int p[2];
        ASSERT_EQ(pipe(p), 0);
        saved_in_ = dup(0);
        dup2(p[0], 0);
        close(p[0]);
        answers_ = p[1];
        std::fflush(stdout);
        saved_out_ = dup(1);
        out_ = fileno(tmpfile());
        dup2(out_, 1);
    }
    void TearDown() override {
        if (answers_ >= 0) close(answers_);
        std::fflush(stdout);
        dup2(saved_in_, 0);
        dup2(saved_out_, 1);
        close(saved_in_);
        close(saved_out_);
    }
    void answer(const std::string& text) { ASSERT_EQ(write(answers_, text.data(), text.size()), ssize_t(text.size())); }
    void end_of_input() {
        close(answers_);
        answers_ = -1;
    }
    std::string shown() {
        std::string s;
        char buf[4096];
        ssize_t n;
        lseek(out_, 0, SEEK_SET);
        while ((n = read(out_, buf, sizeof buf)) > 0) s.append(buf, static_cast<size_t>(n));
        return s;
    }
    int answers_ = -1, out_ = -1, saved_in_ = -1, saved_out_ = -1;
};

TEST_F(Terminal, AnswersPressTheButtons) {
    struct Case {
        std::string script;
        INT_PTR result;
    } const cases[] = {
        {"1\n", IDOK},      {"OK\n", IDOK},     {" yes \n", IDOK},  {"go\n", IDOK},  // the button's own text
        {"2\n", IDCANCEL},  {"n\n", IDCANCEL},  {"STOP\n", IDCANCEL},
        {"maybe\n\n1\n", IDOK},  // asked again until the answer is understood
    };
    for (const Case& c : cases) {
        answer(c.script);
        CDialog dlg(100);
        EXPECT_EQ(dlg.DoModal(), c.result) << c.script;
        EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);  // the window is gone
    }
    std::string out = shown();
    EXPECT_NE(out.find("=== Ask ===\nSalt & pepper\n[1] Go   [2] Stop\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Please answer 1 (Go) or 2 (Stop)."), std::string::npos) << out;
}

TEST_F(Terminal, EndOfInputCancelsAndMissingTemplateFails) {
    end_of_input();
    CDialog dlg(100);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    // Buttons the template lacks are offered under their usual names.
    CDialog bare(300);
    EXPECT_EQ(bare.DoModal(), IDCANCEL);
    EXPECT_NE(shown().find("[1] OK   [2] Cancel"), std::string::npos) << shown();

    CDialog missing(999);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_FALSE(missing.Create(999));
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, nullptr, 0), -1);
}

// A dialog whose handlers decide: texts set in OnInitDialog are shown, a
// refused OK asks again, EndDialog from OnInitDialog ends without asking.
class Custom : public CDialog {
public:
    explicit Custom(int end_at_init) : CDialog(100), end_at_init_(end_at_init) {}
    int ok_presses = 0;
    CString text_seen;

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        SetDlgItemText(11, "Set at run time");
        GetDlgItemText(11, text_seen);
        if (end_at_init_) EndDialog(end_at_init_);
        return TRUE;
    }
    void OnOK() override {
        if (++ok_presses == 2) CDialog::OnOK();
    }

private:
    int end_at_init_;
};

TEST_F(Terminal, HandlersDecideHowTheDialogEnds) {
    answer("1\n1\n");
    Custom dlg(0);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.ok_presses, 2);
    EXPECT_EQ(dlg.text_seen, "Set at run time");
    EXPECT_NE(shown().find("Set at run time\n[1] Go"), std::string::npos) << shown();

    Custom early(42);  // no answer is read: the pipe holds none and is still open
    EXPECT_EQ(early.DoModal(), 42);
}

TEST_F(Terminal, ModelessWindowPrintsWhatItShows) {
    {
        CDialog work;
        ASSERT_TRUE(work.Create(200));
        EXPECT_TRUE(work.IsWindowVisible());  // WS_VISIBLE in the template
        work.SetDlgItemText(20, "Copying...");
        ASSERT_NE(work.GetDlgItem(20), nullptr);
        EXPECT_EQ(work.GetDlgItem(21), nullptr);

        HICON a = reinterpret_cast<HICON>(0x10), b = reinterpret_cast<HICON>(0x20);
        EXPECT_EQ(work.SetIcon(a, TRUE), nullptr);
        EXPECT_EQ(work.SetIcon(b, FALSE), nullptr);
        EXPECT_EQ(work.SetIcon(b, TRUE), a);
        EXPECT_EQ(work.GetIcon(FALSE), b);

        EXPECT_TRUE(work.ShowWindow(SW_SHOW));  // was visible already: nothing new printed
        EXPECT_TRUE(work.DestroyWindow());
        EXPECT_EQ(work.GetSafeHwnd(), nullptr);
    }
    {
        CDialog quiet;  // destroyed with its object, never shown with text
        ASSERT_TRUE(quiet.Create(300));
        EXPECT_FALSE(quiet.IsWindowVisible());
    }
    EXPECT_EQ(shown(), "[window] Copying...\n[window] closed\n");
}

}  // namespace
