// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/notices.h"

#include "catalog/tables.h"
#include "shell/i18n.h"

#include <vector>

namespace velmar {

namespace {

std::string formatted(const char* format, auto... args) {
  g_autofree char* text = g_strdup_printf(format, args...);
  return text;
}

// "A", "A and B", "A, B and C".
std::string nameList(const std::vector<std::string>& names) {
  std::string list = names.front();
  for (size_t i = 1; i < names.size(); ++i)
    list = i + 1 < names.size() ? list + ", " + names[i]
                                // Translators: the last two of a list of table names.
                                : formatted(_("%s and %s"), list.c_str(), names[i].c_str());
  return list;
}

}  // namespace

std::string saveTroubleNotice(const SaveTrouble& trouble) {
  std::vector<std::string> sentences;
  if (trouble.stalled)
    sentences.emplace_back(_("Saving is taking a long time: the disk isn’t answering. Your chips are kept and will "
                             "be saved as soon as it does."));
  else if (trouble.behind)
    sentences.emplace_back(_("Your chips can’t be saved right now: the disk is full or refuses the file. They are "
                             "kept and will be saved as soon as possible."));
  std::vector<std::string> names;
  for (const auto& id : trouble.unsavedTables)
    for (const Table& table : Tables::all)
      if (table.id == id) names.emplace_back(table.name);
  if (!names.empty())
    sentences.push_back(formatted(
        // Translators: %s is one table's name, or a list of them.
        ngettext("%s can’t save its chips this visit. Open the table again to try again.",
                 "%s can’t save their chips this visit. Open these tables again to try again.", names.size()),
        nameList(names).c_str()));
  std::string text;
  for (const auto& sentence : sentences) text += (text.empty() ? "" : " ") + sentence;
  return text;
}

Banner saveBanner(const SaveTrouble& now, bool toldTrouble) {
  std::string trouble = saveTroubleNotice(now);
  if (!trouble.empty()) return {trouble, true, false};
  if (toldTrouble) return {_("Your chips are saved again."), true, true};
  return {};
}

std::string alreadyOpenNotice(std::optional<long> pid, const std::string& host) {
  if (pid && !host.empty())
    // Translators: %ld is a process number, %s a computer's name.
    return formatted(_("Velmar Casino is already open in another session (process %ld on %s)."), *pid, host.c_str());
  if (pid)
    // Translators: %ld is a process number.
    return formatted(_("Velmar Casino is already open in another session (process %ld)."), *pid);
  return _("Velmar Casino is already open in another session.");
}

}  // namespace velmar
