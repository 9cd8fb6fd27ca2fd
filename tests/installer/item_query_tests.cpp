// The item-by-item queries of the catalogue (a client's system or version, a
// product's label, version or size) answer from the last read for a short
// while without looking at the file again; a name that read does not know
// is looked up in the file once more before it is refused, so an item the
// layout tool has just added is found at once.
#include <functional>

#include "store_fixture.h"

using namespace kxtest;

namespace {

const char kHome[] = "C:\\VELKAN\\POOL";

struct ItemQuery {
  const char *what;
  // Asks for the field of the item named name; the text, or "<failed>".
  std::function<std::string(const char *name)> ask;
  const char *known;     // an item of the sample layout
  const char *expected;  // the field of the item added below
};

std::string Answer(int rc, char *text, char *err) {
  PKRGfree(err);
  std::string value = Take(text);
  return rc == 0 ? value : "<failed>";
}

std::string ClientField(bool os, const char *name) {
  char ctx[KX_CONTEXT_SIZE];
  kxsaoh("win32", ctx);
  char *text = nullptr, *err = nullptr;
  int rc = os ? getClientOS(ctx, "win32", name, &text, &err) : getClientOSVersion(ctx, "win32", name, &text, &err);
  return Answer(rc, text, err);
}

typedef int(KXAPI *ProductQuery)(const char *, const char *, int, const char *, char **, char **);

std::string ProductField(ProductQuery query, const char *name) {
  char *text = nullptr, *err = nullptr;
  int rc = query(kHome, "win32", 0, name, &text, &err);
  return Answer(rc, text, err);
}

const ItemQuery kQueries[] = {
    {"ClientOS", [](const char *n) { return ClientField(true, n); }, "PC-1", "OS/2"},
    {"ClientVersion", [](const char *n) { return ClientField(false, n); }, "PC-1", "2.1"},
    {"ProductLabel", [](const char *n) { return ProductField(getInstalledProductLabel, n); }, "Mail", "New label"},
    {"ProductVersion", [](const char *n) { return ProductField(getInstalledProductVersion, n); }, "Mail", "9.9"},
    {"ProductSize", [](const char *n) { return ProductField(getInstalledProductSize, n); }, "Mail", "4711"},
};

class ItemQueries : public TempStore, public ::testing::WithParamInterface<ItemQuery> {};

TEST_P(ItemQueries, FindAnItemAddedRightAfterTheLastRead) {
  const ItemQuery &q = GetParam();
  kx::Catalogue c;
  kx::ConfigData d;
  SampleLayout(&c, &d);
  Lay(c, d);
  ASSERT_NE(q.ask(q.known), "<failed>") << "the sample's own item";
  EXPECT_EQ(q.ask("Added"), "<failed>") << "not laid out yet";

  c.clients.push_back(kx::Client{"Added", std::string("OS/2"), std::string("2.1")});
  c.homes[0].products.push_back(kx::Product{"Added", std::string("New label"), std::string("9.9"), std::string("4711")});
  Lay(c, d);
  EXPECT_EQ(q.ask("Added"), q.expected);
  EXPECT_NE(q.ask(q.known), "<failed>");
}

INSTANTIATE_TEST_SUITE_P(EachQuery, ItemQueries, ::testing::ValuesIn(kQueries),
                         [](const ::testing::TestParamInfo<ItemQuery> &info) { return std::string(info.param.what); });

}  // namespace
