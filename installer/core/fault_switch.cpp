#include "fault_switch.h"

#include <cstdlib>

namespace kx {

#ifdef KX_TEST_SWITCHES

FaultSwitch::Action FaultSwitch::Check(const std::string &point) {
  std::string value;
  if (!fs_.GetEnv("KX_FAULT", &value)) value.clear();
  if (value != value_) {
    value_ = value;
    counts_.clear();
  }
  if (value.empty()) return kNone;
  unsigned long call = ++counts_[point];
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(',', start);
    if (comma == std::string::npos) comma = value.size();
    std::string item = value.substr(start, comma - start);
    start = comma + 1;
    size_t at = item.rfind('@');
    if (at == std::string::npos || item.compare(0, at, point) != 0 || at != point.size()) continue;
    std::string n = item.substr(at + 1);
    bool abandon = !n.empty() && n.back() == '!';
    if (abandon) n.pop_back();
    bool match = false;
    if (n == "*") {
      match = true;
    } else if (!n.empty() && n.find_first_not_of("0123456789") == std::string::npos && n.size() < 10) {
      match = std::strtoul(n.c_str(), nullptr, 10) == call;
    }
    if (match) return abandon ? kAbandon : kFail;
  }
  return kNone;
}

bool FaultSwitch::Hit(const std::string &point, std::string *err) {
  Action a = Check(point);
  if (a == kAbandon) fs_.Abandon();
  if (a == kNone) return false;
  *err = "injected fault at " + point + " (KX_FAULT)";
  return true;
}

bool FaultSwitch::Hit(const char *point, std::string *err) { return Hit(std::string(point), err); }

bool UnsafeSwitchOn(FileSystem &fs, UnsafeSwitch which) {
  static const char *const names[] = {"KX_UNSAFE_NOLOCK", "KX_UNSAFE_NOGENERATION", "KX_UNSAFE_NOMERGE"};
  std::string v;
  return fs.GetEnv(names[which], &v) && v == "1";
}

#else  // the shipped libraries: no switch is read

FaultSwitch::Action FaultSwitch::Check(const std::string &) { return kNone; }
bool FaultSwitch::Hit(const std::string &, std::string *) { return false; }
bool FaultSwitch::Hit(const char *, std::string *) { return false; }
bool UnsafeSwitchOn(FileSystem &, UnsafeSwitch) { return false; }

#endif

FaultSwitch &ProcessFaults() {
  static FaultSwitch faults(SystemFileSystem());
  return faults;
}

}  // namespace kx
