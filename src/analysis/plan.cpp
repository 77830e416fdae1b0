#include "analysis/plan.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "analysis/day_label.h"
#include "platform/utf8_path.h"
#include "text/text.h"

namespace tarnwick {

namespace {

// The site's log folder, resolved and listed once for the whole analysis.
struct LogFolder {
  std::optional<std::filesystem::path> local;
  std::string prefix;  // the local folder in UTF-8 with a separator, for its files' paths
  std::string unresolved;
  FolderContents contents;

  LogFolder(const std::string& folder, const FolderListing& folders, const PathResolver& paths)
      : local(paths.resolve(folder)) {
    if (!local) {
      unresolved = paths.whyUnresolved(folder);
      contents = {FolderContents::Status::NotFound, {}, unresolved};
      return;
    }
    constexpr auto separator = static_cast<char>(std::filesystem::path::preferred_separator);
    prefix = utf8Of(*local);
    if (!prefix.empty() && prefix.back() != '/' && prefix.back() != separator) prefix += separator;
    contents = folders.list(*local);
  }
};

// File `name` of the log folder, known to the server as `shown`. Its path is text, not a
// std::filesystem::path: tens of thousands of those take longer to build than their
// files take to count.
PlannedFile inFolder(const LogFolder& log, std::int64_t position, const std::string& name,
                     std::string shown, std::string label, bool listed) {
  PlannedFile file{position,     std::move(label), std::move(shown),
                   std::nullopt, log.unresolved,   listed};
  if (log.local) file.local = log.prefix + name;
  return file;
}

// Whether the folder could be listed, and why not.
void noteFolder(const LogFolder& log, Plan& plan) {
  if (log.contents.ok()) return;
  plan.status = !log.local ? Plan::Status::NotHere
                : log.contents.status == FolderContents::Status::NotFound
                    ? Plan::Status::FolderNotFound
                    : Plan::Status::FolderUnreadable;
  plan.reason = log.contents.reason;
}

void planFolder(const Selection& selection, const LogFolder& log, Plan& plan) {
  noteFolder(log, plan);
  if (!plan.ok()) return;
  // Something other than a file under a log's name (a folder, a pipe) gets its row too,
  // which says what it is; other folders are not visited.
  std::vector<std::string> names = log.contents.names;
  std::unordered_set<std::string> notFiles;
  for (const std::string& other : log.contents.others)
    if (asciiUpper(other).ends_with(".LOG")) notFiles.insert(other);
  if (!notFiles.empty()) {
    names.insert(names.end(), notFiles.begin(), notFiles.end());
    sortLikeWindows(names);
  }
  plan.files.reserve(names.size());
  std::int64_t position = 0;
  // A listed file is read by its own name, whatever characters it holds.
  for (const std::string& name : names)
    plan.files.push_back(inFolder(log, ++position, name, selection.logFolder + name, dayLabel(name),
                                  !notFiles.count(name)));
}

void planDays(const Selection& selection, const LogFolder& log, Plan& plan) {
  noteFolder(log, plan);
  // Names as the folder spells them, by their upper-case form: NTFS ignores case.
  // Whatever is there under a day's name, file or not: a folder named like a log is read
  // (and refused for what it is), never taken for a missing day.
  std::unordered_map<std::string, std::string> present;
  std::unordered_set<std::string> notFiles;
  for (const std::string& name : log.contents.names) present.emplace(asciiUpper(name), name);
  for (const std::string& other : log.contents.others)
    if (present.emplace(asciiUpper(other), other).second) notFiles.insert(other);
  plan.files.reserve(static_cast<std::size_t>(std::max(selection.days, 0)));
  for (int k = 0; k < selection.days; ++k) {
    const std::string day = yymmdd(daysBefore(selection.today, k)) + ".log";
    std::string name = "ex" + day;
    if (!present.count(asciiUpper(name)) && present.count(asciiUpper("u_ex" + day)))
      name = "u_ex" + day;
    const auto spelled = present.find(asciiUpper(name));
    const bool there = spelled != present.end();
    const bool listed = there && !notFiles.count(spelled->second);
    const std::string shown = selection.logFolder + name;
    plan.files.push_back(
        inFolder(log, k + 1, there ? spelled->second : name, shown, dayLabel(shown), listed));
  }
}

}  // namespace

std::string Plan::description() const {
  switch (status) {
    case Status::Ok:
      return {};
    case Status::FolderNotFound:
      return "does not exist";
    case Status::FolderUnreadable:
      return "cannot be read (" + reason + ")";
    case Status::NotHere:
      return "names nothing on this computer (" + reason + ")";
  }
  return reason;
}

Plan planAnalysis(const Selection& selection, const FolderListing& folders,
                  const PathResolver& paths) {
  Plan plan;
  switch (selection.mode) {
    case Mode::AllLogs:
      planFolder(selection, LogFolder(selection.logFolder, folders, paths), plan);
      break;
    case Mode::LastDays:
    case Mode::Today: {
      Selection days = selection;
      if (selection.mode == Mode::Today) days.days = 1;
      planDays(days, LogFolder(selection.logFolder, folders, paths), plan);
      break;
    }
    case Mode::SingleFile:
      plan.files.push_back({1,
                            dayLabel(selection.chosenFile),
                            selection.chosenFile,
                            selection.chosenFile,
                            {},
                            false});
      break;
  }
  return plan;
}

}  // namespace tarnwick
