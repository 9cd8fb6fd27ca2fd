// Where help is looked for, on real files.
#include "helppath.h"

#include <io.h>
#include <string>

#include "ui_helpers.h"

namespace {

std::string TempDir()
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string dir = std::string(base) + "helppath_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}

std::string Built(const std::string &in)
{
    CString path(in.c_str());
    BuildHelpPath(path);
    return std::string((LPCSTR)path);
}

TEST(HelpPath, AnExistingDefaultStaysWhateverPoolcfgHolds)
{
    std::string dir = TempDir();
    CreateDirectoryA((dir + "\\A").c_str(), NULL);
    CreateDirectoryA((dir + "\\A\\B").c_str(), NULL);
    CreateDirectoryA((dir + "\\poolcfg").c_str(), NULL);
    std::string file = dir + "\\A\\B\\TOOL.HLP";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    EXPECT_EQ(Built(file), file);
    // A directory of that name counts as existing, too.
    EXPECT_EQ(Built(dir + "\\A\\B"), dir + "\\A\\B");

    DeleteFileA(file.c_str());
    RemoveDirectoryA((dir + "\\A\\B").c_str());
    RemoveDirectoryA((dir + "\\A").c_str());
    RemoveDirectoryA((dir + "\\poolcfg").c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST(HelpPath, AMissingDefaultMovesTwoLevelsUpToPoolcfg)
{
    ASSERT_NE(_access("C:\\A\\B\\C.HLP", 0), 0) << "the test needs C:\\A\\B\\C.HLP to be absent";
    EXPECT_EQ(Built("C:\\A\\B\\C.HLP"), "C:\\A\\poolcfg\\poolcfg.hlp");
    EXPECT_EQ(Built("C:\\APPS\\ADMIN\\BIN\\TOOL.HLP"), "C:\\APPS\\ADMIN\\poolcfg\\poolcfg.hlp");
    // Exactly two backslashes: the drive is what is left.
    EXPECT_EQ(Built("C:\\BIN\\TOOL.HLP"), "C:\\poolcfg\\poolcfg.hlp");
}

TEST(HelpPath, FewerThanTwoBackslashesKeepTheDefault)
{
    EXPECT_EQ(Built("C:\\TOOL.HLP"), "C:\\TOOL.HLP");
    EXPECT_EQ(Built("TOOL.HLP"), "TOOL.HLP");
    EXPECT_EQ(Built("\\"), "\\");
    EXPECT_EQ(Built(""), "");
}

TEST(HelpPath, AnOverlongPathIsCutToTheBufferNotPastIt)
{
    // 70,000 characters: more than the work buffer holds.
    std::string longPath = "C:\\" + std::string(40000, 'a') + "\\" + std::string(29995, 'b') + "\\X.HLP";
    std::string result = Built(longPath);
    EXPECT_LE(result.size(), 65535u);
    // The copy kept the first 65,535 characters, which end inside the 'b'
    // run: the two cuts drop that run and the 'a' directory.
    EXPECT_EQ(result, "C:\\poolcfg\\poolcfg.hlp");
}

} // namespace
