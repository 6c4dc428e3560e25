#pragma once
// Helpers for tests on the Qt backend.

#include <QApplication>
#include <QTest>

#include "platform/qt/qt_window_system.h"

namespace testsupport {

// Shows and activates every dialog as soon as its view exists, as the modal loop would, so
// that tests can drive a window they created without running its loop.
inline void ShowViewsWhenCreated(qtbackend::QtWindowSystem& windows) {
  windows.SetViewCreatedHook([&windows](DialogWindow& d) {
    QWidget* w = windows.Widget(&d);
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    (void)QTest::qWaitForWindowExposed(w);
  });
}

}  // namespace testsupport
