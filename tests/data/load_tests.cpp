// Loading the three catalogues from real stores: keys, order, first-home
// rule, lookups, failures and their messages.
#include "data_fixture.h"

namespace {

const char kThreeProducts[] =
    "home C:\\H1\n"
    "product P0 | label=Zero | version=1.0 | size=10 | shareable\n"
    "product P1 | label=One | version=1.1 | size=11 | shareable\n"
    "product P2 | label=Two | version=1.2 | size=12 | shareable\n";

}  // namespace

typedef DataTest Products;

TEST_F(Products, KeysAreListPositionsAndAFailedQueryCostsOneProduct)
{
    // P1 has no label in the store: its label query fails.
    Lay("home C:\\H1\n"
        "product P0 | label=Zero | version=1.0 | size=10\n"
        "product P1 | version=1.1 | size=11\n"
        "product P2 | label=Two | version=1.2 | size=12\n");
    ASSERT_EQ(1, LoadInstalledProducts());
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ(0u, boxes.calls[0].text.find(
                      "An error occurred in the Installer API:retrieving the label for an installed product:\n\n"));
    EXPECT_NE(std::string::npos, boxes.calls[0].text.find("P1"));   // the library's own text follows

    ProductRefList refs;
    GetProductRefs(refs);
    EXPECT_EQ((std::vector<int>{ 0, 2 }), KeysOf(refs));
    ProductRef two(2);
    ASSERT_TRUE(two.IsBound());
    EXPECT_EQ("P2", std::string(two.GetName()));
    EXPECT_EQ("Two", std::string(two.GetLabel()));
    EXPECT_EQ("1.2", std::string(two.GetVersion()));
    EXPECT_EQ(1, two.GetOsCode());
    ProductRef one(1);   // the left-out product's key binds nothing
    EXPECT_FALSE(one.IsBound());
    EXPECT_EQ(1, one.GetKey());
    EXPECT_EQ(1, DataCache::Get().productsLoaded);
    EXPECT_EQ(1u, boxes.calls.size());   // loaded once: no second message
}

TEST_F(Products, VersionAndSizeFailuresAreReportedByName)
{
    Lay("home C:\\H1\n"
        "product P0 | label=Zero | size=10\n"
        "product P1 | label=One | version=1.1\n"
        "product P2 | label=Two | version=1.2 | size=12\n");
    ASSERT_EQ(1, LoadInstalledProducts());
    ASSERT_EQ(2u, boxes.calls.size());
    EXPECT_EQ(0u, boxes.calls[0].text.find("An error occurred in the Installer API:retrieving the version for an installed product:"));
    EXPECT_EQ(0u, boxes.calls[1].text.find("An error occurred in the Installer API:retrieving the size for an installed product:"));
    ProductRefList refs;
    EXPECT_EQ((std::vector<int>{ 2 }), KeysOf(GetProductRefs(refs)));
}

TEST_F(Products, OnlyTheFirstHomeCounts)
{
    Lay("home C:\\H1\n"
        "product First | label=F | version=1 | size=1\n"
        "home D:\\H2\n"
        "product Second | label=S | version=2 | size=2\n");
    ProductRefList refs;
    GetProductRefs(refs);
    ASSERT_EQ(1, refs.GetCount());
    EXPECT_EQ("First", std::string(refs.GetHead()->GetName()));
    EXPECT_FALSE(ProductRef("Second").IsBound());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(Products, NoHomeIsAnEmptyCatalogueWithoutMessage)
{
    Lay("client C1 | os=DOS | version=6\n");
    EXPECT_EQ(1, LoadInstalledProducts());
    EXPECT_EQ(1, DataCache::Get().productsLoaded);
    EXPECT_EQ(0, DataCache::Get().installedProducts.size());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(Products, NameLookupIsExactAndKeyLookupKeepsTheKey)
{
    Lay(kThreeProducts);
    ProductRef byName("P1");
    EXPECT_TRUE(byName.IsBound());
    EXPECT_EQ(1, byName.GetKey());
    ProductRef otherCase("p1");
    EXPECT_FALSE(otherCase.IsBound());
    EXPECT_EQ(-1, otherCase.GetKey());
    EXPECT_EQ("p1", std::string(otherCase.GetName()));
    ProductRef seven(7);
    EXPECT_FALSE(seven.IsBound());
    EXPECT_EQ(7, seven.GetKey());
    ProductRef copy(byName);
    EXPECT_EQ(byName.GetRecord(), copy.GetRecord());
}

TEST_F(Products, AFailedHomeListIsReportedAgainAtTheNextDemand)
{
    Lay(kThreeProducts);
    ASSERT_TRUE(layout::WriteWholeFile(inst.StoreFile("catalogue.kxs"), "garbage"));
    EXPECT_EQ(0, LoadInstalledProducts());
    EXPECT_EQ(0, DataCache::Get().productsLoaded);
    ProductRef ref("P0");   // loads on demand: tries, and reports, again
    EXPECT_FALSE(ref.IsBound());
    ASSERT_EQ(2u, boxes.calls.size());
    EXPECT_EQ("An error occurred in the Installer API:retrieving Velkan Homes:\n\nNO MESSAGE PROVIDED",
              boxes.calls[0].text);
    EXPECT_EQ(boxes.calls[0].text, boxes.calls[1].text);
}

typedef DataTest Clients;

TEST_F(Clients, RecordsCarryOsCodeAndVersionInListOrder)
{
    Lay("client B-PC | os=Windows NT | version=4.0\n"
        "client A-PC | os=Windows (32-bit) | version=\n"
        "client KIOSK | os=(none) | version=1\n"
        "client ODD | os=BeOS | version=5\n"
        "client BARE\n");
    ClientRefList refs;
    GetClientRefs(refs);
    ASSERT_EQ((std::vector<int>{ 0, 1, 2, 3, 4 }), KeysOf(refs));
    ClientRecord *b = refs.GetHead()->GetRecord();
    EXPECT_EQ("B-PC", std::string(b->name));
    EXPECT_EQ(3, b->osCode);
    EXPECT_EQ("4.0", std::string(b->osVersion));
    EXPECT_EQ(1, ClientRef("A-PC").GetRecord()->osCode);
    EXPECT_EQ(0, ClientRef("KIOSK").GetRecord()->osCode);
    EXPECT_EQ(0, ClientRef("ODD").GetRecord()->osCode);   // unknown text: listed, code 0
    ClientRecord *bare = ClientRef("BARE").GetRecord();   // queries fail: still a record
    ASSERT_NE(nullptr, bare);
    EXPECT_EQ(0, bare->osCode);
    EXPECT_EQ("", std::string(bare->osVersion));
    EXPECT_TRUE(boxes.calls.empty());   // those results are not examined
    EXPECT_FALSE(ClientRef("a-pc").IsBound());
    EXPECT_EQ(-1, ClientRef("a-pc").GetKey());
}

TEST_F(Clients, EmptyListIsLoadedWithoutMessage)
{
    Lay("home C:\\H1\n");
    EXPECT_EQ(1, LoadClients());
    EXPECT_EQ(1, DataCache::Get().clientsLoaded);
    EXPECT_EQ(0, DataCache::Get().clients.size());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(Clients, AFailedListingIsReportedAgainAtEachLaterDemand)
{
    Lay("client C1 | os=DOS | version=6\n"
        "config Lab | admin=user | location=shared | mandatory=optional | os=DOS | value=0\n"
        "assign C1\n");
    // No store condition fails the client list alone (it shares its file
    // with the products), so the library is told to fail that call.
    SetEnvironmentVariableA("KX_FAULT", "getAllClients@*");
    EXPECT_EQ(0, LoadClients());
    ClientRefList refs;
    EXPECT_EQ(0, GetClientRefs(refs).GetCount());
    ClientRef byName("C1");
    EXPECT_FALSE(byName.IsBound());
    ASSERT_EQ(3u, boxes.calls.size());
    for (const auto &call : boxes.calls)
        EXPECT_EQ(0u, call.text.find("An error occurred in the Installer API:getting all clients:\n\n"));
    EXPECT_EQ(0, DataCache::Get().clientsLoaded);

    SetEnvironmentVariableA("KX_FAULT", NULL);
    EXPECT_EQ(1, LoadClients());
    EXPECT_EQ(3u, boxes.calls.size());
}

TEST_F(Clients, AListThatCannotBeHandedOutIsReportedOncePerLoad)
{
    // One client more than a 16-bit count holds: every client reference of
    // both configurations asks for the list while the load runs.
    ASSERT_TRUE(inst.Generate("--clients 65536 --configs 2 --per-config 10 --products 5")) << inst.Error();
    EXPECT_EQ(0, LoadAll());
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ(0u, boxes.calls[0].text.find("An error occurred in the Installer API:getting all clients:\n\n"));
    EXPECT_EQ(1, DataCache::Get().configurationsLoaded);
    EXPECT_EQ(2, DataCache::Get().configurations.GetCount());
    // A later, separate need tries, and reports, again.
    EXPECT_EQ(0, LoadClients());
    EXPECT_EQ(2u, boxes.calls.size());
}

typedef DataTest Configurations;

TEST_F(Configurations, KeysOrderAndReferencesFromTheStore)
{
    Lay(std::string(kThreeProducts) +
        "client C1 | os=DOS | version=6\n"
        "client C2 | os=DOS | version=6\n"
        "config First | admin=user | location=shared | mandatory=optional | os=DOS | value=0\n"
        "config Second | admin=administrator | location=download | mandatory=mandatory | os=Windows NT | value=0\n"
        "uses P0\n"
        "config Third | admin=user | location=local | mandatory=optional | os=OS/2 | value=0\n"
        "uses P2\nuses Gone Product\nuses P0\nuses p1\n"
        "assign C2\nassign Gone Client\nassign C1\n");
    ASSERT_EQ(1, LoadAll());
    EXPECT_TRUE(boxes.calls.empty());
    ConfigurationRefList refs;
    GetConfigurationRefs(refs);
    ASSERT_EQ((std::vector<int>{ 0, 1, 2 }), KeysOf(refs));
    ConfigurationRef second = refs[1];
    ConfigurationRef third = refs[2];
    EXPECT_EQ("Second", std::string(second.GetName()));
    EXPECT_EQ(3, second.GetOsCode());
    ConflictResolution r = second.GetResolution();
    EXPECT_EQ(1, r.administrator);
    EXPECT_EQ(1, r.mandatory);
    EXPECT_EQ(2, r.location);

    EXPECT_EQ("Third", std::string(third.GetName()));
    EXPECT_EQ(2, third.GetRecord()->key);
    EXPECT_EQ(4, third.GetOsCode());
    ProductRefList products;
    third.GetProducts(products);
    // Library order kept; the missing and the wrong-case names stay,
    // unbound, under the names they were stored with.
    EXPECT_EQ((std::vector<int>{ 2, -1, 0, -1 }), KeysOf(products));
    EXPECT_EQ("Gone Product", std::string(products[1].GetName()));
    EXPECT_EQ("p1", std::string(products[3].GetName()));
    ClientRefList clients;
    third.GetClients(clients);
    EXPECT_EQ((std::vector<int>{ 1, -1, 0 }), KeysOf(clients));
}

TEST_F(Configurations, LoadedOnceAndRefsRebuiltFromTheCache)
{
    Lay("config A | admin=user | location=shared | mandatory=optional | os=DOS | value=0\n");
    ASSERT_EQ(1, LoadConfigurations());
    // A broken store is not read again once loaded.
    ASSERT_TRUE(layout::WriteWholeFile(inst.StoreFile("config.kxs"), "garbage"));
    EXPECT_EQ(1, LoadConfigurations());
    CreateConfigurationRecord("Made", 2, ConflictResolution(), 7);
    ConfigurationRefList refs;
    refs.Append(ConfigurationRef());
    GetConfigurationRefs(refs);
    EXPECT_EQ((std::vector<int>{ 0, 7 }), KeysOf(refs));
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(Configurations, EmptyStoreIsLoaded)
{
    Lay("home C:\\H1\n");
    EXPECT_EQ(1, LoadAll());
    EXPECT_EQ(1, DataCache::Get().configurationsLoaded);
    EXPECT_EQ(0, DataCache::Get().configurations.GetCount());
}

TEST_F(Configurations, CorruptStoreGivesTheExactMessageAndLoadAllFails)
{
    Lay("home C:\\H1\n"
        "config A | admin=user | location=shared | mandatory=optional | os=DOS | value=0\n");
    ASSERT_TRUE(layout::WriteWholeFile(inst.StoreFile("config.kxs"), "not a store at all"));
    EXPECT_EQ(0, LoadAll());
    ASSERT_EQ(1u, boxes.calls.size());
    const std::string &text = boxes.calls[0].text;
    const std::string head = "An error occurred in the Installer API:getting all configurations:\n\n";
    ASSERT_EQ(0u, text.find(head)) << text;
    std::string detail = text.substr(head.size());
    EXPECT_FALSE(detail.empty());
    EXPECT_NE("NO MESSAGE PROVIDED", detail);
    EXPECT_NE(std::string::npos, detail.find("config.kxs")) << detail;   // says where
    // The detail is the library's own text, unchanged.
    kxc::Context ctx;
    ctx.Open();
    kxc::NameList names;
    kxc::Failure failure;
    ASSERT_FALSE(ctx.AllConfigurations(names, &failure));
    EXPECT_EQ(head + failure.reason, text);
    EXPECT_EQ(0, DataCache::Get().configurationsLoaded);
    EXPECT_EQ(0, DataCache::Get().clientsLoaded);   // LoadAll stopped before the clients
}

TEST_F(Configurations, FailedClientListOfOneConfigurationStopsTheLoad)
{
    Lay("config A | admin=user | location=shared | mandatory=optional | os=DOS | value=0\n"
        "config B | admin=user | location=shared | mandatory=optional | os=DOS | value=0\n");
    SetEnvironmentVariableA("KX_FAULT", "getConfigurationClients@2");
    EXPECT_EQ(0, LoadConfigurations());
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ(0u, boxes.calls[0].text.find("An error occurred in the Installer API:getting clients for a configuration:\n\n"));
    // The first record stays; the failed one never entered the cache.
    ASSERT_EQ(1, DataCache::Get().configurations.GetCount());
    EXPECT_EQ(0, DataCache::Get().configurationsLoaded);
}

TEST_F(Configurations, DuplicateNamesBindTheLowerKey)
{
    // Names the layout tool refuses to repeat still meet in the cache when
    // the library lists them: the index keeps the first.
    Lay("client Same | os=DOS | version=1\n");
    DataCache &cache = DataCache::Get();
    ASSERT_EQ(1, LoadClients());
    cache.AppendClient(ClientRecord(9, "Same", 0, ""));
    cache.AppendClient(ClientRecord(9, "Other", 0, ""));
    EXPECT_EQ(0, ClientRef("Same").GetKey());
    EXPECT_EQ("Same", std::string(ClientRef(9).GetName()));   // first with key 9
}

TEST_F(Configurations, WorkingCopySharesTheRecordsReferences)
{
    Lay(std::string(kThreeProducts) +
        "config Empty | admin=administrator | location=download | mandatory=mandatory | os=NetWare | value=0\n"
        "config Full | admin=user | location=shared | mandatory=optional | os=DOS | value=0\n"
        "uses P1\n");
    ASSERT_EQ(1, LoadAll());
    ConfigurationRefList refs;
    GetConfigurationRefs(refs);
    ConfigurationCopy empty;
    empty.FillFromRecord(*refs.GetHead());
    EXPECT_EQ("Empty", std::string(empty.name));
    EXPECT_EQ(0, empty.products.GetCount());
    EXPECT_EQ(1, empty.stored);
    EXPECT_EQ(0, empty.removed);
    EXPECT_EQ(5, empty.osCode);
    EXPECT_EQ(2, empty.resolution.location);
    EXPECT_EQ(0, empty.record.GetKey());

    ConfigurationCopy full;
    full.FillFromRecord(refs[1]);
    ASSERT_EQ(1, full.products.GetCount());
    EXPECT_EQ(full.record.GetRecord()->products.GetHead(), full.products.GetHead());

    ConfigurationCopy made("New one");
    EXPECT_EQ("New one", std::string(made.name));
    EXPECT_EQ(-1, made.record.GetKey());
    EXPECT_FALSE(made.record.IsBound());
    EXPECT_EQ(0, made.stored);
}
