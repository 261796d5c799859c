#pragma once
// What the version reader takes from an executable file besides its resource tree:
// the PE headers behind a DOS header, or the machine of an ELF header. The loading of
// files and the root search over their bytes live in version_file.cpp.

#include <array>
#include <cstddef>
#include <cstdint>

namespace bitvane {

struct NExecutableHeaders {
  static constexpr std::size_t kPeHeadersSize = 264;

  // The headers of a file of `size` bytes at `data`: the PE headers of an "MZ" file
  // longer than 64 bytes whose offset at 60 is positive, points at the PE signature
  // and leaves all 264 bytes inside the file; the machine field at offset 18 of an
  // ELF file, in the byte order its EI_DATA names. Whatever is missing stays zero.
  [[nodiscard]] static NExecutableHeaders Read(const std::uint8_t* data, std::size_t size) noexcept;

  // True when the PE headers begin with the PE signature.
  [[nodiscard]] bool HasPe() const noexcept;
  // The PE machine code; meaningful when HasPe().
  [[nodiscard]] std::uint16_t PeMachine() const noexcept;

  std::array<std::uint8_t, kPeHeadersSize> m_pe{};
  bool m_isElf = false;
  std::uint16_t m_elfMachine = 0;
};

}  // namespace bitvane
