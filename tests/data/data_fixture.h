// data_fixture.h - every data test starts with an empty cache, the English
// language library as the resource source, and a recorder in place of the
// application message box.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data.h"
#include "installer_api.h"
#include "layout_helpers.h"
#include "ui_helpers.h"

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
    ui::MessageBoxRecorder boxes;
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

inline std::vector<std::string> TakeNames(char **names, KXCOUNT count)
{
    std::vector<std::string> out;
    for (KXCOUNT i = 0; i < count; i++)
        out.push_back(names[i]);
    FreeNameList(names, count);
    return out;
}

inline std::string TakeText(char *text)
{
    std::string out = text ? text : "";
    if (text)
        PKRGfree(text);
    return out;
}

inline std::vector<std::string> StoredConfigurationNames()
{
    char ctx[KX_CONTEXT_SIZE];
    kxsaoh("win32", ctx);
    char **names = NULL;
    KXCOUNT count = 0;
    char *err = NULL;
    if (getAllConfigurations(ctx, "win32", &names, &count, &err) != 0) {
        ADD_FAILURE() << "getAllConfigurations: " << TakeText(err);
        return {};
    }
    return TakeNames(names, count);
}

inline StoredConfiguration ReadStored(const char *name)
{
    StoredConfiguration s;
    char ctx[KX_CONTEXT_SIZE];
    kxsaoh("win32", ctx);
    char **products = NULL, **clients = NULL;
    KXCOUNT productCount = 0, clientCount = 0;
    char *a = NULL, *l = NULL, *m = NULL, *os = NULL, *err = NULL;
    int value = 0;
    if (getConfiguration(ctx, "win32", name, &products, &productCount, &a, &l, &m, &os, &value, &err) != 0) {
        TakeText(err);
        TakeNames(products, productCount);
        TakeText(a), TakeText(l), TakeText(m), TakeText(os);
        return s;
    }
    s.found = true;
    s.products = TakeNames(products, productCount);
    s.administrator = TakeText(a);
    s.location = TakeText(l);
    s.mandatory = TakeText(m);
    s.os = TakeText(os);
    err = NULL;
    if (getConfigurationClients(ctx, "win32", name, &clients, &clientCount, &err) == 0)
        s.clients = TakeNames(clients, clientCount);
    else
        ADD_FAILURE() << "getConfigurationClients: " << TakeText(err);
    return s;
}

// The keys of a reference list, in order.
template <class List>
std::vector<int> KeysOf(const List &list)
{
    std::vector<int> keys;
    for (POSITION pos = list.GetHeadPosition(); pos != NULL;)
        keys.push_back(list.GetNext(pos)->GetKey());
    return keys;
}

typedef std::vector<std::string> Names;
