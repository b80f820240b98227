// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/release_notes.h"

#include <glib.h>

#include <algorithm>
#include <climits>

namespace velmar {

namespace {

// msgfmt writes each translated paragraph or list item right after its
// English original, marked with xml:lang: so an element without xml:lang
// opens a unit, and the translations that follow compete for it.
struct Unit {
  std::string list;  // "<ul>", "</ul>" and the like; empty for a text unit
  std::string tag;   // "p" or "li" for a text unit
  std::string text;
  int rank = INT_MAX;       // of the language text is in; English ranks last
};

struct Reader {
  const std::vector<std::string>* languages = nullptr;
  std::vector<std::string> path;
  bool inRelease = false, releaseDone = false;
  std::string version;
  std::vector<Unit> units;
  int depth = 0;        // within the release's <description>
  long current = -1;  // the unit whose text is being read

  int rankOf(const std::string& l) const {
    if (l.empty()) return INT_MAX - 1;
    auto at = std::find(languages->begin(), languages->end(), l);
    return at == languages->end() ? INT_MAX : static_cast<int>(at - languages->begin());
  }
};

const char* attribute(const char** names, const char** values, const char* wanted) {
  for (int i = 0; names[i]; ++i)
    if (g_strcmp0(names[i], wanted) == 0) return values[i];
  return nullptr;
}

void start(GMarkupParseContext*, const char* element, const char** names, const char** values, gpointer data,
           GError**) {
  auto* r = static_cast<Reader*>(data);
  std::string name = element;
  r->path.push_back(name);
  if (r->releaseDone) return;
  if (name == "release" && r->path.size() == 3 && r->path[1] == "releases") {
    r->inRelease = true;
    if (const char* v = attribute(names, values, "version")) r->version = v;
    return;
  }
  if (!r->inRelease) return;
  if (name == "description" && r->path.size() == 4) {
    r->depth = 1;
    return;
  }
  if (r->depth == 0) return;
  ++r->depth;
  if (name == "ul" || name == "ol") {
    r->units.push_back({"<" + name + ">"});
  } else if (name == "p" || name == "li") {
    const char* lang = attribute(names, values, "xml:lang");
    r->current = -1;
    if (!lang) {
      r->units.push_back({{}, name, {}, r->rankOf("")});
      r->current = static_cast<long>(r->units.size()) - 1;
    } else if (!r->units.empty() && r->units.back().tag == name && r->rankOf(lang) < r->units.back().rank) {
      // A translation replaces what its original holds when it ranks better.
      r->units.back().rank = r->rankOf(lang);
      r->units.back().text.clear();
      r->current = static_cast<long>(r->units.size()) - 1;
    }
  }
}

void end(GMarkupParseContext*, const char* element, gpointer data, GError**) {
  auto* r = static_cast<Reader*>(data);
  std::string name = element;
  r->path.pop_back();
  if (r->releaseDone) return;
  if (r->depth > 0) {
    --r->depth;
    if (name == "p" || name == "li") r->current = -1;
    if (r->depth > 0 && (name == "ul" || name == "ol")) r->units.push_back({"</" + name + ">"});
  }
  if (name == "release" && r->inRelease) {
    r->inRelease = false;
    r->releaseDone = true;
  }
}

void text(GMarkupParseContext*, const char* text, gsize length, gpointer data, GError**) {
  auto* r = static_cast<Reader*>(data);
  if (r->current >= 0) r->units[r->current].text.append(text, length);
}

// Runs of white space, line breaks included, read as one space.
std::string collapsed(const std::string& text) {
  std::string out;
  bool space = false;
  for (char c : text) {
    if (g_ascii_isspace(c)) {
      space = !out.empty();
      continue;
    }
    if (space) out += ' ';
    space = false;
    out += c;
  }
  return out;
}

}  // namespace

ReleaseNotes readReleaseNotes(std::string_view metainfo, const std::vector<std::string>& languages) {
  Reader reader;
  reader.languages = &languages;
  GMarkupParser parser{start, end, text, nullptr, nullptr};
  GMarkupParseContext* context = g_markup_parse_context_new(&parser, G_MARKUP_PREFIX_ERROR_POSITION, &reader, nullptr);
  bool ok = g_markup_parse_context_parse(context, metainfo.data(), static_cast<gssize>(metainfo.size()), nullptr) &&
            g_markup_parse_context_end_parse(context, nullptr);
  g_markup_parse_context_free(context);
  if (!ok || !reader.releaseDone) return {};

  ReleaseNotes notes{reader.version, {}};
  for (const Unit& unit : reader.units) {
    if (unit.tag.empty()) {
      notes.markup += unit.list;
      continue;
    }
    g_autofree char* escaped = g_markup_escape_text(collapsed(unit.text).c_str(), -1);
    notes.markup += "<" + unit.tag + ">" + escaped + "</" + unit.tag + ">";
  }
  return notes;
}

}  // namespace velmar
