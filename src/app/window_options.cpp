#include "app/window_options.h"

#include "app/texts.h"
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

WindowStart startWindow(const WindowOptions& options, const TextInput& input, MessageDialog& box) {
  WindowStart start;
  start.source = readSites(options.source, input);
  if (!start.source.ok()) {
    box.show(configMessage(start.source), MessageDialog::Buttons::Ok, kMessageTitle);
    start.exitStatus = start.source.usage() ? 2 : 1;
    return start;
  }
  start.crawlers = chooseCrawlers(options.crawlers, input, environmentVariable);
  const std::string given = options.crawlers ? utf8Of(*options.crawlers) : std::string();
  if (const std::string problems = crawlerListMessage(start.crawlers, given); !problems.empty())
    box.show(problems, MessageDialog::Buttons::Ok, kMessageTitle);
  return start;
}

}  // namespace tarnwick
