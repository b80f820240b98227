// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/menus.h"

#include "catalog/tables.h"
#include "platform/resource_text.h"
#include "shell/commands.h"

#include <gtk/gtk.h>

#include <string>

extern "C" GResource* velmar_shell_get_resource(void);

namespace velmar {

namespace {

// The access keys that the items of a menu, through its sections, already use.
void takenKeys(GMenuModel* menu, std::string& taken) {
  for (int i = 0; i < g_menu_model_get_n_items(menu); ++i) {
    if (g_autoptr(GMenuModel) section = g_menu_model_get_item_link(menu, i, G_MENU_LINK_SECTION))
      takenKeys(section, taken);
    g_autofree char* label = nullptr;
    if (g_menu_model_get_item_attribute(menu, i, G_MENU_ATTRIBUTE_LABEL, "s", &label)) taken += Commands::accessKey(label);
  }
}

}  // namespace

GtkBuilder* shellInterface(const char* name) {
  const std::string ui = resourceText(velmar_shell_get_resource(), ("/com/velmar/Casino/shell/" + std::string(name)).c_str());
  GtkBuilder* builder = gtk_builder_new();
  gtk_builder_set_translation_domain(builder, GETTEXT_PACKAGE);
  g_autoptr(GError) error = nullptr;
  // The file is built into the program; one that does not read is a broken build.
  if (!gtk_builder_add_from_string(builder, ui.c_str(), static_cast<gssize>(ui.size()), &error))
    g_error("Velmar Casino: %s does not read: %s", name, error->message);
  return builder;
}

GMenuModel* buildMenuBar() {
  g_autoptr(GtkBuilder) builder = shellInterface("menus.ui");

  // The tables' names are proper names and stay as they are; each gets the
  // first letter that no other item of the menu uses, in any language.
  std::string taken;
  takenKeys(G_MENU_MODEL(gtk_builder_get_object(builder, "table")), taken);
  GMenu* tables = G_MENU(gtk_builder_get_object(builder, "tables"));
  for (const Table& row : Tables::all) {
    std::string action = "app.page::" + std::string(row.id);
    g_menu_append(tables, Commands::withAccessKey(row.name, taken).c_str(), action.c_str());
  }
  return G_MENU_MODEL(g_object_ref(gtk_builder_get_object(builder, "menubar")));
}

}  // namespace velmar
