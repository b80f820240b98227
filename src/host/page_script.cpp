// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/page_script.h"

#include "host/decisions.h"

namespace velmar::PageScript {

namespace {

// The seed goes through JSON.parse rather than in as an object literal: a
// literal's "__proto__" member sets the prototype instead of making a key.
constexpr std::string_view kHead = "(() => {\n  const SEED = JSON.parse(";

constexpr std::string_view kEvening = ");\n  const EVENING = ";

constexpr std::string_view kMiddle =
    ";\n"
    "  const ls = window.localStorage;\n"
    "  // Every page has a web view, and so a session storage, of its own: the\n"
    "  // evening they share comes from here.\n"
    "  try { window.sessionStorage.setItem(EVENING[0], EVENING[1]); } catch (e) {}\n"
    "  const P = Storage.prototype, set = P.setItem, rem = P.removeItem, clr = P.clear;\n"
    "  // A key beyond the storage quota is skipped, not every key after it; the\n"
    "  // page's saves then say they are partial, and the host keeps its own.\n"
    "  let partial = false;\n"
    "  try { clr.call(ls); } catch (e) { partial = true; }\n"
    "  for (const k of Object.keys(SEED)) { try { set.call(ls, k, SEED[k]); } catch (e) { partial = true; } }\n"
    "  if (partial) console.warn('Velmar Casino: the saves did not all fit into this page');\n"
    "\n"
    "  let frozen = false, timer = 0;\n"
    "  const flush = () => {\n"
    "    clearTimeout(timer); timer = 0;\n"
    "    if (frozen) return;\n"
    "    try {\n"
    "      // The engine's copy of a message loses a property named __proto__,\n"
    "      // so that key travels beside the others.\n"
    "      const data = Object.create(null), message = { type: 'save', data };\n"
    "      for (let i = 0; i < ls.length; i++) {\n"
    "        const k = ls.key(i);\n"
    "        if (k === '__proto__') message.proto = ls.getItem(k); else data[k] = ls.getItem(k);\n"
    "      }\n"
    "      if (partial) message.partial = true;\n"
    "      window.webkit.messageHandlers.";

constexpr std::string_view kTail =
    ".postMessage(message);\n"
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

}  // namespace

std::string make(std::string_view seed, std::int64_t evening) {
  std::string literal = jsStringLiteral(seed);
  std::string pair = "[" + jsStringLiteral(eveningKey) + ", '" + std::to_string(evening) + "']";
  std::string out;
  out.reserve(kHead.size() + literal.size() + kEvening.size() + pair.size() + kMiddle.size() + handlerName.size() +
              kTail.size());
  out.append(kHead).append(literal).append(kEvening).append(pair).append(kMiddle).append(handlerName).append(kTail);
  return out;
}

}  // namespace velmar::PageScript
