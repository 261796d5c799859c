// Random and mutated blocks into the version reader: no crash, no sanitizer report, no
// stack overflow, and every tree that comes back keeps its nodes inside their parents.
//
// Input: a mode byte, then
//   mode 0: the block itself, raw;
//   mode 1: a well-formed sample resource (behind a PE or ELF header) with the input's
//           byte pairs as (position, XOR mask) edits and its first byte as a cut;
//   mode 2: a chain of nested nodes, as deep as the input's first two bytes say, then
//           edited like mode 1;
// and, in every mode, the input's last bytes as a Describe template.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "about/version_info.h"
#include "foundation/crc32.h"
#include "platform/last_error.h"
#include "res/version/version_block.h"

namespace {

using namespace bitvane;
using Bytes = VersionBytes;
using Item = NVersionInfo::NVIItem;

void Check(bool condition) {
  if (!condition) std::abort();
}

Bytes SampleFile(std::uint8_t header) {
  Bytes out(64, 0);
  if (header & 1) {  // PE
    out[0] = 'M';
    out[1] = 'Z';
    out[60] = 64;
    out.resize(64 + 264, 0);
    out[64] = 'P';
    out[65] = 'E';
    out[68] = 0x64;
    out[69] = 0x86;
  } else if (header & 2) {  // ELF
    out[0] = 0x7F;
    out[1] = 'E';
    out[2] = 'L';
    out[3] = 'F';
    out[5] = 1;
    out[18] = 183;
  }
  // Fixed information with only the signature and product version 0.1.0.2.
  Bytes fixed(52, 0);
  fixed[0] = 0xBD;
  fixed[1] = 0x04;
  fixed[2] = 0xEF;
  fixed[3] = 0xFE;
  fixed[16] = 1;
  fixed[20] = 2;
  const VersionNode table{
      u"040904b0",
      {},
      0,
      true,
      {VersionStringNode(u"ProductName", u"Fuzz"), VersionStringNode(u"FileDescription", u"Sample"),
       VersionStringNode(u"FileVersion", u"1.0.2.0")}};
  const Bytes resource = BuildVersionNode(VersionResourceTree(fixed, {table}), out.size());
  out.insert(out.end(), resource.begin(), resource.end());
  out.resize(out.size() + 8, 0);
  return out;
}

// A chain of empty nodes, each the only child of the one before: mostly shallow, and
// as deep as a 16-bit length allows when the top bit of `seed` is set.
Bytes Chain(std::size_t seed) {
  const std::size_t depth = (seed & 0x8000) != 0 ? seed % 8190 + 1 : seed % 256 + 1;
  Bytes out;
  for (std::size_t level = 0; level < depth; ++level) {
    AppendU16(out, static_cast<std::uint16_t>(8 * (depth - level)));
    AppendU16(out, 0);
    AppendU16(out, 0);
    AppendU16(out, 0);
  }
  return out;
}

void Edit(Bytes& block, const std::uint8_t* data, std::size_t size) {
  if (block.empty()) return;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    block[(data[i] * 7919u + i) % block.size()] ^= data[i + 1];
  }
}

// Every child lies inside its parent, after its elder sibling, at a multiple of 4.
void CheckTree(const Item* root) {
  std::vector<const Item*> pending{root};
  while (!pending.empty()) {
    const Item* item = pending.back();
    pending.pop_back();
    const std::uint64_t end = std::uint64_t{item->Offset()} + item->Length();
    Check(item->Length() >= 8);
    Check(item->ValueOffset() == 0 ||
          item->Offset() + item->ValueOffset() + item->ValueSize() <= end);
    Check((item->Value() == nullptr) == (item->ValueSize() == 0));
    std::uint64_t previous = item->Offset() + item->ValueOffset() + item->ValueSize();
    for (std::uint32_t i = 0; i < item->ChildCount(); ++i) {
      const Item* child = item->Child(i);
      Check(child != nullptr);
      Check(child->Offset() % 4 == 0 && child->Offset() >= previous);
      Check(std::uint64_t{child->Offset()} + child->Length() <= end);
      previous = std::uint64_t{child->Offset()} + child->Length();
      pending.push_back(child);
    }
  }
}

void Exercise(const Bytes& block, std::u16string_view format) {
  // The node parser at a few places, aligned or not, with and without the root key.
  for (std::size_t at : {0, 2, 4, 6, 64}) {
    if (at >= block.size()) break;
    std::size_t position = at;
    const std::unique_ptr<Item> item = NVersionInfo::ParseNode(
        block.data(), block.size(), position, at % 4 == 0 ? nullptr : NVersionInfo::RootKey());
    if (item == nullptr) {
      Check(position == at);
      continue;
    }
    Check(item->Offset() == at && position == at + item->Length() && position <= block.size());
    CheckTree(item.get());
  }

  NVersionInfo info;
  const bool loaded = info.LoadBlock(block.data(), block.size());
  if (block.empty()) {
    Check(!loaded && GetLastError() == ERROR_INVALID_DATA);
    return;
  }
  Check(info.FileCrc() == Crc32(block.data(), block.size()));
  Check(loaded ? GetLastError() == 0 : GetLastError() == ERROR_INVALID_DATA);
  if (info.Root() != nullptr) {
    Check(info.ResourceOffset() % 4 == 0);
    Check(std::uint64_t{info.ResourceOffset()} + info.Root()->Length() <= block.size());
    CheckTree(info.Root());
  }
  Check(loaded == (info.StringTable() != nullptr));
  for (const char16_t* key : {u"ProductName", u"FileVersion", u"Translation", u"", u"040904b0"}) {
    (void)info.GetString(key);
  }
  const std::u16string text = info.Describe(format);
  Check(info.FixedInfo() != nullptr || text == u"<n/a>");
  (void)info.Describe();
  (void)info.SelectTranslation(0x04070000);
  (void)info.GetString(u"ProductName");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0] % 3;
  ++data;
  --size;
  // The last quarter of the input, as 8-bit characters, is the template.
  const std::size_t formatSize = size / 4;
  std::u16string format;
  for (std::size_t i = size - formatSize; i < size; ++i) {
    const std::uint8_t c = data[i];
    format += c % 3 == 0 ? u'%' : static_cast<char16_t>(c);
  }
  size -= formatSize;

  Bytes block;
  if (mode == 0) {
    block.assign(data, data + size);
  } else {
    if (mode == 1) {
      block = SampleFile(size > 0 ? data[0] : 0);
    } else {
      block = Chain(size > 1 ? (data[0] | data[1] << 8) : 1);
    }
    Edit(block, data + (size > 1 ? 2 : size), size > 1 ? size - 2 : 0);
    if (size > 0 && data[0] >= 0xF0) block.resize(block.size() * (data[0] - 0xF0) / 16);
  }
  Exercise(block, format);
  return 0;
}
