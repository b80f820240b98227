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

TEST_F(SchemeHandlerTest, TheFolderIsNormalisedOnceWithoutATrailingSlash) {
  EXPECT_EQ(handler().root(), web());
}

TEST_F(SchemeHandlerTest, TheRootAndAnEmptyPathServeTheIndexPage) {
  EXPECT_EQ(servedFile("velmar://casino/"), web() + "/index.html");
  EXPECT_EQ(servedFile("velmar://casino"), web() + "/index.html");
}

TEST_F(SchemeHandlerTest, HostQueryAndFragmentPlayNoPart) {
  EXPECT_EQ(servedFile("velmar://casino/velmar-casino.html?x=1#y"), web() + "/velmar-casino.html");
  EXPECT_EQ(servedFile("velmar://other-host/velmar-casino.html"), web() + "/velmar-casino.html");
  EXPECT_EQ(servedFile("velmar://casino/css/app.css"), web() + "/css/app.css");
}

TEST_F(SchemeHandlerTest, PathsAreDecodedTwiceUnlessTheSecondDecodingFails) {
  EXPECT_EQ(servedFile("velmar://casino/a%2520b.html"), web() + "/a b.html");
  EXPECT_EQ(servedFile("velmar://casino/100%25.html"), web() + "/100%.html");
  // Bytes that are not UTF-8 after the second decoding keep the first form.
  EXPECT_EQ(servedFile("velmar://casino/x%25ff.html"), web() + "/x%ff.html");
}

TEST_F(SchemeHandlerTest, NothingOutsideTheFolderIsReachable) {
  EXPECT_EQ(servedFile("velmar://casino/../secret.txt"), "status 404");
  EXPECT_EQ(servedFile("velmar://casino/%2e%2e/secret.txt"), "status 404");
  EXPECT_EQ(servedFile("velmar://casino/%252e%252e/secret.txt"), "status 404");
  EXPECT_EQ(servedFile("velmar://casino/css/../../secret.txt"), "status 404");
  EXPECT_EQ(servedFile("velmar://casino/..%2fweb-old/old.html"), "status 404");
  EXPECT_EQ(servedFile("velmar://casino/css/.."), "status 404");
  EXPECT_EQ(servedFile("velmar://casino/.."), "status 404");
}

TEST_F(SchemeHandlerTest, ALeadingSlashInTheRelativePartStaysInsideTheFolder) {
  EXPECT_EQ(servedFile("velmar://casino//css/app.css"), web() + "/css/app.css");
  EXPECT_EQ(servedFile("velmar://casino/%2fetc/passwd"), web() + "/etc/passwd");
}

TEST_F(SchemeHandlerTest, NoAddressIsABadRequestAndMissingFilesOrFoldersAreNotFound) {
  auto h = handler();
  EXPECT_EQ(h.serve(std::nullopt).status, 400);
  EXPECT_EQ(h.serve("velmar://casino/missing.html").status, 404);
  EXPECT_EQ(h.serve("velmar://casino/sounds/").status, 404);
  EXPECT_EQ(h.serve("velmar://casino/sounds").status, 404);
  EXPECT_EQ(h.serve("velmar://casino/sounds/chip.wav").status, 200);
  // A trailing slash or dot names a folder even when a file has that name.
  for (const char* address : {"velmar://casino/velmar-casino.html/", "velmar://casino/velmar-casino.html%2f",
                              "velmar://casino/css/app.css/."})
    EXPECT_EQ(servedFile(address), "status 404") << address;
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
  struct Case {
    const char* name;
    const char* type;
  };
  for (auto [name, type] : {Case{"a.html", "text/html; charset=utf-8"}, Case{"A.JS", "text/javascript; charset=utf-8"},
                            Case{"s.Css", "text/css; charset=utf-8"}, Case{"d.json", "application/json"},
                            Case{"f.woff2", "font/woff2"}, Case{"i.svg", "image/svg+xml"}, Case{"i.png", "image/png"},
                            Case{"i.jpg", "image/jpeg"}, Case{"i.JPEG", "image/jpeg"}, Case{"i.webp", "image/webp"},
                            Case{"s.mp3", "audio/mpeg"}, Case{"s.m4a", "audio/mp4"}, Case{"s.ogg", "audio/ogg"},
                            Case{"s.wav", "audio/wav"}, Case{"a.htm", "application/octet-stream"},
                            Case{"m.mjs", "application/octet-stream"}, Case{"f.woff", "application/octet-stream"},
                            Case{"i.gif", "application/octet-stream"}, Case{"i.ico", "application/octet-stream"},
                            Case{"dir.html/noext", "application/octet-stream"}, Case{"trailing.", "application/octet-stream"}})
    EXPECT_EQ(SchemeHandler::contentType(name), type) << name;
}

TEST(SchemeHandlerConstants, SchemeAndBaseAddressAreTheCatalogs) {
  EXPECT_EQ(SchemeHandler::scheme, "velmar");
  EXPECT_EQ(SchemeHandler::baseURL, "velmar://casino/");
  EXPECT_EQ(g_quark_to_string(SchemeHandler::errorDomain()), std::string("VelmarScheme"));
}

}  // namespace
}  // namespace velmar
