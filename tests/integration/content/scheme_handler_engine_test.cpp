// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/scheme_handler.h"

#include "platform/gobject_ptr.h"
#include "support/web_harness.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

// A bare web view in a context of its own, served by the content server from
// the fixture site's web folder.
class ContentServerThroughTheEngine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::initToolkit(); }

  void SetUp() override {
    context = Ref<WebKitWebContext>::adopt(webkit_web_context_new());
    SchemeHandler::registerWith(std::make_shared<const SchemeHandler>(VELMAR_FIXTURES "/site/web"), context.get());
    view = Ref<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(
        g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context.get(), "network-session",
                     webkit_network_session_get_default(), nullptr))));
    g_signal_connect(view.get(), "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer self) {
                       if (event == WEBKIT_LOAD_FINISHED) ++static_cast<ContentServerThroughTheEngine*>(self)->finished;
                     }),
                     this);
  }

  void show(const std::string& address) {
    int before = finished;
    webkit_web_view_load_uri(view.get(), address.c_str());
    ASSERT_TRUE(test::waitFor([&] { return finished > before; }));
  }

  // What fetch() makes of an address: the body text and the headers, or "refused".
  std::string fetched(const std::string& address) {
    auto got = test::runJS(view.get(), "try { const r = await fetch('" + address +
                                           "'); return [r.status, [...r.headers].map(h => h.join(': ')).join(', '), "
                                           "await r.text()]; } catch (e) { return 'refused'; }");
    return got.value_or("no answer");
  }

  std::string title() { return test::runJS(view.get(), "return document.title;").value_or("no answer"); }

  Ref<WebKitWebContext> context;
  Ref<WebKitWebView> view;
  int finished = 0;
};

TEST_F(ContentServerThroughTheEngine, PagesModulesAndFontsLoad) {
  show("velmar://casino/module.html");
  EXPECT_TRUE(test::waitFor([&] { return test::pageSays(view.get(), "window.moduleAnswer", "42"); }));
  EXPECT_TRUE(test::pageSays(view.get(), "window.isSecureContext", "true"));

  show("velmar://casino/font.html");
  auto status = test::runJS(view.get(),
                            "await document.fonts.ready; const f = [...document.fonts].find(f => f.family.includes('Fixture'));"
                            " if (f) await f.load(); return f ? f.status : 'missing';");
  EXPECT_EQ(status, "\"loaded\"");
}

// The engine hands over the address as it is: any host serves the same
// folder, the root is the index, and escapes reach the server still escaped.
TEST_F(ContentServerThroughTheEngine, AnyHostServesTheSameFolderWithEscapesDecodedTwiceAndNothingOutsideIt) {
  show("velmar://casino/");
  EXPECT_EQ(title(), "\"index\"");
  show("velmar://elsewhere/velmar-casino.html?x=1#y");
  EXPECT_EQ(title(), "\"lobby\"");
  EXPECT_NE(fetched("a%2520b.json").find(R"({\"name\": \"a b\"})"), std::string::npos);
  EXPECT_NE(fetched("100%25.json").find(R"({\"name\": \"100%\"})"), std::string::npos);
  for (const char* address : {"../secret.txt", "%2e%2e/secret.txt", "%252e%252e/secret.txt", "%252e%252e/web-old/old.html",
                              "sub/", "sub", "sub/inner.html/", "missing.json"})
    EXPECT_EQ(fetched(address), "\"refused\"") << address;
  EXPECT_NE(fetched("sub/inner.html").find("inner"), std::string::npos);
}

TEST_F(ContentServerThroughTheEngine, FetchSeesExactlyTheTwoHeaders) {
  show("velmar://casino/velmar-casino.html");
  EXPECT_EQ(fetched("data.json?x=1#y"),
            R"([200,"cache-control: no-cache, content-type: application/json","{\"served\": true}\n"])");
  EXPECT_EQ(fetched("noext"), R"([200,"cache-control: no-cache, content-type: application/octet-stream","plain bytes"])");
  EXPECT_EQ(fetched("mod/b.js"),
            R"([200,"cache-control: no-cache, content-type: text/javascript; charset=utf-8","export const base = 21;\n"])");
}

}  // namespace
}  // namespace velmar
