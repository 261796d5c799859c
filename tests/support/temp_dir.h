#pragma once
// A fresh directory under the system's temporary directory, removed with everything
// in it when the object goes, for tests that need real files.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

namespace bitvane::test {

// The bytes of the file at `path`; `missing` when it cannot be opened.
inline std::string FileBytes(const std::string& path, std::string_view missing = {}) {
  std::ifstream file(path, std::ios::binary);
  return file ? std::string(std::istreambuf_iterator<char>(file), {}) : std::string(missing);
}

class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string name =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/bitvane-XXXXXX";
    if (::mkdtemp(name.data()) != nullptr) m_path = name;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  [[nodiscard]] bool Made() const { return !m_path.empty(); }
  // The directory, without a trailing '/'.
  [[nodiscard]] const std::string& Path() const { return m_path; }
  [[nodiscard]] std::string Join(std::string_view name) const {
    return m_path + "/" + std::string(name);
  }

  // Creates (or replaces) the file `name` with `bytes`; its full path.
  std::string Write(std::string_view name, std::string_view bytes) const {
    const std::string path = Join(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // Creates the file `name` with `size` bytes of holes (no disk blocks); its full path.
  std::string Sparse(std::string_view name, std::uint64_t size) const {
    const std::string path = Join(name);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
      (void)!::ftruncate(fd, static_cast<off_t>(size));
      ::close(fd);
    }
    return path;
  }
  std::string MakeDir(std::string_view name) const {
    const std::string path = Join(name);
    ::mkdir(path.c_str(), 0755);
    return path;
  }
  std::string MakeFifo(std::string_view name) const {
    const std::string path = Join(name);
    ::mkfifo(path.c_str(), 0644);
    return path;
  }
  std::string MakeLink(std::string_view name, const std::string& target) const {
    const std::string path = Join(name);
    (void)!::symlink(target.c_str(), path.c_str());
    return path;
  }

 private:
  std::string m_path;
};

}  // namespace bitvane::test
