// Saving, removing and committing through the real libraries, read back
// through the library calls.
#include "data_fixture.h"

namespace {

const char kStore[] =
    "home C:\\H1\n"
    "product P0 | label=Zero | version=1.0 | size=10 | shareable\n"
    "product P1 | label=One | version=1.1 | size=11 | shareable\n"
    "product P2 | label=Two | version=1.2 | size=12 | shareable\n"
    "client C1 | os=DOS | version=6\n"
    "client C2 | os=Windows NT | version=4.0\n"
    "client C3 | os=Windows 95 | version=4.0\n"
    "config Lab | admin=user | location=shared | mandatory=optional | os=Windows NT | value=0\n"
    "uses P2\nuses Retired Product\nuses P0\n"
    "assign C3\nassign Old Client\n"
    "config Office | admin=administrator | location=download | mandatory=mandatory | os=DOS | value=0\n"
    "uses P1\n"
    "assign C1\n";

// The reference of the loaded configuration called name.
ConfigurationRef Loaded(const char *name)
{
    ConfigurationRefList refs;
    GetConfigurationRefs(refs);
    for (POSITION pos = refs.GetHeadPosition(); pos != NULL;) {
        ConfigurationRef *ref = refs.GetNext(pos);
        if (std::string(ref->GetName()) == name)
            return *ref;
    }
    ADD_FAILURE() << "no configuration " << name;
    return ConfigurationRef();
}

}  // namespace

typedef DataTest Store;

TEST_F(Store, UntouchedConfigurationsGoBackUnchangedWithTheirUnboundNames)
{
    Lay(kStore);
    ASSERT_EQ(1, LoadAll());
    ASSERT_EQ(1, MakeTempFiles());
    ConfigurationRefList refs;
    ASSERT_EQ(1, SaveConfigurations(GetConfigurationRefs(refs)));
    ASSERT_EQ(1, CommitChanges());
    EXPECT_TRUE(boxes.calls.empty());

    StoredConfiguration lab = ReadStored("Lab");
    ASSERT_TRUE(lab.found);
    EXPECT_EQ((Names{ "P2", "Retired Product", "P0" }), lab.products);
    EXPECT_EQ((Names{ "C3", "Old Client" }), lab.clients);
    EXPECT_EQ("user", lab.administrator);
    EXPECT_EQ("shared", lab.location);
    EXPECT_EQ("optional", lab.mandatory);
    EXPECT_EQ("Windows NT", lab.os);
    StoredConfiguration office = ReadStored("Office");
    EXPECT_EQ((Names{ "P1" }), office.products);
    EXPECT_EQ((Names{ "C1" }), office.clients);
    EXPECT_EQ("administrator", office.administrator);
    EXPECT_EQ("download", office.location);
    EXPECT_EQ("mandatory", office.mandatory);
    EXPECT_EQ("DOS", office.os);
}

TEST_F(Store, EditedAndNewConfigurationsRoundTrip)
{
    Lay(kStore);
    ASSERT_EQ(1, LoadAll());
    ConfigurationRef office = Loaded("Office");
    ProductRefList products;
    products.AppendCopy(ProductRef("P2"));
    products.AppendCopy(ProductRef("P0"));
    office.SetProducts(products);
    ClientRefList clients;
    GetClientRefs(clients);
    office.SetClients(clients);
    office.SetOsCode(7);
    office.SetResolution(0, 1, 5);   // a location of 5 goes out as "local"

    ConfigurationRef made = CreateConfigurationRecord("New [1]; a=b", 0, ConflictResolution(1, 0, 2), 2);
    ConfigurationRefList list;
    list.AppendCopy(office);
    list.AppendCopy(made);
    ASSERT_EQ(1, MakeTempFiles());
    ASSERT_EQ(1, SaveConfigurations(list));
    ASSERT_EQ(1, RemoveFromStore(Loaded("Lab")));
    ASSERT_EQ(1, CommitChanges());
    EXPECT_TRUE(boxes.calls.empty());

    EXPECT_EQ((Names{ "New [1]; a=b", "Office" }), [] {
        Names n = StoredConfigurationNames();
        std::sort(n.begin(), n.end());
        return n;
    }());
    StoredConfiguration o = ReadStored("Office");
    EXPECT_EQ((Names{ "P2", "P0" }), o.products);
    EXPECT_EQ((Names{ "C1", "C2", "C3" }), o.clients);
    EXPECT_EQ("user", o.administrator);
    EXPECT_EQ("local", o.location);
    EXPECT_EQ("mandatory", o.mandatory);
    EXPECT_EQ("DOS", o.os);
    StoredConfiguration n = ReadStored("New [1]; a=b");
    ASSERT_TRUE(n.found);
    EXPECT_TRUE(n.products.empty());   // saved with no array and count 0
    EXPECT_TRUE(n.clients.empty());
    EXPECT_EQ("administrator", n.administrator);
    EXPECT_EQ("download", n.location);
    EXPECT_EQ("optional", n.mandatory);
    EXPECT_EQ("(none)", n.os);

    // The next run reads exactly that back.
    DataCache::Get().ResetForTests();
    ASSERT_EQ(1, LoadAll());
    ConfigurationRef again = Loaded("Office");
    EXPECT_EQ(7, again.GetOsCode());
    EXPECT_EQ(1, again.GetResolution().location);
    ProductRefList back;
    again.GetProducts(back);
    EXPECT_EQ((std::vector<int>{ 2, 0 }), KeysOf(back));
}

TEST_F(Store, EmptyListSavesNothingAndSucceeds)
{
    Lay(kStore);
    ConfigurationRefList empty;
    ASSERT_EQ(1, MakeTempFiles());
    EXPECT_EQ(1, SaveConfigurations(empty));
    EXPECT_EQ(1, CommitChanges());
    EXPECT_EQ(2u, StoredConfigurationNames().size());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(Store, MoreThan65535NamesAreRefusedNotTruncated)
{
    Lay(kStore);
    ASSERT_EQ(1, LoadAll());
    ConfigurationRef big = CreateConfigurationRecord("Big", 1, ConflictResolution(), 2);
    ProductRefList many;
    ProductRef p0("P0");
    for (int i = 0; i < 65536; i++)
        many.AppendCopy(p0);
    big.SetProducts(many);
    ConfigurationRefList list;
    list.AppendCopy(big);
    list.AppendCopy(Loaded("Office"));
    ASSERT_EQ(1, MakeTempFiles());
    EXPECT_EQ(0, SaveConfigurations(list));
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ("An error occurred in the Installer API:saving a configuration:\n\n"
              "The configuration \"Big\" names 65536 products; at most 65535 can be saved.",
              boxes.calls[0].text);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONSTOP), boxes.calls[0].type);
    // Nothing of "Big" went into the pending change (no partial list).
    ASSERT_EQ(1, CommitChanges());
    EXPECT_FALSE(ReadStored("Big").found);

    // The same holds for clients.
    ConfigurationRef crowd = CreateConfigurationRecord("Crowd", 1, ConflictResolution(), 3);
    ClientRefList people;
    ClientRef c1("C1");
    for (int i = 0; i < 70000; i++)
        people.AppendCopy(c1);
    crowd.SetClients(people);
    ConfigurationRefList one;
    one.AppendCopy(crowd);
    EXPECT_EQ(0, SaveConfigurations(one));
    ASSERT_EQ(2u, boxes.calls.size());
    EXPECT_EQ(0u, boxes.calls[1].text.find("An error occurred in the Installer API:saving the clients of a configuration:"));
    EXPECT_NE(std::string::npos, boxes.calls[1].text.find("\"Crowd\" names 70000 clients"));
}

TEST_F(Store, SaveStopsAtTheFirstFailureAndReportsIt)
{
    Lay(kStore);
    ASSERT_EQ(1, LoadAll());
    ConfigurationRefList list;
    list.AppendCopy(Loaded("Lab"));
    list.AppendCopy(Loaded("Office"));
    ASSERT_EQ(1, MakeTempFiles());
    SetEnvironmentVariableA("KX_FAULT", "setConfiguration@1");
    EXPECT_EQ(0, SaveConfigurations(list));
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ(0u, boxes.calls[0].text.find("An error occurred in the Installer API:saving a configuration:\n\n"));

    SetEnvironmentVariableA("KX_FAULT", "setConfigurationClients@1");
    EXPECT_EQ(0, SaveConfigurations(list));
    ASSERT_EQ(2u, boxes.calls.size());   // one message, not one per configuration
    EXPECT_EQ(0u, boxes.calls[1].text.find(
                      "An error occurred in the Installer API:saving the clients of a configuration:\n\n"));
}

TEST_F(Store, MissingInstallationFailsEveryStepWithItsMessage)
{
    Lay(kStore);
    ASSERT_EQ(1, LoadAll());
    ConfigurationRef lab = Loaded("Lab");
    SetEnvironmentVariableA("VELKAN_INSTALL", (inst.Directory() + "\\nowhere").c_str());
    EXPECT_EQ(0, MakeTempFiles());
    EXPECT_EQ(0, RemoveFromStore(lab));
    EXPECT_EQ(0, CommitChanges());
    ASSERT_EQ(3u, boxes.calls.size());
    EXPECT_EQ(0u, boxes.calls[0].text.find("An error occurred in the Installer API:making the temporary files:\n\n"));
    EXPECT_EQ(0u, boxes.calls[1].text.find("An error occurred in the Installer API:removing a configuration:\n\n"));
    EXPECT_EQ(0u, boxes.calls[2].text.find("An error occurred in the Installer API:committing the changes:\n\n"));
    for (const auto &call : boxes.calls)
        EXPECT_EQ(std::string::npos, call.text.find("NO MESSAGE PROVIDED"));
}

TEST_F(Store, CommitWithoutPendingChangeIsAFailure)
{
    Lay(kStore);
    EXPECT_EQ(0, CommitChanges());
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ(0u, boxes.calls[0].text.find("An error occurred in the Installer API:committing the changes:"));
}
