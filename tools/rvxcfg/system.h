// What rvxcfg needs of Windows besides the installer libraries: files read
// whole and written as one set, and the system's texts for its error codes.
#ifndef RVXCFG_SYSTEM_H
#define RVXCFG_SYSTEM_H

#include <string>
#include <vector>

#include "model.h"

namespace rvxcfg {

// The system's text for an error code, begun in lower case and without its
// full stop: "access is denied".
std::string SystemText(unsigned long code);

std::string PathIn(const std::string &dir, const std::string &file);
bool FileExists(const std::string &path);
// A failure says "<path>: <the system's text>".
bool ReadWhole(const std::string &path, std::string *bytes, std::string *err);

struct OutFile {
  std::string name, bytes;
};
// Writes files into dir (made when missing) as one set, or not at all: every
// file is written and flushed beside its target first, and only when all are
// written are they renamed over their targets. The last file is the set's
// mark of being whole: its old copy goes before the first rename and the new
// one comes after the last, so a set that a failing rename leaves half
// replaced has none. Existing targets are refused by name unless replace;
// nothing else in dir is touched.
bool WriteSet(const std::string &dir, const std::vector<OutFile> &files, bool replace, std::string *err);

// The active code page: letter case by CharLowerBuffA (as the program's
// filter compares), UTF-8 through the system's conversions, refusing what
// the code page cannot hold instead of putting a best-fit character in.
const CodePage &ActiveCodePage();

}  // namespace rvxcfg
#endif
