// The application message box, help, and the application object's defaults.
#include <gtest/gtest.h>
#include <string>
#include "afxwin.h"
#include "child_process.h"
#include "ui_helpers.h"
#include "test_resource.h"

namespace {

// The program file's name without extension: the default title.
std::string ExeBaseName()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string p(path);
    p = p.substr(p.find_last_of('\\') + 1);
    return p.substr(0, p.rfind('.'));
}

class CTestApp : public CWinApp
{
public:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

TEST(AppTest, DefaultTitleAndHelpPathComeFromTheProgramFile)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string exe(path);
    std::string help = exe.substr(0, exe.rfind('.')) + ".HLP";

    CTestApp app;
    EXPECT_EQ(&app, AfxGetApp());
    EXPECT_EQ(ExeBaseName(), app.m_pszAppName);
    EXPECT_EQ(help, app.m_pszHelpFilePath);
    EXPECT_EQ(ExeBaseName(), AfxGetAppName());

    app.SetAppName("Pool \xC4" "dmin");
    app.SetHelpFilePath("C:\\A\\poolcfg\\poolcfg.hlp");
    EXPECT_STREQ("Pool \xC4" "dmin", app.m_pszAppName);
    EXPECT_STREQ("Pool \xC4" "dmin", AfxGetAppName());
    EXPECT_STREQ("C:\\A\\poolcfg\\poolcfg.hlp", app.m_pszHelpFilePath);
    app.SetAppName(NULL);
    app.SetHelpFilePath(NULL);
    EXPECT_EQ(ExeBaseName(), app.m_pszAppName);
    EXPECT_EQ(help, app.m_pszHelpFilePath);
    EXPECT_TRUE(app.Enable3dControls());
}

TEST(AppTest, WithoutApplicationObject)
{
    ASSERT_EQ(nullptr, AfxGetApp());
    EXPECT_EQ(nullptr, AfxGetMainWnd());
    EXPECT_EQ(ExeBaseName(), AfxGetAppName());
    EXPECT_EQ(GetModuleHandleA(NULL), AfxGetInstanceHandle());
    EXPECT_EQ(GetModuleHandleA(NULL), AfxGetResourceHandle());

    ui::MessageBoxRecorder boxes(IDNO);
    EXPECT_EQ(IDNO, AfxMessageBox("Could not get current language", MB_OK, 0));
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ(ExeBaseName(), boxes.calls[0].caption);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, boxes.calls[0].type);
    EXPECT_EQ(0u, boxes.calls[0].helpContext);
}

// Which button sets get the exclamation icon when the type names none.
TEST(MessageBoxTest, ExclamationIconOnlyForTheListedButtonSets)
{
    CTestApp app;
    ui::MessageBoxRecorder boxes;
    struct { UINT type; UINT shown; } cases[] = {
        {MB_OK, MB_OK | MB_ICONEXCLAMATION},
        {MB_OKCANCEL, MB_OKCANCEL | MB_ICONEXCLAMATION},
        {MB_ABORTRETRYIGNORE, MB_ABORTRETRYIGNORE},
        {MB_YESNOCANCEL, MB_YESNOCANCEL | MB_ICONEXCLAMATION},
        {MB_YESNO, MB_YESNO | MB_ICONEXCLAMATION},
        {MB_RETRYCANCEL, MB_RETRYCANCEL},
        {6 /* cancel, try again, continue */, 6},
        {MB_YESNO | MB_ICONSTOP, MB_YESNO | MB_ICONSTOP},            // 20 stays 20
        {MB_YESNO | MB_ICONQUESTION, MB_YESNO | MB_ICONQUESTION},
        {MB_OK | MB_ICONINFORMATION, MB_OK | MB_ICONINFORMATION},
        {MB_YESNO | MB_DEFBUTTON2, MB_YESNO | MB_DEFBUTTON2 | MB_ICONEXCLAMATION},
        {MB_OK | MB_ICONEXCLAMATION, MB_OK | MB_ICONEXCLAMATION},
    };
    for (auto &c : cases)
    {
        boxes.calls.clear();
        AfxMessageBox("text", c.type, 0);
        ASSERT_EQ(1u, boxes.calls.size());
        EXPECT_EQ(c.shown, boxes.calls[0].type) << "type " << c.type;
    }
}

TEST(MessageBoxTest, CaptionTextAndResult)
{
    CTestApp app;
    app.SetAppName("Pool Admin");
    ui::MessageBoxRecorder boxes;
    boxes.Answer(IDNO);
    EXPECT_EQ(IDNO, AfxMessageBox("Remove \xC4pfel?", MB_YESNO | MB_ICONQUESTION, 0));
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ("Pool Admin", boxes.calls[0].caption);
    EXPECT_EQ("Remove \xC4pfel?", boxes.calls[0].text);

    // DoMessageBox is the one path: an application may override it.
    EXPECT_EQ(IDOK, app.DoMessageBox("direct", MB_OK, 0));
    EXPECT_EQ("direct", boxes.calls[1].text);
}

TEST(MessageBoxTest, HelpNumbers)
{
    CTestApp app;
    ui::MessageBoxRecorder boxes;

    // By string number: help -1 means the string's own number.
    AfxMessageBox(IDS_HELLO);
    AfxMessageBox(IDS_HELLO, MB_YESNO | MB_ICONSTOP, (UINT)-1);
    AfxMessageBox(IDS_HELLO, MB_OK, 0);
    AfxMessageBox(IDS_HELLO, MB_OK, 7);
    AfxMessageBox("text");              // help 0 by default
    AfxMessageBox("text", MB_OK, 42);
    ASSERT_EQ(6u, boxes.calls.size());
    EXPECT_EQ("Hello, world", boxes.calls[0].text);
    EXPECT_EQ(0x30000u + IDS_HELLO, boxes.calls[0].helpContext);
    EXPECT_EQ(0x30000u + IDS_HELLO, boxes.calls[1].helpContext);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONSTOP), boxes.calls[1].type);
    EXPECT_EQ(0u, boxes.calls[2].helpContext);
    EXPECT_EQ(0x30007u, boxes.calls[3].helpContext);
    EXPECT_EQ(0u, boxes.calls[4].helpContext);
    EXPECT_EQ(0x3002Au, boxes.calls[5].helpContext);
    // Restored once each box has gone.
    EXPECT_EQ(0u, app.m_dwPromptContext);
}

struct Nested
{
    DWORD outerDuringInner = 0;
    DWORD innerSeen = 0;
    DWORD afterInner = 0;
};

int NestedResponder(const char *text, UINT, DWORD context, const char *, void *user)
{
    Nested *n = static_cast<Nested *>(user);
    if (std::string(text) == "outer")
    {
        n->outerDuringInner = AfxGetApp()->m_dwPromptContext;
        AfxMessageBox("inner", MB_OK, 9);
        n->afterInner = AfxGetApp()->m_dwPromptContext;
    }
    else
        n->innerSeen = context;
    return IDOK;
}

TEST(MessageBoxTest, ContextIsRestoredAfterANestedBox)
{
    CTestApp app;
    Nested n;
    AfxSetMessageBoxResponder(&NestedResponder, &n);
    AfxMessageBox("outer", MB_OK, 7);
    AfxSetMessageBoxResponder(NULL, NULL);
    EXPECT_EQ(0x30007u, n.outerDuringInner);
    EXPECT_EQ(0x30009u, n.innerSeen);
    EXPECT_EQ(0x30007u, n.afterInner);
    EXPECT_EQ(0u, app.m_dwPromptContext);
}

TEST(MessageBoxTest, MissingStringStillSaysSomething)
{
    CTestApp app;
    ui::MessageBoxRecorder boxes;
    AfxMessageBox(IDS_MISSING);
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_NE(std::string::npos, boxes.calls[0].text.find("299"));
    EXPECT_EQ(0x30000u + IDS_MISSING, boxes.calls[0].helpContext);
}

// ---- help ---------------------------------------------------------------

int HelpFromInsideBox(const char *, UINT, DWORD, const char *, void *)
{
    AfxGetApp()->OnHelp();   // F1 while the box is up
    return IDOK;
}

TEST(HelpTest, GoesToTheHelpFileWithContentsOrTheBoxContext)
{
    CTestApp app;
    app.SetHelpFilePath("C:\\A\\poolcfg\\poolcfg.hlp");
    ui::HelpRecorder help;

    app.WinHelp(0, HELP_CONTENTS);
    app.OnHelp();
    AfxSetMessageBoxResponder(&HelpFromInsideBox, NULL);
    AfxMessageBox("question", MB_YESNO, 6);
    AfxSetMessageBoxResponder(NULL, NULL);

    ASSERT_EQ(3u, help.calls.size());
    EXPECT_EQ("C:\\A\\poolcfg\\poolcfg.hlp", help.calls[0].file);
    EXPECT_EQ((UINT)HELP_CONTENTS, help.calls[0].command);
    EXPECT_EQ(0u, help.calls[0].data);
    EXPECT_EQ((UINT)HELP_CONTENTS, help.calls[1].command);
    EXPECT_EQ((UINT)HELP_CONTEXT, help.calls[2].command);
    EXPECT_EQ(0x30006u, help.calls[2].data);
}

TEST(HelpTest, FailureIsShownInTheApplicationBox)
{
    CTestApp app;
    app.SetAppName("Pool Admin");
    ui::HelpRecorder help(FALSE);
    ui::MessageBoxRecorder boxes;
    app.WinHelp(0, HELP_CONTENTS);
    ASSERT_EQ(1u, help.calls.size());
    ASSERT_EQ(1u, boxes.calls.size());
    // This program's resources have no string 61703: the literal text.
    EXPECT_EQ("Failed to launch help.", boxes.calls[0].text);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, boxes.calls[0].type);
    EXPECT_EQ(0x30000u + 61703u, boxes.calls[0].helpContext);
    EXPECT_EQ("Pool Admin", boxes.calls[0].caption);

    // When help starts, nothing is shown.
    help.starts = TRUE;
    app.WinHelp(5);
    EXPECT_EQ(1u, boxes.calls.size());
    EXPECT_EQ((UINT)HELP_CONTEXT, help.calls[1].command);
    EXPECT_EQ(5u, help.calls[1].data);
}

// Contents, a box's context and a topic, without and with a .chm beside the help path.
TEST(HelpTest, TheChmBesideTheHelpFileGoesToHtmlHelpElseWinHelp)
{
    CTestApp app;
    for (bool present : {false, true})
    {
        ui::CompiledHelp files(present);
        ui::HelpRecorder help;
        app.WinHelp(0, HELP_CONTENTS);
        app.WinHelp(0x30006, HELP_CONTEXT);
        app.OpenHelpTopic("ok");
        std::string seen, h = files.hlp, c = files.chm;
        for (const ui::HelpCall &call : help.calls)   // engine 1 HTML Help, 0 WinHelp
            seen += std::to_string(call.engine) + call.file + " " + std::to_string(call.command) + " " +
                    std::to_string(call.data) + call.jump + "|";
        EXPECT_EQ(present ? "1" + c + " 1 0|1" + c + " 1 0|1" + c + "::/ok.html 0 0|"
                          : "0" + h + " 3 0|0" + h + " 1 196614|0" + h + " 258 0JI(`',`ok')|", seen);
    }
}

TEST(HelpTest, CommandMapRoutesTheHelpCommand)
{
    CTestApp app;
    ui::HelpRecorder help;
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP, 0));
    EXPECT_FALSE(app.OnCmdMsg(ID_HELP, EN_CHANGE));   // a notification is no command
    EXPECT_FALSE(app.OnCmdMsg(1234, 0));
    ASSERT_EQ(1u, help.calls.size());
    EXPECT_EQ((UINT)HELP_CONTENTS, help.calls[0].command);
}

} // namespace

namespace {

TEST(WinMainTest, StartUpHookDecidesBetweenExitAndMessageLoop)
{
    EXPECT_EQ(70u, kxtest::RunProgram("framework_probe.exe", "init-fails").code);
    EXPECT_EQ(71u, kxtest::RunProgram("framework_probe.exe", "loop").code);
}

} // namespace
