// Reads structured values out of a fuzzer's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace morlind::fuzz {

// A broken invariant: libFuzzer reports the input that caused it.
inline void Check(bool condition) {
  if (!condition) std::abort();
}

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return offset_ >= size_; }
  std::uint8_t Byte() { return Empty() ? 0 : data_[offset_++]; }
  // Up to maxLength bytes, the length taken from the input itself.
  std::string Text(std::size_t maxLength) {
    std::size_t length = Byte() % (maxLength + 1);
    std::string text;
    while (text.size() < length && !Empty()) text.push_back(static_cast<char>(Byte()));
    return text;
  }
  std::string Rest() {
    std::string rest(reinterpret_cast<const char*>(data_ + offset_), size_ - offset_);
    offset_ = size_;
    return rest;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

}  // namespace morlind::fuzz
