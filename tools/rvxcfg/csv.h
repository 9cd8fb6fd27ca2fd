// Comma-separated values as RFC 4180 has them: records end with CRLF (a bare
// LF is read as well), fields are separated by commas, and a field holding a
// comma, a double quote, CR or LF is written between double quotes with its
// quotes doubled. Fields are bytes: every byte 1..255 is read and written
// unchanged; a NUL byte is refused.
//
// And what spreadsheet programs make of such files: a UTF-8 byte-order mark
// in front, semicolons where the locale's decimal mark is a comma, and cells
// that start like a formula, which they run when the file is opened.
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
bool Parse(const std::string &bytes, std::vector<Record> *records, std::string *err, char separator = ',');

// One field, quoted when it has to be.
std::string Field(const std::string &text, char separator = ',');
// One record with its CRLF.
std::string Line(const std::vector<std::string> &fields, char separator = ',');

// The lines of a text without their CRLF or LF; a last line without one
// counts too.
std::vector<std::string> Lines(const std::string &text);

extern const char kByteOrderMark[];  // UTF-8's, 3 bytes
bool StartsWithByteOrderMark(const std::string &bytes);
// ';' when the first line holds semicolons and no comma, else ','.
char SeparatorOf(const std::string &bytes);
// Well-formed UTF-8 with at least one byte beyond ASCII: what a file saved
// as UTF-8 is, and a file in a single-byte code page almost never.
bool LooksUtf8(const std::string &bytes);
bool BeyondAscii(const std::string &text);

// A cell that a spreadsheet would run as a formula starts, after any
// apostrophes, with '=', '+', '-', '@', a tab or a CR. Guard puts one more
// apostrophe in front of such a cell; Unguard takes exactly that one away
// again, so that Unguard(Guard(x)) == x for every x, and is false for a cell
// that starts like a formula without one (*first then names the character).
std::string Guard(const std::string &cell);
bool Unguard(std::string *cell, std::string *first);

}  // namespace csv
#endif
