#include "catalogue/site_catalogue.h"

#include <gtest/gtest.h>

#include <map>

#include "app/texts.h"
#include "catalogue/site_source.h"
#include "test_support.h"
#include "text/text.h"

namespace tarnwick {
namespace {

// Children with whichever properties the test gives them.
class FakeStore : public ConfigStore {
 public:
  std::vector<std::map<std::string, std::string>> children;
  std::size_t childCount() const override { return children.size(); }
  std::optional<std::string> property(std::size_t index, std::string_view name) const override {
    const auto found = children[index].find(std::string(name));
    if (found == children[index].end()) return std::nullopt;
    return found->second;
  }
};

TEST(catalogue_test, child_missing_any_property_adds_nothing_so_lists_stay_in_step) {
  FakeStore store;
  store.children = {
      {{"ServerComment", "A"}, {"LogFileDirectory", "C:\\logs"}, {"Name", "1"}},
      {{"ServerComment", "no folder"}, {"Name", "2"}},
      {{"LogFileDirectory", "C:\\logs"}, {"Name", "3"}},
      {{"ServerComment", "no id"}, {"LogFileDirectory", "C:\\logs"}},
      {{"ServerComment", "B"}, {"LogFileDirectory", "C:\\logs\\"}, {"Name", "2"}},
  };
  const auto sites = loadCatalogue(store);
  ASSERT_EQ(sites.size(), 2u);
  EXPECT_EQ(sites[0].name, "A");
  EXPECT_EQ(sites[0].logFolder, "C:\\logs\\W3SVC1\\");
  EXPECT_EQ(sites[1].name, "B");
  EXPECT_EQ(sites[1].logFolder, "C:\\logs\\\\W3SVC2\\") << "a trailing backslash is kept, doubled";
}

TEST(catalogue_test, no_children_no_sites) {
  EXPECT_TRUE(loadCatalogue(FakeStore{}).empty());
}

struct SourceCase {
  const char* name;
  std::vector<std::string> args;  // {ROOT} stands for the test's folder
  bool ok;
  bool usage;
  const char* fileEnd;  // the configuration found, or part of the error
  friend std::ostream& operator<<(std::ostream& out, const SourceCase& c) { return out << c.name; }
};

class SourceOptionsTest : public ::testing::TestWithParam<SourceCase> {};

TEST_P(SourceOptionsTest, finds_the_configuration) {
  testing::TempDir dir;
  dir.write("iis7/windows/SYSTEM32/InetSrv/Config/ApplicationHost.config",
            testing::testData("applicationHost.config"));
  dir.write("iis6/Windows/System32/inetsrv/metabase.XML", testing::testData("MetaBase.xml"));
  dir.write("empty/readme.txt", "nothing here");

  std::vector<std::string> texts;
  for (std::string arg : GetParam().args) {
    if (const auto at = arg.find("{ROOT}"); at != std::string::npos)
      arg.replace(at, 6, dir.path().string());
    texts.push_back(arg);
  }
  const std::vector<std::string_view> args(texts.begin(), texts.end());
  SourceOptions options;
  std::string error;
  for (std::size_t i = 0; i < args.size();) ASSERT_TRUE(takeSourceOption(args, i, options, error));
  ASSERT_EQ(error, "");

  const SystemTextInput input;
  const SiteSource source = readSites(options, input);
  EXPECT_EQ(source.ok(), GetParam().ok) << source.error();
  EXPECT_EQ(source.usage(), GetParam().usage);
  const std::string where = source.ok() ? source.config.file : source.error();
  // On Windows names compare ignoring case, and the name asked for is the name found.
  EXPECT_NE(asciiUpper(where).find(asciiUpper(GetParam().fileEnd)), std::string::npos) << where;
}

INSTANTIATE_TEST_SUITE_P(
    Options, SourceOptionsTest,
    ::testing::Values(
        SourceCase{"iis7", {"--root", "{ROOT}/iis7"}, true, false, "ApplicationHost.config"},
        SourceCase{"iis6", {"--root", "{ROOT}/iis6"}, true, false, "metabase.XML"},
        SourceCase{"nothing", {"--root", "{ROOT}/empty"}, false, false, "no IIS configuration"},
        SourceCase{"config",
                   {"--config", "{ROOT}/iis6/Windows/System32/inetsrv/metabase.XML"},
                   true,
                   false,
                   "metabase.XML"},
        SourceCase{"missing", {"--config", "{ROOT}/none.config"}, false, false, "file not found"},
        SourceCase{"both", {"--root", "{ROOT}", "--config", "{ROOT}/x"}, false, true, "together"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(catalogue_test, drive_option_overrides_root_for_its_drive) {
  SourceOptions options;
  options.root = "/srv/c";
  options.drives = {{'c', "/mnt/c"}, {'D', "/mnt/d"}};
  const PathResolver paths = pathResolver(options);
  EXPECT_EQ(paths.drive('C'), std::filesystem::path("/mnt/c"));
  EXPECT_EQ(paths.drive('d'), std::filesystem::path("/mnt/d"));
  EXPECT_FALSE(paths.drive('E'));
}

TEST(catalogue_test, window_message_names_the_file_and_the_reason) {
  testing::TempDir dir;
  const auto broken = dir.write("broken.config", testing::testData("malformed.config"));
  const SystemTextInput input;
  struct Case {
    std::filesystem::path file;
    std::vector<std::string> parts;
  };
  const Case cases[] = {
      {broken, {"站点配置文件格式错误", broken.string(), "第 6 行第 "}},
      {dir.path() / "none.config", {"站点配置文件不存在", "none.config"}},
      {dir.write("other.xml", testing::testData("not-iis.xml")), {"不是 IIS 的站点配置文件"}},
      {dir.write("pools.config", testing::testData("applicationHost-no-sites-section.config")),
       {"找不到网站节点", "<sites>"}},
  };
  for (const Case& c : cases) {
    SourceOptions options;
    options.config = c.file;
    const std::string message = configMessage(readSites(options, input));
    for (const std::string& part : c.parts)
      EXPECT_NE(message.find(part), std::string::npos) << message;
  }
  // A configuration only administrators may read, as IIS keeps it.
  testing::FakeInput locked;
  locked.files["applicationHost.config"] = {"", -1, {}, 0, OpenedFile::Status::Denied};
  SourceOptions lockedOptions;
  lockedOptions.config = "applicationHost.config";
  const SiteSource denied = readSites(lockedOptions, locked);
  EXPECT_NE(configMessage(denied).find("请以管理员身份运行本程序"), std::string::npos)
      << configMessage(denied);
  EXPECT_NE(denied.error().find("run as an administrator"), std::string::npos) << denied.error();

  std::string error;
  const std::vector<std::string_view> args{"--root", "/srv/c", "--verbose"};
  const SourceOptions options = parseSourceOptions(args, error);
  EXPECT_EQ(error, "unknown option \"--verbose\"");
  EXPECT_EQ(options.root, std::filesystem::path("/srv/c"));
}

TEST(catalogue_test, malformed_source_options) {
  for (const std::vector<std::string_view>& args :
       {std::vector<std::string_view>{"--drive", "D"}, {"--drive", "DD=/x"}, {"--root"}}) {
    SourceOptions options;
    std::string error;
    std::size_t i = 0;
    EXPECT_TRUE(takeSourceOption(args, i, options, error));
    EXPECT_NE(error, "") << args[0];
  }
}

}  // namespace
}  // namespace tarnwick

namespace tarnwick {
namespace {

struct LoggingCase {
  const char* name;
  std::string config;
  std::vector<std::string> logging;  // "<logging> <period> <folder>" per site, in order
};

class SiteLoggingTest : public ::testing::TestWithParam<LoggingCase> {};

TEST_P(SiteLoggingTest, every_setting_from_both_formats) {
  const ConfigOpenResult opened =
      parseConfig(GetParam().config, "test.config", [](std::string_view) { return std::nullopt; });
  ASSERT_TRUE(opened.ok()) << opened.description();
  std::vector<std::string> logging;
  for (const Site& site : loadCatalogue(*opened.store))
    logging.push_back(std::string(loggingName(site.logging.logging)) + " " +
                      std::string(periodName(site.logging.period)) + " " + site.logFolder);
  EXPECT_EQ(logging, GetParam().logging);
}

std::string applicationHost(const std::string& log, const std::string& defaults,
                            const std::string& sites) {
  return "<configuration><system.applicationHost>" + log + "<sites>" + sites + "<siteDefaults>" +
         defaults +
         "</siteDefaults></sites></system.applicationHost>"
         "</configuration>";
}

std::string metabase(const std::string& service, const std::string& site) {
  return "<configuration xmlns=\"urn:microsoft-catalog:XML_Metabase_V64_0\"><MBProperty>"
         "<IIsWebService Location=\"/LM/W3SVC\" LogFileDirectory=\"C:\\logs\" " +
         service + "/><IIsWebServer Location=\"/LM/W3SVC/1\" ServerComment=\"A\" " + site +
         "/></MBProperty></configuration>";
}

INSTANTIATE_TEST_SUITE_P(
    Configs, SiteLoggingTest,
    ::testing::Values(
        LoggingCase{"defaults",
                    applicationHost("", "", R"(<site name="A" id="1"/>)"),
                    {"w3c daily %SystemDrive%\\inetpub\\logs\\LogFiles\\W3SVC1\\"}},
        LoggingCase{
            "inherited_and_overridden",
            applicationHost("", R"(<logFile period="Hourly" directory="D:\l"/>)",
                            R"(<site name="A" id="1"/>)"
                            R"(<site name="B" id="2"><logFile period="MaxSize"/></site>)"
                            R"(<site name="C" id="3"><logFile logFormat="NCSA"/></site>)"
                            R"(<site name="D" id="4"><logFile enabled="false"/></site>)"
                            R"(<site name="E" id="5"><logFile logTargetW3C="ETW"/></site>)"
                            R"(<site name="F" id="6"><logFile logTargetW3C="File,ETW"/></site>)"
                            R"(<site name="G" id="7"><logFile logFormat="IIS"/></site>)"
                            R"(<site name="H" id="8"><logFile logFormat="Custom"/></site>)"),
            {"w3c hourly D:\\l\\W3SVC1\\", "w3c size D:\\l\\W3SVC2\\",
             "ncsa hourly D:\\l\\W3SVC3\\", "off hourly D:\\l\\W3SVC4\\",
             "etw hourly D:\\l\\W3SVC5\\", "w3c hourly D:\\l\\W3SVC6\\",
             "iis hourly D:\\l\\W3SVC7\\", "custom hourly D:\\l\\W3SVC8\\"}},
        LoggingCase{
            "central",
            applicationHost(R"(<log centralLogFileMode="CentralW3C">)"
                            R"(<centralW3CLogFile period="Weekly" directory="E:\c"/></log>)",
                            "", R"(<site name="A" id="1"/>)"),
            {"central weekly E:\\c\\W3SVC\\"}},
        LoggingCase{"iis6_inherited",
                    metabase(R"(LogFilePeriod="4")", ""),
                    {"w3c hourly C:\\logs\\W3SVC1\\"}},
        LoggingCase{
            "iis6_monthly_ncsa",
            metabase(
                R"(LogFilePeriod="4")",
                R"(LogFilePeriod="3" LogPluginClsid="{FF16065F-DE82-11CF-BC0A-00AA006111E0}")"),
            {"ncsa monthly C:\\logs\\W3SVC1\\"}},
        LoggingCase{
            "iis6_dont_log", metabase("", R"(DontLog="TRUE")"), {"off daily C:\\logs\\W3SVC1\\"}},
        LoggingCase{
            "iis6_log_type_0", metabase(R"(LogType="0")", ""), {"off daily C:\\logs\\W3SVC1\\"}},
        LoggingCase{
            "iis6_size_and_odbc",
            metabase(
                "", R"(LogFilePeriod="0" LogPluginClsid="{FF16065B-DE82-11CF-BC0A-00AA006111E0}")"),
            {"custom size C:\\logs\\W3SVC1\\"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarnwick
