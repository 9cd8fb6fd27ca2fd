// Which language library is loaded, from real files in the places the
// platform searches (the program's directory, bin/, and the current one).
#include "language.h"

#include <string>

#include "ui_helpers.h"

namespace {

std::string ModuleFileName(HMODULE module)
{
    char name[MAX_PATH] = "";
    GetModuleFileNameA(module, name, MAX_PATH);
    std::string text(name);
    size_t slash = text.find_last_of("\\/");
    std::string base = slash == std::string::npos ? text : text.substr(slash + 1);
    for (char &c : base)
        c = (char)tolower((unsigned char)c);
    return base;
}

std::string ProgramDir()
{
    char name[MAX_PATH] = "";
    GetModuleFileNameA(NULL, name, MAX_PATH);
    std::string text(name);
    return text.substr(0, text.find_last_of('\\'));
}

// A scratch directory made the current one while the test runs, so that a
// file put there is found by the search, and nothing is left in bin/.
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
    }
    void TearDown() override
    {
        for (HMODULE m : loaded)
            FreeLibrary(m);
        SetCurrentDirectoryA(previousDir.c_str());
        DeleteFileA((dir + "\\rvxrsde.dll").c_str());
        DeleteFileA((dir + "\\rvxrsfr.dll").c_str());
        RemoveDirectoryA(dir.c_str());
    }
    HMODULE Load(const char *abbrev)
    {
        HMODULE m = LoadLanguageLibrary(abbrev);
        if (m)
            loaded.push_back(m);
        return m;
    }
    void PutFile(const std::string &name, const std::string &content)
    {
        HANDLE h = CreateFileA((dir + "\\" + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(h, content.data(), (DWORD)content.size(), &written, NULL);
        CloseHandle(h);
    }

    std::string previousDir, dir;
    std::vector<HMODULE> loaded;
};

TEST_F(LanguageLibraryTest, UsLoadsTheEnglishLibrary)
{
    HMODULE m = Load("us");
    ASSERT_TRUE(m != NULL);
    EXPECT_EQ(ModuleFileName(m), "rvxrsus.dll");
}

TEST_F(LanguageLibraryTest, AMissingLanguageFallsBackToEnglish)
{
    HMODULE m = Load("fr");
    ASSERT_TRUE(m != NULL);
    EXPECT_EQ(ModuleFileName(m), "rvxrsus.dll");
}

TEST_F(LanguageLibraryTest, AFileThatIsNoLibraryFallsBackToEnglish)
{
    PutFile("rvxrsfr.dll", "this is not a Windows library\r\n");
    HMODULE m = Load("fr");
    ASSERT_TRUE(m != NULL);
    EXPECT_EQ(ModuleFileName(m), "rvxrsus.dll");
}

TEST_F(LanguageLibraryTest, ALanguageLibraryThatExistsIsPreferred)
{
    ASSERT_TRUE(CopyFileA((ProgramDir() + "\\rvxrsus.dll").c_str(), (dir + "\\rvxrsde.dll").c_str(), FALSE));
    HMODULE m = Load("de");
    ASSERT_TRUE(m != NULL);
    EXPECT_EQ(ModuleFileName(m), "rvxrsde.dll");
}

TEST_F(LanguageLibraryTest, TheAbbreviationIsTakenAsItIs)
{
    // No trimming, no case change: " de" names "rvxrs de.dll", which is absent.
    ASSERT_TRUE(CopyFileA((ProgramDir() + "\\rvxrsus.dll").c_str(), (dir + "\\rvxrsde.dll").c_str(), FALSE));
    HMODULE m = Load(" de");
    ASSERT_TRUE(m != NULL);
    EXPECT_EQ(ModuleFileName(m), "rvxrsus.dll");
}

} // namespace
