#pragma once
// Base of the library's classes that own something and so must not be copied.

namespace bitvane {

class NNonCopyable {
 public:
  NNonCopyable(const NNonCopyable&) = delete;
  NNonCopyable& operator=(const NNonCopyable&) = delete;

 protected:
  NNonCopyable() = default;
  ~NNonCopyable() = default;
};

}  // namespace bitvane
