#include "catalogue/site_source.h"

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
    case S::FileUnreadable:
      return "无法读取站点配置文件：" + file + "\n原因：" + config.description();
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
  source.config = openConfigFile(location.file, input);
  return source;
}

}  // namespace tarnwick
