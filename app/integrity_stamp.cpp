// Stamping lives apart from checking: the programs that check themselves must not carry
// the tag anywhere but in their slot, and this is the only code that uses it.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "app/integrity.h"

namespace bitvane {

bool StampFileIntegrity(const std::string& path, std::string& error) {
  IntegrityFileBytes bytes;
  if (!ReadIntegrityFile(path, bytes)) {
    error = "cannot read " + path;
    return false;
  }
  const std::size_t slot = FindIntegritySlot(bytes.Span(), kIntegrityTag);
  if (slot == SIZE_MAX) {
    error = path + " holds no integrity slot, or more than one";
    return false;
  }
  std::uint8_t words[8] = {kIntegrityStamped, 0, 0, 0};
  std::memcpy(bytes.data.Get() + slot + kIntegrityTagBytes, words, 4);
  const std::uint32_t crc = IntegrityCrc(bytes.Span(), slot);
  for (int i = 0; i < 4; ++i) words[4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  const bool written =
      fd >= 0 && ::pwrite(fd, words, sizeof words, static_cast<off_t>(slot + kIntegrityTagBytes)) ==
                     static_cast<ssize_t>(sizeof words);
  if (fd < 0 || ::close(fd) != 0 || !written) {
    error = "cannot write the stamp into " + path;
    return false;
  }
  return true;
}

}  // namespace bitvane
