// libFuzzer target: the bitmap list's stream reader takes any bytes. It must never read outside
// them or allocate by what they claim, and what it accepts must be the files that are there;
// each file then goes through the same checks as a bitmap read from it, within its own bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>
#include "framework/DibFormat.h"
#include "framework/Exception.h"
#include "instruments/MtBitmapStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<mt::BmpSpan> spans;
  if (!mt::SplitBitmapStream(data, size, spans)) {
    if (!spans.empty()) std::abort();
    return 0;
  }
  // Accepted: the files lie one after another inside the input, and writing them out again
  // gives back the same bytes.
  std::vector<std::vector<uint8_t>> files;
  size_t pos = 8;
  for (const mt::BmpSpan& s : spans) {
    if (s.Offset != pos || s.Size > size - pos || s.Size < 54) std::abort();
    files.emplace_back(data + s.Offset, data + s.Offset + s.Size);
    pos += s.Size;
    try {
      dib::File f = dib::CheckFile(data + s.Offset, s.Size);
      if (f.End > s.Size || f.BitsOffset + f.BitsSize > s.Size) std::abort();
    } catch (const Exception&) {
      // Refused: the whole stream would be.
    }
  }
  std::vector<uint8_t> again = mt::JoinBitmapStream(files);
  if (again.size() != pos) std::abort();
  for (size_t i = 0; i < pos; ++i)
    if (again[i] != data[i]) std::abort();
  return 0;
}
