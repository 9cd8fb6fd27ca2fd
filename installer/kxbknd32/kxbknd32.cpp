// KXBKND32.dll: bounded text routines. Each is safe with any input: null
// texts, negative limits, a destination without its terminator within the
// limit. Nothing is ever written past dst[limit].
#include <cstring>

#include "installer_api.h"

namespace {

size_t BoundedLength(const char *text, size_t bound) {
  const void *zero = std::memchr(text, 0, bound);
  return zero ? static_cast<size_t>(static_cast<const char *>(zero) - text) : bound;
}

}  // namespace

extern "C" {

char *KXAPI kxtxcp(char *dst, const char *src, int limit) {
  if (!dst) return dst;
  size_t room = limit > 0 ? static_cast<size_t>(limit) : 0;
  size_t n = src ? BoundedLength(src, room) : 0;
  if (n) std::memmove(dst, src, n);
  dst[n] = 0;
  return dst;
}

char *KXAPI kxtxct(char *dst, const char *src, int limit) {
  if (!dst) return dst;
  size_t room = limit > 0 ? static_cast<size_t>(limit) : 0;
  // A destination already at (or, unterminated, beyond) the limit is cut
  // there rather than read further.
  size_t have = BoundedLength(dst, room);
  size_t n = src ? BoundedLength(src, room - have) : 0;
  if (n) std::memmove(dst + have, src, n);
  dst[have + n] = 0;
  return dst;
}

int KXAPI kxtxbs(const char *text) {
  if (!text) return -1;
  const char *last = std::strrchr(text, '\\');
  if (!last || last - text > 0x7FFFFFFF) return -1;
  return static_cast<int>(last - text);
}

unsigned short KXAPI kxtxpo(const char *text, int value) {
  if (!text || value < 0 || value >= 65535) return 0;
  // The value names a character only inside the text.
  if (BoundedLength(text, static_cast<size_t>(value) + 1) <= static_cast<size_t>(value)) return 0;
  return static_cast<unsigned short>(value + 1);
}

}  // extern "C"
