// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/tables.h"

#include <glib.h>

#include <memory>

namespace velmar::Tables {

namespace {

struct UriDeleter {
  void operator()(GUri* uri) const { g_uri_unref(uri); }
};
using UriPtr = std::unique_ptr<GUri, UriDeleter>;

UriPtr parse(std::string_view address) {
  std::string text(address);
  // The decoded path is what names a file; fall back to the encoded form for
  // an address whose escapes do not decode (such as "%zz").
  if (GUri* uri = g_uri_parse(text.c_str(), G_URI_FLAGS_NONE, nullptr)) return UriPtr(uri);
  if (GUri* uri = g_uri_parse(text.c_str(), G_URI_FLAGS_ENCODED, nullptr)) return UriPtr(uri);
  return nullptr;
}

std::string lastComponent(std::string_view path) {
  // Like a file URL's last component: a trailing slash does not end the name.
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  if (path == "/") return "/";
  auto slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::string url(std::string_view file) {
  g_autofree char* escaped =
      g_uri_escape_string(std::string(file).c_str(), G_URI_RESERVED_CHARS_ALLOWED_IN_PATH_ELEMENT, FALSE);
  return std::string(kBaseURL) + escaped;
}

std::string lobbyURL() { return url(lobbyFile); }

std::optional<std::string> pathOf(std::string_view address) {
  auto uri = parse(address);
  if (!uri) return std::nullopt;
  return std::string(g_uri_get_path(uri.get()));
}

std::string pageName(std::string_view address) {
  auto path = pathOf(address);
  return path ? lastComponent(*path) : std::string();
}

std::string schemeOf(std::string_view address) {
  // GUri lower-cases the scheme it keeps; this one keeps the case as written,
  // which the comparisons that must be case-sensitive need.
  g_autofree char* scheme = g_uri_parse_scheme(std::string(address).c_str());
  return scheme ? scheme : "";
}

const Table* table(std::string_view address) {
  auto name = pageName(address);
  for (const auto& row : all)
    if (row.file == name) return &row;
  return nullptr;
}

bool isKnownPage(std::string_view address) {
  if (schemeOf(address) != kScheme) return false;
  return pageName(address) == lobbyFile || table(address) != nullptr;
}

int indexOf(const Table* t) {
  for (size_t i = 0; i < all.size(); ++i)
    if (t && all[i].id == t->id) return static_cast<int>(i);
  return -1;
}

}  // namespace velmar::Tables
