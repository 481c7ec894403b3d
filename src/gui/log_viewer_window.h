// The sampling log viewer: opens an RKNnnnn.LOG file, lists its columns by their header names,
// plots the chosen ones against the time column with zoom, pan and a time cursor whose readout
// lists every chosen column's value at that time, and exports the chosen columns as UTF-8 CSV.
// It works on a file only and never touches the running controller.
#pragma once

#include <QWidget>
#include <vector>

#include "logview/sample_log.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace rokan {

class PlotView;

class LogViewerWindow : public QWidget {
  Q_OBJECT

 public:
  explicit LogViewerWindow(QWidget* parent = nullptr);

  // Reads the file at a local path. False (with the reason shown in the window) when nothing
  // could be read; the window keeps what it showed before.
  bool open_file(const QString& path);
  // Asks for a file and opens it.
  void open_dialog();
  // Writes the chosen columns (time first) to a local path; false with the reason shown.
  bool export_csv(const QString& path);

  void set_chosen(const std::vector<int>& columns);
  std::vector<int> chosen() const;
  void set_cursor_time(double t);
  // The view's time range (zoom and pan go through this too).
  void set_time_range(double t0, double t1);
  void fit();

  const SampleLog& log() const { return log_; }
  QString status_text() const;
  QString readout_text() const;
  PlotView& view() { return *view_; }

 private:
  void redraw();
  void update_readout();
  void show_status(const QString& text, bool error);

  SampleLog log_;
  QString path_;
  QListWidget* columns_;
  PlotView* view_;
  QLabel* file_;
  QLabel* status_;
  QLabel* readout_;
  QPushButton* export_;
  bool filling_ = false;
};

}  // namespace rokan
