// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/tables.h"

#include <glib.h>
#include <webkit/webkit.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// The content server: answers the engine's requests for the private scheme
// from the web folder, and never from anywhere outside it.
class SchemeHandler {
 public:
  static constexpr std::string_view scheme = kScheme;
  static constexpr std::string_view baseURL = kBaseURL;

  // Where a request leads: a file strictly inside the folder, or a refusal.
  struct Target {
    int status = 404;      // 200, 400 or 404
    std::string file;      // set when status is 200
    std::string_view why;  // set when refused, for the log
  };

  // A complete answer: the bytes of the whole file, read when it was served
  // and so untouched by later changes to it, and its type; or an error status
  // with no bytes.
  struct Answer {
    int status = 404;
    std::string contentType;
    GBytes* bytes = nullptr;  // owned; unreffed by the destructor
    Answer() = default;
    Answer(Answer&& other) noexcept;
    Answer& operator=(Answer&& other) noexcept;
    ~Answer();
  };

  // root is the web folder; it is normalised once, lexically (no symbolic
  // links are followed), without a trailing slash. Its real path is taken
  // once as well: served files must really lie inside it.
  explicit SchemeHandler(std::string root);

  const std::string& root() const { return root_; }

  // Maps a request address to its file, by its text alone; no address gives
  // 400, and an address that names a folder (a trailing slash) gives 404.
  Target resolve(std::optional<std::string_view> address) const;
  // Resolves and reads the file. Links are followed only while they stay
  // inside the folder; anything else, or a file that is not a regular one or
  // cannot be read, gives 404. Every refusal is logged with its reason.
  Answer serve(std::optional<std::string_view> address) const;

  // The type for a file name, by its lower-cased extension.
  static std::string_view contentType(std::string_view fileName);

  // The error domain of failed requests ("VelmarScheme").
  static GQuark errorDomain();

  // Answers "velmar" requests in that context from this folder. The context
  // keeps the handler alive for as long as it keeps the registration.
  static void registerWith(const std::shared_ptr<const SchemeHandler>& handler, WebKitWebContext* context);
  // Answers one engine request; public so that benchmarks can drive it.
  void answer(WebKitURISchemeRequest* request) const;

 private:
  std::string root_;
  std::string realRoot_;  // empty when the folder could not be found
};

}  // namespace velmar
