// tarnwick-report: the window's analysis without a window, for scripts and servers.

#include <iostream>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/daily_logs.h"
#include "analysis/results_layout.h"
#include "catalogue/site_catalogue.h"
#include "catalogue/site_source.h"
#include "cli/report_options.h"
#include "cli/report_output.h"
#include "platform/clock.h"
#include "platform/memory_table.h"

namespace tarnwick {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

using Command = ReportOptions::Command;

int fail(const std::string& message) {
  std::cerr << "tarnwick-report: " << message << '\n';
  return kFailed;
}

const Site* findSite(const std::vector<Site>& sites, const std::string& nameOrId) {
  for (const Site& site : sites)
    if (site.name == nameOrId) return &site;
  for (const Site& site : sites)
    if (site.id == nameOrId) return &site;
  return nullptr;
}

std::string localText(const PathResolver& paths, const std::string& path) {
  const auto local = paths.resolve(path);
  return local ? local->string() : std::string();
}

int listSites(const SiteSource& source, const std::vector<Site>& catalogue,
              ReportOptions::Format format) {
  std::vector<ReportSite> sites;
  for (const Site& site : catalogue)
    sites.push_back({site, localText(source.paths, site.logFolder)});
  printSites(std::cout, sites, format);
  return kDone;
}

// Runs the command as the window would and prints its rows.
int analyse(const ReportOptions& options, const PathResolver& paths, const Site* site) {
  const SystemTextInput input;
  const SystemFolderListing folders;
  MemoryTable table;
  prepareResultsTable(table);
  SiteList list2;
  if (site) {
    list2.append(site->logFolder);
    list2.select(0);
  }
  Analysis analysis(table, list2, {input, folders, paths});
  std::vector<ReportRow> rows;
  analysis.rows.onRow([&](const AnalysedFile& file) {
    rows.push_back({file.label, file.counts, localText(paths, file.path)});
  });

  const Date today = options.date ? *options.date : SystemClock().today();
  switch (options.command) {
    case Command::File:
      analysis.rows.fullTable(1, options.file, kFullPath);
      break;
    case Command::Today:
      addDailyRows(analysis.rows, site->logFolder, today, 1);
      break;
    case Command::Last:
      addDailyRows(analysis.rows, site->logFolder, today, options.days);
      break;
    case Command::All: {
      std::int64_t fileNo = 0;
      const FolderContents contents = analysis.scan.run(site->logFolder, fileNo);
      if (!contents.ok())
        return fail("site \"" + site->name + "\": log folder " + site->logFolder +
                    " cannot be read (" + contents.reason + ")");
      break;
    }
    default:
      break;
  }
  printRows(std::cout, rows, options.format);
  return kDone;
}

int run(const std::vector<std::string_view>& args) {
  const ReportOptionsResult parsed = parseReportOptions(args);
  if (parsed.options.help) {
    std::cout << reportUsage();
    return kDone;
  }
  if (!parsed.error.empty()) {
    std::cerr << "tarnwick-report: " << parsed.error << '\n' << reportUsage();
    return kUsage;
  }
  const ReportOptions& options = parsed.options;
  if (options.command == Command::File)
    return analyse(options, pathResolver(options.source), nullptr);

  const SystemTextInput input;
  const SiteSource source = readSites(options.source, input);
  if (source.usage) {
    std::cerr << "tarnwick-report: " << source.error() << '\n' << reportUsage();
    return kUsage;
  }
  if (!source.ok()) return fail(source.error());
  const std::vector<Site> catalogue = loadCatalogue(*source.config.store);
  if (options.command == Command::ListSites) return listSites(source, catalogue, options.format);

  const Site* site = findSite(catalogue, options.site);
  if (!site)
    return fail("no site named or numbered \"" + options.site + "\" in " + source.config.file);
  return analyse(options, source.paths, site);
}

}  // namespace
}  // namespace tarnwick

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  try {
    return tarnwick::run(args);
  } catch (const std::exception& error) {
    std::cerr << "tarnwick-report: " << error.what() << '\n';
    return 1;
  }
}
