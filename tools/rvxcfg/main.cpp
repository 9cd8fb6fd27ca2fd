// rvxcfg: the administrator's tool for bulk work on an installation, beside
// rvxadmin.exe. It works only through the installer libraries' entry points.
// This file reads the command line as console tools do: a command, its
// words and options in any order, "--" before words that start with "-",
// -h or --help anywhere for the command's usage; a usage error says what was
// wrong, then that command's usage only, and exits with 2.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"
#include "model.h"

using namespace rvxcfg;

namespace {

struct Command {
  const char *name;
  const char *synopsis;  // after "rvxcfg "; words in capitals, options in brackets
  const char *help;      // what it does and what its options mean
  const char *options;   // each option it takes, followed by a blank
  size_t least, most;    // how many words it takes
  int (*run)(const Args &);
};

const char kCommon[] =
    "rvxcfg works on the installation the installer libraries find: the directory named\n"
    "by VELKAN_INSTALL, or else the one that holds KXIMPL32.dll. Exit status: 0 done,\n"
    "1 refused or failed (one line on standard error says why), 2 bad usage.\n";

const size_t kMany = static_cast<size_t>(-1);

const char kEditHelp[] =
    "Adds clients or products at the end of a configuration's list, or removes them,\n"
    "in one commit, merged like any commit with what others committed meanwhile. A\n"
    "name that is neither installed (products) nor listed (clients), one the store\n"
    "cannot hold or one given twice refuses the whole command; one that changes\n"
    "nothing is said. A name \"-\" reads names from standard input, one a line.\n"
    "  --dry-run    decide and print, write nothing\n";

const Command kCommands[] = {
    {"export", "export DIR [--force] [--utf8] [--semicolon]",
     "Writes the store as configurations.csv (name, operating system, administrator,\n"
     "location, mandatory; the row without a name is the installation-wide default),\n"
     "products.csv, assignments.csv (configuration, product or client, position) and\n"
     "generation.txt (the generation exported, which import merges against) into DIR,\n"
     "all four or none. A cell that a spreadsheet would run as a formula (starting with\n"
     "=, +, -, @, a tab or a carriage return) gets an apostrophe in front; import takes\n"
     "it away again.\n"
     "  --force      replace the files of an earlier export in DIR\n"
     "  --utf8       UTF-8 with a byte-order mark instead of the code page\n"
     "  --semicolon  semicolons between the fields instead of commas\n",
     "--force --utf8 --semicolon ", 1, 1, ExportCommand},
    {"import", "import DIR [--dry-run] [--force]",
     "Makes the store hold what the files in DIR hold, in one commit, merged against\n"
     "the generation they were exported from: what others committed since and the files\n"
     "leave as exported stays; a configuration changed on both sides refuses the import.\n"
     "Prints what changes. Files with a UTF-8 byte-order mark and files separated by\n"
     "semicolons are read as well.\n"
     "  --dry-run    decide and print, write nothing\n"
     "  --force      import a set whose generation is unknown or no longer kept,\n"
     "               overwriting what others committed since\n",
     "--dry-run --force ", 1, 1, ImportCommand},
    {"where", "where CLIENT", "Lists every configuration that lists CLIENT.\n", "", 1, 1, WhereCommand},
    {"history", "history", "Lists the commits recorded: generation, time, host, user, what changed.\n", "", 0, 0,
     HistoryCommand},
    {"diff", "diff G1 G2",
     "Shows what changed from generation G1 to G2 (a generation number, or current).\n", "", 2, 2, DiffCommand},
    {"restore", "restore G [--dry-run]",
     "Commits generation G's content as a new generation, merged like any commit.\n"
     "  --dry-run    decide and print, write nothing\n",
     "--dry-run ", 1, 1, RestoreCommand},
    {"show", "show CONFIG",
     "Prints a configuration, one fact a line: \"name: \", \"system: \", \"administrator: \",\n"
     "\"location: \", \"mandatory: \", then \"product: \" and \"client: \" lines in order.\n",
     "", 1, 1, ShowCommand},
    {"assign", "assign CONFIG CLIENT... [--dry-run]", kEditHelp, "--dry-run ", 2, kMany, AssignCommand},
    {"unassign", "unassign CONFIG CLIENT... [--dry-run]", kEditHelp, "--dry-run ", 2, kMany, UnassignCommand},
    {"add-product", "add-product CONFIG PRODUCT... [--dry-run]", kEditHelp, "--dry-run ", 2, kMany,
     AddProductCommand},
    {"remove-product", "remove-product CONFIG PRODUCT... [--dry-run]", kEditHelp, "--dry-run ", 2, kMany,
     RemoveProductCommand},
    {"copy", "copy CONFIG NEWNAME [--dry-run]",
     "Creates configuration NEWNAME with CONFIG's products, system and words, and no\n"
     "clients, in one commit.\n"
     "  --dry-run    decide and print, write nothing\n",
     "--dry-run ", 2, 2, CopyCommand},
};

const Command *g_running = nullptr;

const Command *Find(const std::string &name) {
  for (const Command &c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

bool IsHelp(const std::string &w) { return w == "-h" || w == "--help" || w == "/?"; }

void Usage(FILE *to, const Command *c) {
  if (c) {
    std::fprintf(to, "usage: rvxcfg %s\n", c->synopsis);
    return;
  }
  const char *lead = "usage: ";
  for (const Command &k : kCommands) {
    std::fprintf(to, "%srvxcfg %s\n", lead, k.synopsis);
    lead = "       ";
  }
}

int Help(const Command *c) {
  Usage(stdout, c);
  std::fprintf(stdout, "\n%s\n%s", c ? c->help : "rvxcfg COMMAND --help tells what a command does.\n", kCommon);
  return 0;
}

int UsageError(const Command *c, const std::string &what) {
  std::fprintf(stderr, "rvxcfg%s%s: %s\n", c ? " " : "", c ? c->name : "", what.c_str());
  Usage(stderr, c);
  std::fprintf(stderr, "(rvxcfg %s--help tells more)\n", c ? (std::string(c->name) + " ").c_str() : "");
  return 2;
}

// The name of the word at index i of a synopsis ("DIR", "CLIENT...").
std::string WordName(const Command &c, size_t i) {
  std::string s = c.synopsis, word;
  size_t at = s.find(' '), n = 0;
  while (at != std::string::npos) {
    size_t next = s.find(' ', at + 1);
    word = s.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
    if (word[0] != '[' && n++ == i) return word;
    at = next;
  }
  return word;
}

int Run(const Command &c, int argc, char **argv) {
  g_running = &c;
  for (int i = 2; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
    if (IsHelp(argv[i])) return Help(&c);
  Args a;
  bool wordsOnly = false;
  for (int i = 2; i < argc; ++i) {
    const std::string w = argv[i];
    if (!wordsOnly && w == "--") {
      wordsOnly = true;
    } else if (!wordsOnly && w.size() > 1 && w[0] == '-') {
      if (std::strstr(c.options, (w + " ").c_str()) == nullptr || w.find(' ') != std::string::npos)
        return UsageError(&c, "unknown option " + Quoted(w));
      a.options.insert(w);
    } else {
      a.words.push_back(w);
    }
  }
  if (a.words.size() < c.least) return UsageError(&c, "missing " + WordName(c, a.words.size()));
  if (a.words.size() > c.most) return UsageError(&c, "one argument too many: " + Quoted(a.words[c.most]));
  return c.run(a);
}

}  // namespace

int rvxcfg::BadUsage(const std::string &what) { return UsageError(g_running, what); }

int main(int argc, char **argv) {
  // The store's bytes go out unchanged: no CRLF translation, no code page;
  // both streams end their lines alike.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (argc < 2) return UsageError(nullptr, "no command given");
  const std::string cmd = argv[1];
  if (IsHelp(cmd) || cmd == "help") {
    if (argc > 2 && !Find(argv[2])) return UsageError(nullptr, "unknown command " + Quoted(argv[2]));
    return Help(argc > 2 ? Find(argv[2]) : nullptr);
  }
  const Command *c = Find(cmd);
  if (!c) return UsageError(nullptr, "unknown command " + Quoted(cmd));
  return Run(*c, argc, argv);
}
