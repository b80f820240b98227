// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/restore_dialog.h"

#include "host/alert.h"
#include "host/saved_chips.h"
#include "platform/gobject_ptr.h"
#include "platform/log.h"
#include "shell/i18n.h"
#include "shell/toasts.h"
#include "store/backup_copies.h"

#include <adwaita.h>

#include <clocale>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace velmar {

namespace {

struct Choice {
  std::string date;
  std::string label;
  // Nothing for a copy whose chips cannot be read: it is listed, not offered.
  std::optional<std::int64_t> cents;
  std::string value;
};

struct Flow {
  std::weak_ptr<Casino> casino;
  WeakRef<GtkWindow> parent;
  WeakRef<GActionMap> actions;
  const Table* table = nullptr;
  std::string folder;
  std::vector<BackupDay> days;
};

bool stillShown(const Flow& flow) {
  auto casino = flow.casino.lock();
  const Table* shown = casino ? casino->currentTable() : nullptr;
  return shown && shown->id == flow.table->id;
}

std::string chipsText(std::int64_t cents) {
  const lconv* locale = std::localeconv();
  std::string thousands = locale && locale->thousands_sep && *locale->thousands_sep ? locale->thousands_sep : ",";
  std::string point = locale && locale->decimal_point && *locale->decimal_point ? locale->decimal_point : ".";
  std::string figure = chipsFigure(cents, thousands, point);
  // Part chips read as several in English and German alike.
  unsigned long count = cents % 100 == 0 ? static_cast<unsigned long>(cents / 100) : 2;
  // Translators: %s is a number of chips, such as "1,000" or "12.50".
  g_autofree char* text = g_strdup_printf(ngettext("%s chip", "%s chips", count), figure.c_str());
  return text;
}

std::string dayText(const std::string& date) {
  int year = 0, month = 0, day = 0;
  if (std::sscanf(date.c_str(), "%d-%d-%d", &year, &month, &day) != 3) return date;
  g_autoptr(GDateTime) moment = g_date_time_new_local(year, month, day, 12, 0, 0);
  g_autoptr(GDateTime) now = g_date_time_new_now_local();
  if (!moment || !now) return date;
  // Translators: a day as strftime writes it; %-d is the day, %B the month, %Y the year.
  const char* format = g_date_time_get_year(moment) == g_date_time_get_year(now) ? _("%-d %B") : _("%-d %B %Y");
  g_autofree char* text = g_date_time_format(moment, format);
  return text ? text : date;
}

std::string timeText(std::int64_t seconds) {
  g_autoptr(GDateTime) moment = g_date_time_new_from_unix_local(seconds);
  g_autofree char* text = moment ? g_date_time_format(moment, "%H:%M") : nullptr;
  return text ? text : "";
}

// Closes the dialog when the page shown is no longer the flow's table.
void closeWhenTableChanges(GtkWidget* dialog, const std::shared_ptr<Flow>& flow) {
  auto actions = flow->actions.lock();
  GAction* page = actions ? g_action_map_lookup_action(actions.get(), "page") : nullptr;
  if (!page) return;
  g_object_set_data_full(G_OBJECT(dialog), "velmar-table", g_strdup(std::string(flow->table->id).c_str()), g_free);
  g_signal_connect_object(page, "notify::state", G_CALLBACK(+[](GAction* action, GParamSpec*, GtkWidget* dialog) {
                            g_autoptr(GVariant) state = g_action_get_state(action);
                            const char* table = static_cast<const char*>(g_object_get_data(G_OBJECT(dialog), "velmar-table"));
                            if (!state || g_strcmp0(g_variant_get_string(state, nullptr), table) != 0)
                              alert::close(dialog);
                          }),
                          dialog, GConnectFlags(0));
}

GtkWidget* messageDialog(const Flow& flow, const char* heading, const char* body) {
  auto parent = flow.parent.lock();
  GtkWidget* dialog = alert::create(parent.get(), heading, body);
  alert::addResponse(dialog, "cancel", _("_Cancel"));
  alert::setDefault(dialog, "cancel");
  alert::setClose(dialog, "cancel");
  return dialog;
}

// Calls fn once with the first response: libadwaita 1.2 sends a second one
// when a dialog closes after answering.
template <class Fn>
void onResponse(GtkWidget* dialog, Fn fn) {
  struct Answer {
    Fn fn;
    bool answered = false;
  };
  g_signal_connect_data(
      dialog, "response",
      G_CALLBACK(+[](GtkWidget* dialog, const char* response, Answer* answer) {
        if (answer->answered) return;
        answer->answered = true;
        answer->fn(std::string(response ? response : ""));
        alert::close(dialog);
      }),
      new Answer{std::move(fn)}, +[](gpointer data, GClosure*) { delete static_cast<Answer*>(data); },
      GConnectFlags(0));
}

void restore(const std::shared_ptr<Flow>& flow, const Choice& choice) {
  auto casino = flow->casino.lock();
  if (!casino || !stillShown(*flow)) {
    logFailure("Velmar Casino: the table changed before the restore was confirmed; nothing was restored");
    return;
  }
  casino->restoreTable(*flow->table, choice.value);
  // Translators: "Roulette Royale is back to 515 chips from 5 December."
  g_autofree char* done = g_strdup_printf(_("%s is back to %s from %s."), std::string(flow->table->name).c_str(),
                                          chipsText(*choice.cents).c_str(), choice.label.c_str());
  showToast(flow->parent.lock().get(), done);
  logLine("Velmar Casino: " + std::string(flow->table->name) + " restored to " + chipsFigure(*choice.cents) +
          " chips from the backup of " + choice.date);
}

void confirm(const std::shared_ptr<Flow>& flow, const Choice& choice) {
  if (!stillShown(*flow)) return;
  std::string chips = chipsText(*choice.cents);
  // Translators: "Restore Roulette Royale to 515 chips from 5 December?"
  g_autofree char* heading = g_strdup_printf(_("Restore %s to %s from %s?"), std::string(flow->table->name).c_str(),
                                             chips.c_str(), choice.label.c_str());
  GtkWidget* dialog = messageDialog(
      *flow, heading,
      _("The chips, settings and history at this table go back to that copy. The other tables aren’t touched."));
  alert::addResponse(dialog, "restore", _("_Restore"));
  alert::setAppearance(dialog, "restore", ADW_RESPONSE_DESTRUCTIVE);
  onResponse(dialog, [flow, choice](const std::string& response) {
    if (response == "restore") restore(flow, choice);
  });
  closeWhenTableChanges(dialog, flow);
  alert::present(dialog);
}

std::vector<Choice> choices(const std::vector<BackupDay>& days) {
  std::vector<Choice> out;
  for (const BackupDay& day : days) {
    std::string label = dayText(day.date);
    for (const BackupCopy& copy : day.copies) {
      std::string shown = label;
      if (day.copies.size() > 1) shown += ", " + timeText(copy.modified);
      out.push_back({day.date, shown, savedBankroll(copy.value), copy.value});
    }
  }
  return out;
}

void showList(const std::shared_ptr<Flow>& flow) {
  if (!stillShown(*flow) || !flow->parent.lock()) return;
  auto list = std::make_shared<std::vector<Choice>>(choices(flow->days));
  std::string name(flow->table->name);
  // Translators: %s is the table's name, such as "Roulette Royale".
  g_autofree char* heading = g_strdup_printf(_("Restore %s from a Backup"), name.c_str());
  GtkWidget* dialog = messageDialog(*flow, heading,
                                    list->empty() ? _("There is no backup of this table’s chips yet.")
                                                  : _("Choose the day whose chips this table gets back."));
  if (!list->empty()) {
    GtkWidget* rows = gtk_list_box_new();
    gtk_widget_add_css_class(rows, "boxed-list");
    gtk_list_box_set_selection_mode(GTK_LIST_BOX(rows), GTK_SELECTION_NONE);
    for (const Choice& choice : *list) {
      GtkWidget* row = adw_action_row_new();
      adw_preferences_row_set_title(ADW_PREFERENCES_ROW(row), choice.label.c_str());
      adw_action_row_set_subtitle(ADW_ACTION_ROW(row),
                                  choice.cents ? chipsText(*choice.cents).c_str() : _("chips unknown"));
      // A copy whose chips cannot be read would bring back nothing the player can see.
      gtk_list_box_row_set_activatable(GTK_LIST_BOX_ROW(row), choice.cents.has_value());
      gtk_widget_set_sensitive(row, choice.cents.has_value());
      if (choice.cents) adw_action_row_add_suffix(ADW_ACTION_ROW(row), gtk_image_new_from_icon_name("go-next-symbolic"));
      gtk_list_box_append(GTK_LIST_BOX(rows), row);
    }
    GtkWidget* scroller = gtk_scrolled_window_new();
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(scroller), 360);
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(scroller), rows);
    alert::setExtraChild(dialog, scroller);

    struct Pick {
      std::shared_ptr<Flow> flow;
      std::shared_ptr<std::vector<Choice>> list;
      GtkWidget* dialog;
    };
    g_signal_connect_data(
        rows, "row-activated", G_CALLBACK(+[](GtkListBox*, GtkListBoxRow* row, Pick* pick) {
          int index = gtk_list_box_row_get_index(row);
          if (index < 0 || index >= static_cast<int>(pick->list->size()) || !(*pick->list)[index].cents) return;
          Choice choice = (*pick->list)[index];
          auto flow = pick->flow;
          // The list goes first: the confirmation takes its place.
          alert::respond(pick->dialog, "cancel");
          confirm(flow, choice);
        }),
        new Pick{flow, list, dialog}, +[](gpointer data, GClosure*) { delete static_cast<Pick*>(data); },
        GConnectFlags(0));
  }
  onResponse(dialog, [](const std::string&) {});
  closeWhenTableChanges(dialog, flow);
  alert::present(dialog);
}

}  // namespace

void askToRestoreTable(GtkWindow* parent, GActionMap* actions, const std::shared_ptr<Casino>& casino) {
  const Table* table = casino ? casino->currentTable() : nullptr;
  if (!table) return;
  auto flow = std::make_shared<Flow>();
  flow->casino = casino;
  flow->parent.set(parent);
  flow->actions.set(actions);
  flow->table = table;
  flow->folder = casino->saves().backups();

  // The backups are read off the main loop: however many and however large,
  // the window keeps drawing.
  GTask* task = g_task_new(nullptr, nullptr,
                           +[](GObject*, GAsyncResult* result, gpointer) {
                             auto* flow = static_cast<std::shared_ptr<Flow>*>(g_task_get_task_data(G_TASK(result)));
                             showList(*flow);
                           },
                           nullptr);
  g_task_set_task_data(task, new std::shared_ptr<Flow>(flow),
                       [](gpointer data) { delete static_cast<std::shared_ptr<Flow>*>(data); });
  g_task_run_in_thread(task, +[](GTask* task, gpointer, gpointer data, GCancellable*) {
    auto& flow = *static_cast<std::shared_ptr<Flow>*>(data);
    flow->days = listBackups(flow->folder, flow->table->storeKey);
    g_task_return_boolean(task, TRUE);
  });
  g_object_unref(task);
}

}  // namespace velmar
