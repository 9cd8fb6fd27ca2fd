// Start-up of the real application object, on real installations: language
// library choice, the two literal messages, the title, the help path, the
// main dialog's modal run and the release of the library afterwards.
#include "adminapp.h"

#include <cstdlib>
#include <string>

#include "app_store.h"
#include "data.h"
#include "data_reset.h"
#include "helppath.h"
#include "maindialog.h"
#include "resource.h"
#include "ui_helpers.h"

namespace {

const char kStore[] =
    "language %s\n"
    "resolution administrator | shared | optional\n"
    "home C:\\VELKAN\\POOL\n"
    "product Velkan Mail | label=Mail | version=4.2 | size=100 | shareable\n"
    "client PC-01 | os=Windows NT | version=4.0\n"
    "config Office | admin=user | location=local | mandatory=optional | os=Windows NT | value=0\n"
    "uses Velkan Mail\n"
    "assign PC-01\n";

std::string StoreWithLanguage(const char *abbrev)
{
    char text[1024];
    snprintf(text, sizeof text, kStore, abbrev);
    return text;
}

std::string Lower(std::string s)
{
    for (char &c : s)
        c = (char)tolower((unsigned char)c);
    return s;
}

// The file name of a module, lower case; NULL names the program file.
std::string ModuleBaseName(HMODULE module)
{
    char name[MAX_PATH] = "";
    if (!GetModuleFileNameA(module, name, MAX_PATH))
        return "";
    std::string text(name);
    return Lower(text.substr(text.find_last_of('\\') + 1));
}

std::string ProgramBaseName()
{
    std::string name = ModuleBaseName(NULL);
    return name.substr(0, name.rfind('.'));
}

// What the modal run of the main dialog saw, recorded from inside it.
struct DuringRun
{
    bool ran = false;
    bool mainWindowIsDialog = false;
    bool visible = false;
    std::string resourceModule;
    std::string title;
    std::string helpPath;
};

class StartupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app = static_cast<CAdminApp *>(AfxGetApp());
        ASSERT_TRUE(app != NULL);
        // Every case starts as a fresh process would: default title and help
        // path, the program's own resources.
        app->SetAppName(NULL);
        app->SetHelpFilePath(NULL);
        ResetDataCacheForTest();
        savedResources = AfxGetResourceHandle();
        char dir[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, dir);
        savedDir = dir;
    }
    void TearDown() override
    {
        if (app->resourceLibrary) {   // left loaded by an early exit
            FreeLibrary(app->resourceLibrary);
            app->resourceLibrary = NULL;
        }
        AfxSetResourceHandle(savedResources);
        app->SetAppName(NULL);
        app->SetHelpFilePath(NULL);
        SetCurrentDirectoryA(savedDir.c_str());
    }

    // Runs start-up; once the main dialog is up, records what it sees and
    // cancels it (no page modified, so no question).
    BOOL StartAndCancel(DuringRun *seen)
    {
        ui::WhenFound([]() { CWnd *main = AfxGetMainWnd(); return main ? main->m_hWnd : (HWND)NULL; },
                      [seen](HWND) {
            seen->ran = true;
            CWnd *main = AfxGetMainWnd();
            seen->mainWindowIsDialog = main && dynamic_cast<CMainDialog *>(main) != NULL;
            seen->visible = main && main->m_hWnd && IsWindowVisible(main->m_hWnd);
            // A resource image has no module name to ask for: the path it
            // was loaded from is kept by the application.
            std::string library((LPCSTR) static_cast<CAdminApp *>(AfxGetApp())->resourceLibraryPath);
            seen->resourceModule = Lower(library.substr(library.find_last_of('\\') + 1));
            seen->title = AfxGetApp()->m_pszAppName;
            seen->helpPath = AfxGetApp()->m_pszHelpFilePath;
            if (main && main->m_hWnd)
                ui::Click(main->m_hWnd, IDCANCEL);
        });
        return app->InitInstance();
    }

    CAdminApp *app = NULL;
    HINSTANCE savedResources = NULL;
    std::string savedDir;
};

TEST_F(StartupTest, EnglishRunsTheMainDialogAndReleasesTheLibraryAfterwards)
{
    appstore::Installation store(StoreWithLanguage("us"));
    ui::MessageBoxRecorder boxes;
    CString defaultHelp(app->m_pszHelpFilePath);
    CString expectedHelp(defaultHelp);
    BuildHelpPath(expectedHelp);

    DuringRun seen;
    EXPECT_FALSE(StartAndCancel(&seen));

    EXPECT_TRUE(boxes.calls.empty());
    ASSERT_TRUE(seen.ran);
    EXPECT_TRUE(seen.mainWindowIsDialog);
    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(seen.resourceModule, "rvxrsus.dll");
    EXPECT_FALSE(seen.title.empty());
    EXPECT_NE(seen.title, ProgramBaseName());
    EXPECT_EQ(seen.helpPath, std::string((LPCSTR)expectedHelp));
    // Released after the dialog: no one else in this process holds it now.
    EXPECT_TRUE(app->resourceLibrary == NULL);
    EXPECT_TRUE(GetModuleHandleA("rvxrsus.dll") == NULL);
    EXPECT_TRUE(AfxGetMainWnd() == NULL);
}

TEST_F(StartupTest, GermanRunsWithTheGermanLibraryAndItsTitle)
{
    appstore::Installation store(StoreWithLanguage("de"));
    ui::MessageBoxRecorder boxes;
    DuringRun seen;
    EXPECT_FALSE(StartAndCancel(&seen));
    EXPECT_TRUE(boxes.calls.empty());
    ASSERT_TRUE(seen.ran);
    EXPECT_EQ(seen.resourceModule, "rvxrsde.dll");
    EXPECT_EQ(seen.title, "Netzwerkinstallations-Administrator");
}

TEST_F(StartupTest, AMissingLanguageLibraryFallsBackSilently)
{
    appstore::Installation store(StoreWithLanguage("fr"));
    ui::MessageBoxRecorder boxes;
    DuringRun seen;
    EXPECT_FALSE(StartAndCancel(&seen));
    EXPECT_TRUE(boxes.calls.empty());
    ASSERT_TRUE(seen.ran);
    EXPECT_EQ(seen.resourceModule, "rvxrsus.dll");
}

TEST_F(StartupTest, ALanguageFileThatIsNoLibraryFallsBackSilently)
{
    appstore::Installation store(StoreWithLanguage("qz"));
    // Beside the program, where language libraries are looked for.
    std::string bogus = appstore::ProgramDir() + "\\rvxrsqz.dll";
    ASSERT_TRUE(appstore::WriteText(bogus, "MZ but nothing more"));
    ui::MessageBoxRecorder boxes;
    DuringRun seen;
    EXPECT_FALSE(StartAndCancel(&seen));
    DeleteFileA(bogus.c_str());

    EXPECT_TRUE(boxes.calls.empty());
    ASSERT_TRUE(seen.ran);
    EXPECT_EQ(seen.resourceModule, "rvxrsus.dll");
}

TEST_F(StartupTest, ATraversingLanguageStartsInEnglishAndRunsNothingOfTheStores)
{
    // The store names a library two levels up and beside it, the marker
    // library waits there under that name.
    appstore::Installation store(StoreWithLanguage("\\..\\..\\evil"));
    std::string dir = appstore::Scratch("evil");
    std::string work = dir + "\\a\\b";
    CreateDirectoryA((dir + "\\a").c_str(), NULL);
    CreateDirectoryA(work.c_str(), NULL);
    ASSERT_TRUE(CopyFileA((appstore::ProgramDir() + "\\rvxmarker.dll").c_str(), (dir + "\\evil.dll").c_str(), FALSE));
    std::string marker = dir + "\\marker.txt";
    SetEnvironmentVariableA("RVX_MARKER_FILE", marker.c_str());
    ASSERT_TRUE(SetCurrentDirectoryA(work.c_str()));
    ui::MessageBoxRecorder boxes;
    DuringRun seen;
    EXPECT_FALSE(StartAndCancel(&seen));
    SetCurrentDirectoryA(savedDir.c_str());
    SetEnvironmentVariableA("RVX_MARKER_FILE", NULL);
    bool ran = GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    appstore::RemoveTree(dir);

    EXPECT_TRUE(boxes.calls.empty());
    ASSERT_TRUE(seen.ran);
    EXPECT_EQ(seen.resourceModule, "rvxrsus.dll");
    EXPECT_FALSE(ran);
}

TEST_F(StartupTest, NoCurrentLanguageSaysSoUnderTheDefaultTitle)
{
    appstore::Installation store(
        "home C:\\VELKAN\\POOL\n"
        "client PC-01 | os=Windows NT | version=4.0\n");
    ui::MessageBoxRecorder boxes;
    EXPECT_FALSE(app->InitInstance());

    ASSERT_EQ(boxes.calls.size(), 1u);
    // The first line as ever, then the library's own text: where and why.
    EXPECT_EQ(boxes.calls[0].text.rfind("Could not get current language\n\n", 0), 0u) << boxes.calls[0].text;
    EXPECT_NE(boxes.calls[0].text.find("catalogue.kxs: the installation names no current language"), std::string::npos);
    EXPECT_EQ(boxes.calls[0].type, (UINT)(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes.calls[0].helpContext, 0u);
    EXPECT_EQ(Lower(boxes.calls[0].caption), ProgramBaseName());
    EXPECT_TRUE(app->resourceLibrary == NULL);
    EXPECT_TRUE(AfxGetMainWnd() == NULL);
}

TEST_F(StartupTest, AFailedLoadEndsStartUpAfterItsOwnMessage)
{
    appstore::Installation store(StoreWithLanguage("us"));
    ui::MessageBoxRecorder boxes;
    // The configurations cannot be listed: the data layer reports it once.
    SetEnvironmentVariableA("KX_FAULT", "getAllConfigurations@*");
    BOOL result = app->InitInstance();
    SetEnvironmentVariableA("KX_FAULT", NULL);

    EXPECT_FALSE(result);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_NE(boxes.calls[0].text, "Could not get current language");
    EXPECT_NE(boxes.calls[0].text, "Error loading resource file");
    // Through the reporter start-up installs: the stop icon, OK only.
    EXPECT_EQ(boxes.calls[0].type, (UINT)(MB_OK | MB_ICONSTOP));
    // Shown after the title came from the library.
    EXPECT_EQ(boxes.calls[0].caption, ui::ResourceString(IDS_APP_TITLE));
    EXPECT_TRUE(AfxGetMainWnd() == NULL);
    // The library stays loaded on this exit; TearDown releases it.
    EXPECT_TRUE(app->resourceLibrary != NULL);
}

// Run in a copy of this program placed where no rvxrsus.dll can be found.
TEST(StartupChild, NoLanguageLibraryAnywhere)
{
    if (!getenv("APP_TESTS_CHILD"))
        GTEST_SKIP() << "runs only inside NoLibraryAnywhereSaysErrorLoadingResourceFile";
    CAdminApp *app = static_cast<CAdminApp *>(AfxGetApp());
    ui::MessageBoxRecorder boxes;
    EXPECT_FALSE(app->InitInstance());
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "Error loading resource file");
    EXPECT_EQ(boxes.calls[0].type, (UINT)(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes.calls[0].helpContext, 0u);
    EXPECT_EQ(Lower(boxes.calls[0].caption), ProgramBaseName());
    EXPECT_TRUE(app->resourceLibrary == NULL);
}

class StartupChildTest : public StartupTest
{
protected:
    // Copies this program and the installer libraries (not the language
    // library) to a scratch directory and runs the child case there.
    int RunChild(const char *abbrev, std::string *out)
    {
        appstore::Installation store(StoreWithLanguage(abbrev));
        std::string dir = appstore::Scratch("nolib");
        std::string bin = appstore::ProgramDir();
        const char *files[] = {"app_tests.exe", "KXIMPL32.dll", "PKRG.dll", "KXBKND32.dll"};
        for (const char *f : files)
            EXPECT_TRUE(CopyFileA((bin + "\\" + f).c_str(), (dir + "\\" + f).c_str(), FALSE)) << f;
        kxtest::ProgramRun run = kxtest::RunProgram(dir + "\\app_tests.exe", "--gtest_filter=StartupChild.*",
                                                    kxtest::RunOptions{{"APP_TESTS_CHILD=1"}, dir});
        appstore::RemoveTree(dir);
        *out = run.out + run.err;
        return (int)run.code;
    }
};

TEST_F(StartupChildTest, NoLibraryAnywhereSaysErrorLoadingResourceFile)
{
    std::string out;
    EXPECT_EQ(RunChild("de", &out), 0) << out;
    EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;
}

TEST_F(StartupChildTest, EnglishThatCannotBeHadIsTriedOnceMoreThenReported)
{
    std::string out;
    EXPECT_EQ(RunChild("us", &out), 0) << out;
    EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;
}

} // namespace
