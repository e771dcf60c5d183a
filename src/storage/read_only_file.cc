#include "storage/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

namespace portalmend {

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0) ::close(fd_);
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(std::exchange(other.size_, 0)) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

std::optional<ReadOnlyFile> ReadOnlyFile::Open(const std::string& path) {
  if (path.empty()) return std::nullopt;
  // O_NONBLOCK keeps a named pipe from blocking the open; it is refused just below.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    ::close(fd);
    return std::nullopt;
  }
  ReadOnlyFile file;
  file.fd_ = fd;
  file.size_ = static_cast<std::uint64_t>(st.st_size);
  return file;
}

void ReadOnlyFile::advise_sequential() const {
  if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::size_t ReadOnlyFile::read_at(std::uint64_t offset, std::uint8_t* out, std::size_t length) const {
  if (fd_ < 0 || offset >= size_) return 0;
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return 0;
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got = ::pread(fd_, out + done, length - done, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

}  // namespace portalmend
