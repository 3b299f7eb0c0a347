// Bounds-checked little-endian access to raw bytes.
//
// Every binary record the program reads (packet headers, secondary headers, channel
// words, payloads) is decoded field by field through ByteReader: each read checks that
// the whole field lies inside the span and copies it out with memcpy, so a damaged
// length or offset can never reach memory outside the buffer. The store helpers are
// the mirror image, used by encoders and by tests that build packets in memory.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace tessel {

static_assert(std::endian::native == std::endian::little,
              "recordings are little-endian; only little-endian targets are supported");

class ByteReader {
 public:
  constexpr ByteReader() noexcept = default;
  constexpr explicit ByteReader(std::span<const std::uint8_t> bytes) noexcept : bytes_(bytes) {}

  std::size_t size() const noexcept { return bytes_.size(); }
  std::span<const std::uint8_t> bytes() const noexcept { return bytes_; }

  // True when `count` bytes starting at `offset` lie inside the span (no overflow).
  bool Contains(std::size_t offset, std::size_t count) const noexcept {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }

  // Each read leaves `value` unchanged and returns false when the field is out of range.
  bool U8(std::size_t offset, std::uint8_t& value) const noexcept { return Load(offset, value); }
  bool U16(std::size_t offset, std::uint16_t& value) const noexcept { return Load(offset, value); }
  bool U32(std::size_t offset, std::uint32_t& value) const noexcept { return Load(offset, value); }

  // Copies out.size() bytes from `offset`; false (nothing copied) when out of range.
  bool Copy(std::size_t offset, std::span<std::uint8_t> out) const noexcept {
    if (!Contains(offset, out.size())) return false;
    if (!out.empty()) std::memcpy(out.data(), bytes_.data() + offset, out.size());
    return true;
  }

  // Copies the part of [offset, offset + out.size()) that lies inside the span and
  // zero-fills the rest of `out`: bytes the source does not hold read as zero.
  // Returns the number of bytes copied from the source.
  std::size_t CopyClamped(std::size_t offset, std::span<std::uint8_t> out) const noexcept {
    std::size_t available = offset < bytes_.size() ? bytes_.size() - offset : 0;
    std::size_t count = std::min(available, out.size());
    if (count > 0) std::memcpy(out.data(), bytes_.data() + offset, count);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(count), out.end(), std::uint8_t{0});
    return count;
  }

 private:
  template <typename T>
  bool Load(std::size_t offset, T& value) const noexcept {
    if (!Contains(offset, sizeof(T))) return false;
    std::memcpy(&value, bytes_.data() + offset, sizeof(T));
    return true;
  }

  std::span<const std::uint8_t> bytes_;
};

// Little-endian stores into a writable span; false (nothing written) when out of range.
namespace detail {
template <typename T>
bool StoreLittleEndian(std::span<std::uint8_t> bytes, std::size_t offset, T value) noexcept {
  if (offset > bytes.size() || sizeof(T) > bytes.size() - offset) return false;
  std::memcpy(bytes.data() + offset, &value, sizeof(T));
  return true;
}
}  // namespace detail

inline bool StoreU8(std::span<std::uint8_t> bytes, std::size_t offset,
                    std::uint8_t value) noexcept {
  return detail::StoreLittleEndian(bytes, offset, value);
}
inline bool StoreU16(std::span<std::uint8_t> bytes, std::size_t offset,
                     std::uint16_t value) noexcept {
  return detail::StoreLittleEndian(bytes, offset, value);
}
inline bool StoreU32(std::span<std::uint8_t> bytes, std::size_t offset,
                     std::uint32_t value) noexcept {
  return detail::StoreLittleEndian(bytes, offset, value);
}

}  // namespace tessel
