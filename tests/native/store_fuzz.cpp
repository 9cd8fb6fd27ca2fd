// libFuzzer target: any bytes given to either reader are refused with a
// text or accepted; what is accepted writes back to a file that reads the
// same, and writing that again gives the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string bytes(reinterpret_cast<const char *>(data), size), err;
  kx::Catalogue c, c2;
  if (kx::ReadCatalogue(bytes, "fuzz", &c, &err)) {
    std::string once = kx::WriteCatalogue(c);
    if (!kx::ReadCatalogue(once, "fuzz", &c2, &err) || kx::WriteCatalogue(c2) != once) std::abort();
  } else if (err.empty()) {
    std::abort();
  }
  kx::ConfigData d, d2;
  err.clear();
  if (kx::ReadConfigData(bytes, "fuzz", &d, &err)) {
    std::string once = kx::WriteConfigData(d);
    if (!kx::ReadConfigData(once, "fuzz", &d2, &err) || kx::WriteConfigData(d2) != once) std::abort();
  } else if (err.empty()) {
    std::abort();
  }
  return 0;
}
