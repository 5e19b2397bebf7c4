#pragma once

#include "MenuActions.h"

class QMainWindow;

// The menu bar of each of Tarnwick's titled windows: Tarnwick, Edit, Window
// and Help. The window commands act on the window that carries the bar; the
// edit commands on whatever has the keyboard focus.
namespace MainMenu {
// `hide`: hides every Tarnwick window ("Hide Tarnwick").
void build(QMainWindow &window, const MenuActions &actions, const std::function<void()> &hide);
} // namespace MainMenu
