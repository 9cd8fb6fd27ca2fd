// libFuzzer target for rvxcfg's CSV reader: any bytes are read or refused
// with a line number, never a crash; what is read, written again and read
// back, gives the same fields.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string bytes(reinterpret_cast<const char *>(data), size);
  std::vector<csv::Record> records, again;
  std::string err;
  if (!csv::Parse(bytes, &records, &err)) {
    if (err.compare(0, 5, "line ") != 0) std::abort();
    return 0;
  }
  std::string written;
  for (const csv::Record &r : records) written += csv::Line(r.fields);
  if (!csv::Parse(written, &again, &err) || again.size() != records.size()) std::abort();
  for (size_t i = 0; i < records.size(); ++i)
    if (again[i].fields != records[i].fields) std::abort();
  return 0;
}
