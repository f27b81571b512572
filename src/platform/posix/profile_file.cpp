#include "platform/posix/profile_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "platform/common/profile_text.h"

namespace profile {

namespace {

std::uint64_t parse_count = 0;

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Reads a regular file's text through fd, refusing anything above the size bound.
bool read_text(int fd, std::string& text) {
  struct stat sb {};
  if (::fstat(fd, &sb) != 0 || !S_ISREG(sb.st_mode)) return false;
  if (static_cast<std::uint64_t>(sb.st_size) > kMaxFileBytes) return false;
  text.clear();
  char buf[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    text.append(buf, static_cast<std::size_t>(n));
    if (text.size() > kMaxFileBytes) return false;  // it grew while being read
  }
}

bool parse(int fd, std::vector<std::string>& lines, Encoding* encoding = nullptr) {
  std::string text;
  ++parse_count;
  return read_text(fd, text) && split_lines(text, lines, encoding);
}

// The parsed lines of the file last read, and what identified it.
struct ReadCache {
  std::string path;
  struct stat sb {};
  bool settled = false;  // the file had not changed for a while when it was read
  std::vector<std::string> lines;
};

bool unchanged(const struct stat& a, const struct stat& b) {
  return same_file(a, b) && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
         a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// File times move in clock ticks, so a file rewritten in place with the same size within one
// tick looks unchanged. Lines are kept only for a file that had not changed for two seconds
// when it was read; a freshly written one is read again each time.
bool settled(const struct stat& sb) {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return sb.st_mtim.tv_sec + 2 < now.tv_sec;
}

const std::vector<std::string>& lines_of(const std::string& path) {
  static ReadCache cache;
  static const std::vector<std::string> none;
  struct stat sb {};
  if (::stat(path.c_str(), &sb) != 0 || !S_ISREG(sb.st_mode)) return none;
  if (cache.settled && cache.path == path && unchanged(cache.sb, sb)) return cache.lines;
  cache = ReadCache{};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return none;
  struct stat opened {};
  const bool ok = ::fstat(fd, &opened) == 0 && parse(fd, cache.lines);
  ::close(fd);
  if (!ok) cache.lines.clear();  // not a settings file: read as empty
  cache.path = path;
  cache.sb = opened;
  cache.settled = settled(opened);
  return cache.lines;
}

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Where the text of `path` really lives: symbolic links followed to their end, so that a
// settings file kept elsewhere and linked here is updated there and stays linked. As the kernel
// does, a link in a shared folder that anyone may write (sticky, like /tmp) is followed only when
// it is ours or the folder owner's: false for one another user planted there.
bool resolve_links(std::string& path) {
  for (int depth = 0; depth < 40; ++depth) {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0) return true;  // not a link, or missing
    struct stat link {}, dir {};
    if (::lstat(path.c_str(), &link) == 0 && ::stat(folder_of(path).c_str(), &dir) == 0 &&
        (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH) && link.st_uid != ::geteuid() && link.st_uid != dir.st_uid)
      return false;
    std::string to(buf, static_cast<std::size_t>(n));
    if (to[0] != '/') to = folder_of(path) + "/" + to;
    path = to;
  }
  return true;  // a loop of links: opening it with O_NOFOLLOW fails
}

// Writers take turns under a lock file of our own beside the settings file (the file itself is
// replaced by every write, so a lock on it would be lost to a waiting writer). It is opened
// without following links and must be ours, and the wait is bounded: no other user can hold a
// lock we wait on, and a lock held too long is a failed write the user is told about.
int take_write_lock(const std::string& target, std::string& reason) {
  std::string name = target.substr(target.rfind('/') == std::string::npos ? 0 : target.rfind('/') + 1);
  const std::string path = folder_of(target) + "/." + name + ".lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  struct stat sb {};
  if (fd < 0 || ::fstat(fd, &sb) != 0 || !S_ISREG(sb.st_mode) || sb.st_uid != ::geteuid()) {
    if (fd >= 0) ::close(fd);
    reason = "its lock file " + path + " is not one of ours";
    return -1;
  }
  for (int tries = 0; tries < 150; ++tries) {  // three seconds
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    ::usleep(20000);
  }
  ::close(fd);
  reason = "another program holds its lock (" + path + ")";
  return -1;
}

// A writer killed between making its temporary file and renaming it (kill -9 during Apply)
// leaves the file behind. The next writer, under the lock, removes such files: only names our
// writer makes for this file (".NAME.XXXXXX"), only plain files of our own, and only ones left
// alone for a minute, so nothing of anyone else's goes.
void remove_stale_temporaries(const std::string& target) {
  const std::string dir = folder_of(target);
  const std::string prefix = "." + target.substr(target.rfind('/') == std::string::npos ? 0 : target.rfind('/') + 1) + ".";
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  while (const dirent* e = ::readdir(d)) {
    const std::string_view name = e->d_name;
    if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) continue;
    bool ours = true;
    for (const char c : name.substr(prefix.size())) ours = ours && std::isalnum(static_cast<unsigned char>(c));
    struct stat sb {};
    if (!ours || ::fstatat(::dirfd(d), e->d_name, &sb, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(sb.st_mode) && sb.st_uid == ::geteuid() && sb.st_mtim.tv_sec + 60 < now.tv_sec)
      ::unlinkat(::dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

void make_parent_dirs(const std::string& path) {
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (path[i] == '/') ::mkdir(path.substr(0, i).c_str(), 0755);
  }
}

bool may_write(const std::string& target, const struct stat& sb) {
  if (!S_ISREG(sb.st_mode)) return false;
  // The owner's write bit decides for the owner; root would be let through by access() alone.
  if (sb.st_uid == ::geteuid()) return (sb.st_mode & S_IWUSR) != 0;
  return (sb.st_mode & 0222) != 0 && ::access(target.c_str(), W_OK) == 0;
}

bool write_fully(int fd, const std::string& text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// Writes text to a new temporary file beside target with target's mode and owner, then renames
// it over target.
bool replace(const std::string& target, const struct stat& sb, const std::string& text) {
  const std::string dir = folder_of(target);
  std::string name = target.substr(target.rfind('/') == std::string::npos ? 0 : target.rfind('/') + 1);
  std::string tmp = dir + "/." + name + ".XXXXXX";
  const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, sb.st_mode & 07777) == 0;
  if (ok && (sb.st_uid != ::geteuid() || sb.st_gid != ::getegid())) {
    (void)!::fchown(fd, sb.st_uid, sb.st_gid);  // only root or the group's member may; best effort
  }
  ok = ok && write_fully(fd, text) && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tmp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return false;
  }
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);  // the rename itself reaches the disk
    ::close(dfd);
  }
  return true;
}

}  // namespace

std::uint64_t parses() { return parse_count; }

std::string read(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& def, int size) {
  return find_value(lines_of(path), section, key, def, size);
}

bool write(const std::string& path, const std::string& section, const std::string& key,
           const std::string& value, std::string* why) {
  return write_all(path, section, {{key, value}}, why);
}

bool write_all(const std::string& path, const std::string& section, const Entries& entries, std::string* why) {
  std::string reason;
  std::string target = path;
  if (!resolve_links(target)) {
    if (why) *why = "it is a link another user made in a shared folder";
    return false;
  }
  make_parent_dirs(target);
  const int lock = take_write_lock(target, reason);
  if (lock < 0) {
    if (why) *why = reason;
    return false;
  }
  remove_stale_temporaries(target);
  struct stat sb {};
  std::vector<std::string> lines;
  Encoding encoding = Encoding::Plain;
  bool ok = true;
  const int fd = ::open(target.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) {
    // A file we may not write, cannot read, or that is not a settings file stays as it is.
    ok = ::fstat(fd, &sb) == 0;
    if (!ok) reason = std::strerror(errno);
    if (ok && !S_ISREG(sb.st_mode)) ok = false, reason = "it is not a plain file";
    if (ok && !may_write(target, sb)) ok = false, reason = "the file is read-only";
    if (ok && static_cast<std::uint64_t>(sb.st_size) > kMaxFileBytes)
      ok = false, reason = "the file is larger than a settings file can be (1 MB)";
    if (ok && !parse(fd, lines, &encoding)) ok = false, reason = "the file is not a text file of settings";
    ::close(fd);
  } else if (errno == ENOENT) {
    const mode_t mask = ::umask(0);  // a new file gets the mode the user's mask allows
    ::umask(mask);
    sb.st_mode = S_IFREG | (0644 & ~mask);
    sb.st_uid = ::geteuid();
    sb.st_gid = ::getegid();
  } else {
    ok = false;  // a link planted after it was resolved, a folder in its place, no permission
    reason = errno == ELOOP ? "it is a link that cannot be followed" : std::strerror(errno);
  }
  if (ok) {
    for (const auto& [key, value] : entries) set_value(lines, section, key, value);
    ok = replace(target, sb, join_lines(lines, "\n", encoding));
    if (!ok) reason = std::string("its folder cannot be written: ") + std::strerror(errno);
  }
  ::close(lock);  // releases the lock
  if (!ok && why) *why = reason;
  return ok;
}

}  // namespace profile
