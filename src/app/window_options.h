#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/crawler_list.h"
#include "app/message_dialog.h"
#include "catalogue/config_source.h"
#include "catalogue/site_source.h"

namespace tarnwick {

// What the window was started with: tarnwick [SOURCE] [--crawlers FILE].
struct WindowOptions {
  SourceOptions source;
  std::optional<std::filesystem::path> crawlers;  // --crawlers FILE
  bool help = false;
  std::string error;  // wrong usage; empty where the options are usable
};

WindowOptions parseWindowOptions(std::span<const std::string_view> args);

// The window's usage text, ending in a newline.
std::string_view windowUsage();

// What a window opens on: the sites and the crawlers, or the status to end with.
struct WindowStart {
  SiteSource source;
  CrawlerListResult crawlers;
  std::optional<int> exitStatus;  // set where the program ends before opening its window
};

// Reads the configuration and the crawler list `options` name, telling the user through
// `box` what went wrong: a configuration that cannot be read ends the program (status 1,
// or 2 for wrong usage); lines of the crawler list left out do not.
WindowStart startWindow(const WindowOptions& options, const TextInput& input, MessageDialog& box);

}  // namespace tarnwick
