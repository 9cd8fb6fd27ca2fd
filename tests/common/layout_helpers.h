// layout_helpers.h - real installations for tests: a layout description is
// written to a fresh temporary directory, rvxlayout.exe (beside the test
// program) lays out the store there and sets the products' "Shareable"
// registry values, and VELKAN_INSTALL points the installer libraries at it.
// The directory is removed, and VELKAN_INSTALL cleared, when the object goes.
//
//   layout::Installation inst;
//   ASSERT_TRUE(inst.Create("home C:\\H1\nproduct P | label=L | version=1 | size=1 | shareable\n"))
//       << inst.Error();
//
// Registry values are per product name and outlive the installation, so a
// test that depends on "not shareable" names its products itself.
#pragma once

#include <windows.h>

#include <string>

#include "child_process.h"

namespace layout {

// The directory of the running program (<build>/bin), with a trailing '\'.
inline std::string ProgramDirectory()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string dir(path, n);
    size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : dir.substr(0, slash + 1);
}

inline bool WriteWholeFile(const std::string &path, const std::string &bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(h);
    return ok && written == bytes.size();
}

inline bool ReadWholeFile(const std::string &path, std::string *bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bytes->clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, NULL) && got > 0)
        bytes->append(buffer, got);
    CloseHandle(h);
    return true;
}

// Removes a directory and everything below it.
inline void RemoveTree(const std::string &dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

class Installation
{
public:
    Installation()
    {
        static unsigned serial = 0;
        char temp[MAX_PATH];
        DWORD n = GetTempPathA(MAX_PATH, temp);
        std::string base(temp, n);
        if (!base.empty() && base.back() != '\\')
            base += '\\';
        for (;;) {
            dir = base + "rvxtest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
            if (CreateDirectoryA(dir.c_str(), NULL))
                break;
            if (GetLastError() != ERROR_ALREADY_EXISTS) {
                error = "cannot create " + dir;
                dir.clear();
                break;
            }
        }
    }
    ~Installation()
    {
        SetEnvironmentVariableA("VELKAN_INSTALL", NULL);
        if (!dir.empty())
            RemoveTree(dir);
    }
    Installation(const Installation &) = delete;
    Installation &operator=(const Installation &) = delete;

    // Lays out the store from a description and points the libraries at it.
    bool Create(const std::string &description)
    {
        if (dir.empty())
            return false;
        std::string file = dir + "\\layout.txt";
        if (!WriteWholeFile(file, description)) {
            error = "cannot write " + file;
            return false;
        }
        std::string store = StoreDirectory();
        CreateDirectoryA(store.c_str(), NULL);
        return Tool("create \"" + store + "\" \"" + file + "\"") && Use();
    }
    // rvxlayout generate with the given arguments ("--clients 30000 ...").
    bool Generate(const std::string &arguments)
    {
        std::string store = StoreDirectory();
        CreateDirectoryA(store.c_str(), NULL);
        return Tool("generate \"" + store + "\" " + arguments) && Use();
    }
    // The description rvxlayout prints for the store as it is now.
    bool Print(std::string *text)
    {
        if (!Tool("print \"" + StoreDirectory() + "\"", text))
            return false;
        return true;
    }
    // Points VELKAN_INSTALL at the store (Create and Generate do it).
    bool Use()
    {
        if (!SetEnvironmentVariableA("VELKAN_INSTALL", StoreDirectory().c_str())) {
            error = "cannot set VELKAN_INSTALL";
            return false;
        }
        return true;
    }

    const std::string &Directory() const { return dir; }
    std::string StoreDirectory() const { return dir + "\\store"; }
    // A file of the store, e.g. "config.kxs" or "catalogue.kxs".
    std::string StoreFile(const char *name) const { return StoreDirectory() + "\\" + name; }
    const std::string &Error() const { return error; }

private:
    bool Tool(const std::string &arguments, std::string *printed = nullptr)
    {
        kxtest::ProgramRun run = kxtest::RunProgram("rvxlayout.exe", arguments);
        if (printed)
            *printed = run.out;
        if (run.code != 0) {
            error = "rvxlayout " + arguments + " failed (" + std::to_string(run.code) + "): " + run.out + run.err;
            return false;
        }
        return true;
    }

    std::string dir;
    std::string error;
};

}  // namespace layout
