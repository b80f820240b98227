// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/i18n.h"

#include "shell/resources.h"

#include <clocale>

namespace velmar {

void bindTranslations() {
  setlocale(LC_ALL, "");
  if (auto resources = resourceFolder()) {
    g_autofree char* share = g_path_get_dirname(resources->c_str());
    g_autofree char* locale = g_build_filename(share, "locale", nullptr);
    bindtextdomain(GETTEXT_PACKAGE, locale);
  }
  bind_textdomain_codeset(GETTEXT_PACKAGE, "UTF-8");
  textdomain(GETTEXT_PACKAGE);
}

}  // namespace velmar
