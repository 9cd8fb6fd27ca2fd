// The language libraries side by side: the same resources and controls in
// each, the texts the store depends on unchanged, access keys that do not
// clash, the translation's characters intact; one version number in every
// file the build ships; the program's manifest; the help file beside it.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "resource.h"
#include "resource_helpers.h"

namespace {

const char *const kLibraries[] = {"rvxrsus.dll", "rvxrsde.dll"};

class LanguageLibraryTest : public ::testing::TestWithParam<const char *>
{
protected:
    res::DataModule english{"rvxrsus.dll"};
    res::DataModule library{GetParam()};
};

// A translation beside the English library it must match.
class TranslationTest : public LanguageLibraryTest
{
};

TEST_P(TranslationTest, HoldsTheSameStringDialogAndIconNumbersAsTheEnglishOne)
{
    ASSERT_NE(english.Handle(), nullptr);
    ASSERT_NE(library.Handle(), nullptr) << GetParam();
    EXPECT_EQ(res::StringIds(library.Handle()), res::StringIds(english.Handle()));
    EXPECT_EQ(res::ResourceIds(library.Handle(), RT_DIALOG), res::ResourceIds(english.Handle(), RT_DIALOG));
    EXPECT_EQ(res::ResourceIds(library.Handle(), RT_GROUP_ICON), res::ResourceIds(english.Handle(), RT_GROUP_ICON));
    // And what the program loads by number is there.
    const unsigned expected[] = {IDD_MAIN, IDD_ABOUT, IDD_NAME, IDD_PAGE_CONFIG, IDD_PAGE_ASSIGN, IDD_PAGE_CONFLICTS};
    for (unsigned id : expected)
        EXPECT_EQ(res::ResourceIds(library.Handle(), RT_DIALOG).count(id), 1u) << id;
    EXPECT_EQ(res::ResourceIds(library.Handle(), RT_GROUP_ICON).count(IDI_APP), 1u);
}

TEST_P(TranslationTest, EveryDialogHasTheEnglishControlsInTheEnglishOrder)
{
    // Same numbers, classes, order (the tab order) and tab/group marks.
    const DWORD kept = WS_TABSTOP | WS_GROUP | WS_VISIBLE | WS_DISABLED;
    for (unsigned id : res::ResourceIds(english.Handle(), RT_DIALOG)) {
        res::Template theirs = res::ReadTemplate(english.Handle(), id);
        res::Template ours = res::ReadTemplate(library.Handle(), id);
        ASSERT_TRUE(theirs.valid) << id;
        ASSERT_TRUE(ours.valid) << GetParam() << " template " << id;
        EXPECT_EQ(ours.style, theirs.style) << id;
        EXPECT_EQ(ours.exStyle, theirs.exStyle) << id;
        ASSERT_EQ(ours.controls.size(), theirs.controls.size()) << id;
        for (size_t i = 0; i < ours.controls.size(); ++i) {
            EXPECT_EQ(ours.controls[i].id, theirs.controls[i].id) << id << " control " << i;
            EXPECT_TRUE(ours.controls[i].className == theirs.controls[i].className) << id << " control " << i;
            EXPECT_EQ(ours.controls[i].style & kept, theirs.controls[i].style & kept) << id << " control " << i;
        }
    }
}

TEST_P(LanguageLibraryTest, KeepsTheSystemTextsTheStoreHolds)
{
    const std::map<unsigned, std::wstring> systems = {
        {IDS_OS_NT, L"Windows NT"}, {IDS_OS_WINDOWS, L"Windows 3.x"}, {IDS_OS_OS2, L"OS/2"},
        {IDS_OS_DOS, L"DOS"}, {IDS_OS_NETWARE, L"NetWare"}, {IDS_OS_NONE, L"(none)"},
        {IDS_OS_WIN95, L"Windows 95"}, {IDS_OS_WIN32, L"Windows (32-bit)"}};
    for (const auto &system : systems)
        EXPECT_TRUE(res::StringW(library.Handle(), system.first) == system.second) << system.first;
}

// Every access key once on what the administrator sees at one time: a page
// with the main dialog around it, and the name dialog on its own.
TEST_P(LanguageLibraryTest, AccessKeysAreUniqueOnEveryPageWithTheMainDialog)
{
    struct Screen
    {
        const char *what;
        std::vector<unsigned> templates;
    };
    const Screen screens[] = {
        {"configurations", {IDD_MAIN, IDD_PAGE_CONFIG}},
        {"assignments", {IDD_MAIN, IDD_PAGE_ASSIGN}},
        {"conflicts", {IDD_MAIN, IDD_PAGE_CONFLICTS}},
        {"name", {IDD_NAME}},
    };
    for (const Screen &screen : screens) {
        std::map<wchar_t, int> owner;
        int keys = 0;
        for (unsigned id : screen.templates) {
            res::Template t = res::ReadTemplate(library.Handle(), id);
            ASSERT_TRUE(t.valid) << id;
            for (const res::Control &c : t.controls) {
                wchar_t key = res::AccessKey(c.text);
                if (!key)
                    continue;
                ++keys;
                auto placed = owner.emplace(key, c.id);
                EXPECT_TRUE(placed.second) << GetParam() << " " << screen.what << ": the key of control "
                                           << c.id << " is also the key of control " << placed.first->second;
            }
        }
        EXPECT_GE(keys, 2) << screen.what;   // the name dialog has two
    }
}

INSTANTIATE_TEST_SUITE_P(German, TranslationTest, ::testing::Values("rvxrsde.dll"));
INSTANTIATE_TEST_SUITE_P(BothLanguages, LanguageLibraryTest, ::testing::ValuesIn(kLibraries),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param).substr(0, 7);
                         });

TEST(GermanLibrary, CarriesItsUmlautsAndGermanLanguageResources)
{
    res::DataModule german("rvxrsde.dll");
    ASSERT_NE(german.Handle(), nullptr);
    struct Case
    {
        unsigned id;
        const wchar_t *text;
    };
    const Case cases[] = {
        {IDS_VIEW_CONFLICTS, L"Konfliktl\u00f6sung"},
        {IDS_VIEW_ASSIGNMENTS, L"Clientzuordnungen"},
        {IDS_CONFIRM_DISCARD, L"Sie haben Konfigurationen ge\u00e4ndert, die noch nicht gespeichert sind.\n\n"
                              L"Alle \u00c4nderungen verwerfen und schlie\u00dfen?"},
    };
    for (const Case &c : cases)
        EXPECT_TRUE(res::StringW(german.Handle(), c.id) == c.text) << c.id;
    // The Reset All button, as the dialog manager will read it.
    res::Template main = res::ReadTemplate(german.Handle(), IDD_MAIN);
    ASSERT_TRUE(main.valid);
    bool found = false;
    for (const res::Control &control : main.controls)
        if (control.id == IDC_RESET_ALL)
            found = control.text == L"Alles &zur\u00fccksetzen";
    EXPECT_TRUE(found);
    EXPECT_NE(FindResourceExA(german.Handle(), RT_DIALOG, MAKEINTRESOURCEA(IDD_MAIN),
                              MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)), nullptr);
}

// What the build ships carries one version, the project's.
// What ships stands in bin/; the test programs run beside the test build of
// the installer libraries in testbin/.
static std::string Shipped(const char *file)
{
    return std::string("..\\bin\\") + file;
}

TEST(VersionBlocks, EveryShippedFileCarriesTheProjectVersion)
{
    const char *const files[] = {"rvxadmin.exe", "KXIMPL32.dll", "PKRG.dll", "KXBKND32.dll",
                                 "rvxrsus.dll", "rvxrsde.dll", "rvxlayout.exe", "uidrive.exe",
                                 "rvxcfg.exe"};
    const DWORD high = MAKELONG(RVX_VERSION_MINOR, RVX_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, RVX_VERSION_PATCH);
    const std::string text = std::to_string(RVX_VERSION_MAJOR) + "." + std::to_string(RVX_VERSION_MINOR) + "." +
                             std::to_string(RVX_VERSION_PATCH);
    for (const char *name : files) {
        const std::string shipped = Shipped(name);
        const char *file = shipped.c_str();
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeA(file, &handle);
        ASSERT_GT(size, 0u) << file;
        std::vector<char> block(size);
        ASSERT_TRUE(GetFileVersionInfoA(file, 0, size, block.data())) << file;
        VS_FIXEDFILEINFO *fixed = NULL;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void **)&fixed, &length)) << file;
        EXPECT_EQ(fixed->dwFileVersionMS, high) << file;
        EXPECT_EQ(fixed->dwFileVersionLS, low) << file;
        EXPECT_EQ(fixed->dwProductVersionMS, high) << file;

        struct Translation { WORD language, codePage; } *translations = NULL;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void **)&translations, &length)) << file;
        ASSERT_GE(length, sizeof(Translation)) << file;
        char path[80];
        snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\FileVersion", translations[0].language,
                 translations[0].codePage);
        char *version = NULL;
        ASSERT_TRUE(VerQueryValueA(block.data(), path, (void **)&version, &length)) << file << " " << path;
        EXPECT_EQ(std::string(version), text) << file;
    }
}

// The help files the program opens stand beside it: the WinHelp file (its
// own path with ".HLP") and the .chm, each with its format's magic number in
// its first four bytes.
class HelpFile : public ::testing::TestWithParam<std::pair<const char *, DWORD>> {};
TEST_P(HelpFile, StandsBesideTheProgram)
{
    HANDLE file = CreateFileA(Shipped(GetParam().first).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    unsigned char head[4] = {0, 0, 0, 0};
    DWORD read = 0;
    ReadFile(file, head, sizeof head, &read, NULL);
    DWORD size = GetFileSize(file, NULL);
    CloseHandle(file);
    ASSERT_EQ(read, 4u);
    EXPECT_EQ(head[0] | (head[1] << 8) | (head[2] << 16) | ((DWORD)head[3] << 24), GetParam().second);
    EXPECT_GT(size, 4096u);   // the whole manual, not an empty shell
}
INSTANTIATE_TEST_SUITE_P(WinHelpAndHtmlHelp, HelpFile,
                         ::testing::Values(std::make_pair("rvxadmin.HLP", 0x00035F3Fu), std::make_pair("rvxadmin.chm", 0x46535449u)));

// The program asks for the current controls, runs as its caller and says it
// knows the screen's DPI.
TEST(ProgramManifest, AsksForCommonControlsSixAsInvokerAndDpiAware)
{
    res::DataModule program(Shipped("rvxadmin.exe").c_str());
    ASSERT_NE(program.Handle(), nullptr);
    std::vector<unsigned char> bytes = res::ResourceBytes(program.Handle(), RT_MANIFEST, 1);
    std::string manifest(bytes.begin(), bytes.end());
    const char *const needed[] = {
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "level=\"asInvoker\"",
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
    };
    for (const char *text : needed)
        EXPECT_NE(manifest.find(text), std::string::npos) << text;
}

} // namespace
