#include "verify/address_ranges.h"

#include <algorithm>

#include "platform/whole_file.h"

namespace tarnwick {

void AddressRanges::finish() {
  std::sort(spans_.begin(), spans_.end(),
            [](const IpPrefix& a, const IpPrefix& b) { return a.first < b.first; });
  std::vector<IpPrefix> joined;
  for (const IpPrefix& span : spans_) {
    if (!joined.empty()) {
      IpPrefix& last = joined.back();
      const bool atTop = last.last == IpAddress{~0ull, ~0ull};
      const IpAddress next{last.last.high + (last.last.low == ~0ull), last.last.low + 1};
      const bool touches = atTop || span.first <= next;
      if (touches) {
        last.last = std::max(last.last, span.last);
        continue;
      }
    }
    joined.push_back(span);
  }
  spans_ = std::move(joined);
}

bool AddressRanges::contains(const IpAddress& address) const {
  // The last span that starts at or before the address.
  auto after =
      std::upper_bound(spans_.begin(), spans_.end(), address,
                       [](const IpAddress& a, const IpPrefix& span) { return a < span.first; });
  return after != spans_.begin() && address <= std::prev(after)->last;
}

namespace {

// A strict JSON reader that hands each string member's key and value to the ranges being
// built: the prefixes wherever they are, the creation time at the top.
class RangesReader {
 public:
  RangesReader(std::string_view text, RangesFile& file) : text_(text), file_(file) {}

  bool read() {
    skipBlanks();
    if (!value(0, {})) return false;
    skipBlanks();
    return at_ == text_.size() || fail("text after the end");
  }

 private:
  static constexpr int kDeepest = 64;

  bool fail(std::string_view what) {
    if (file_.status == RangesFile::Status::Ok) {
      file_.status = RangesFile::Status::NotJson;
      file_.detail = "at byte " + std::to_string(at_) + ": " + std::string(what);
    }
    return false;
  }

  void skipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
      ++at_;
  }

  bool take(char c) {
    skipBlanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  bool value(int depth, std::string_view key) {
    if (depth > kDeepest) return fail("nested too deep");
    skipBlanks();
    if (at_ >= text_.size()) return fail("expected a value");
    const char c = text_[at_];
    if (c == '{') return object(depth + 1);
    if (c == '[') return array(depth + 1, key);
    if (c == '"') {
      std::string text;
      if (!string(text)) return false;
      return member(depth, key, text);
    }
    if (c == '-' || (c >= '0' && c <= '9')) return number();
    for (const std::string_view word : {"true", "false", "null"})
      if (text_.substr(at_, word.size()) == word) {
        at_ += word.size();
        return true;
      }
    return fail("expected a value");
  }

  bool member(int depth, std::string_view key, const std::string& text) {
    if (key == "ipv4Prefix" || key == "ipv6Prefix") {
      const auto prefix = parseIpPrefix(text);
      const bool rightKind = (text.find(':') == std::string::npos) == (key == "ipv4Prefix");
      if (!prefix || !rightKind) {
        file_.status = RangesFile::Status::BadPrefix;
        file_.detail = "\"" + text.substr(0, 60) + "\"";
        return false;
      }
      file_.ranges.add(*prefix);
      ++file_.prefixes;
    } else if (key == "creationTime" && depth == 1) {
      file_.created = parseIsoDate(std::string_view(text).substr(0, 10));
    }
    return true;
  }

  bool object(int depth) {
    ++at_;
    if (take('}')) return true;
    do {
      skipBlanks();
      std::string key;
      if (at_ >= text_.size() || text_[at_] != '"') return fail("expected a member name");
      if (!string(key)) return false;
      if (!take(':')) return fail("expected ':'");
      if (!value(depth, key)) return false;
    } while (take(','));
    return take('}') || fail("expected ',' or '}'");
  }

  // An array's items take the key of the member that holds it: ["…", "…"] under
  // "ipv4Prefix" is a list of prefixes.
  bool array(int depth, std::string_view key) {
    ++at_;
    if (take(']')) return true;
    do {
      if (!value(depth, key)) return false;
    } while (take(','));
    return take(']') || fail("expected ',' or ']'");
  }

  bool number() {
    const std::size_t start = at_;
    if (text_[at_] == '-') ++at_;
    const auto digits = [&] {
      const std::size_t from = at_;
      while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
      return at_ - from;
    };
    const std::size_t whole = at_;
    if (digits() == 0 || (text_[whole] == '0' && at_ - whole > 1)) {
      at_ = start;
      return fail("bad number");
    }
    if (at_ < text_.size() && text_[at_] == '.') {
      ++at_;
      if (digits() == 0) return fail("bad number");
    }
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      if (digits() == 0) return fail("bad number");
    }
    return true;
  }

  static int hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  bool hex4(unsigned& out) {
    if (at_ + 4 > text_.size()) return fail("bad \\u escape");
    out = 0;
    for (int i = 0; i < 4; ++i) {
      const int digit = hex(text_[at_++]);
      if (digit < 0) return fail("bad \\u escape");
      out = out << 4 | static_cast<unsigned>(digit);
    }
    return true;
  }

  static void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool string(std::string& out) {
    ++at_;
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return fail("control character in a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) break;
      const char escaped = text_[at_++];
      switch (escaped) {
        case '"':
        case '\\':
        case '/':
          out += escaped;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          unsigned code = 0;
          if (!hex4(code)) return false;
          if (code >= 0xD800 && code < 0xDC00) {
            unsigned low = 0;
            if (text_.substr(at_, 2) != "\\u") return fail("lone surrogate");
            at_ += 2;
            if (!hex4(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) return fail("lone surrogate");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return fail("lone surrogate");
          }
          appendUtf8(out, code);
          break;
        }
        default:
          return fail("bad escape");
      }
    }
    return fail("unterminated string");
  }

  std::string_view text_;
  RangesFile& file_;
  std::size_t at_ = 0;
};

}  // namespace

std::string RangesFile::description() const {
  switch (status) {
    case Status::Ok:
      return {};
    case Status::Unreadable:
      return "cannot be read: " + detail;
    case Status::TooLarge:
      return "larger than " + std::to_string(kMaxRangesFileBytes >> 20) + " MB, not a ranges file";
    case Status::NotJson:
      return "not valid JSON " + detail;
    case Status::BadPrefix:
      return "not an address prefix: " + detail;
    case Status::NoPrefixes:
      return "names no address prefix";
  }
  return detail;
}

RangesFile parseRangesFile(std::string_view text) {
  RangesFile file;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  if (!RangesReader(text, file).read()) {
    file.ranges = {};
    file.prefixes = 0;
    return file;
  }
  if (file.prefixes == 0) file.status = RangesFile::Status::NoPrefixes;
  file.ranges.finish();
  return file;
}

RangesFile readRangesFile(const std::filesystem::path& path, const TextInput& input) {
  const WholeFile whole = readWholeFile(path, input, kMaxRangesFileBytes);
  if (whole.ok()) return parseRangesFile(whole.text);
  RangesFile file;
  file.status = whole.status == WholeFile::Status::TooLarge ? RangesFile::Status::TooLarge
                                                            : RangesFile::Status::Unreadable;
  file.detail = whole.reason;
  return file;
}

}  // namespace tarnwick
