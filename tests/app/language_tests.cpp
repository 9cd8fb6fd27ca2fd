// Which language library is loaded, and how: only from the program's own
// directory, only for a plain language code, and never with its code run.
// Real files are put beside the test program and in a scratch directory
// that is the current one while a case runs.
#include "language.h"

#include <string>
#include <vector>

#include "resource.h"
#include "ui_helpers.h"

namespace {

std::string BaseName(const CString &path)
{
    std::string text((LPCSTR)path);
    size_t slash = text.find_last_of("\\/");
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

std::string ProgramDir()
{
    char name[MAX_PATH] = "";
    GetModuleFileNameA(NULL, name, MAX_PATH);
    std::string text(name);
    return text.substr(0, text.find_last_of('\\'));
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class LanguageLibraryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char previous[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, previous);
        previousDir = previous;
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "langtest_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir.c_str(), NULL);
        ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
        marker = dir + "\\entry-point-ran.txt";
        SetEnvironmentVariableA("RVX_MARKER_FILE", marker.c_str());
    }
    void TearDown() override
    {
        for (HMODULE m : loaded)
            FreeLibrary(m);
        SetEnvironmentVariableA("RVX_MARKER_FILE", NULL);
        SetCurrentDirectoryA(previousDir.c_str());
        for (const std::string &file : placed)
            DeleteFileA(file.c_str());
        DeleteFileA(marker.c_str());
        RemoveDirectoryA(dir.c_str());
    }
    HMODULE Load(const char *abbrev)
    {
        HMODULE m = LoadLanguageLibrary(abbrev, &path);
        if (m)
            loaded.push_back(m);
        return m;
    }
    // Copies a file of the program's directory to target (removed afterwards).
    void Place(const char *source, const std::string &target)
    {
        ASSERT_TRUE(CopyFileA((ProgramDir() + "\\" + source).c_str(), target.c_str(), FALSE)) << target;
        placed.push_back(target);
    }
    void PlaceText(const std::string &target, const std::string &content)
    {
        HANDLE h = CreateFileA(target.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(h, content.data(), (DWORD)content.size(), &written, NULL);
        CloseHandle(h);
        placed.push_back(target);
    }
    // The library's strings come through the handle it gave.
    static std::string Title(HMODULE m)
    {
        char text[256] = "";
        LoadStringA(m, IDS_APP_TITLE, text, sizeof text);
        return text;
    }

    std::string previousDir, dir, marker;
    std::vector<HMODULE> loaded;
    std::vector<std::string> placed;
    CString path;
};

TEST_F(LanguageLibraryTest, UsLoadsTheEnglishLibraryWithItsResources)
{
    HMODULE m = Load("us");
    ASSERT_TRUE(m != NULL);
    EXPECT_EQ(BaseName(path), "rvxrsus.dll");
    EXPECT_FALSE(Title(m).empty());
}

TEST_F(LanguageLibraryTest, ALanguageWithoutALibraryFallsBackToEnglish)
{
    HMODULE m = Load("qq");
    ASSERT_TRUE(m != NULL);
    EXPECT_EQ(BaseName(path), "rvxrsus.dll");
}

TEST_F(LanguageLibraryTest, ALibraryBesideTheProgramIsPreferred)
{
    Place("rvxrsus.dll", ProgramDir() + "\\rvxrsqq.dll");
    HMODULE m = Load("qq");
    ASSERT_TRUE(m != NULL);
    EXPECT_EQ(BaseName(path), "rvxrsqq.dll");
    EXPECT_FALSE(Title(m).empty());
}

TEST_F(LanguageLibraryTest, OnlyTheProgramsDirectoryIsLookedIn)
{
    Place("rvxrsus.dll", dir + "\\rvxrsqq.dll");   // the current directory
    ASSERT_TRUE(Load("qq") != NULL);
    EXPECT_EQ(BaseName(path), "rvxrsus.dll");
}

TEST_F(LanguageLibraryTest, AFileThatIsNoLibraryFallsBackToEnglish)
{
    PlaceText(ProgramDir() + "\\rvxrsqz.dll", "MZ and nothing of a Windows library\r\n");
    ASSERT_TRUE(Load("qz") != NULL);
    EXPECT_EQ(BaseName(path), "rvxrsus.dll");
}

TEST_F(LanguageLibraryTest, ALanguageLibraryNeverRunsItsEntryPoint)
{
    Place("rvxmarker.dll", ProgramDir() + "\\rvxrsmk.dll");
    ASSERT_TRUE(Load("mk") != NULL);
    EXPECT_EQ(BaseName(path), "rvxrsmk.dll");
    EXPECT_FALSE(Exists(marker));
}

// An abbreviation from a hostile or broken store. The marker library is put
// where the file name made from the abbreviation would lead; what loads is
// English (or, for a plain code, the library beside the program), and the
// marker's entry point never runs.
struct Hostile
{
    const char *what;
    std::string abbrev;
    std::string markerAt;   // relative to the current directory ("." = there), or "prog:" + name
    const char *loads;
};

void PrintTo(const Hostile &h, std::ostream *os) { *os << h.what; }

std::string ScratchWithoutDrive()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string t = std::string(temp) + "langtest_" + std::to_string(GetCurrentProcessId());
    return t.size() > 2 && t[1] == ':' ? t.substr(2) : t;
}

class HostileAbbreviation : public LanguageLibraryTest, public ::testing::WithParamInterface<Hostile>
{
};

TEST_P(HostileAbbreviation, LoadsEnglishAndRunsNothingElse)
{
    const Hostile &h = GetParam();
    std::string target = h.markerAt.compare(0, 5, "prog:") == 0 ? ProgramDir() + "\\" + h.markerAt.substr(5)
                                                                 : dir + "\\" + h.markerAt;
    if (!h.markerAt.empty())
        Place("rvxmarker.dll", target);
    HMODULE m = Load(h.abbrev.c_str());
    ASSERT_TRUE(m != NULL);
    EXPECT_EQ(BaseName(path), h.loads);
    EXPECT_FALSE(Exists(marker));
}

INSTANTIATE_TEST_SUITE_P(
    Store, HostileAbbreviation,
    ::testing::Values(
        Hostile{"traversal", "\\..\\..\\..\\..\\..\\..\\..\\..\\evil", "evil.dll", "rvxrsus.dll"},
        Hostile{"relative", "\\..\\evil", "evil.dll", "rvxrsus.dll"},
        Hostile{"absolute", "\\..\\..\\..\\..\\..\\..\\..\\.." + ScratchWithoutDrive() + "\\evil", "evil.dll",
                "rvxrsus.dll"},
        Hostile{"drive", "Z:\\evil", "evil.dll", "rvxrsus.dll"},
        Hostile{"dot", "qq.x", "prog:rvxrsqq.x.dll", "rvxrsus.dll"},
        Hostile{"blank", " qq", "prog:rvxrs qq.dll", "rvxrsus.dll"},
        Hostile{"control", std::string("q\x01q"), "", "rvxrsus.dll"},
        Hostile{"empty", "", "", "rvxrsus.dll"},
        Hostile{"overlong", "abcdefghi", "prog:rvxrsabcdefghi.dll", "rvxrsus.dll"},
        Hostile{"longest", "abcdefgh", "prog:rvxrsabcdefgh.dll", "rvxrsabcdefgh.dll"}),
    [](const ::testing::TestParamInfo<Hostile> &info) { return std::string(info.param.what); });

TEST(LanguageCode, OnlyLettersAndDigitsUpToTheLimit)
{
    EXPECT_EQ(1, IsPlainLanguageCode("us"));
    EXPECT_EQ(1, IsPlainLanguageCode("DE"));
    EXPECT_EQ(1, IsPlainLanguageCode("zh2"));
    for (const char *bad : {"", "d-e", "de_", "d/e", "de\xe4", "..", "de\n"})
        EXPECT_EQ(0, IsPlainLanguageCode(bad)) << bad;
    EXPECT_EQ(0, IsPlainLanguageCode(NULL));
}

} // namespace
