#include "preview/save.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tuxia {
namespace {

// Writes all of `data`, going on after short writes and interrupted calls.
bool WriteAll(int fd, std::span<const std::uint8_t> data) {
  while (!data.empty()) {
    const ssize_t written = write(fd, data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data = data.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

// Creates a new file beside `path` for writing; its name goes to `name`. -1 when none can be made.
int CreateTemporary(const std::string& path, std::string& name) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = path + ".part-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

std::string Md5Hex(const Bytes& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1) return {};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kDigits[digest[i] >> 4];
    hex += kDigits[digest[i] & 0x0F];
  }
  return hex;
}

bool WriteFileBytes(std::string_view path,
                    std::initializer_list<std::span<const std::uint8_t>> parts) {
  if (path.empty()) return false;
  const std::string target(path);
  std::string temporary;
  const int fd = CreateTemporary(target, temporary);
  if (fd < 0) return false;
  bool written = true;
  for (const auto part : parts) written = written && WriteAll(fd, part);
  // Flushed before the rename, so that a crash cannot leave an empty file under the name.
  written = written && fsync(fd) == 0;
  written = (close(fd) == 0) && written;
  if (written && std::rename(temporary.c_str(), target.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

}  // namespace tuxia
