// The stream of a bitmap list: a signature, a count, then that many complete .bmp files. Only
// the framing is read here; each file is then decoded by the bitmap class within its own bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mt {

constexpr uint32_t kBitmapStreamSignature = 0x00355462;  // bytes 62 54 35 00

struct BmpSpan {
  size_t Offset;
  size_t Size;
};

// Finds the files of a stream. False for a damaged stream: another signature, a count the
// bytes cannot hold, or a file whose stated size is impossible or runs past the end. Nothing
// is allocated from what the stream claims before it is checked against the bytes there, and
// `files` is left empty on failure.
bool SplitBitmapStream(const uint8_t* data, size_t size, std::vector<BmpSpan>& files);

// A stream of the given .bmp file images, in order.
std::vector<uint8_t> JoinBitmapStream(const std::vector<std::vector<uint8_t>>& files);

}  // namespace mt
