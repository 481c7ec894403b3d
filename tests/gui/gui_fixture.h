// Shared set-up of the GUI tests: one QApplication per process (offscreen unless a platform is
// chosen), a fresh copy of the bundled workspace, and a GuiSession on it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "core/controller.h"
#include "gui/gui_session.h"
#include "gui/main_form.h"
#include "hang_watchdog.h"
#include "support/workspace_copy.h"

namespace rokan {

inline QApplication& test_app() {
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char arg0[] = "rokan_gui_tests";
    static char* argv[] = {arg0, nullptr};
    return new QApplication(argc, argv);  // lives until the process ends
  }();
  return *app;
}

// The GUI runs on the wall clock: on a loaded test machine the scheduler can pause the process
// for more than the 1 ms sampling time, which the controller rightly treats as an over-run and
// an emergency stop. The GUI tests are about windows, not timing, so they switch that off.
inline void disable_over_run_check(const std::filesystem::path& ini) {
  std::ifstream in(ini, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  const std::string on = "OVER_RUN_ENABLE\t1\n";
  auto at = text.find(on);
  if (at != std::string::npos) text.replace(at, on.size(), "OVER_RUN_ENABLE\t0\n");
  std::ofstream(ini, std::ios::binary) << text;
}

// The window-system handle of the window that holds `w` (created if the window has not been
// shown yet).
inline QWindow* qwindow(QWidget& w) {
  QWidget* top = w.window();
  top->winId();
  return top->windowHandle();
}

// A key typed the way the window system delivers it: to the window that holds `w`, which hands
// it to its focus widget.
inline void type_key(QWidget& w, Qt::Key key) {
  QTest::keyClick(qwindow(w), key);
}

// Types `key` the same way and waits until the controller has taken it.
inline void type(GuiSession& s, QWidget& w, char key) {
  QTest::keyClick(qwindow(w), key);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return s.host().keys().waiting() == 0 && !s.controller().console.key_hit; }, 2000));
}

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    test_app();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    watchdog_ = std::make_unique<test::HangWatchdog>(
        std::string(info->test_suite_name()) + "." + info->name(), std::chrono::seconds(240));
    workspace_ = test::private_temp_path(std::string("rokan_gui_") + info->test_suite_name() + "_" +
                                         info->name());
    fs::remove_all(workspace_);
    fs::copy(fs::path(ROKAN_SOURCE_DIR) / "workspace", workspace_, fs::copy_options::recursive);
    disable_over_run_check(workspace_ / "DEFAULT" / "init" / "rokan.ini");
    session_ = std::make_unique<GuiSession>(workspace_.string());
  }

  void TearDown() override {
    session_.reset();
    std::filesystem::remove_all(workspace_);
    watchdog_.reset();
  }

  Controller& c() { return session_->controller(); }
  TmainForm& main_form() { return session_->main_form(); }

  // Starts the session and answers every key wait of the start-up sequence (login, "press a
  // key") with 'q' typed into the main window, until the first regular ticks have run.
  void start_past_startup() {
    QTimer feeder;
    QObject::connect(&feeder, &QTimer::timeout, [this] {
      if (c().cycle.init_in_progress && c().console.wait_depth > 0 && !c().console.key_hit &&
          session_->host().keys().waiting() == 0)
        type_key(main_form(), Qt::Key_Q);
    });
    feeder.start(5);
    session_->start();
    ASSERT_TRUE(QTest::qWaitFor([this] { return c().cycle.tick_count >= 20; }, 10000));
  }

  // Stops the sampling cycle (the tests then look at a still picture).
  void stop_ticks() {
    main_form().sampling_timer().stop();
    main_form().flush_paints();
  }

  std::unique_ptr<test::HangWatchdog> watchdog_;  // aborts with stacks if the test hangs
  std::unique_ptr<GuiSession> session_;
  std::filesystem::path workspace_;  // this test's copy of the bundled workspace
};

// Written by scripts/screenshot, which sets ROKAN_SCREENSHOT_DIR.
inline void save_screenshot(const QImage& image, const char* name) {
  const QString dir = qEnvironmentVariable("ROKAN_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  ASSERT_TRUE(image.save(dir + QLatin1Char('/') + QLatin1String(name)));
}

// The windows as they stand on the screen, each under a plain title bar with its caption.
inline QImage desktop(std::initializer_list<QWidget*> windows) {
  constexpr int kTitle = 22, kBorder = 1;
  QRect area;
  for (QWidget* w : windows) area |= w->geometry().adjusted(-kBorder, -kTitle, kBorder, kBorder);
  QImage image(area.size() + QSize(16, 16), QImage::Format_RGB32);
  image.fill(QColor(58, 110, 165));
  QPainter p(&image);
  p.translate(8 - area.left(), 8 - area.top());
  for (QWidget* w : windows) {
    const QRect g = w->geometry();
    const QRect frame = g.adjusted(-kBorder, -kTitle, kBorder, kBorder);
    p.fillRect(frame, QColor(40, 40, 48));
    p.setPen(Qt::white);
    p.drawText(frame.adjusted(8, 0, 0, -(g.height() + kBorder)), Qt::AlignVCenter,
               w->windowTitle());
    p.drawPixmap(g.topLeft(), w->grab());
  }
  return image;
}

template <typename T>
T& child(QObject& parent, const char* name) {
  T* w = parent.findChild<T*>(QString::fromLatin1(name));
  if (!w) throw std::runtime_error(std::string("no child named ") + name);
  return *w;
}

}  // namespace rokan
