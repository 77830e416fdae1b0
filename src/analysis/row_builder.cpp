#include "analysis/row_builder.h"

namespace tarnwick {

namespace {

std::string removeAll(std::string text, std::string_view what) {
  std::string out;
  std::size_t pos = 0;
  for (std::size_t found; (found = text.find(what, pos)) != std::string::npos;
       pos = found + what.size())
    out.append(text, pos, found - pos);
  out.append(text, pos);
  return out;
}

// The last `count` characters of UTF-8 `text` (all of it where it is shorter).
std::string lastCharacters(const std::string& text, std::size_t count) {
  std::size_t start = text.size();
  while (start > 0 && count > 0) {
    --start;
    if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) --count;
  }
  return text.substr(start);
}

}  // namespace

std::string dayLabel(std::string_view mpath) {
  const std::string name = removeAll(removeAll(std::string(mpath), "ex"), ".log");
  return lastCharacters(name, 6);
}

std::string rowKey(std::int64_t i) {
  return "ayfy" + std::to_string(i);
}

void RowBuilder::fullTable(std::int64_t i, std::string_view mpath, int flag) {
  AnalysedFile file;
  file.label = dayLabel(mpath);
  const RowHandle row = table_.addRow(i, rowKey(i), file.label);
  file.path =
      flag == kInLogFolder ? list2_.selectedText() + std::string(mpath) : std::string(mpath);
  file.counts = counter_.countCrawlers(file.path);
  for (std::size_t c = 0; c < kCrawlers.size(); ++c)
    table_.setCell(row, kCrawlers[c].columnKey, file.counts[c]);
  if (observer_) observer_(file);
}

}  // namespace tarnwick
