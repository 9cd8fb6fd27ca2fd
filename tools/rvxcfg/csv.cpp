#include "csv.h"

namespace csv {

bool Parse(const std::string &bytes, std::vector<Record> *records, std::string *err, char separator) {
  records->clear();
  size_t i = 0, line = 1;
  const size_t n = bytes.size();
  auto fail = [&](size_t at, const std::string &what) {
    *err = "line " + std::to_string(at) + ": " + what;
    records->clear();
    return false;
  };
  while (i < n) {
    Record r;
    r.line = line;
    for (;;) {  // one field a turn
      std::string f;
      if (i < n && bytes[i] == '"') {
        const size_t opened = line;
        ++i;
        for (;;) {
          if (i >= n) return fail(opened, "a quoted field is not closed");
          char c = bytes[i++];
          if (c == '\0') return fail(line, "a NUL byte");
          if (c == '"') {
            if (i < n && bytes[i] == '"') {
              f += '"';
              ++i;
              continue;
            }
            break;
          }
          if (c == '\n') ++line;
          f += c;
        }
        if (i < n && bytes[i] != separator && bytes[i] != '\n' && bytes[i] != '\r')
          return fail(line, "text after the closing quote of a field");
      } else {
        const size_t from = i;
        while (i < n && bytes[i] != separator && bytes[i] != '\n' && bytes[i] != '\r') {
          char c = bytes[i++];
          if (c == '\0') return fail(line, "a NUL byte");
          if (c == '"') return fail(line, "a double quote inside a field that is not quoted");
        }
        f.assign(bytes, from, i - from);
      }
      r.fields.push_back(std::move(f));
      if (i < n && bytes[i] == separator) {
        ++i;
        continue;
      }
      break;
    }
    if (i < n && bytes[i] == '\r') {
      if (i + 1 >= n || bytes[i + 1] != '\n') return fail(line, "a CR that does not end the line");
      ++i;
    }
    if (i < n) {  // the LF
      ++i;
      ++line;
    }
    records->push_back(std::move(r));
  }
  return true;
}

std::string Field(const std::string &text, char separator) {
  if (text.find_first_of("\"\r\n") == std::string::npos && text.find(separator) == std::string::npos) return text;
  std::string q = "\"";
  for (char c : text) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

std::string Line(const std::vector<std::string> &fields, char separator) {
  std::string s;
  for (size_t k = 0; k < fields.size(); ++k) {
    if (k) s += separator;
    s += Field(fields[k], separator);
  }
  return s + "\r\n";
}

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
    at = end + 1;
  }
  return lines;
}

const char kByteOrderMark[] = "\xEF\xBB\xBF";

bool StartsWithByteOrderMark(const std::string &bytes) { return bytes.compare(0, 3, kByteOrderMark) == 0; }

char SeparatorOf(const std::string &bytes) {
  const std::string first = bytes.substr(0, bytes.find('\n'));
  return first.find(';') != std::string::npos && first.find(',') == std::string::npos ? ';' : ',';
}

bool BeyondAscii(const std::string &text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

bool LooksUtf8(const std::string &bytes) {
  bool beyond = false;
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    size_t more = c < 0x80 ? 0 : c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : 9;
    if (more == 9 || (more && i + more >= bytes.size())) return false;
    for (size_t k = 1; k <= more; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    beyond = beyond || more;
    i += more + 1;
  }
  return beyond;
}

namespace {

// The first character after any apostrophes, if it starts a formula.
bool Triggers(const std::string &cell, char *first) {
  const size_t at = cell.find_first_not_of('\'');
  if (at == std::string::npos || std::string("=+-@\t\r").find(cell[at]) == std::string::npos) return false;
  *first = cell[at];
  return true;
}

}  // namespace

std::string Guard(const std::string &cell) {
  char first;
  return Triggers(cell, &first) ? "'" + cell : cell;
}

bool Unguard(std::string *cell, std::string *first) {
  char c;
  if (!Triggers(*cell, &c)) return true;
  if ((*cell)[0] == '\'') {
    cell->erase(0, 1);
    return true;
  }
  *first = c == '\t' ? "a tab" : c == '\r' ? "a carriage return" : "\"" + std::string(1, c) + "\"";
  return false;
}

}  // namespace csv
