#include "app/window_options.h"

#include "platform/environment.h"
#include "platform/utf8_path.h"

namespace tarnwick {

std::string_view windowUsage() {
  return "usage: tarnwick [--root DIR | --config FILE] [--drive X=DIR ...] [--crawlers FILE]\n"
         "  --root DIR       DIR is a copy or mount of the server's system drive (C:)\n"
         "  --config FILE    an applicationHost.config or a MetaBase.xml\n"
         "  --drive X=DIR    Windows drive X: is the local folder DIR (repeatable)\n"
         "  --crawlers FILE  more crawlers: one a line, the token, then a tab and a header\n"
         "On Windows, without --root or --config: this server's own configuration.\n";
}

WindowOptions parseWindowOptions(std::span<const std::string_view> args) {
  WindowOptions options;
  for (std::size_t i = 0; i < args.size() && options.error.empty();) {
    if (args[i] == "--help" || args[i] == "-h") {
      options.help = true;
      ++i;
    } else if (args[i] == "--crawlers") {
      if (i + 1 >= args.size()) {
        options.error = "--crawlers needs a value";
        break;
      }
      options.crawlers = pathFromUtf8(args[i + 1]);
      i += 2;
    } else if (!takeSourceOption(args, i, options.source, options.error)) {
      options.error = "unknown option \"" + std::string(args[i]) + "\"";
    }
  }
  if (options.error.empty() && options.source.root && options.source.config)
    options.error = "--root and --config cannot be used together";
  return options;
}

std::string crawlerListMessage(const CrawlerListResult& list,
                               const std::optional<std::filesystem::path>& given) {
  if (!list.error.empty())
    return "无法读取蜘蛛列表" + (given ? "：" + utf8Of(*given) : std::string()) + "\n原因：" +
           list.error + "\n只统计四种默认的蜘蛛。";
  if (list.problems.empty()) return {};
  std::string text = "蜘蛛列表中有几行不能使用，已略过：";
  for (const std::string& problem : list.problems) text += "\n" + problem;
  return text;
}

WindowStart startWindow(const WindowOptions& options, const TextInput& input, MessageDialog& box) {
  WindowStart start;
  start.source = readSites(options.source, input);
  if (!start.source.ok()) {
    box.show(start.source.message(), MessageDialog::Buttons::Ok, kMessageTitle);
    start.exitStatus = start.source.usage ? 2 : 1;
    return start;
  }
  start.crawlers = chooseCrawlers(options.crawlers, input, environmentVariable);
  if (const std::string problems = crawlerListMessage(start.crawlers, options.crawlers);
      !problems.empty())
    box.show(problems, MessageDialog::Buttons::Ok, kMessageTitle);
  return start;
}

}  // namespace tarnwick
