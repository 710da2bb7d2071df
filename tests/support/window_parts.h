#pragma once

#include <QLatin1StringView>
#include <QObject>
#include <memory>

// A part of a window (a menu, an action, the grid, a panel) found as a person
// finds it, by the name it is known by, not through the window's members. None
// when the window has no such part (yet).
template <typename Part>
Part* Named(const QObject* window, const char* name) {
  return window->findChild<Part*>(QLatin1StringView(name));
}

template <typename Part, typename Window>
Part* Named(const std::unique_ptr<Window>& window, const char* name) {
  return Named<Part>(window.get(), name);
}
