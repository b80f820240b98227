// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/page_script.h"

#include "host/decisions.h"
#include "platform/resource_text.h"

extern "C" GResource* velmar_host_get_resource(void);

namespace velmar::PageScript {

const std::string& source() {
  static const std::string text = resourceText(velmar_host_get_resource(), "/com/velmar/Casino/host/bridge/page.js");
  return text;
}

std::string make(std::string_view seed, std::int64_t evening) {
  // The seed is already the JSON of an object; the rest is joined around it
  // so that large saves are not read back in to be written out again.
  std::string config = "{\"handler\":" + jsStringLiteral(handlerName) + ",\"eveningKey\":" +
                       jsStringLiteral(eveningKey) + ",\"evening\":\"" + std::to_string(evening) + "\",\"seed\":";
  config.append(seed).append("}");
  std::string literal = jsStringLiteral(config);
  const std::string& body = source();
  std::string out;
  out.reserve(body.size() + literal.size() + 4);
  out.append(body).append("(").append(literal).append(");\n");
  return out;
}

}  // namespace velmar::PageScript
