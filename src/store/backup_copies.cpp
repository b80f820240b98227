// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/backup_copies.h"

#include "platform/log.h"
#include "store/saves_format.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>

namespace velmar {

namespace {

struct Read {
  std::string bytes;
  std::int64_t modified = 0;
};

void refuse(const std::string& file, const std::string& why) {
  g_autofree char* name = g_path_get_basename(file.c_str());
  logFailure("Velmar Casino: the backup " + std::string(name) + " " + why + "; it is skipped");
}

// Never blocks on a FIFO, never follows a link, never reads past the bound:
// a hostile file in the folder costs one log line and nothing else.
std::optional<Read> readCopy(const std::string& file) {
  int fd = g_open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0);
  if (fd < 0) {
    int code = errno;
    refuse(file, code == ELOOP ? "is a symbolic link" : std::string("could not be read (") + g_strerror(code) + ")");
    return std::nullopt;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    refuse(file, "is not a regular file");
    return std::nullopt;
  }
  if (info.st_size > kLargestBackup) {
    close(fd);
    refuse(file, "is too large (" + std::to_string(info.st_size) + " bytes)");
    return std::nullopt;
  }
  Read out;
  out.modified = info.st_mtime;
  out.bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
      out.bytes.append(buffer, static_cast<std::size_t>(got));
      // A file that grows while it is read is held to the same bound.
      if (static_cast<std::int64_t>(out.bytes.size()) > kLargestBackup) {
        close(fd);
        refuse(file, "is too large");
        return std::nullopt;
      }
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      int code = errno;
      close(fd);
      refuse(file, std::string("could not be read (") + g_strerror(code) + ")");
      return std::nullopt;
    }
  }
  close(fd);
  return out;
}

struct Found {
  std::string date;
  std::string file;
  std::string name;
  std::int64_t modified;
  std::string value;
};

std::optional<Found> valueIn(const std::string& file, std::string_view key) {
  auto copy = readCopy(file);
  if (!copy) return std::nullopt;
  auto saves = decodeSaves(copy->bytes);
  if (!saves) {
    refuse(file, "does not hold saves");
    return std::nullopt;
  }
  auto at = saves->find(std::string(key));
  if (at == saves->end()) return std::nullopt;
  return Found{{}, file, {}, copy->modified, std::move(at->second)};
}

}  // namespace

std::optional<std::string> backupDate(std::string_view name) {
  constexpr std::string_view prefix = "saves-";
  if (!name.starts_with(prefix) || !name.ends_with(".json")) return std::nullopt;
  std::string_view rest = name.substr(prefix.size());
  if (rest.size() < 10) return std::nullopt;
  for (std::size_t i = 0; i < 10; ++i) {
    bool dash = i == 4 || i == 7;
    if (dash ? rest[i] != '-' : !g_ascii_isdigit(rest[i])) return std::nullopt;
  }
  // "saves-2024-03-091.json" is no day of March.
  if (rest.size() > 10 && g_ascii_isdigit(rest[10])) return std::nullopt;
  std::string date(rest.substr(0, 10));
  int year = std::stoi(date.substr(0, 4)), month = std::stoi(date.substr(5, 2)), day = std::stoi(date.substr(8, 2));
  if (year < 1 || !g_date_valid_dmy(static_cast<GDateDay>(day), static_cast<GDateMonth>(month),
                                    static_cast<GDateYear>(year)))
    return std::nullopt;
  return date;
}

std::optional<std::string> readBackupValue(const std::string& file, std::string_view key) {
  auto found = valueIn(file, key);
  if (!found) return std::nullopt;
  return std::move(found->value);
}

std::vector<BackupDay> listBackups(const std::string& folder, std::string_view key) {
  std::vector<Found> found;
  if (GDir* dir = g_dir_open(folder.c_str(), 0, nullptr)) {
    while (const char* entry = g_dir_read_name(dir)) {
      auto date = backupDate(entry);
      if (!date) continue;
      std::string file = folder + "/" + entry;
      if (auto value = valueIn(file, key)) {
        value->date = std::move(*date);
        value->name = entry;
        found.push_back(std::move(*value));
      }
    }
    g_dir_close(dir);
  }
  // Newest first: by day, then by the time the file was last written, then
  // by name so that the order never depends on the folder's.
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.date != b.date) return a.date > b.date;
    if (a.modified != b.modified) return a.modified > b.modified;
    return a.name > b.name;
  });
  std::vector<BackupDay> days;
  std::set<std::string> seen;
  for (Found& f : found) {
    if (days.empty() || days.back().date != f.date) {
      days.push_back({f.date, {}});
      seen.clear();
    }
    if (!seen.insert(f.value).second) continue;
    days.back().copies.push_back({std::move(f.file), f.modified, std::move(f.value)});
  }
  return days;
}

}  // namespace velmar
