// The message dialog's procedure, what follows each way of ending it, and
// the reports of a home page that would not open.
#include "Fixture.h"
#include "Texts.h"
#include "messages/MessageDialog.h"
#include "messages/OpenDocument.h"
#include "resources/resource.h"

using expected::Home;
static HWND const Dialog = reinterpret_cast<HWND>(0x1000);

class Messages : public ProgramTest {};

TEST_F(Messages, InitialisingSetsBannerAndMessageAndCentresTheDialog)
{
    const struct {
        RECT rect;
        int screenWidth, screenHeight;
        const char *move;
    } rows[] = {
        {{10, 20, 110, 70}, 1024, 768, "MoveWindow 462 359 100 50 1"},
        {{0, 0, 101, 51}, 1024, 768, "MoveWindow 461 358 101 51 1"},
        {{5, 5, 1032, 200}, 1024, 768, "MoveWindow -1 286 1027 195 1"},
        {{0, 0, 1029, 800}, 1024, 768, "MoveWindow -2 -16 1029 800 1"},
    };
    for (const auto &row : rows) {
        ResetWin32Double();
        g_win32.dialogRect = row.rect;
        g_win32.screenWidth = row.screenWidth;
        g_win32.screenHeight = row.screenHeight;
        const char *text = "line one\r\nline two";
        EXPECT_EQ(TRUE, MessageDialogProc(Dialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(text)));
        EXPECT_EQ(Calls{row.move}, g_win32.calls);
        EXPECT_EQ(text, g_win32.controlText[IDC_MESSAGE]);
    }
    // Two lines each ended by a bare line feed, then an empty one.
    const std::string banner = g_win32.controlText[IDC_BANNER];
    ASSERT_EQ(0u, banner.find("KELBRANO.EXE v.1.0\n"));
    EXPECT_EQ(banner.size() - 2, banner.find('\n', 19));
    EXPECT_EQ('\n', banner.back());
    EXPECT_EQ(std::string::npos, banner.find('\r'));
    EXPECT_NE(std::string::npos, banner.find("http://www.kelbrano.example/"));
}

TEST_F(Messages, OnlyOkCancelAndTheHomePageButtonEndTheDialog)
{
    for (int id : {IDOK, IDCANCEL, IDC_HOMEPAGE}) {
        for (WPARAM code : {0u, 1u, 0x300u}) {
            ResetWin32Double();
            EXPECT_EQ(TRUE, MessageDialogProc(Dialog, WM_COMMAND, code << 16 | static_cast<WPARAM>(id), 0));
            EXPECT_EQ(Calls{"EndDialog " + std::to_string(id)}, g_win32.calls);
        }
    }
    ResetWin32Double();
    for (WPARAM id : {0, 3, IDC_BANNER, IDC_MESSAGE, 111, 0x10000 + 3, 0x10000 + 0x6E00})
        EXPECT_EQ(FALSE, MessageDialogProc(Dialog, WM_COMMAND, id, 0)) << id;
    EXPECT_EQ(FALSE, MessageDialogProc(Dialog, 0x0010 /* WM_CLOSE */, 0, 0));
    EXPECT_EQ(FALSE, MessageDialogProc(Dialog, 0x000F /* WM_PAINT */, 0, 0));
    EXPECT_TRUE(g_win32.calls.empty());
}

TEST_F(Messages, WhatFollowsEachWayOfEndingTheDialog)
{
    const struct {
        INT_PTR result;
        Calls after;
    } rows[] = {
        {IDOK, {}},
        {IDCANCEL, {}},
        {7, {}},
        {IDC_HOMEPAGE, {"ShellExecuteA - " + Home + " - - 5"}},
        {-1, {expected::DialogFailedBox}},
    };
    for (const auto &row : rows) {
        ResetWin32Double();
        g_win32.dialogResults = {row.result};
        ShowMessageDialog("the message");
        Calls expected{"DialogBoxParamA 1"};
        expected.insert(expected.end(), row.after.begin(), row.after.end());
        EXPECT_EQ(expected, g_win32.calls) << row.result;
    }
}

TEST_F(Messages, AHomePageThatWouldNotOpenIsReportedInAFurtherDialog)
{
    const std::string noApplication =
        "Errore: su questo sistema non esiste alcuna applicazione in grado di aprire il documento '" + Home +
        "'.\r\n\r\nError: on this system there is no application that can open document '" + Home + "'.";
    auto failed = [](long result) {
        return "Errore " + std::to_string(result) + " nell'apertura del documento '" + Home + "'.\r\n\r\nError " +
               std::to_string(result) + " while opening document '" + Home + "'.";
    };
    const struct {
        INT_PTR shell;
        int result;
        std::string message;
    } rows[] = {
        // clang-format off
        {33, 0, ""},       {1000, 0, ""},        {2, 2, expected::HomeNotFound},   {3, 2, expected::HomeNotFound}, {31, 2, noApplication},
        {0, 2, failed(0)}, {1, 2, failed(1)},   {5, 2, failed(5)},  {32, 2, failed(32)}, {-5, 2, failed(-5)},
        // clang-format on
    };
    for (const auto &row : rows) {
        ResetWin32Double();
        g_win32.shellResult = row.shell;
        EXPECT_EQ(row.result, OpenDocument(Home.c_str(), SW_SHOW)) << row.shell;
        EXPECT_EQ(row.message.empty() ? Calls{} : Calls{row.message}, g_win32.dialogs) << row.shell;
    }
}

TEST_F(Messages, RetryingTheHomePageAgainAndAgainStopsAtABoundedDepth)
{
    g_win32.shellResult = 2;
    g_win32.dialogResults.assign(100, IDC_HOMEPAGE);
    ShowMessageDialog("first");

    size_t shown = g_win32.dialogs.size();
    EXPECT_GT(shown, 2u);
    EXPECT_LT(shown, 20u);
    EXPECT_EQ(shown - 1, g_win32.Count("ShellExecuteA"));

    // The depth is counted afresh for the next message.
    ResetWin32Double();
    g_win32.shellResult = 2;
    g_win32.dialogResults = {IDC_HOMEPAGE, IDOK};
    ShowMessageDialog("second");
    EXPECT_EQ(2u, g_win32.dialogs.size());
    EXPECT_EQ(1u, g_win32.Count("ShellExecuteA"));
}
