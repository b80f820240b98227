// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/scheme_handler.h"

#include <libsoup/soup.h>

namespace velmar {

void SchemeHandler::registerWith(const std::shared_ptr<const SchemeHandler>& handler, WebKitWebContext* context) {
  auto* held = new std::shared_ptr<const SchemeHandler>(handler);
  webkit_web_context_register_uri_scheme(
      context, std::string(scheme).c_str(),
      [](WebKitURISchemeRequest* request, gpointer data) {
        (*static_cast<std::shared_ptr<const SchemeHandler>*>(data))->answer(request);
      },
      held, [](gpointer data) { delete static_cast<std::shared_ptr<const SchemeHandler>*>(data); });
}

void SchemeHandler::answer(WebKitURISchemeRequest* request) const {
  const char* uri = webkit_uri_scheme_request_get_uri(request);
  Answer answer = serve(uri ? std::optional<std::string_view>(uri) : std::nullopt);
  if (answer.status != 200) {
    g_autoptr(GError) error = g_error_new_literal(errorDomain(), answer.status, answer.status == 400 ? "Bad request" : "Not found");
    webkit_uri_scheme_request_finish_error(request, error);
    return;
  }
  // The engine reads the answer's bytes in chunks; nothing is copied here.
  gsize size = g_bytes_get_size(answer.bytes);
  g_autoptr(GInputStream) stream = g_memory_input_stream_new_from_bytes(answer.bytes);
  g_autoptr(WebKitURISchemeResponse) response = webkit_uri_scheme_response_new(stream, static_cast<gint64>(size));
  // The engine offers no way to set the protocol version; it answers as HTTP/1.1.
  webkit_uri_scheme_response_set_status(response, 200, nullptr);
  webkit_uri_scheme_response_set_content_type(response, answer.contentType.c_str());
  // Setting headers replaces all of them, the content type included, so it
  // goes into the set as well or fetch() sees none (WebKitGTK 2.50).
  SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
  soup_message_headers_append(headers, "Content-Type", answer.contentType.c_str());
  soup_message_headers_append(headers, "Cache-Control", "no-cache");
  webkit_uri_scheme_response_set_http_headers(response, headers);
  webkit_uri_scheme_request_finish_with_response(request, response);
}

}  // namespace velmar
