// The Print dialog: defaults, the checks PrintDlgA makes on the blocks it is
// given, providers' answers driving CPrintDialog::DoModal, and the terminal menu.
#include "afxwin.h"
#include "print_test_util.h"

using namespace print_test;

namespace {

// The record's retry loop: the three errors that mean "start again from the
// default printer" drop both blocks and show the dialog again.
INT_PTR run_dialog(CPrintDialog& dlg, std::vector<DWORD>* errors) {
    INT_PTR r = dlg.DoModal();
    while (r != IDOK && r != IDCANCEL) {
        DWORD e = CommDlgExtendedError();
        errors->push_back(e);
        if (e != PDERR_DNDMMISMATCH && e != PDERR_PRINTERNOTFOUND && e != PDERR_DEFAULTDIFFERENT) return r;
        if (dlg.m_pd.hDevNames) GlobalFree(dlg.m_pd.hDevNames);
        if (dlg.m_pd.hDevMode) GlobalFree(dlg.m_pd.hDevMode);
        dlg.m_pd.hDevNames = nullptr;
        dlg.m_pd.hDevMode = nullptr;
        r = dlg.DoModal();
    }
    return r;
}

void free_blocks(CPrintDialog& dlg) {
    if (dlg.m_pd.hDevNames) GlobalFree(dlg.m_pd.hDevNames);
    if (dlg.m_pd.hDevMode) GlobalFree(dlg.m_pd.hDevMode);
    dlg.m_pd.hDevNames = dlg.m_pd.hDevMode = nullptr;
}

struct DialogTest : ::testing::Test {
    Sandbox box;
    ~DialogTest() override { pw_set_print_dialog_provider(nullptr); }
};

}  // namespace

TEST_F(DialogTest, GetDefaultsAnswersTheDefaultPrinter) {
    CPrintDialog dlg(TRUE, 0x14000C);
    ASSERT_TRUE(dlg.GetDefaults());
    EXPECT_STREQ(dlg.GetDriverName(), "WINSPOOL");
    EXPECT_STREQ(dlg.GetDeviceName(), "PDF");
    EXPECT_STREQ(dlg.GetPortName(), "FILE:");
    auto* names = static_cast<DEVNAMES*>(GlobalLock(dlg.m_pd.hDevNames));
    EXPECT_EQ(names->wDefault & DN_DEFAULTPRN, DN_DEFAULTPRN);
    GlobalUnlock(dlg.m_pd.hDevNames);
    LPDEVMODE dm = dlg.GetDevMode();
    ASSERT_NE(dm, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(dm->dmDeviceName), "PDF");
    EXPECT_TRUE(dm->dmFields & DM_YRESOLUTION);
    EXPECT_EQ(dm->dmPrintQuality, 600);
    EXPECT_EQ(dm->dmPaperSize, DMPAPER_LETTER);
    GlobalUnlock(dlg.m_pd.hDevMode);
    EXPECT_EQ(GlobalFlags(dlg.m_pd.hDevMode) & GMEM_LOCKCOUNT, 0u);

    // Only with empty blocks, as on the original platform.
    EXPECT_FALSE(dlg.GetDefaults());
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(PDERR_RETDEFFAILURE));
    free_blocks(dlg);

    // Another default printer is answered once it is made the default.
    ASSERT_TRUE(pw_set_default_printer("Fax"));
    ASSERT_TRUE(dlg.GetDefaults());
    EXPECT_STREQ(dlg.GetDeviceName(), "Fax");
    free_blocks(dlg);
}

TEST_F(DialogTest, ScriptedErrorsAreRetriedUntilOk) {
    std::vector<PW_PRINT_DIALOG_REQUEST> asked;
    pw_set_print_dialog_provider(pw_print_dialog_script(
        {PW_PRINT_DIALOG_ANSWER::Error(PDERR_DNDMMISMATCH), PW_PRINT_DIALOG_ANSWER::Error(PDERR_PRINTERNOTFOUND),
         PW_PRINT_DIALOG_ANSWER::Error(PDERR_DEFAULTDIFFERENT), PW_PRINT_DIALOG_ANSWER::Ok("PNG")},
        &asked));
    CPrintDialog dlg(FALSE, 0x30000C);
    std::vector<DWORD> errors;
    EXPECT_EQ(run_dialog(dlg, &errors), IDOK);
    EXPECT_EQ(errors, (std::vector<DWORD>{PDERR_DNDMMISMATCH, PDERR_PRINTERNOTFOUND, PDERR_DEFAULTDIFFERENT}));
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_FALSE(asked[0].setup_only);
    EXPECT_EQ(asked[3].current, "PDF") << "after a retried error the dialog opens on the default printer";
    EXPECT_EQ(asked[3].printers, (std::vector<std::string>{"PDF", "PNG", "Fax"}));
    EXPECT_STREQ(dlg.GetDeviceName(), "PNG");
    LPDEVMODE dm = dlg.GetDevMode();
    EXPECT_STREQ(reinterpret_cast<const char*>(dm->dmDeviceName), "PNG");
    GlobalUnlock(dlg.m_pd.hDevMode);
    auto* names = static_cast<DEVNAMES*>(GlobalLock(dlg.m_pd.hDevNames));
    EXPECT_EQ(names->wDefault & DN_DEFAULTPRN, 0) << "PNG is not the default printer";
    GlobalUnlock(dlg.m_pd.hDevNames);
    free_blocks(dlg);

    // An error outside the three ends the loop; answers used up mean Cancel.
    pw_set_print_dialog_provider(pw_print_dialog_script({PW_PRINT_DIALOG_ANSWER::Error(CDERR_MEMALLOCFAILURE)}));
    CPrintDialog other(TRUE, 0x30004C);
    errors.clear();
    EXPECT_EQ(run_dialog(other, &errors), 0);
    EXPECT_EQ(errors, std::vector<DWORD>{CDERR_MEMALLOCFAILURE});
    EXPECT_EQ(other.DoModal(), IDCANCEL);
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(other.m_pd.hDevNames, nullptr) << "a cancel changes nothing";
}

TEST_F(DialogTest, BlocksThatNoLongerFitGiveTheOriginalErrors) {
    box.write_printers_file("[Old]\nkind = pdf\n");
    pw_set_print_dialog_provider(pw_print_dialog_accept_default());

    struct Case {
        const char* what;
        std::function<void(CPrintDialog&)> arrange;
        DWORD error;
    };
    auto blocks_of = [](const char* printer, CPrintDialog& dlg) {
        ASSERT_TRUE(pw_set_default_printer(printer));
        ASSERT_TRUE(dlg.GetDefaults());
        ASSERT_TRUE(pw_set_default_printer(nullptr));
    };
    const Case cases[] = {
        {"the printer was removed",
         [&](CPrintDialog& dlg) {
             blocks_of("Old", dlg);
             box.write_printers_file("");
         },
         PDERR_PRINTERNOTFOUND},
        {"the DEVMODE is another printer's",
         [&](CPrintDialog& dlg) {
             blocks_of("Fax", dlg);
             HGLOBAL fax_mode = dlg.m_pd.hDevMode;
             dlg.m_pd.hDevMode = nullptr;
             GlobalFree(dlg.m_pd.hDevNames);
             dlg.m_pd.hDevNames = nullptr;
             ASSERT_TRUE(dlg.GetDefaults());
             GlobalFree(dlg.m_pd.hDevMode);
             dlg.m_pd.hDevMode = fax_mode;
         },
         PDERR_DNDMMISMATCH},
        {"the default printer changed",
         [&](CPrintDialog& dlg) {
             ASSERT_TRUE(dlg.GetDefaults());  // PDF, marked as the default
             ASSERT_TRUE(pw_set_default_printer("PNG"));
         },
         PDERR_DEFAULTDIFFERENT},
    };
    for (const Case& c : cases) {
        box.write_printers_file("[Old]\nkind = pdf\n");
        pw_set_default_printer(nullptr);
        CPrintDialog dlg(FALSE, 0x30000C);
        c.arrange(dlg);
        EXPECT_EQ(dlg.DoModal(), 0) << c.what;
        EXPECT_EQ(CommDlgExtendedError(), c.error) << c.what;
        // The retry opens on the (current) default printer and succeeds.
        std::vector<DWORD> errors;
        EXPECT_EQ(run_dialog(dlg, &errors), IDOK) << c.what;
        EXPECT_STREQ(dlg.GetDeviceName(), c.error == PDERR_DEFAULTDIFFERENT ? "PNG" : "PDF") << c.what;
        free_blocks(dlg);
    }
}

TEST_F(DialogTest, ConfirmingTheSamePrinterKeepsTheUsersSettings) {
    pw_set_print_dialog_provider(pw_print_dialog_script({PW_PRINT_DIALOG_ANSWER::Ok(), PW_PRINT_DIALOG_ANSWER::Ok("PNG")}));
    CPrintDialog dlg(FALSE, 0x30000C);
    ASSERT_TRUE(dlg.GetDefaults());
    LPDEVMODE dm = dlg.GetDevMode();
    dm->dmPrintQuality = 1200;
    dm->dmYResolution = 1200;
    GlobalUnlock(dlg.m_pd.hDevMode);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    dm = dlg.GetDevMode();
    EXPECT_EQ(dm->dmPrintQuality, 1200);
    GlobalUnlock(dlg.m_pd.hDevMode);
    // Another printer gets its own settings.
    ASSERT_EQ(dlg.DoModal(), IDOK);
    dm = dlg.GetDevMode();
    EXPECT_STREQ(reinterpret_cast<const char*>(dm->dmDeviceName), "PNG");
    EXPECT_EQ(dm->dmPrintQuality, 300) << "PNG's own default resolution";
    EXPECT_EQ(dm->dmPaperSize, DMPAPER_LETTER);
    GlobalUnlock(dlg.m_pd.hDevMode);
    // The DC made from the blocks has the chosen printer's resolution.
    HDC dc = dlg.CreatePrinterDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
    free_blocks(dlg);
}

TEST_F(DialogTest, TerminalMenu) {
    struct Case {
        const char* input;
        INT_PTR result;
        const char* device;
        const char* shown;
    } cases[] = {
        {"2\n", IDOK, "PNG", "  2. PNG"},
        {"\n", IDOK, "PDF", "  1. PDF  (default)  *"},
        {"9\nx\n3\n", IDOK, "Fax", "There is no printer '9'."},
        {"c\n", IDCANCEL, "", "Printer number, Enter for PDF, or c to cancel:"},
        {"", IDCANCEL, "", "Print Setup"},
    };
    for (const Case& c : cases) {
        FILE* in = tmpfile();
        FILE* out = tmpfile();
        fputs(c.input, in);
        rewind(in);
        pw_set_print_dialog_provider(pw_print_dialog_terminal(in, out));
        CPrintDialog dlg(TRUE, 0x30004C);
        EXPECT_EQ(dlg.DoModal(), c.result) << c.input;
        EXPECT_STREQ(dlg.GetDeviceName(), c.device) << c.input;
        fflush(out);
        rewind(out);
        std::string shown;
        char buf[512];
        while (fgets(buf, sizeof buf, out)) shown += buf;
        EXPECT_NE(shown.find(c.shown), std::string::npos) << shown;
        free_blocks(dlg);
        fclose(in);
        fclose(out);
    }
}
