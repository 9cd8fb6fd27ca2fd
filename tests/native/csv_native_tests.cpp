// rvxcfg's CSV reader and writer and its import rules, natively under the
// sanitizers.
#include <gtest/gtest.h>

#include <string>

#include "csv.h"
#include "model.h"

namespace {

std::string EveryByte() {
  std::string s;
  for (int b = 1; b < 256; ++b) s += static_cast<char>(b);
  return s;
}

// A case's "what" as a test name: letters and digits, '_' for the rest.
template <class Case>
std::string CaseName(const ::testing::TestParamInfo<Case> &i) {
  std::string n = i.param.what;
  for (char &ch : n)
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n;
}

struct ParseCase {
  const char *what;
  std::string bytes;
  std::string error;  // empty: parses
  size_t records;
};

class CsvParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CsvParse, ReadsOrNamesTheLine) {
  const ParseCase &c = GetParam();
  std::vector<csv::Record> r;
  std::string err;
  bool ok = csv::Parse(c.bytes, &r, &err);
  if (c.error.empty()) {
    ASSERT_TRUE(ok) << err;
    EXPECT_EQ(r.size(), c.records);
  } else {
    EXPECT_FALSE(ok);
    EXPECT_EQ(err.substr(0, c.error.size()), c.error);
    EXPECT_TRUE(r.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, CsvParse,
    ::testing::Values(ParseCase{"crlf", "a,b\r\nc,d\r\n", "", 2}, ParseCase{"lf", "a,b\nc,d", "", 2},
                      ParseCase{"quoted comma and quote", "\"a,\"\"b\",c\r\n", "", 1},
                      ParseCase{"quoted line break counts lines", "\"a\r\nb\",c\r\n\"x", "line 3: a quoted", 0},
                      ParseCase{"text after closing quote", "a\r\n\"b\"x,c\r\n", "line 2: text after", 0},
                      ParseCase{"quote inside plain field", "a\r\nb\"c\r\n", "line 2: a double quote", 0},
                      ParseCase{"bare CR", "a\rb\r\n", "line 1: a CR", 0},
                      ParseCase{"NUL", std::string("a\r\nb\0c\r\n", 7), "line 2: a NUL", 0},
                      ParseCase{"empty file", "", "", 0}),
    CaseName<ParseCase>);

TEST(Csv, EveryByteRoundTripsAndOnlyWhatNeedsItIsQuoted) {
  std::vector<std::string> fields = {EveryByte(), "", " lead", "a,b", "q\"q", "plain", "\xE9\xFF"};
  std::string line = csv::Line(fields);
  std::vector<csv::Record> r;
  std::string err;
  ASSERT_TRUE(csv::Parse(line + line, &r, &err)) << err;
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[1].fields, fields);
  EXPECT_EQ(r[1].line, 3u);  // the first record holds one LF: it spans two lines
  EXPECT_EQ(csv::Field("plain"), "plain");
  EXPECT_EQ(csv::Field(" lead"), " lead");
  EXPECT_EQ(csv::Field("\xE9\xFF"), "\xE9\xFF");
  EXPECT_EQ(csv::Field("a,b"), "\"a,b\"");
  EXPECT_EQ(csv::Field("q\"q"), "\"q\"\"q\"");
}

// Every cell that starts like a formula, after any apostrophes, gets one
// more; Unguard takes exactly that one away and refuses a bare formula.
TEST(Csv, GuardedCellsRoundTripAndBareFormulasAreRefused) {
  for (const std::string cell : {"=1+1", "+1+cmd|' /C calc'!A0", "-x", "@SUM(A1)", "\tt", "\rr", "'=q", "''+q", "'",
                                 "a=b", "", "plain", "'plain"}) {
    const std::string guarded = csv::Guard(cell);
    const bool formula = cell.find_first_not_of('\'') != std::string::npos &&
                         std::string("=+-@\t\r").find(cell[cell.find_first_not_of('\'')]) != std::string::npos;
    EXPECT_EQ(guarded, formula ? "'" + cell : cell);
    std::string back = guarded, first;
    EXPECT_TRUE(csv::Unguard(&back, &first));
    EXPECT_EQ(back, cell);
    back = cell;
    EXPECT_EQ(csv::Unguard(&back, &first), !formula || cell[0] == '\'') << cell;
  }
}

TEST(Csv, LooksUtf8) {
  EXPECT_TRUE(csv::LooksUtf8("Au\xC3\x9F" "endienst \xE4\xB8\xAD \xF0\x9F\x98\x80"));
  for (const char *not8 : {"plain", "Au\xDF" "endienst", "\xC3", "\xC3(", "\xC0\x80", "\xE4\xB8"})
    EXPECT_FALSE(csv::LooksUtf8(not8)) << not8;
}

// ---- import rules -----------------------------------------------------------

// Letter case by ASCII, and files taken as they are.
class PlainCodePage : public rvxcfg::CodePage {
 public:
  unsigned Number() const override { return 20127; }
  std::string Fold(const std::string &text) const override {
    std::string t = text;
    for (char &c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
  }
  bool FromUtf8(const std::string &in, std::string *out, std::string *) const override { return *out = in, true; }
  bool ToUtf8(const std::string &in, std::string *out, std::string *) const override { return *out = in, true; }
};
const PlainCodePage kPlain;

rvxcfg::Files Exported(const rvxcfg::Installation &in) {
  rvxcfg::Files f;
  std::string err;
  EXPECT_TRUE(rvxcfg::Export(in, rvxcfg::Format(), kPlain, &f, &err)) << err;
  return f;
}

rvxcfg::Installation Current() {
  rvxcfg::Installation in;
  in.resolution = rvxcfg::Words{"administrator", "shared", "optional"};
  rvxcfg::Config lab;
  lab.name = "Lab";
  lab.os = "Windows NT";
  lab.words = rvxcfg::Words{"user", "local", "mandatory"};
  lab.value = 7;
  lab.products = {"Mail", "Gone"};  // Gone is no longer installed
  lab.clients = {"PC-1"};
  in.configs.push_back(lab);
  return in;
}

rvxcfg::Catalog Known() {
  rvxcfg::Catalog c;
  c.products = {"Mail", "Forms"};
  c.clients = {"PC-1", "PC-2"};
  return c;
}

const char kConfigs[] = "name,operating system,administrator,location,mandatory\r\n";
const char kProducts[] = "configuration,product,position\r\n";
const char kClients[] = "configuration,client,position\r\n";

struct RefusalCase {
  const char *what;
  std::string configurations, products, assignments;
  std::string says;  // the start of the error text after the directory
};

class ImportRefuses : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ImportRefuses, NamingFileAndLine) {
  const RefusalCase &c = GetParam();
  rvxcfg::Files f{kConfigs + c.configurations, kProducts + c.products, kClients + c.assignments};
  rvxcfg::Installation out;
  std::string err;
  EXPECT_FALSE(rvxcfg::Import(f, "D", Current(), Known(), kPlain, &out, &err));
  EXPECT_EQ(err.substr(0, c.says.size()), c.says) << err;
}

const std::string kLab = "Lab,Windows NT,user,local,mandatory\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, ImportRefuses,
    ::testing::Values(
        RefusalCase{"product not installed", kLab, "Lab,Mail,1\r\nLab,Nope,2\r\n", "",
                    "D\\products.csv: line 3: product \"Nope\" is not installed"},
        RefusalCase{"client not listed", kLab, "", "Lab,PC-9,1\r\n",
                    "D\\assignments.csv: line 2: client \"PC-9\" is not listed"},
        RefusalCase{"unknown configuration", kLab, "Lab,Mail,1\r\nLib,Mail,1\r\n", "",
                    "D\\products.csv: line 3: configuration \"Lib\" is not in"},
        RefusalCase{"duplicate configuration", kLab + kLab, "", "", "D\\configurations.csv: line 3: a duplicate"},
        RefusalCase{"configuration differing in case", kLab + "LAB,,user,local,optional\r\n", "", "",
                    "D\\configurations.csv: line 3: a duplicate"},
        RefusalCase{"duplicate product", kLab, "Lab,Mail,1\r\nLab,Mail,2\r\n", "",
                    "D\\products.csv: line 3: a duplicate"},
        RefusalCase{"duplicate position", kLab, "", "Lab,PC-1,1\r\nLab,PC-2,1\r\n",
                    "D\\assignments.csv: line 3: a duplicate"},
        RefusalCase{"two defaults", ",,user,local,optional\r\n,,user,local,optional\r\n", "", "",
                    "D\\configurations.csv: line 3: a duplicate"},
        RefusalCase{"bad word", "New,,root,local,optional\r\n", "", "",
                    "D\\configurations.csv: line 2: administrator \"root\""},
        RefusalCase{"bad location of the default", ",,user,far,optional\r\n", "", "",
                    "D\\configurations.csv: line 2: location \"far\""},
        RefusalCase{"bad position", kLab, "Lab,Mail,0\r\n", "", "D\\products.csv: line 2: position \"0\""},
        RefusalCase{"name too long", std::string(1025, 'N') + ",,user,local,optional\r\n", "", "",
                    "D\\configurations.csv: line 2: the configuration name is longer"},
        RefusalCase{"name with a line break", "\"A\r\nB\",,user,local,optional\r\n", "", "",
                    "D\\configurations.csv: line 2: the configuration name holds a line break"},
        RefusalCase{"name with a comma", "\"A,B\",,user,local,optional\r\n", "", "",
                    "D\\configurations.csv: line 2: the configuration name \"A,B\" holds a comma"},
        RefusalCase{"missing field", "Lab,Windows NT,user,local\r\n", "", "",
                    "D\\configurations.csv: line 2: 4 fields"},
        RefusalCase{"malformed csv", kLab, "Lab,\"Mail,1\r\n", "", "D\\products.csv: line 2: a quoted field"}),
    CaseName<RefusalCase>);

TEST(Import, ExportThenImportIsTheSameAndKeepsWhatTheStoreAlreadyHeld) {
  rvxcfg::Installation cur = Current(), out;
  cur.configs[0].words.administrator = "root";  // a bad word the store already holds stays
  cur.configs.push_back(cur.configs[0]);
  cur.configs.back().name = "A,B";  // so does a comma
  rvxcfg::Files f = Exported(cur);
  std::string err;
  ASSERT_TRUE(rvxcfg::Import(f, "D", cur, Known(), kPlain, &out, &err)) << err;
  EXPECT_TRUE(rvxcfg::Describe(cur, out).empty());
  EXPECT_EQ(out.configs[0].value, 7);
  rvxcfg::Files again = Exported(out);
  EXPECT_EQ(again.configurations, f.configurations);
  EXPECT_EQ(again.products, f.products);
  EXPECT_EQ(again.assignments, f.assignments);
}

TEST(Import, OrdersByPositionKeepsTheDefaultWithoutItsRowAndAppendsNewConfigurations) {
  rvxcfg::Files f{std::string(kConfigs) + "New,DOS,administrator,download,optional\r\n" + kLab,
                  std::string(kProducts) + "Lab,Forms,20\r\nLab,Mail,3\r\n", std::string(kClients) + "New,PC-2,1\r\n"};
  rvxcfg::Installation out;
  std::string err;
  ASSERT_TRUE(rvxcfg::Import(f, "D", Current(), Known(), kPlain, &out, &err)) << err;
  ASSERT_EQ(out.configs.size(), 2u);
  EXPECT_EQ(out.configs[0].name, "Lab");
  EXPECT_EQ(out.configs[0].products, (std::vector<std::string>{"Mail", "Forms"}));
  EXPECT_TRUE(out.configs[0].clients.empty());
  EXPECT_EQ(out.configs[1].name, "New");
  EXPECT_EQ(out.configs[1].value, 0);
  EXPECT_TRUE(out.resolution && *out.resolution == *Current().resolution);
  std::vector<std::string> lines = rvxcfg::Describe(Current(), out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "changed \"Lab\": 1 products added: \"Forms\"; 1 products removed: \"Gone\"; 1 clients "
                      "removed: \"PC-1\"");
  EXPECT_EQ(lines[1].substr(0, 13), "added \"New\": ");
}

}  // namespace
