// Fuzz target for the line scanner and the cutting of files into parts, each checked
// against the simplest reading of the rule: split into lines at CR, LF or CRLF, and count
// the lines that hold each token. Each line is also split into fields by every kernel of
// the splitter, as the plain split does it, with as many fields as it has, one fewer and
// one more.
//
// Input: one byte for the block size, one for the number of parts, one for the number
// of tokens, that many tokens each led by its length (0 to 15), then the text.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/line_scanner.h"
#include "analysis/line_splitter.h"
#include "analysis/part_counter.h"
#include "analysis/w3c_fields.h"

namespace {

using tarnwick::LineScanner;

std::vector<std::uint64_t> reference(std::string_view text,
                                     const std::vector<std::string>& tokens) {
  std::vector<std::uint64_t> counts(tokens.size(), 0);
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    const std::string_view line = text.substr(start, end - start);
    for (std::size_t t = 0; t < tokens.size(); ++t)
      counts[t] += !tokens[t].empty() && tokens[t].find_first_of("\r\n") == std::string::npos &&
                   line.find(tokens[t]) != std::string_view::npos;
    start = end + 1;
  }
  return counts;
}

// Every kernel of the splitter, made once: making one asks what the processor has.
const tarnwick::LineSplitter kSplitters[] = {tarnwick::LineSplitter(LineScanner::Kernel::Best),
                                             tarnwick::LineSplitter(LineScanner::Kernel::Avx2),
                                             tarnwick::LineSplitter(LineScanner::Kernel::Portable)};

// Every kernel splits the line at `start` as the plain split does.
void checkSplit(std::string_view text, std::size_t start) {
  const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
  const auto spaces =
      static_cast<std::size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(start),
                                          text.begin() + static_cast<std::ptrdiff_t>(end), ' '));
  std::vector<std::string_view> expected, fields;
  for (const std::size_t count : {spaces, spaces + 1, spaces + 2}) {
    if (count == 0 || count > 64) continue;
    const bool whole = tarnwick::splitLineAt(text, start, count, expected);
    for (const tarnwick::LineSplitter& splitter : kSplitters) {
      fields.assign(count, {});
      if (splitter.split(text, start, count, fields, ~std::uint64_t{0}) != whole) std::abort();
      if (whole && fields != expected) std::abort();
    }
  }
}

class Memory final : public tarnwick::InputFile {
 public:
  explicit Memory(std::string_view text) : text_(text) {}
  std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override {
    if (offset >= text_.size()) return 0;
    const std::size_t n = std::min<std::size_t>(size, text_.size() - offset);
    std::memcpy(buffer, text_.data() + offset, n);
    return static_cast<std::ptrdiff_t>(n);
  }
  std::uint64_t size() const override { return text_.size(); }

 private:
  std::string_view text_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  if (in.size() < 3) return 0;
  const std::size_t block = 1 + static_cast<unsigned char>(in[0]) % 97;
  const std::size_t parts = 1 + static_cast<unsigned char>(in[1]) % 9;
  const std::size_t tokenCount = 1 + static_cast<unsigned char>(in[2]) % 20;
  in.remove_prefix(3);
  std::vector<std::string> tokens;
  for (std::size_t t = 0; t < tokenCount && !in.empty(); ++t) {
    const std::size_t length =
        std::min<std::size_t>(static_cast<unsigned char>(in[0]) % 16, in.size() - 1);
    tokens.emplace_back(in.substr(1, length));
    in.remove_prefix(1 + length);
  }
  if (tokens.empty()) return 0;
  const auto expected = reference(in, tokens);
  for (std::size_t start = 0; start <= in.size();
       start = std::min(in.find_first_of("\r\n", start), in.size()) + 1)
    checkSplit(in, start);

  for (const auto kernel : {LineScanner::Kernel::Best, LineScanner::Kernel::Avx512,
                            LineScanner::Kernel::Avx2, LineScanner::Kernel::Portable}) {
    LineScanner scanner(tokens, kernel);
    std::size_t kept = 0;
    for (std::size_t pos = 0; pos < in.size(); pos += block) {
      const std::size_t start = pos - kept;
      const std::size_t length = kept + std::min(block, in.size() - pos);
      scanner.scan(in.substr(start, length), kept);
      kept = std::min(scanner.overlap(), length);
    }
    if (scanner.counts() != expected) std::abort();
  }

  Memory file(in);
  tarnwick::PartCounter counter(tokens, block);
  std::vector<std::uint64_t> sum(tokens.size(), 0);
  const auto cut = [&](std::size_t k) { return std::max<std::size_t>(1, in.size() * k / parts); };
  for (std::size_t k = 0; k < parts; ++k) {
    tarnwick::FilePart part{k == 0 ? 0 : cut(k), std::nullopt};
    if (k + 1 < parts) part.end = cut(k + 1);
    const auto result = counter.count(file, part);
    for (std::size_t t = 0; t < sum.size(); ++t) sum[t] += result.counts[t];
  }
  if (sum != expected) std::abort();
  return 0;
}
