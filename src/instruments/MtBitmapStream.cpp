#include "instruments/MtBitmapStream.h"

namespace mt {

namespace {
// A file header (14 bytes) and the smallest picture header the bitmap class reads (40).
constexpr size_t kMinBmp = 14 + 40;

uint32_t Read32(const uint8_t* p) {
  return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

void Write32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
}  // namespace

bool SplitBitmapStream(const uint8_t* data, size_t size, std::vector<BmpSpan>& files) {
  files.clear();
  std::vector<BmpSpan> found;
  if (!data || size < 8 || Read32(data) != kBitmapStreamSignature) return false;
  uint32_t count = Read32(data + 4);
  size_t pos = 8;
  // Every file takes at least kMinBmp bytes: a larger count cannot be true.
  if (count > (size - pos) / kMinBmp) return false;
  found.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* p = data + pos;
    size_t left = size - pos;
    if (left < kMinBmp || p[0] != 'B' || p[1] != 'M') return false;
    uint32_t fileSize = Read32(p + 2), offBits = Read32(p + 10), infoSize = Read32(p + 14);
    if (fileSize < kMinBmp || fileSize > left) return false;
    if (infoSize < 40 || infoSize > fileSize - 14 || offBits < 14 + infoSize || offBits > fileSize) return false;
    found.push_back({pos, fileSize});
    pos += fileSize;
  }
  files.swap(found);
  return true;
}

std::vector<uint8_t> JoinBitmapStream(const std::vector<std::vector<uint8_t>>& files) {
  std::vector<uint8_t> out;
  Write32(out, kBitmapStreamSignature);
  Write32(out, static_cast<uint32_t>(files.size()));
  for (const auto& f : files) out.insert(out.end(), f.begin(), f.end());
  return out;
}

}  // namespace mt
