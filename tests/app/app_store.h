// app_store.h - real installations for the application's tests, laid out by
// rvxlayout.exe (beside the test program) in a scratch directory, with
// VELKAN_INSTALL pointing at it while the object lives. The installer
// libraries read the variable on every call, so one process can switch.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace appstore {

inline std::string ProgramDir()
{
    char name[MAX_PATH] = "";
    GetModuleFileNameA(NULL, name, MAX_PATH);
    std::string text(name);
    return text.substr(0, text.find_last_of('\\'));
}

// Runs a command line in workDir (default: the program's directory);
// its exit code (-1 when it could not start or ran over a minute), output in *out.
inline int Run(const std::string &commandLine, std::string *out, const std::string &workDir = std::string())
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, TRUE};
    HANDLE readEnd = NULL, writeEnd = NULL;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    std::string dir = workDir.empty() ? ProgramDir() : workDir;
    BOOL started = CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, dir.c_str(), &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, NULL) && got > 0)
        text.append(buffer, got);
    CloseHandle(readEnd);
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (out)
        *out = text;
    return (int)code;
}

inline std::string Scratch(const std::string &what)
{
    static int counter = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string dir = std::string(temp) + "apptest_" + std::to_string(GetCurrentProcessId()) + "_" + what +
                      "_" + std::to_string(++counter);
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}

inline void RemoveTree(const std::string &dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

inline bool WriteText(const std::string &path, const std::string &text)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, text.data(), (DWORD)text.size(), &written, NULL);
    CloseHandle(h);
    return ok && written == text.size();
}

// One installation from a layout description (see rvxlayout).
class Installation
{
public:
    explicit Installation(const std::string &description)
    {
        root = Scratch("store");
        dir = root + "\\install";
        std::string file = root + "\\layout.txt";
        EXPECT_TRUE(WriteText(file, description));
        std::string out;
        int code = Run("rvxlayout.exe create \"" + dir + "\" \"" + file + "\"", &out);
        EXPECT_EQ(code, 0) << out;
        laidOut = code == 0;
        char previous[4096];
        DWORD n = GetEnvironmentVariableA("VELKAN_INSTALL", previous, sizeof previous);
        hadPrevious = n > 0 && n < sizeof previous;
        if (hadPrevious)
            previousValue = previous;
        SetEnvironmentVariableA("VELKAN_INSTALL", dir.c_str());
    }
    ~Installation()
    {
        SetEnvironmentVariableA("VELKAN_INSTALL", hadPrevious ? previousValue.c_str() : NULL);
        RemoveTree(root);
    }

    // The store as rvxlayout reads it back through the store's own code.
    std::string Print() const
    {
        std::string out;
        int code = Run("rvxlayout.exe print \"" + dir + "\"", &out);
        EXPECT_EQ(code, 0) << out;
        return out;
    }

    std::string root, dir;
    bool laidOut = false;

private:
    bool hadPrevious = false;
    std::string previousValue;
    Installation(const Installation &) = delete;
    Installation &operator=(const Installation &) = delete;
};

} // namespace appstore
