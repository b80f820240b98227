#include "host/page_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace velmar {
namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::string::size_type start = 0;
  while (true) {
    auto end = text.find('\n', start);
    out.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return out;
    start = end + 1;
  }
}

TEST(PageScript, TheScriptForAnEmptySeedIsExactlyTheThirtyThreeLines) {
  const std::vector<std::string> expected{
      "(() => {",
      "  const SEED = {};",
      "  const ls = window.localStorage;",
      "  const P = Storage.prototype, set = P.setItem, rem = P.removeItem, clr = P.clear;",
      "  try { clr.call(ls); for (const k of Object.keys(SEED)) set.call(ls, k, SEED[k]); }",
      "  catch (e) { console.warn('Velmar Casino: restore failed', e); }",
      "",
      "  let frozen = false, timer = 0;",
      "  const flush = () => {",
      "    clearTimeout(timer); timer = 0;",
      "    if (frozen) return;",
      "    try {",
      "      const data = {};",
      "      for (let i = 0; i < ls.length; i++) { const k = ls.key(i); data[k] = ls.getItem(k); }",
      "      window.webkit.messageHandlers.casino.postMessage({ type: 'save', data });",
      "    } catch (e) { console.warn('Velmar Casino: save failed', e); }",
      "  };",
      "  const later = () => { if (!timer) timer = setTimeout(flush, 250); };",
      "  const guard = (fn) => function (...args) {",
      "    if (this === ls && frozen) return;",
      "    const out = fn.apply(this, args);",
      "    if (this === ls) later();",
      "    return out;",
      "  };",
      "  P.setItem = guard(set); P.removeItem = guard(rem); P.clear = guard(clr);",
      "",
      "  addEventListener('pagehide', flush);",
      "  document.addEventListener('visibilitychange', () => { if (document.hidden) flush(); });",
      "  window.__vlCasino = {",
      "    flush,",
      "    freeze(key) { frozen = true; clearTimeout(timer); try { rem.call(ls, key); } catch (e) {} },",
      "  };",
      "})();",
  };
  auto script = PageScript::make("{}");
  EXPECT_EQ(lines(script), expected);
  EXPECT_NE(script.back(), '\n');
  EXPECT_EQ(script.size(), 24 + 2 + 549 + 6 + 701);
}

TEST(PageScript, TheSeedGoesInVerbatimOnTheSecondLine) {
  std::string seed = R"({"a\"b":"x\u2028y","roulette-royale.v1":"{\"chips\":5}"})";
  auto script = PageScript::make(seed);
  EXPECT_EQ(lines(script)[1], "  const SEED = " + seed + ";");
  EXPECT_EQ(lines(script).size(), 33u);
  EXPECT_EQ(PageScript::handlerName, "casino");
}

}  // namespace
}  // namespace velmar
