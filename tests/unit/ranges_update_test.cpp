// Updating the ranges files over HTTP, against a server on the loopback interface.

#include "verify/ranges_update.h"
#include "test_support.h"

#ifndef _WIN32
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarnwick {
namespace {

const std::string kGood =
    R"({"creationTime":"2026-12-01T00:00:00.000000","prefixes":[{"ipv4Prefix":"66.249.64.0/27"}]})";

// Serves each path "/<how>/<name>" as `how` says: good, truncated, missing (404), slow,
// html (not JSON). One connection at a time, on a thread of its own.
class LoopbackServer {
 public:
  LoopbackServer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listen(listener_, 16);
    thread_ = std::thread([this] { serve(); });
  }
  ~LoopbackServer() {
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
  }

  std::string base(const std::string& how) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + how;
  }

 private:
  void serve() {
    while (!stopping_) {
      const int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) return;
      std::string request;
      char block[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = recv(connection, block, sizeof block, 0);
        if (n <= 0) break;
        request.append(block, static_cast<std::size_t>(n));
      }
      const std::size_t start = request.find(' ') + 1;
      const std::string path = request.substr(start, request.find(' ', start) - start);
      answer(connection, path.substr(1, path.find('/', 1) - 1));
      close(connection);
    }
  }

  static void send(int connection, const std::string& text) {
    ::send(connection, text.data(), text.size(), MSG_NOSIGNAL);
  }

  void answer(int connection, const std::string& how) {
    const auto ok = [&](const std::string& body, std::size_t declared) {
      send(connection, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(declared) +
                           "\r\nConnection: close\r\n\r\n" + body);
    };
    if (how == "good") {
      ok(kGood, kGood.size());
    } else if (how == "truncated") {
      ok(kGood.substr(0, 40), kGood.size());
    } else if (how == "html") {
      ok("<html>moved</html>", 18);
    } else if (how == "slow") {
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      ok(kGood, kGood.size());
    } else {
      send(connection, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    }
  }

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

struct UpdateCase {
  const char* how;
  bool replaced;
  const char* reason;  // part of the reason where the old file stays
};

class RangesUpdateTest : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(RangesUpdateTest, replaces_only_with_a_whole_valid_file) {
  LoopbackServer server;
  testing::TempDir dir;
  const std::string old = R"({"prefixes":[{"ipv4Prefix":"10.0.0.0/8"}]})";
  const auto file = dir.write("ranges/bingbot.json", old);
  SystemHttpClient http;
  const std::vector<RangesSource> sources = {
      {"bingbot.json", server.base(GetParam().how) + "/bingbot.json"}};
  const auto updates =
      updateRanges(dir.path() / "ranges", sources, http, {1u << 20, std::chrono::seconds(1)});
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0].ok, GetParam().replaced) << updates[0].reason;
  EXPECT_EQ(testing::readText(file), GetParam().replaced ? kGood : old);
  if (!GetParam().replaced)
    EXPECT_NE(updates[0].reason.find(GetParam().reason), std::string::npos) << updates[0].reason;
  else
    EXPECT_EQ(updates[0].prefixes, 1u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "ranges"),
                          std::filesystem::directory_iterator()),
            1)
      << "no temporary file is left behind";
}

INSTANTIATE_TEST_SUITE_P(Answers, RangesUpdateTest,
                         ::testing::Values(UpdateCase{"good", true, ""},
                                           UpdateCase{"truncated", false, "bingbot.json"},
                                           UpdateCase{"missing", false, "404"},
                                           UpdateCase{"slow", false, "bingbot.json"},
                                           UpdateCase{"html", false, "not valid JSON"}),
                         [](const auto& info) { return std::string(info.param.how); });

TEST(ranges_update_test, sources_below_a_base) {
  const auto sources = rangesSources(std::string("http://mirror.example/ranges/"));
  ASSERT_FALSE(sources.empty());
  for (const RangesSource& source : sources)
    EXPECT_EQ(source.url, "http://mirror.example/ranges/" + source.name);
  for (const RangesSource& source : rangesSources(std::nullopt))
    EXPECT_TRUE(source.url.starts_with("https://")) << source.url;
}

// The report's --update-ranges says what it got, and fails where a file was kept.
TEST(ranges_update_test, report_updates_a_folder) {
  LoopbackServer server;
  testing::TempDir dir;
  const auto folder = dir.path() / "ranges";
  const auto run = [&](const std::string& how) {
    const std::string command = testing::reportProgram() + " --update-ranges --ranges " +
                                folder.string() + " --from " + server.base(how) + " >" +
                                (dir.path() / "out").string() + " 2>" +
                                (dir.path() / "err").string();
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run("good"), 0) << testing::readText(dir.path() / "err");
  EXPECT_NE(
      testing::readText(dir.path() / "out").find("bingbot.json: 1 prefixes, published 2026-12-01"),
      std::string::npos)
      << testing::readText(dir.path() / "out");
  EXPECT_EQ(testing::readText(folder / "common-crawlers.json"), kGood);
  EXPECT_EQ(run("missing"), 1);
  EXPECT_NE(testing::readText(dir.path() / "err").find("kept as it was: "), std::string::npos);
  EXPECT_EQ(testing::readText(folder / "common-crawlers.json"), kGood);
}

}  // namespace
}  // namespace tarnwick
#endif
