// app_store.h - what the application's tests add to layout_helpers.h: a
// store laid out in the constructor (a failure fails the test), a read-back
// as text, scratch directories, and running a program in a directory of its
// own (the start-up case that must find no language library).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "layout_helpers.h"

namespace appstore {

inline std::string ProgramDir()
{
    std::string dir = layout::ProgramDirectory();
    if (!dir.empty() && dir.back() == '\\')
        dir.pop_back();
    return dir;
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

inline void RemoveTree(const std::string &dir) { layout::RemoveTree(dir); }
inline bool WriteText(const std::string &path, const std::string &text) { return layout::WriteWholeFile(path, text); }

// One installation from a layout description (see rvxlayout); VELKAN_INSTALL
// points at it while the object lives.
class Installation
{
public:
    explicit Installation(const std::string &description)
    {
        laidOut = store.Create(description);
        EXPECT_TRUE(laidOut) << store.Error();
    }

    // The store as rvxlayout reads it back through the store's own code.
    std::string Print()
    {
        std::string text;
        EXPECT_TRUE(store.Print(&text)) << store.Error();
        return text;
    }

    bool laidOut = false;

private:
    layout::Installation store;
};

} // namespace appstore
