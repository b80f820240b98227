// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/scheme_handler.h"

#include "platform/log.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <utility>

namespace velmar {

namespace {

// Resolves "." and ".." and collapses doubled slashes without touching the
// disk; a ".." above the file-system root stays at the root.
std::string normalise(const std::string& path) {
  g_autofree char* out = g_canonicalize_filename(path.c_str(), "/");
  return out;
}

// Closes the descriptor when it goes, on every way out.
struct OwnedFd {
  int fd;
  explicit OwnedFd(int fd) : fd(fd) {}
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;
  ~OwnedFd() {
    if (fd >= 0) ::close(fd);
  }
};

std::string realPath(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
  return real ? real.get() : "";
}

// Strictly below root: the root itself is not a file to serve.
bool within(const std::string& root, std::string_view path) {
  std::string prefix = root == "/" ? root : root + "/";
  return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0;
}

std::optional<std::string> unescape(const std::string& text) {
  // g_uri_unescape_string refuses malformed escapes and an escaped NUL.
  g_autofree char* out = g_uri_unescape_string(text.c_str(), nullptr);
  if (!out || !g_utf8_validate(out, -1, nullptr)) return std::nullopt;
  return std::string(out);
}

// The request's path, decoded once as an address parser does; null when the
// address does not parse at all.
std::optional<std::string> decodedPath(std::string_view address) {
  // Split rather than parse: parsing would drop "." and ".." segments before
  // the containment check could see them.
  std::string text(address);
  g_autofree char* path = nullptr;
  if (!g_uri_split(text.c_str(), G_URI_FLAGS_ENCODED, nullptr, nullptr, nullptr, nullptr, &path, nullptr, nullptr,
                   nullptr))
    return std::nullopt;
  std::string raw = path ? path : "";
  return unescape(raw).value_or(raw);
}

}  // namespace

SchemeHandler::Answer::Answer(Answer&& other) noexcept
    : status(other.status), contentType(std::move(other.contentType)), bytes(std::exchange(other.bytes, nullptr)) {}

SchemeHandler::Answer& SchemeHandler::Answer::operator=(Answer&& other) noexcept {
  std::swap(status, other.status);
  std::swap(contentType, other.contentType);
  std::swap(bytes, other.bytes);
  return *this;
}

SchemeHandler::Answer::~Answer() {
  if (bytes) g_bytes_unref(bytes);
}

SchemeHandler::SchemeHandler(std::string root) : root_(normalise(root)), realRoot_(realPath(root_)) {}

GQuark SchemeHandler::errorDomain() { return g_quark_from_static_string("VelmarScheme"); }

SchemeHandler::Target SchemeHandler::resolve(std::optional<std::string_view> address) const {
  if (!address) return {400, {}, "no address"};
  auto once = decodedPath(*address);
  if (!once) return {404, {}, "not an address"};
  // Addresses reach us with their escapes decoded once by the engine's own
  // parsing; a second decoding serves names that were escaped twice. When it
  // fails, the once-decoded path stands.
  std::string path = unescape(*once).value_or(*once);
  if (path.empty() || path == "/") path = "/index.html";
  // Normalising would drop a trailing slash or dot and turn "page.html/" into
  // the page itself.
  std::string_view last = std::string_view(path).substr(path.rfind('/') + 1);
  if (last.empty() || last == "." || last == "..") return {404, {}, "names a folder"};
  std::string relative = path[0] == '/' ? path.substr(1) : path;
  // Appending as text, never as a path of its own: a relative part that starts
  // with a slash still lands under the folder.
  std::string candidate = normalise(root_ + "/" + relative);
  if (!within(root_, candidate)) return {404, {}, "outside the web folder"};
  return {200, candidate, {}};
}

SchemeHandler::Answer SchemeHandler::serve(std::optional<std::string_view> address) const {
  auto refuse = [&](int status, std::string_view why) {
    logFailure("Velmar Casino: not serving " + (address ? std::string(*address) : std::string("a request")) + ": " +
               std::string(why));
    Answer refused;
    refused.status = status;
    return refused;
  };
  auto target = resolve(address);
  if (target.status != 200) return refuse(target.status, target.why);

  if (realRoot_.empty()) return refuse(404, "the web folder is missing");

  // Links may lead anywhere, so the check is on the real path, and nothing
  // outside the folder is opened, not even to be refused.
  std::string real = realPath(target.file);
  if (real.empty()) return refuse(404, g_strerror(errno));
  if (!within(realRoot_, real)) return refuse(404, "leads outside the web folder");
  // Only regular files are served. Opening must not wait: a FIFO or a device
  // would hold the main loop, and the whole application with it, until
  // something appeared at its other end. O_NOFOLLOW refuses a link put in the
  // file's place since its real path was taken.
  OwnedFd file(::open(real.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
  if (file.fd < 0) return refuse(404, g_strerror(errno));
  // A folder on the way may have been swapped for a link meanwhile: what was
  // opened is what counts.
  g_autofree char* opened = g_file_read_link(("/proc/self/fd/" + std::to_string(file.fd)).c_str(), nullptr);
  if (!opened) return refuse(404, "could not tell where it leads");
  if (!within(realRoot_, opened)) return refuse(404, "leads outside the web folder");
  struct stat info {};
  if (fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
    return refuse(404, S_ISDIR(info.st_mode) ? "names a folder" : "not a regular file");

  // Read, never mapped: a mapped file that shrinks while the engine reads it
  // ends the process with SIGBUS. Read once, a file that changes meanwhile can
  // only cut the answer short.
  gsize size = static_cast<gsize>(info.st_size);
  g_autofree char* data = static_cast<char*>(g_try_malloc(size));
  if (size && !data) return refuse(404, "too large to read");
  gsize got = 0;
  while (got < size) {
    ssize_t n = ::read(file.fd, data + got, size - got);
    if (n == 0) break;
    if (n > 0)
      got += static_cast<gsize>(n);
    else if (errno != EINTR)
      return refuse(404, g_strerror(errno));
  }
  if (got < size)
    logFailure("Velmar Casino: " + std::string(*address) + " shrank while being read; serving " + std::to_string(got) +
               " of " + std::to_string(size) + " bytes");
  Answer answer;
  answer.status = 200;
  answer.bytes = g_bytes_new_take(g_steal_pointer(&data), got);
  answer.contentType = contentType(target.file);
  return answer;
}

std::string_view SchemeHandler::contentType(std::string_view fileName) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 14> types{{
      {"html", "text/html; charset=utf-8"},
      {"js", "text/javascript; charset=utf-8"},
      {"css", "text/css; charset=utf-8"},
      {"json", "application/json"},
      {"woff2", "font/woff2"},
      {"svg", "image/svg+xml"},
      {"png", "image/png"},
      {"jpg", "image/jpeg"},
      {"jpeg", "image/jpeg"},
      {"webp", "image/webp"},
      {"mp3", "audio/mpeg"},
      {"m4a", "audio/mp4"},
      {"ogg", "audio/ogg"},
      {"wav", "audio/wav"},
  }};
  auto slash = fileName.rfind('/');
  std::string_view name = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
  auto dot = name.rfind('.');
  std::string extension;
  if (dot != std::string_view::npos)
    for (char c : name.substr(dot + 1)) extension += g_ascii_tolower(c);
  for (const auto& [ext, type] : types)
    if (ext == extension) return type;
  return "application/octet-stream";
}

}  // namespace velmar
