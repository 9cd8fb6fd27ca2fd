// app_store.h - what the application's tests add to layout_helpers.h: a
// store laid out in the constructor (a failure fails the test), a read-back
// as text and scratch directories.
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
