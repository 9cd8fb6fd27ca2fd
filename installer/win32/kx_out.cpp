#include "kx_out.h"

#include <cstdint>
#include <cstring>
#include <mutex>

#include "store_fs.h"

namespace kx {
namespace {

// The head of a block, and the tag before every piece in it. The piece's
// tag gives its distance from the block's head; the head counts the pieces
// still handed out (and, for the block texts are being cut from, one more
// for as long as it is).
struct Head {
  uint32_t magic;
  volatile LONG live;
  uint64_t unused;
};
struct Tag {
  uint32_t magic;
  uint32_t offset;
};
static_assert(sizeof(Head) == 16 && sizeof(Tag) == 8, "the layout every piece relies on");

const uint32_t kBlockMagic = 0x4B58424Bu;  // "KBXK"
const uint32_t kPieceMagic = 0x4B585043u;
const uint32_t kReleasedMagic = 0x4B585246u;
// Texts are cut from blocks of this size; a text of more than a quarter of
// it gets a block of its own.
const size_t kTextBlock = 16384;

size_t Align4(size_t n) { return (n + 3) & ~static_cast<size_t>(3); }

Head *NewBlock(size_t size, LONG live) {
  Head *h = static_cast<Head *>(HeapAlloc(GetProcessHeap(), 0, size));
  if (h) {
    h->magic = kBlockMagic;
    h->live = live;
  }
  return h;
}

void Drop(Head *h) {
  if (InterlockedDecrement(&h->live) == 0) {
    h->magic = 0;
    HeapFree(GetProcessHeap(), 0, h);
  }
}

// Writes a tag at at and returns the piece after it.
char *Piece(Head *h, char *at) {
  Tag *t = reinterpret_cast<Tag *>(at);
  t->magic = kPieceMagic;
  t->offset = static_cast<uint32_t>(at + sizeof(Tag) - reinterpret_cast<char *>(h));
  return at + sizeof(Tag);
}

// The block single texts are cut from now.
std::mutex g_textLock;
Head *g_texts = nullptr;
size_t g_textsUsed = 0;

}  // namespace

void HeapRelease(void *p) {
  if (!p) return;
  Tag *t = reinterpret_cast<Tag *>(static_cast<char *>(p) - sizeof(Tag));
  if (t->magic == kReleasedMagic) return;
  Head *h = t->magic == kPieceMagic ? reinterpret_cast<Head *>(static_cast<char *>(p) - t->offset) : nullptr;
  if (!h || h->magic != kBlockMagic) {
    HeapFree(GetProcessHeap(), 0, p);  // not one of ours: a plain heap block
    return;
  }
  t->magic = kReleasedMagic;
  Drop(h);
}

char *HeapText(std::string_view text) {
  const size_t need = Align4(sizeof(Tag) + text.size() + 1);
  char *p = nullptr;
  if (need > kTextBlock / 4) {
    Head *h = NewBlock(sizeof(Head) + need, 1);
    if (!h) return nullptr;
    p = Piece(h, reinterpret_cast<char *>(h + 1));
  } else {
    std::lock_guard<std::mutex> hold(g_textLock);
    if (!g_texts || g_textsUsed + need > kTextBlock) {
      // The old block goes when its last text does.
      if (g_texts) Drop(g_texts);
      g_texts = NewBlock(kTextBlock, 1);
      g_textsUsed = sizeof(Head);
      if (!g_texts) return nullptr;
    }
    InterlockedIncrement(&g_texts->live);
    p = Piece(g_texts, reinterpret_cast<char *>(g_texts) + g_textsUsed);
    g_textsUsed += need;
  }
  if (!text.empty()) std::memcpy(p, text.data(), text.size());
  p[text.size()] = 0;
  return p;
}

namespace block {

ListBuilder::ListBuilder(size_t n, size_t bytes) {
  // The array, then each name after its tag, on four-byte steps.
  const size_t size = sizeof(Head) + sizeof(Tag) + n * sizeof(char *) + n * (sizeof(Tag) + 4) + bytes;
  Head *h = NewBlock(size, static_cast<LONG>(n + 1));
  if (!h) return;
  base_ = reinterpret_cast<char *>(h);
  array_ = reinterpret_cast<char **>(Piece(h, base_ + sizeof(Head)));
  next_ = reinterpret_cast<char *>(array_ + n);
}

ListBuilder::~ListBuilder() {
  if (base_) HeapFree(GetProcessHeap(), 0, base_);
}

void ListBuilder::Put(size_t i, std::string_view name) {
  char *p = Piece(reinterpret_cast<Head *>(base_), next_);
  if (!name.empty()) std::memcpy(p, name.data(), name.size());
  p[name.size()] = 0;
  array_[i] = p;
  next_ = p + Align4(name.size() + 1);
}

char **ListBuilder::Finish() {
  base_ = nullptr;
  return array_;
}

bool TooLong(size_t n, const char *what, std::string *err) {
  if (n <= 65535) return false;
  *err = std::string("the store lists ") + std::to_string(n) + " " + what +
         "; a list of more than 65,535 cannot be handed out";
  return true;
}

}  // namespace block

void SetNone(char ***names, KXCOUNT *count) {
  if (names) *names = nullptr;
  if (count) *count = 0;
}

bool SetNames(char ***names, KXCOUNT *count, const std::vector<std::string> &list, const char *what,
              std::string *err) {
  return SetNames(names, count, list.size(), [&](size_t i) { return std::string_view(list[i]); }, what, err);
}

int Fail(char **err, std::string_view text) {
  if (err) *err = HeapText(text);
  return 1;
}

HMODULE ModuleOf(const void *address) {
  HMODULE m = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<const char *>(address), &m);
  return m;
}
bool StoreDirectory(HMODULE self, std::string *dir, std::string *err) {
  std::string env;
  if (SystemFileSystem().GetEnv("VELKAN_INSTALL", &env) && !env.empty()) {
    *dir = env;
    return true;
  }
  // A module path can exceed MAX_PATH; grow until it fits.
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(self, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) {
      *err = "cannot find the installation: VELKAN_INSTALL is not set and the library's own path is unknown";
      return false;
    }
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() > 32768) {
      *err = "cannot find the installation: the library's path is too long";
      return false;
    }
    path.resize(path.size() * 2);
  }
  size_t slash = path.find_last_of("\\/");
  *dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  return true;
}

Store &TheStore() {
  static Store store(SystemFileSystem(), ProcessFaults());
  return store;
}

namespace {
CachedFile<Catalogue> g_catalogue;
}

bool CachedCatalogue(const std::string &dir, const Catalogue **c, std::string *err, unsigned freshMs) {
  auto load = [&dir](std::shared_ptr<const Catalogue> *out, std::string *why) {
    return TheStore().LoadCatalogue(dir, out, why);
  };
  return g_catalogue.Get(SystemFileSystem(), TheStore(), dir, kCatalogueFile, load, c, err, freshMs);
}

unsigned long CatalogueLoads() { return g_catalogue.Loads(); }

bool CheckPlatform(const char *plat, std::string *err) {
  // The exact word first: every item query checks it.
  if (plat && (std::strcmp(plat, "win32") == 0 || lstrcmpiA(plat, "win32") == 0)) return true;
  *err = std::string("platform \"") + (plat ? std::string(plat).substr(0, 64) : std::string("(null)")) +
         "\" is not served by this installation (only \"win32\")";
  return false;
}

}  // namespace kx
