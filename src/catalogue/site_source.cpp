#include "catalogue/site_source.h"

#include "platform/environment.h"
#include "platform/text.h"

namespace tarnwick {

std::string SiteSource::error() const {
  if (!locateError.empty()) return locateError;
  if (!config.ok())
    return "cannot read site configuration " + config.file + ": " + config.description();
  return {};
}

std::string SiteSource::message() const {
  if (!locateError.empty()) return "找不到站点配置：" + locateError;
  using S = ConfigOpenResult::Status;
  const std::string& file = config.file;
  switch (config.status) {
    case S::Ok:
      return {};
    case S::FileNotFound:
      return "站点配置文件不存在：" + file;
    case S::NotAFile:
      return "站点配置不是一个文件：" + file + "\n（" + config.reason + "）";
    case S::AccessDenied:
      return "无权读取站点配置文件：" + file + "\n请以管理员身份运行本程序。";
    case S::FileUnreadable:
      return "无法读取站点配置文件：" + file + "\n原因：" + config.description();
    case S::TooLarge:
      return "站点配置文件过大，不像是 IIS 的站点配置：" + file;
    case S::OutOfMemory:
      return "内存不足，无法读取站点配置文件：" + file;
    case S::NotWellFormed:
      return "站点配置文件格式错误：" + file + "\n第 " + std::to_string(config.line) + " 行第 " +
             std::to_string(config.column) + " 列：" + config.reason;
    case S::NotIisConfiguration:
      return "不是 IIS 的站点配置文件：" + file;
    case S::NoServiceNode:
      return "站点配置文件中找不到网站节点：" + file + "\n（" + config.reason + "）";
  }
  return error();
}

SiteSource readSites(const SourceOptions& options, const TextInput& input) {
  SiteSource source;
  ConfigLocation location = locateConfig(options, input);
  source.paths = std::move(location.paths);
  if (!location.error.empty()) {
    source.locateError = std::move(location.error);
    source.usage = location.usage;
    return source;
  }
  // On the server itself its variables are those of the environment; a copy of another
  // server's drive has those of a standard installation.
  source.config = options.localServer() ? openConfigFile(location.file, input, environmentVariable)
                                        : openConfigFile(location.file, input);
  if (!source.config.ok()) return source;
  source.sites = loadCatalogue(*source.config.store);
  source.config.store.reset();
  for (Site& site : source.sites) {
    site.name = validUtf8(site.name);
    site.id = validUtf8(site.id);
    site.logFolder = validUtf8(site.logFolder);
  }
  return source;
}

}  // namespace tarnwick
