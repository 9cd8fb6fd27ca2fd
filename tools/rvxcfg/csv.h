// Comma-separated values as RFC 4180 has them: records end with CRLF (a bare
// LF is read as well), fields are separated by commas, and a field holding a
// comma, a double quote, CR or LF is written between double quotes with its
// quotes doubled. Fields are bytes: every byte 1..255 is read and written
// unchanged; a NUL byte is refused.
#ifndef RVXCFG_CSV_H
#define RVXCFG_CSV_H

#include <cstddef>
#include <string>
#include <vector>

namespace csv {

struct Record {
  size_t line = 0;  // 1-based line of the file where the record starts
  std::vector<std::string> fields;
};

// Every record of the file, the header row included. On a malformed file
// *err says "line N: what" and the result is false.
bool Parse(const std::string &bytes, std::vector<Record> *records, std::string *err);

// One field, quoted when it has to be.
std::string Field(const std::string &text);
// One record with its CRLF.
std::string Line(const std::vector<std::string> &fields);

}  // namespace csv
#endif
