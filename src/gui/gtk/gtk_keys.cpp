// GDK key values to Windows virtual-key codes.
#include "gui/gtk/gtk_keys.h"

#include <gdk/gdkkeysyms.h>

#include "controls/virtual_keys.h"

namespace kestrune::gui::gtk {
namespace {

struct KeyPair {
  guint keyval;
  int vk;
};

constexpr KeyPair kKeys[] = {
    {GDK_KEY_BackSpace, 0x08},  {GDK_KEY_Tab, 0x09},         {GDK_KEY_ISO_Left_Tab, 0x09},
    {GDK_KEY_Return, 0x0D},     {GDK_KEY_KP_Enter, 0x0D},    {GDK_KEY_Shift_L, 0x10},
    {GDK_KEY_Shift_R, 0x10},    {GDK_KEY_Control_L, 0x11},   {GDK_KEY_Control_R, 0x11},
    {GDK_KEY_Alt_L, 0x12},      {GDK_KEY_Alt_R, 0x12},       {GDK_KEY_Meta_L, 0x12},
    {GDK_KEY_Pause, 0x13},      {GDK_KEY_Escape, 0x1B},      {GDK_KEY_space, 0x20},
    {GDK_KEY_Prior, 0x21},      {GDK_KEY_Next, 0x22},        {GDK_KEY_End, 0x23},
    {GDK_KEY_Home, 0x24},       {GDK_KEY_Left, 0x25},        {GDK_KEY_Up, 0x26},
    {GDK_KEY_Right, 0x27},      {GDK_KEY_Down, 0x28},        {GDK_KEY_Insert, 0x2D},
    {GDK_KEY_Delete, 0x2E},     {GDK_KEY_KP_Multiply, 106},  {GDK_KEY_KP_Add, 107},
    {GDK_KEY_KP_Subtract, 109}, {GDK_KEY_KP_Decimal, 110},   {GDK_KEY_KP_Delete, 110},
    {GDK_KEY_KP_Divide, 111},   {GDK_KEY_grave, 192},        {GDK_KEY_asciitilde, 192},
    {GDK_KEY_minus, 189},       {GDK_KEY_equal, 187},        {GDK_KEY_backslash, 220},
    {GDK_KEY_bracketleft, 219}, {GDK_KEY_bracketright, 221}, {GDK_KEY_semicolon, 186},
    {GDK_KEY_apostrophe, 222},  {GDK_KEY_comma, 188},        {GDK_KEY_period, 190},
    {GDK_KEY_slash, 191},       {GDK_KEY_KP_Insert, 96},     {GDK_KEY_KP_End, 97},
    {GDK_KEY_KP_Down, 98},      {GDK_KEY_KP_Next, 99},       {GDK_KEY_KP_Left, 100},
    {GDK_KEY_KP_Begin, 101},    {GDK_KEY_KP_Right, 102},     {GDK_KEY_KP_Home, 103},
    {GDK_KEY_KP_Up, 104},       {GDK_KEY_KP_Prior, 105},
};

}  // namespace

int VirtualKeyOfKeyval(guint keyval) {
  if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return 'A' + static_cast<int>(keyval - GDK_KEY_a);
  if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return 'A' + static_cast<int>(keyval - GDK_KEY_A);
  if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return '0' + static_cast<int>(keyval - GDK_KEY_0);
  if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9)
    return 96 + static_cast<int>(keyval - GDK_KEY_KP_0);
  if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12)
    return 112 + static_cast<int>(keyval - GDK_KEY_F1);
  for (const KeyPair& pair : kKeys)
    if (pair.keyval == keyval) return pair.vk;
  return 0;
}

int VirtualKeyOf(const GdkEventKey* event) {
  // The key's own symbol without Shift, so Shift+1 is still the key "1".
  guint base = 0;
  GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_display_get_default());
  if (gdk_keymap_translate_keyboard_state(keymap, event->hardware_keycode,
                                          static_cast<GdkModifierType>(0), event->group, &base,
                                          nullptr, nullptr, nullptr)) {
    // Keypad keys without Num Lock give navigation symbols; the table maps
    // those back to the keypad codes.
    int vk = VirtualKeyOfKeyval(base);
    if (vk != 0) return vk;
  }
  return VirtualKeyOfKeyval(event->keyval);
}

ShiftState ShiftStateOf(guint gdkState) {
  ShiftState state = 0;
  if (gdkState & GDK_SHIFT_MASK) state |= kShiftShift;
  if (gdkState & GDK_MOD1_MASK) state |= kShiftAlt;
  if (gdkState & GDK_CONTROL_MASK) state |= kShiftCtrl;
  if (gdkState & GDK_BUTTON1_MASK) state |= kShiftLeft;
  if (gdkState & GDK_BUTTON3_MASK) state |= kShiftRight;
  if (gdkState & GDK_BUTTON2_MASK) state |= kShiftMiddle;
  return state;
}

}  // namespace kestrune::gui::gtk
