#include "host/page_script.h"

namespace velmar::PageScript {

namespace {

constexpr std::string_view kHead = "(() => {\n  const SEED = ";

constexpr std::string_view kMiddle =
    ";\n"
    "  const ls = window.localStorage;\n"
    "  const P = Storage.prototype, set = P.setItem, rem = P.removeItem, clr = P.clear;\n"
    "  try { clr.call(ls); for (const k of Object.keys(SEED)) set.call(ls, k, SEED[k]); }\n"
    "  catch (e) { console.warn('Velmar Casino: restore failed', e); }\n"
    "\n"
    "  let frozen = false, timer = 0;\n"
    "  const flush = () => {\n"
    "    clearTimeout(timer); timer = 0;\n"
    "    if (frozen) return;\n"
    "    try {\n"
    "      const data = {};\n"
    "      for (let i = 0; i < ls.length; i++) { const k = ls.key(i); data[k] = ls.getItem(k); }\n"
    "      window.webkit.messageHandlers.";

constexpr std::string_view kTail =
    ".postMessage({ type: 'save', data });\n"
    "    } catch (e) { console.warn('Velmar Casino: save failed', e); }\n"
    "  };\n"
    "  const later = () => { if (!timer) timer = setTimeout(flush, 250); };\n"
    "  const guard = (fn) => function (...args) {\n"
    "    if (this === ls && frozen) return;\n"
    "    const out = fn.apply(this, args);\n"
    "    if (this === ls) later();\n"
    "    return out;\n"
    "  };\n"
    "  P.setItem = guard(set); P.removeItem = guard(rem); P.clear = guard(clr);\n"
    "\n"
    "  addEventListener('pagehide', flush);\n"
    "  document.addEventListener('visibilitychange', () => { if (document.hidden) flush(); });\n"
    "  window.__vlCasino = {\n"
    "    flush,\n"
    "    freeze(key) { frozen = true; clearTimeout(timer); try { rem.call(ls, key); } catch (e) {} },\n"
    "  };\n"
    "})();";

static_assert(kHead.size() == 24 && kMiddle.size() == 549 && kTail.size() == 701);

}  // namespace

std::string make(std::string_view seed) {
  std::string out;
  out.reserve(kHead.size() + seed.size() + kMiddle.size() + handlerName.size() + kTail.size());
  out.append(kHead).append(seed).append(kMiddle).append(handlerName).append(kTail);
  return out;
}

}  // namespace velmar::PageScript
