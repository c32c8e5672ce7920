#include "app/board/install_id.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>

#include "play/format/player.h"

namespace pellaris::app {

namespace {

constexpr std::size_t kIdBytes = play::kInstallIdDigits / 2;

bool FromGetrandom(unsigned char* bytes) {
  std::size_t filled = 0;
  while (filled < kIdBytes) {
    const ssize_t got = getrandom(bytes + filled, kIdBytes - filled, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    filled += static_cast<std::size_t>(got);
  }
  return true;
}

// For a kernel older than getrandom.
bool FromUrandom(unsigned char* bytes) {
  const int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::size_t filled = 0;
  while (filled < kIdBytes) {
    const ssize_t got = read(fd, bytes + filled, kIdBytes - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    filled += static_cast<std::size_t>(got);
  }
  close(fd);
  return filled == kIdBytes;
}

}  // namespace

std::string NewInstallId() {
  unsigned char bytes[kIdBytes];
  if (!FromGetrandom(bytes) && !FromUrandom(bytes)) return "";
  static constexpr char kHex[] = "0123456789abcdef";
  std::string id;
  for (unsigned char byte : bytes) id += {kHex[byte >> 4], kHex[byte & 15]};
  return id;
}

std::string EnsureInstallId(const std::filesystem::path& settingsFile, play::Settings& stored,
                            std::ostream& report) {
  if (!stored.installId.empty()) return stored.installId;
  stored.installId = NewInstallId();
  if (stored.installId.empty()) {
    report << "pellaris: the system gives no random numbers for an install id; rounds are not sent\n";
  } else if (!settingsFile.empty()) {
    play::StoreSetting(settingsFile, stored, play::kInstallIdSetting, report);
  }
  return stored.installId;
}

}  // namespace pellaris::app
