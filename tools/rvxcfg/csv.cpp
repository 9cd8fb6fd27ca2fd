#include "csv.h"

namespace csv {

bool Parse(const std::string &bytes, std::vector<Record> *records, std::string *err) {
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
        if (i < n && bytes[i] != ',' && bytes[i] != '\n' && bytes[i] != '\r')
          return fail(line, "text after the closing quote of a field");
      } else {
        while (i < n && bytes[i] != ',' && bytes[i] != '\n' && bytes[i] != '\r') {
          char c = bytes[i++];
          if (c == '\0') return fail(line, "a NUL byte");
          if (c == '"') return fail(line, "a double quote inside a field that is not quoted");
          f += c;
        }
      }
      r.fields.push_back(f);
      if (i < n && bytes[i] == ',') {
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
    records->push_back(r);
  }
  return true;
}

std::string Field(const std::string &text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string q = "\"";
  for (char c : text) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

std::string Line(const std::vector<std::string> &fields) {
  std::string s;
  for (size_t k = 0; k < fields.size(); ++k) {
    if (k) s += ',';
    s += Field(fields[k]);
  }
  return s + "\r\n";
}

}  // namespace csv
