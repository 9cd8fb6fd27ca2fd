// Storing a change set through the real libraries, read back through them:
// what is written, that a failed step writes and changes nothing, and that
// only a stored change reaches the records.
#include "data_fixture.h"

#include <memory>

namespace {

const char kStore[] =
    "resolution user | shared | optional\n"
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

// The working copies as the main dialog builds them: Lab, then Office.
class Store : public DataTest
{
protected:
    void Load()
    {
        Lay(kStore);
        ASSERT_EQ(1, LoadAll());
        ConfigurationRefList refs;
        GetConfigurationRefs(refs);
        for (const ConfigurationRef &ref : refs) {
            copies.emplace_back(new ConfigurationCopy);
            copies.back()->FillFromRecord(ref);
        }
    }
    ConfigurationCopy &Copy(size_t i) { return *copies[i]; }

    std::vector<std::unique_ptr<ConfigurationCopy>> copies;
};

}  // namespace

TEST_F(Store, UntouchedConfigurationsGoBackUnchangedWithTheirUnboundNames)
{
    Load();
    ChangeSet changes;
    changes.write = {&Copy(0), &Copy(1)};
    ASSERT_EQ(1, StoreChanges(changes));
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

TEST_F(Store, EditedNewAndRemovedConfigurationsReachTheStoreAndThenTheRecords)
{
    Load();
    ConfigurationCopy &office = Copy(1);
    office.products.RemoveAll();
    office.products.Append(ProductRef("P2"));
    office.products.Append(ProductRef("P0"));
    GetClientRefs(office.clients);
    office.osCode = 7;
    office.resolution = ConflictResolution(0, 1, 5);   // a location of 5 goes out as "local"
    ConfigurationCopy made("New [1]; a=b");
    made.resolution = ConflictResolution(1, 0, 2);
    Copy(0).removed = 1;

    ChangeSet changes;
    changes.write = {&office, &made};
    changes.remove = {&Copy(0)};
    ASSERT_EQ(1, StoreChanges(changes));
    EXPECT_TRUE(boxes.calls.empty());

    Names stored = StoredConfigurationNames();
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ((Names{ "New [1]; a=b", "Office" }), stored);
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
    EXPECT_EQ("(none)", n.os);

    // The records follow the store: the new copy has one, keyed by its place.
    ASSERT_TRUE(made.record.IsBound());
    EXPECT_EQ(1, made.record.GetKey());
    EXPECT_EQ((std::vector<int>{ 2, 0 }), KeysOf(office.record.GetRecord()->products));
    EXPECT_EQ(7, office.record.GetOsCode());
    EXPECT_EQ(0, Copy(0).stored);
}

// More names than the library's 16-bit counts are refused before anything of
// that configuration is written, and nothing is committed.
TEST_F(Store, MoreThan65535NamesAreRefusedNotTruncated)
{
    Load();
    const int records = DataCache::Get().configurations.GetCount();
    ProductRef p0("P0");
    ClientRef c1("C1");
    ConfigurationCopy big("Big"), crowd("Crowd");
    for (int i = 0; i < 65536; i++)
        big.products.Append(p0);
    for (int i = 0; i < 70000; i++)
        crowd.clients.Append(c1);
    const struct
    {
        ConfigurationCopy *copy;
        const char *message;
    } cases[] = {
        {&big, "An error occurred in the Installer API:saving a configuration:\n\n"
               "The configuration \"Big\" names 65536 products; at most 65535 can be saved."},
        {&crowd, "An error occurred in the Installer API:saving the clients of a configuration:\n\n"
                 "The configuration \"Crowd\" names 70000 clients; at most 65535 can be saved."},
    };
    for (const auto &c : cases) {
        boxes.calls.clear();
        ChangeSet changes;
        changes.write = {&Copy(1), c.copy};
        EXPECT_EQ(0, StoreChanges(changes));
        ASSERT_EQ(1u, boxes.calls.size());
        EXPECT_EQ(c.message, boxes.calls[0].text);
        EXPECT_FALSE(ReadStored(c.copy->name).found);
        EXPECT_EQ(records, DataCache::Get().configurations.GetCount());
    }
}

// Whichever step fails, it is reported once, the store is as it was, and so
// are the records, the copies and the cache's list.
class FailedStep : public Store, public ::testing::WithParamInterface<std::pair<const char *, const char *>>
{
};

TEST_P(FailedStep, ChangesNothing)
{
    Load();
    const int records = DataCache::Get().configurations.GetCount();
    const Names stored = StoredConfigurationNames();
    ConfigurationCopy made("Lab 2");
    Copy(1).osCode = 1;
    Copy(0).removed = 1;
    ChangeSet changes;
    changes.write = {&Copy(1), &made};
    changes.remove = {&Copy(0)};
    changes.writeDefault = 1;
    changes.defaults = ConflictResolution(1, 1, 2);

    SetEnvironmentVariableA("KX_FAULT", GetParam().first);
    EXPECT_EQ(0, StoreChanges(changes));
    SetEnvironmentVariableA("KX_FAULT", NULL);
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ(0u, boxes.calls[0].text.find(std::string("An error occurred in the Installer API:") +
                                               GetParam().second + ":\n\n"))
        << boxes.calls[0].text;
    EXPECT_EQ(stored, StoredConfigurationNames());
    EXPECT_EQ("DOS", ReadStored("Office").os);
    EXPECT_EQ(records, DataCache::Get().configurations.GetCount());
    EXPECT_EQ(7, Copy(1).record.GetOsCode());
    EXPECT_FALSE(made.record.IsBound());
    EXPECT_EQ(1, Copy(0).stored);
    ConflictResolution held;
    ASSERT_EQ(1, held.ReadFromInstaller());
    EXPECT_EQ(0, held.administrator);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, FailedStep,
    ::testing::Values(std::make_pair("makeTempFiles@1", "making the temporary files"),
                      std::make_pair("setConflictResolution@1", "setting conflict resolution"),
                      std::make_pair("removeConfiguration@1", "removing a configuration"),
                      std::make_pair("setConfiguration@2", "saving a configuration"),
                      std::make_pair("setConfigurationClients@1", "saving the clients of a configuration"),
                      std::make_pair("commitRVXChanges@1", "committing the changes")),
    [](const ::testing::TestParamInfo<std::pair<const char *, const char *>> &info) {
        return std::string(info.param.first).substr(0, std::string(info.param.first).find('@'));
    });
