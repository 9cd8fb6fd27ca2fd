// rvxcfg's commands. Each takes its words (the arguments that are not
// options) and options, already checked against its usage by main.cpp, and
// returns the exit status: 0 done, 1 refused or failed (one line on standard
// error says why), 2 bad usage (through BadUsage).
#ifndef RVXCFG_COMMANDS_H
#define RVXCFG_COMMANDS_H

#include <set>
#include <string>
#include <vector>

namespace rvxcfg {

struct Args {
  std::vector<std::string> words;
  std::set<std::string> options;
  bool Has(const char *option) const { return options.count(option) != 0; }
};

// What was wrong, then the running command's usage; returns 2. (main.cpp)
int BadUsage(const std::string &what);

int ExportCommand(const Args &a);
int ImportCommand(const Args &a);
int WhereCommand(const Args &a);
int HistoryCommand(const Args &a);
int DiffCommand(const Args &a);
int RestoreCommand(const Args &a);
int ShowCommand(const Args &a);
int AssignCommand(const Args &a);
int UnassignCommand(const Args &a);
int AddProductCommand(const Args &a);
int RemoveProductCommand(const Args &a);
int CopyCommand(const Args &a);

}  // namespace rvxcfg
#endif
