// The one seam between the store's core and the operating system. Every step
// of reading and committing goes through it, so that a test can make any
// step fail (or end the process there) and check that the store on disk is
// wholly the old or wholly the new one. Win32 and POSIX implement it.
#ifndef KX_STORE_FS_H
#define KX_STORE_FS_H

#include <cstdint>
#include <string>

namespace kx {

struct FileStamp {
  uint64_t size = 0;
  uint64_t modified = 0;  // in the platform's own units; only compared
  bool operator==(const FileStamp &o) const { return size == o.size && modified == o.modified; }
};

class FileSystem {
 public:
  typedef void *Handle;
  enum ReadResult { kRead, kMissing, kFailed };

  virtual ~FileSystem() = default;
  virtual char Separator() const = 0;
  // Opens, reads everything and closes at once: a reader never keeps the
  // store open, because an open handle makes the commit's rename fail.
  virtual ReadResult ReadAll(const std::string &path, std::string *bytes, std::string *err) = 0;
  // False when the file is missing or cannot be examined; stamp may be null.
  virtual bool Stamp(const std::string &path, FileStamp *stamp) = 0;
  // Creates a file that must not exist yet; *existed tells a lost race apart
  // from any other failure.
  virtual bool CreateNew(const std::string &path, Handle *h, bool *existed, std::string *err) = 0;
  virtual bool Write(Handle h, const void *data, size_t size, std::string *err) = 0;
  // Forces the data to the disk (FlushFileBuffers, fsync).
  virtual bool Flush(Handle h, std::string *err) = 0;
  virtual bool Close(Handle h, std::string *err) = 0;
  // Replaces to by from in one step; a reader sees the old or the new file.
  virtual bool Rename(const std::string &from, const std::string &to, std::string *err) = 0;
  virtual bool Remove(const std::string &path, std::string *err) = 0;
  virtual bool MakeDirectory(const std::string &path, std::string *err) = 0;
  virtual std::string HostName() = 0;
  // The account this process runs as, for the stamps of its commits.
  virtual std::string UserName() = 0;
  virtual unsigned long ProcessId() = 0;
  // True also when the answer is unknown: a lock is broken only for an owner
  // known to be gone.
  virtual bool ProcessAlive(unsigned long pid) = 0;
  virtual int64_t Now() = 0;  // seconds since 1970
  virtual void Pause(unsigned milliseconds) = 0;
  virtual bool GetEnv(const char *name, std::string *value) = 0;
  // Ends the process on the spot, as a crash would (fault injection only).
  virtual void Abandon() = 0;
};

// The platform's implementation, one per process.
FileSystem &SystemFileSystem();

}  // namespace kx
#endif
