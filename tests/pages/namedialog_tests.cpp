// The name entry dialog, modal, from the real template.
#include "namedialog.h"

#include "resource.h"
#include "ui_helpers.h"

namespace {

class NameDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(language.Loaded()); }

    static void Type(CDialog &d, const char *text)
    {
        // SetWindowText sends EN_CHANGE as typing does.
        ::SetDlgItemTextA(d.m_hWnd, IDC_NAME, text);
    }

    ui::LanguageLibrary language;
};

TEST_F(NameDialogTest, OkFollowsWhetherTheTextIsEmpty)
{
    CNameDialog dialog;
    bool initiallyEnabled = true, afterTyping = false, afterDeleting = true;
    INT_PTR result = ui::RunModal(dialog, [&](CDialog &d) {
        initiallyEnabled = ui::Enabled(d.m_hWnd, IDOK);
        Type(d, "L");
        afterTyping = ui::Enabled(d.m_hWnd, IDOK);
        Type(d, "");
        afterDeleting = ui::Enabled(d.m_hWnd, IDOK);
        ui::Click(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(initiallyEnabled);   // the template starts it disabled
    EXPECT_TRUE(afterTyping);
    EXPECT_FALSE(afterDeleting);
}

TEST_F(NameDialogTest, OkReturnsTheNameExactlyAsTyped)
{
    // Blanks, brackets, '=', ';' and an 8-bit letter come back untouched.
    const char *typed = "  Lab [2]=a;b \xE9 ";
    CNameDialog dialog;
    bool okEnabled = false;
    INT_PTR result = ui::RunModal(dialog, [&](CDialog &d) {
        Type(d, typed);
        okEnabled = ui::Enabled(d.m_hWnd, IDOK);
        ui::Click(d.m_hWnd, IDOK);
    });
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ((LPCSTR)dialog.name, typed);
}

TEST_F(NameDialogTest, BlanksOnlyAreANameNotAnEmptyText)
{
    CNameDialog dialog;
    bool okEnabled = false;
    INT_PTR result = ui::RunModal(dialog, [&](CDialog &d) {
        Type(d, "   ");
        okEnabled = ui::Enabled(d.m_hWnd, IDOK);
        ui::Click(d.m_hWnd, IDOK);
    });
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ((LPCSTR)dialog.name, "   ");
}

TEST_F(NameDialogTest, CancelAfterTypingIsNotOk)
{
    CNameDialog dialog;
    INT_PTR result = ui::RunModal(dialog, [&](CDialog &d) {
        Type(d, "Discarded");
        ui::Click(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(NameDialogTest, HelpOpensTheContentsOfTheHelpFile)
{
    ui::HelpRecorder help;
    ui::MessageBoxRecorder boxes;
    CNameDialog dialog;
    INT_PTR result = ui::RunModal(dialog, [&](CDialog &d) {
        ui::Click(d.m_hWnd, ID_HELP_CMD);
        ui::Click(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(help.calls.size(), 1u);
    EXPECT_EQ(help.calls[0].command, (UINT)HELP_CONTENTS);
    EXPECT_EQ(help.calls[0].data, (DWORD_PTR)0);
    EXPECT_EQ(help.calls[0].file, std::string(AfxGetApp()->m_pszHelpFilePath));
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(NameDialogTest, HelpThatCannotStartSaysSoOnce)
{
    ui::HelpRecorder help(FALSE);
    ui::MessageBoxRecorder boxes;
    CNameDialog dialog;
    ui::RunModal(dialog, [&](CDialog &d) {
        ui::Click(d.m_hWnd, ID_HELP_CMD);
        ui::Click(d.m_hWnd, IDCANCEL);
    });
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, ui::ResourceString(IDS_HELP_FAILED));
}

} // namespace
