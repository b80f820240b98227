// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/scheme_handler.h"

#include "support/log_capture.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmar {
namespace {

class SchemeHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_mkdir_with_parents((dir / "web/css").c_str(), 0700);
    g_mkdir_with_parents((dir / "web/sounds").c_str(), 0700);
    g_mkdir_with_parents((dir / "web-old").c_str(), 0700);
    for (const char* name : {"index.html", "velmar-casino.html", "css/app.css", "LOGO.PNG", "a b.html",
                             "100%.html", "README", "sounds/chip.wav"})
      test::writeFile(dir / (std::string("web/") + name), name);
    test::writeFile(dir / "secret.txt", "secret");
    test::writeFile(dir / "web-old/old.html", "old");
  }
  std::string web() const { return dir / "web"; }
  std::string servedFile(const std::string& address) const {
    auto target = handler().resolve(address);
    return target.status == 200 ? target.file : "status " + std::to_string(target.status);
  }
  SchemeHandler handler() const { return SchemeHandler(dir.path() + "//web/./css/../"); }
  std::string body(const SchemeHandler::Answer& answer) const {
    gsize size = 0;
    auto* data = static_cast<const char*>(g_bytes_get_data(answer.bytes, &size));
    return std::string(data ? data : "", size);
  }
  test::TempDir dir;
};

// Where each address leads, from a folder given as "base//web/./css/../":
// the host, query and fragment play no part; paths are decoded twice unless
// the second decoding gives bytes that are not UTF-8; a trailing slash or dot
// names a folder; nothing outside the folder is reachable.
TEST_F(SchemeHandlerTest, EveryAddressLeadsToOneFileInsideTheFolderOrNowhere) {
  EXPECT_EQ(handler().root(), web());
  const std::pair<const char*, std::string> cases[] = {
      {"velmar://casino/", "/index.html"}, {"velmar://casino", "/index.html"},
      {"velmar://casino/velmar-casino.html?x=1#y", "/velmar-casino.html"},
      {"velmar://other-host/velmar-casino.html", "/velmar-casino.html"}, {"velmar://casino//css/app.css", "/css/app.css"},
      {"velmar://casino/%2fetc/passwd", "/etc/passwd"}, {"velmar://casino/a%2520b.html", "/a b.html"},
      {"velmar://casino/100%25.html", "/100%.html"}, {"velmar://casino/x%25ff.html", "/x%ff.html"},
      {"velmar://casino/../secret.txt", "status 404"}, {"velmar://casino/%2e%2e/secret.txt", "status 404"},
      {"velmar://casino/%252e%252e/secret.txt", "status 404"}, {"velmar://casino/css/../../secret.txt", "status 404"},
      {"velmar://casino/..%2fweb-old/old.html", "status 404"}, {"velmar://casino/css/..", "status 404"},
      {"velmar://casino/..", "status 404"}, {"velmar://casino/velmar-casino.html/", "status 404"},
      {"velmar://casino/velmar-casino.html%2f", "status 404"}, {"velmar://casino/css/app.css/.", "status 404"}};
  for (const auto& [address, expected] : cases)
    EXPECT_EQ(servedFile(address), expected.starts_with("/") ? web() + expected : expected) << address;

  auto h = handler();
  EXPECT_EQ(h.serve(std::nullopt).status, 400);
  for (const char* missing : {"velmar://casino/missing.html", "velmar://casino/sounds/", "velmar://casino/sounds"})
    EXPECT_EQ(h.serve(missing).status, 404) << missing;
}

TEST_F(SchemeHandlerTest, AFifoIsNotFoundWithoutWaitingForAWriter) {
  ASSERT_EQ(mkfifo((web() + "/pipe.html").c_str(), 0600), 0);
  test::LogCapture log;
  // Opened for reading in the ordinary way, a FIFO holds this call (and with
  // it the whole application) until a writer comes, which here never happens.
  EXPECT_EQ(handler().serve("velmar://casino/pipe.html").status, 404);
  EXPECT_EQ(log.count("not serving velmar://casino/pipe.html: not a regular file"), 1);
}

TEST_F(SchemeHandlerTest, LinksAreFollowedOnlyWhileTheyStayInsideTheFolder) {
  auto link = [](const std::string& to, const std::string& at) { ASSERT_EQ(symlink(to.c_str(), at.c_str()), 0) << at; };
  link(dir / "secret.txt", web() + "/passwd");
  // "web-old" starts with the folder's own name; its files are still outside.
  link("../web-old/old.html", web() + "/old.html");
  link(dir / "web-old", web() + "/old");
  link("css/app.css", web() + "/app.css");
  link(web() + "/css", web() + "/styles");
  link(web(), dir / "linked-web");
  test::LogCapture log;
  auto h = handler();
  for (const char* address : {"velmar://casino/passwd", "velmar://casino/old.html", "velmar://casino/old/old.html"})
    EXPECT_EQ(h.serve(address).status, 404) << address;
  EXPECT_EQ(log.count("leads outside the web folder"), 3);
  EXPECT_EQ(body(h.serve("velmar://casino/app.css")), "css/app.css");
  EXPECT_EQ(body(h.serve("velmar://casino/styles/app.css")), "css/app.css");
  EXPECT_EQ(body(SchemeHandler(dir / "linked-web").serve("velmar://casino/css/app.css")), "css/app.css");
}

TEST_F(SchemeHandlerTest, AServedFileCarriesItsWholeBytesAndItsType) {
  auto h = handler();
  auto answer = h.serve("velmar://casino/LOGO.PNG");
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.contentType, "image/png");
  EXPECT_EQ(body(answer), "LOGO.PNG");
  auto bare = h.serve("velmar://casino/README");
  EXPECT_EQ(bare.contentType, "application/octet-stream");
  test::writeFile(web() + "/empty.js", "");
  auto empty = h.serve("velmar://casino/empty.js");
  EXPECT_EQ(empty.status, 200);
  EXPECT_EQ(body(empty), "");
}

TEST_F(SchemeHandlerTest, AFileCutShortAfterItWasServedCannotEndTheProcess) {
  std::string bytes(1 << 20, 'x');
  std::string file = web() + "/big.bin";
  test::writeFile(file, bytes);
  auto answer = handler().serve("velmar://casino/big.bin");
  ASSERT_EQ(answer.status, 200);
  ASSERT_EQ(truncate(file.c_str(), 0), 0);
  // In a child process: had the answer kept the file mapped, reading it now
  // would end the process with SIGBUS.
  EXPECT_EXIT(std::exit(body(answer) == bytes ? 0 : 1), testing::ExitedWithCode(0), "");
}

TEST(SchemeHandlerTypes, ExtensionsAreLookedUpLowerCasedAndExactly) {
  const std::pair<const char*, const char*> cases[] = {
      {"A.JS", "text/javascript; charset=utf-8"}, {"i.JPEG", "image/jpeg"}, {"f.woff2", "font/woff2"},
      {"a.htm", "application/octet-stream"},       {"m.mjs", "application/octet-stream"},
      {"dir.html/noext", "application/octet-stream"}, {"trailing.", "application/octet-stream"}};
  for (auto [name, type] : cases) EXPECT_EQ(SchemeHandler::contentType(name), type) << name;
}

}  // namespace
}  // namespace velmar
