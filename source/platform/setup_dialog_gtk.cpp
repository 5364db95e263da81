#include "platform/setup_dialog.h"
#include "platform/setup_dialog_automation.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <gdk/gdk.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {

void (*dialogShownHook)(dialogAutomation& dialog) = nullptr;

namespace {

bool isHeadlessDriver(const char* driver) {
  return driver != nullptr &&
         (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
          std::strcmp(driver, "evdev") == 0);
}

bool named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && value[0] != '\0';
}

// GTK is started once per process and only when a dialog is shown. It must
// not change the locale: the show formats and parses numbers in "C".
bool startToolkit() {
  static bool tried = false;
  static bool started = false;
  if (!tried) {
    tried = true;
    gtk_disable_setlocale();
    started = gtk_init_check(nullptr, nullptr) != FALSE;
  }
  return started;
}

// Pixels per dialog unit, measured on the dialog's font the way dialog units
// are defined: a quarter of the average character width across, an eighth
// of the character height down.
struct unitScale {
  int baseX = 6;
  int baseY = 13;
  int x(int units) const { return units * baseX / 4; }
  int y(int units) const { return units * baseY / 8; }
};

unitScale measureUnits(GtkWidget* window) {
  unitScale scale;
  PangoLayout* layout =
      gtk_widget_create_pango_layout(window, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  if (width > 0 && height > 0) {
    scale.baseX = (width / 26 + 1) / 2;
    // Toolkit controls are taller than the classic ones the units were made
    // for (padding around the indicator), so rows get a little more room.
    scale.baseY = height + height / 4;
  }
  return scale;
}

class gtkDialog;

struct controlRecord {
  const dialogControl* layout = nullptr;
  GtkWidget* widget = nullptr;
  // Auto radio buttons stand alone, like their template says; each shares a
  // toolkit group with an invisible partner that is active while the
  // visible one is unchecked.
  GtkWidget* uncheckedPartner = nullptr;
  gtkDialog* owner = nullptr;
};

class gtkDialog : public dialogWindow, public dialogAutomation {
 public:
  gtkDialog(const dialogTemplate& layout, dialogProcedure procedure)
      : layout_(layout), procedure_(procedure) {}
  ~gtkDialog() override { destroy(); }

  bool build();
  intptr_t run(intptr_t initParam);

  // dialogWindow
  void checkButton(int id, bool checked) override;
  bool buttonChecked(int id) override;
  void addComboItem(int id, const char* text) override;
  void selectComboItem(int id, int index) override;
  int comboSelection(int id) override;
  void endDialog(intptr_t result) override {
    ended_ = true;
    result_ = result;
  }
  bool monitorOrigin(int* x, int* y) override;

  // dialogAutomation
  bool click(int id) override;
  bool pressKey(dialogKey key) override;
  bool focus(int id) override;
  bool closeWindow() override;
  bool choose(int id, int index) override;
  void settle() override;
  bool checked(int id) override { return buttonChecked(id); }
  int selection(int id) override { return comboSelection(id); }
  int itemCount(int id) override;
  void endAfter(int milliseconds, intptr_t result) override;
  bool saveImage(const char* path) override;

 private:
  static void onClicked(GtkButton* button, gpointer data);
  static void onComboChanged(GtkComboBox* combo, gpointer data);
  static gboolean onDelete(GtkWidget* widget, GdkEvent* event, gpointer data);
  static gboolean onKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer data);
  static gboolean onMapped(GtkWidget* widget, GdkEvent* event, gpointer data);
  static gboolean onWatchdog(gpointer data);

  GtkWidget* makeWidget(const dialogControl& control, const unitScale& scale,
                        controlRecord& record);
  // Forwards a user action to the procedure; changes the procedure makes
  // itself are not user actions and are not sent back.
  void send(uint32_t message, uintptr_t wParam, intptr_t lParam);
  controlRecord* find(int id);
  // The template's default push button, which Enter presses; IDOK without one.
  int defaultButtonId() const;
  void waitForServer();
  void destroy();

  const dialogTemplate& layout_;
  dialogProcedure procedure_;
  GtkWidget* window_ = nullptr;
  std::vector<controlRecord> controls_;
  int insideProcedure_ = 0;
  bool mapped_ = false;
  bool ended_ = false;
  intptr_t result_ = 0;
  guint watchdog_ = 0;
  intptr_t watchdogResult_ = 0;
};

GtkWidget* gtkDialog::makeWidget(const dialogControl& control, const unitScale& scale,
                                 controlRecord& record) {
  GtkWidget* widget = nullptr;
  switch (control.kind) {
    case controlKind::defaultPushButton:
    case controlKind::pushButton:
      widget = gtk_button_new_with_label(control.text);
      g_signal_connect(widget, "clicked", G_CALLBACK(onClicked), &record);
      break;
    case controlKind::autoCheckBox:
      widget = gtk_check_button_new_with_label(control.text);
      g_signal_connect(widget, "clicked", G_CALLBACK(onClicked), &record);
      break;
    case controlKind::autoRadioButton:
      record.uncheckedPartner = gtk_radio_button_new(nullptr);
      g_object_ref_sink(record.uncheckedPartner);
      widget = gtk_radio_button_new_with_label_from_widget(
          GTK_RADIO_BUTTON(record.uncheckedPartner), control.text);
      g_signal_connect(widget, "clicked", G_CALLBACK(onClicked), &record);
      break;
    case controlKind::groupBox:
      widget = gtk_frame_new(control.text != nullptr && control.text[0] != '\0' ? control.text
                                                                                : nullptr);
      break;
    case controlKind::dropDownList:
      widget = gtk_combo_box_text_new();
      g_signal_connect(widget, "changed", G_CALLBACK(onComboChanged), &record);
      break;
  }
  // A drop-down list's height in the template includes the open list; the
  // closed box takes its natural height.
  const int height = control.kind == controlKind::dropDownList ? -1 : scale.y(control.height);
  gtk_widget_set_size_request(widget, scale.x(control.width), height);
  return widget;
}

bool gtkDialog::build() {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), layout_.title);
  gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(onKeyPress), this);
  g_signal_connect(window_, "map-event", G_CALLBACK(onMapped), this);

  const unitScale scale = measureUnits(window_);
  GtkWidget* fixed = gtk_fixed_new();
  gtk_widget_set_size_request(fixed, scale.x(layout_.width), scale.y(layout_.height));
  gtk_container_add(GTK_CONTAINER(window_), fixed);

  // Records are addressed by the signal handlers, so the vector must not
  // move once they are connected.
  controls_.resize(static_cast<size_t>(layout_.controlCount));
  GtkWidget* defaultButton = nullptr;
  for (int i = 0; i < layout_.controlCount; ++i) {
    const dialogControl& control = layout_.controls[i];
    controlRecord& record = controls_[static_cast<size_t>(i)];
    record.layout = &control;
    record.owner = this;
    record.widget = makeWidget(control, scale, record);
    gtk_fixed_put(GTK_FIXED(fixed), record.widget, scale.x(control.x), scale.y(control.y));
    if (control.kind == controlKind::defaultPushButton) defaultButton = record.widget;
  }
  if (defaultButton != nullptr) {
    gtk_widget_set_can_default(defaultButton, TRUE);
    gtk_window_set_default(GTK_WINDOW(window_), defaultButton);
  }
  return true;
}

void gtkDialog::send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  ++insideProcedure_;
  procedure_(this, message, wParam, lParam);
  --insideProcedure_;
}

void gtkDialog::onClicked(GtkButton* button, gpointer data) {
  auto* record = static_cast<controlRecord*>(data);
  gtkDialog* dialog = record->owner;
  if (dialog->insideProcedure_ > 0) return;
  // A radio button also reports being switched off; only the click that
  // checks it is the user's.
  if (record->layout->kind == controlKind::autoRadioButton &&
      !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button))) {
    return;
  }
  dialog->send(WM_COMMAND, commandParam(record->layout->id, BN_CLICKED), 0);
}

void gtkDialog::onComboChanged(GtkComboBox*, gpointer data) {
  auto* record = static_cast<controlRecord*>(data);
  gtkDialog* dialog = record->owner;
  if (dialog->insideProcedure_ > 0) return;
  dialog->send(WM_COMMAND, commandParam(record->layout->id, CBN_SELCHANGE), 0);
}

gboolean gtkDialog::onDelete(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<gtkDialog*>(data)->send(WM_COMMAND, commandParam(IDCANCEL, BN_CLICKED), 0);
  return TRUE;  // the window stays until the procedure ends the dialog
}

gboolean gtkDialog::onKeyPress(GtkWidget* window, GdkEventKey* event, gpointer data) {
  auto* dialog = static_cast<gtkDialog*>(data);
  switch (event->keyval) {
    case GDK_KEY_Escape:
      dialog->send(WM_COMMAND, commandParam(IDCANCEL, BN_CLICKED), 0);
      return TRUE;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: {
      // Enter presses the default button whatever has the focus (a check
      // box or radio button would otherwise toggle); only a focused push
      // button is pressed itself, which the toolkit does.
      GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
      if (focus != nullptr && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus)) return FALSE;
      dialog->send(WM_COMMAND, commandParam(dialog->defaultButtonId(), BN_CLICKED), 0);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

int gtkDialog::defaultButtonId() const {
  for (const controlRecord& record : controls_) {
    if (record.layout->kind == controlKind::defaultPushButton) return record.layout->id;
  }
  return IDOK;
}

gboolean gtkDialog::onMapped(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<gtkDialog*>(data)->mapped_ = true;
  return FALSE;
}

gboolean gtkDialog::onWatchdog(gpointer data) {
  auto* dialog = static_cast<gtkDialog*>(data);
  dialog->watchdog_ = 0;
  if (!dialog->ended_) dialog->endDialog(dialog->watchdogResult_);
  return G_SOURCE_REMOVE;
}

controlRecord* gtkDialog::find(int id) {
  for (controlRecord& record : controls_) {
    if (record.layout->id == id && id != -1) return &record;
  }
  return nullptr;
}

void gtkDialog::checkButton(int id, bool checked) {
  controlRecord* record = find(id);
  if (record == nullptr || !GTK_IS_TOGGLE_BUTTON(record->widget)) return;
  ++insideProcedure_;
  if (record->uncheckedPartner != nullptr && !checked) {
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(record->uncheckedPartner), TRUE);
  } else {
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(record->widget), checked);
  }
  --insideProcedure_;
}

bool gtkDialog::buttonChecked(int id) {
  controlRecord* record = find(id);
  if (record == nullptr || !GTK_IS_TOGGLE_BUTTON(record->widget)) return false;
  return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(record->widget)) != FALSE;
}

void gtkDialog::addComboItem(int id, const char* text) {
  controlRecord* record = find(id);
  if (record == nullptr || !GTK_IS_COMBO_BOX_TEXT(record->widget)) return;
  gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(record->widget), text);
}

void gtkDialog::selectComboItem(int id, int index) {
  controlRecord* record = find(id);
  if (record == nullptr || !GTK_IS_COMBO_BOX(record->widget)) return;
  ++insideProcedure_;
  gtk_combo_box_set_active(GTK_COMBO_BOX(record->widget), index);
  --insideProcedure_;
}

int gtkDialog::comboSelection(int id) {
  controlRecord* record = find(id);
  if (record == nullptr || !GTK_IS_COMBO_BOX(record->widget)) return -1;
  return gtk_combo_box_get_active(GTK_COMBO_BOX(record->widget));
}

// Once on screen, the monitor showing most of the dialog; before, the one
// the toolkit centres a new dialog on (the pointer's), else the primary.
bool gtkDialog::monitorOrigin(int* x, int* y) {
  GdkDisplay* display = gtk_widget_get_display(window_);
  GdkMonitor* monitor = nullptr;
  GdkWindow* surface = gtk_widget_get_window(window_);
  if (surface != nullptr && gtk_widget_get_mapped(window_)) {
    monitor = gdk_display_get_monitor_at_window(display, surface);
  }
  GdkSeat* seat = gdk_display_get_default_seat(display);
  GdkDevice* pointer = seat != nullptr ? gdk_seat_get_pointer(seat) : nullptr;
  if (monitor == nullptr && pointer != nullptr && GDK_IS_X11_DISPLAY(display)) {
    int pointerX = 0;
    int pointerY = 0;
    gdk_device_get_position(pointer, nullptr, &pointerX, &pointerY);
    monitor = gdk_display_get_monitor_at_point(display, pointerX, pointerY);
  }
  if (monitor == nullptr) monitor = gdk_display_get_primary_monitor(display);
  if (monitor == nullptr) return false;
  GdkRectangle area;
  gdk_monitor_get_geometry(monitor, &area);
  *x = area.x;
  *y = area.y;
  return true;
}

int gtkDialog::itemCount(int id) {
  controlRecord* record = find(id);
  if (record == nullptr || !GTK_IS_COMBO_BOX(record->widget)) return 0;
  GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(record->widget));
  return model != nullptr ? gtk_tree_model_iter_n_children(model, nullptr) : 0;
}

// The X display when the dialog runs on X11 and the server has the XTest
// extension, through which synthesised events look like the user's own.
Display* testableDisplay(GtkWidget* widget) {
  GdkDisplay* display = gtk_widget_get_display(widget);
  if (!GDK_IS_X11_DISPLAY(display)) return nullptr;
  Display* x11 = gdk_x11_display_get_xdisplay(display);
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(x11, &eventBase, &errorBase, &major, &minor)) return nullptr;
  return x11;
}

// Moves the pointer to (x, y) in the dialog's window.
bool movePointer(GtkWidget* window, Display* x11, int x, int y) {
  int originX = 0;
  int originY = 0;
  GdkWindow* surface = gtk_widget_get_window(window);
  if (surface == nullptr) return false;
  gdk_window_get_origin(surface, &originX, &originY);
  const int scale = gdk_window_get_scale_factor(surface);
  XTestFakeMotionEvent(x11, -1, (originX + x) * scale, (originY + y) * scale, CurrentTime);
  return true;
}

bool gtkDialog::click(int id) {
  controlRecord* record = find(id);
  Display* x11 = testableDisplay(window_);
  if (record == nullptr || x11 == nullptr) return false;
  GtkAllocation area;
  gtk_widget_get_allocation(record->widget, &area);
  int x = 0;
  int y = 0;
  if (!gtk_widget_translate_coordinates(record->widget, window_, area.width / 2, area.height / 2,
                                        &x, &y) ||
      !movePointer(window_, x11, x, y)) {
    return false;
  }
  XTestFakeButtonEvent(x11, 1, True, CurrentTime);
  XTestFakeButtonEvent(x11, 1, False, CurrentTime);
  XFlush(x11);
  return true;
}

bool gtkDialog::pressKey(dialogKey key) {
  Display* x11 = testableDisplay(window_);
  if (x11 == nullptr) return false;
  const KeyCode code = XKeysymToKeycode(x11, key == dialogKey::escape ? XK_Escape : XK_Return);
  if (code == 0) return false;
  // Keys go to the window under the pointer when no window manager gives
  // the dialog the focus.
  if (!movePointer(window_, x11, gtk_widget_get_allocated_width(window_) / 2,
                   gtk_widget_get_allocated_height(window_) / 2)) {
    return false;
  }
  XTestFakeKeyEvent(x11, code, True, CurrentTime);
  XTestFakeKeyEvent(x11, code, False, CurrentTime);
  XFlush(x11);
  return true;
}

bool gtkDialog::focus(int id) {
  controlRecord* record = find(id);
  if (record == nullptr) return false;
  // A list passes the focus on to its own button inside.
  gtk_widget_grab_focus(record->widget);
  GtkWidget* focused = gtk_window_get_focus(GTK_WINDOW(window_));
  return focused != nullptr &&
         (focused == record->widget || gtk_widget_is_ancestor(focused, record->widget));
}

bool gtkDialog::closeWindow() {
  // Asks the window to close the way the window manager's close box does
  // (a delete event), which the dialog turns into a cancel.
  gtk_window_close(GTK_WINDOW(window_));
  return true;
}

bool gtkDialog::choose(int id, int index) {
  controlRecord* record = find(id);
  if (record == nullptr || !GTK_IS_COMBO_BOX(record->widget)) return false;
  gtk_combo_box_set_active(GTK_COMBO_BOX(record->widget), index);
  return true;
}

void gtkDialog::settle() {
  gdk_display_sync(gtk_widget_get_display(window_));
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

void gtkDialog::endAfter(int milliseconds, intptr_t result) {
  if (watchdog_ != 0) g_source_remove(watchdog_);
  watchdogResult_ = result;
  watchdog_ = g_timeout_add(static_cast<guint>(milliseconds), onWatchdog, this);
}

bool gtkDialog::saveImage(const char* path) {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  GdkWindow* surface = gtk_widget_get_window(window_);
  if (surface == nullptr) return false;
  GdkPixbuf* picture = gdk_pixbuf_get_from_window(surface, 0, 0, gdk_window_get_width(surface),
                                                  gdk_window_get_height(surface));
  if (picture == nullptr) return false;
  const gboolean saved = gdk_pixbuf_save(picture, path, "png", nullptr, nullptr);
  g_object_unref(picture);
  return saved != FALSE;
}

// Lets the display server catch up with the dialog appearing: without a
// window manager it is mapped at once, with one it may take a moment.
void gtkDialog::waitForServer() {
  const gint64 deadline = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
  while (!mapped_ && !ended_ && g_get_monotonic_time() < deadline) {
    if (!gtk_main_iteration_do(FALSE)) g_usleep(1000);
  }
  settle();
}

intptr_t gtkDialog::run(intptr_t initParam) {
  send(WM_INITDIALOG, 0, initParam);
  gtk_widget_show_all(window_);
  gtk_window_present(GTK_WINDOW(window_));
  if (dialogShownHook != nullptr && !ended_) {
    waitForServer();
    dialogShownHook(*this);
  }
  while (!ended_) gtk_main_iteration_do(TRUE);
  return result_;
}

void gtkDialog::destroy() {
  if (watchdog_ != 0) {
    g_source_remove(watchdog_);
    watchdog_ = 0;
  }
  if (window_ == nullptr) return;
  GdkDisplay* display = gtk_widget_get_display(window_);
  gtk_widget_destroy(window_);
  window_ = nullptr;
  for (controlRecord& record : controls_) {
    if (record.uncheckedPartner == nullptr) continue;
    gtk_widget_destroy(record.uncheckedPartner);
    g_object_unref(record.uncheckedPartner);
    record.uncheckedPartner = nullptr;
  }
  // The window must be gone from the screen before the show's own window
  // appears.
  gdk_display_sync(display);
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

}  // namespace

bool dialogDisplayAvailable() {
  if (isHeadlessDriver(std::getenv("SDL_VIDEODRIVER"))) return false;
  return named("DISPLAY") || named("WAYLAND_DISPLAY");
}

intptr_t dialogBox(const dialogTemplate& layout, dialogProcedure procedure, intptr_t initParam) {
  if (!startToolkit()) return -1;
  gtkDialog dialog(layout, procedure);
  if (!dialog.build()) return -1;
  return dialog.run(initParam);
}

}  // namespace platform
