// The store's seam on POSIX, for the native build (sanitizers, fuzzing).
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "store_fs.h"

namespace kx {
namespace {

std::string ErrorText(int e) { return std::string(strerror(e)) + " (errno " + std::to_string(e) + ")"; }

class PosixFileSystem : public FileSystem {
 public:
  char Separator() const override { return '/'; }

  ReadResult ReadAll(const std::string &path, std::string *bytes, std::string *err) override {
    bytes->clear();
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
      if (errno == ENOENT || errno == ENOTDIR) return kMissing;
      *err = ErrorText(errno);
      return kFailed;
    }
    char buf[65536];
    for (;;) {
      ssize_t n = read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        *err = ErrorText(errno);
        close(fd);
        return kFailed;
      }
      if (n == 0) break;
      bytes->append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return kRead;
  }

  bool Stamp(const std::string &path, FileStamp *stamp) override {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return false;
    if (stamp) {
      stamp->size = static_cast<uint64_t>(st.st_size);
      stamp->modified = static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(st.st_mtim.tv_nsec);
    }
    return true;
  }

  bool CreateNew(const std::string &path, Handle *h, bool *existed, std::string *err) override {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
      *existed = errno == EEXIST;
      *err = ErrorText(errno);
      return false;
    }
    *existed = false;
    *h = reinterpret_cast<Handle>(static_cast<intptr_t>(fd) + 1);
    return true;
  }

  static int Fd(Handle h) { return static_cast<int>(reinterpret_cast<intptr_t>(h) - 1); }

  bool Write(Handle h, const void *data, size_t size, std::string *err) override {
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
      ssize_t n = write(Fd(h), p, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        *err = ErrorText(errno);
        return false;
      }
      p += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }

  bool Flush(Handle h, std::string *err) override {
    if (fsync(Fd(h)) == 0) return true;
    *err = ErrorText(errno);
    return false;
  }

  bool Close(Handle h, std::string *err) override {
    if (close(Fd(h)) == 0) return true;
    *err = ErrorText(errno);
    return false;
  }

  bool Rename(const std::string &from, const std::string &to, std::string *err) override {
    if (rename(from.c_str(), to.c_str()) != 0) {
      *err = ErrorText(errno);
      return false;
    }
    // The new name is durable only once its directory is.
    size_t slash = to.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    int fd = open(dir.c_str(), O_RDONLY);
    if (fd >= 0) {
      fsync(fd);
      close(fd);
    }
    return true;
  }

  bool Remove(const std::string &path, std::string *err) override {
    if (unlink(path.c_str()) == 0 || errno == ENOENT) return true;
    *err = ErrorText(errno);
    return false;
  }

  bool MakeDirectory(const std::string &path, std::string *err) override {
    if (mkdir(path.c_str(), 0755) == 0) return true;
    struct stat st;
    if (errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    *err = ErrorText(errno);
    return false;
  }

  std::string HostName() override {
    char name[256] = {0};
    return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string("unknown-host");
  }

  std::string UserName() override {
    const char *v = getenv("USER");
    if (v && *v) return v;
    struct passwd *pw = getpwuid(getuid());
    return pw && pw->pw_name ? std::string(pw->pw_name) : std::string("unknown-user");
  }

  unsigned long ProcessId() override { return static_cast<unsigned long>(getpid()); }

  bool ProcessAlive(unsigned long pid) override { return kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH; }

  int64_t Now() override { return static_cast<int64_t>(time(nullptr)); }
  void Pause(unsigned milliseconds) override { usleep(milliseconds * 1000u); }

  bool GetEnv(const char *name, std::string *value) override {
    const char *v = getenv(name);
    if (!v) return false;
    *value = v;
    return true;
  }

  void Abandon() override { _exit(99); }
};

}  // namespace

FileSystem &SystemFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace kx
