// data_fixture.h - every data test starts with an empty cache, the English
// language library as the resource source, and a recorder as the reporter of
// installer failures.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data.h"
#include "installer_api.h"
#include "layout_helpers.h"
#include "ui_helpers.h"

// Records each report the data layer makes, in place of the program's
// message box.
class ReportRecorder : public InstallerReporter
{
public:
    struct Call { std::string text; };
    ReportRecorder() : previous(SetInstallerReporter(this)) {}
    ~ReportRecorder() override { SetInstallerReporter(previous); }
    void Show(const CString &message) override { calls.push_back({(LPCSTR)message}); }
    std::vector<Call> calls;
    InstallerReporter *previous;
};

class DataTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static HINSTANCE language = ui::LoadResourceImage("rvxrsus.dll");
        AfxSetResourceHandle(language);
    }
    void SetUp() override
    {
        ASSERT_NE(AfxGetResourceHandle(), (HINSTANCE)NULL) << "rvxrsus.dll not found beside the tests";
        DataCache::Get().ResetForTests();
        SetEnvironmentVariableA("KX_FAULT", NULL);
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("KX_FAULT", NULL);
        DataCache::Get().ResetForTests();
    }

    // Lays out an installation; the test fails when it cannot.
    void Lay(const std::string &description)
    {
        ASSERT_TRUE(inst.Create(description)) << inst.Error();
    }

    layout::Installation inst;
    ReportRecorder boxes;   // what the program would show in its message boxes
};

// What the store holds for one configuration, read straight through the
// installer library.
struct StoredConfiguration
{
    bool found = false;
    std::vector<std::string> products;
    std::string administrator, location, mandatory, os;
    std::vector<std::string> clients;
};

// The store's configurations, read straight through the installer client.
inline std::vector<std::string> StoredConfigurationNames()
{
    kxc::Context ctx;
    ctx.Open();
    kxc::NameList names;
    kxc::Failure failure;
    EXPECT_TRUE(ctx.AllConfigurations(names, &failure)) << kxc::FailureText(failure);
    return names.Strings();
}

inline StoredConfiguration ReadStored(const char *name)
{
    StoredConfiguration s;
    kxc::Context ctx;
    ctx.Open();
    kxc::Configuration c;
    if (!ctx.ReadConfiguration(name, &c))
        return s;
    s.found = true;
    s.products = c.products;
    s.administrator = c.words.administrator;
    s.location = c.words.location;
    s.mandatory = c.words.mandatory;
    s.os = c.os;
    s.clients = c.clients;
    return s;
}

// The keys of a reference list, in order.
template <class List>
std::vector<int> KeysOf(const List &list)
{
    std::vector<int> keys;
    for (const auto &ref : list)
        keys.push_back(ref.GetKey());
    return keys;
}

typedef std::vector<std::string> Names;
