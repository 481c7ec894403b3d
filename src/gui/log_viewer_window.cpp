#include "gui/log_viewer_window.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <cmath>

#include "gui/plot_view.h"
#include "gui/qt_text.h"

namespace rokan {

LogViewerWindow::LogViewerWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("LogViewerWindow"));
  setWindowTitle(QStringLiteral("Sampling Log Viewer"));
  columns_ = new QListWidget(this);
  view_ = new PlotView(this);
  view_->set_navigable(true);
  file_ = new QLabel(QStringLiteral("No log open."), this);
  status_ = new QLabel(this);
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  readout_ = new QLabel(this);
  readout_->setWordWrap(true);
  readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* open = new QPushButton(QStringLiteral("Open..."), this);
  auto* fit = new QPushButton(QStringLiteral("Fit"), this);
  export_ = new QPushButton(QStringLiteral("Export CSV..."), this);
  export_->setEnabled(false);

  auto* bar = new QHBoxLayout;
  bar->addWidget(open);
  bar->addWidget(fit);
  bar->addWidget(export_);
  bar->addWidget(file_, 1);
  auto* right = new QWidget(this);
  auto* rl = new QVBoxLayout(right);
  rl->setContentsMargins(0, 0, 0, 0);
  rl->addWidget(view_, 1);
  rl->addWidget(readout_);
  auto* split = new QSplitter(this);
  split->addWidget(columns_);
  split->addWidget(right);
  split->setStretchFactor(1, 1);
  split->setSizes({180, 680});
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(4, 4, 4, 4);
  top->addLayout(bar);
  top->addWidget(split, 1);
  top->addWidget(status_);
  resize(900, 560);

  connect(open, &QPushButton::clicked, this, &LogViewerWindow::open_dialog);
  connect(fit, &QPushButton::clicked, this, &LogViewerWindow::fit);
  connect(export_, &QPushButton::clicked, this, [this] {
    const QString out = QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"),
                                                     QFileInfo(path_).completeBaseName() + ".csv",
                                                     QStringLiteral("CSV files (*.csv)"));
    if (!out.isEmpty()) export_csv(out);
  });
  connect(columns_, &QListWidget::itemChanged, this, [this] {
    if (!filling_) redraw();
  });
  connect(view_, &PlotView::cursor_moved, this, [this] { update_readout(); });
  connect(view_, &PlotView::x_range_changed, this,
          [this](double a, double b) { set_time_range(a, b); });
}

void LogViewerWindow::open_dialog() {
  const QString path = QFileDialog::getOpenFileName(
      this, QStringLiteral("Open Sampling Log"), QFileInfo(path_).absolutePath(),
      QStringLiteral("Sampling logs (*.LOG *.log);;All files (*)"));
  if (!path.isEmpty()) open_file(path);
}

bool LogViewerWindow::open_file(const QString& path) {
  SampleLog next = load_sample_log(QFile::encodeName(path).toStdString());
  if (!next.error.empty()) {
    show_status(
        QFileInfo(path).fileName() + QStringLiteral(": ") + QString::fromStdString(next.error),
        true);
    return false;
  }
  log_ = std::move(next);
  path_ = path;
  file_->setText(QStringLiteral("%1 — %2 rows, %3 columns")
                     .arg(QFileInfo(path).fileName())
                     .arg(log_.rows)
                     .arg(log_.columns.size()));
  QString status;
  for (const std::string& note : log_.notes)
    if (!note.empty()) status += qt_text(note) + QLatin1Char('\n');
  if (log_.skipped.empty())
    status += QStringLiteral("Every row was read.");
  else
    status += QString::fromStdString(skipped_summary(log_));
  show_status(status.trimmed(), !log_.skipped.empty());

  filling_ = true;
  columns_->clear();
  for (std::size_t i = 0; i < log_.columns.size(); ++i) {
    auto* item = new QListWidgetItem(qt_text(log_.columns[i]), columns_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    if (static_cast<int>(i) == log_.time_column) item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
  }
  filling_ = false;
  export_->setEnabled(true);
  view_->set_cursor_time(std::nan(""));
  fit();
  return true;
}

void LogViewerWindow::set_chosen(const std::vector<int>& columns) {
  filling_ = true;
  for (int i = 0; i < columns_->count(); ++i) columns_->item(i)->setCheckState(Qt::Unchecked);
  for (int c : columns)
    if (c >= 0 && c < columns_->count() && c != log_.time_column)
      columns_->item(c)->setCheckState(Qt::Checked);
  filling_ = false;
  redraw();
}

std::vector<int> LogViewerWindow::chosen() const {
  std::vector<int> out;
  for (int i = 0; i < columns_->count(); ++i)
    if (columns_->item(i)->checkState() == Qt::Checked) out.push_back(i);
  return out;
}

void LogViewerWindow::fit() {
  if (log_.rows == 0) {
    set_time_range(0, 1);
    return;
  }
  const double t0 = log_.at(0, log_.time_column);
  const double t1 = log_.at(log_.rows - 1, log_.time_column);
  set_time_range(t0, t1 > t0 ? t1 : t0 + 1);
}

void LogViewerWindow::set_time_range(double t0, double t1) {
  view_->set_x_range(t0, t1);
  redraw();
}

void LogViewerWindow::set_cursor_time(double t) {
  view_->set_cursor_time(t);
  update_readout();
}

void LogViewerWindow::redraw() {
  const std::vector<int> cols = chosen();
  const int n = static_cast<int>(log_.rows);
  const int tc = log_.time_column;
  const int buckets = std::max(view_->plot_width() / 2, 50);
  QStringList names;
  std::vector<QList<QPointF>> curves;
  for (int col : cols) {
    names << qt_text(log_.columns[static_cast<std::size_t>(col)]);
    curves.push_back(thin_curve(
        n, [&](int i) { return log_.at(static_cast<std::size_t>(i), tc); },
        [&](int i) { return log_.at(static_cast<std::size_t>(i), col); }, view_->x_min(),
        view_->x_max(), buckets));
  }
  view_->set_curves(names, curves);
  view_->auto_range_y();
  update_readout();
}

QString LogViewerWindow::readout_text() const {
  const double t = view_->cursor_time();
  if (std::isnan(t) || log_.rows == 0) return QString();
  const long row = row_at_time(log_, t);
  const std::size_t r = static_cast<std::size_t>(row);
  QString text = QStringLiteral("row %1   %2 = %3")
                     .arg(static_cast<qlonglong>(row))
                     .arg(qt_text(log_.columns[static_cast<std::size_t>(log_.time_column)]))
                     .arg(log_.at(r, log_.time_column), 0, 'f', 6);
  for (int col : chosen())
    text += QStringLiteral("   %1 = %2")
                .arg(qt_text(log_.columns[static_cast<std::size_t>(col)]))
                .arg(log_.at(r, col), 0, 'g', 9);
  return text;
}

void LogViewerWindow::update_readout() {
  readout_->setText(readout_text());
}

bool LogViewerWindow::export_csv(const QString& path) {
  std::vector<int> cols = chosen();
  cols.insert(cols.begin(), log_.time_column);
  if (log_.columns.empty()) {
    show_status(QStringLiteral("No log is open; nothing to export."), true);
    return false;
  }
  const std::string csv = sample_log_csv(log_, cols);
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      f.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) ||
      !f.flush()) {
    show_status(QStringLiteral("Export failed: %1: %2").arg(path, f.errorString()), true);
    return false;
  }
  f.close();
  show_status(QStringLiteral("Exported %1 columns of %2 rows to %3")
                  .arg(cols.size())
                  .arg(log_.rows)
                  .arg(path),
              false);
  return true;
}

QString LogViewerWindow::status_text() const {
  return status_->text();
}

void LogViewerWindow::show_status(const QString& text, bool error) {
  status_->setText(text);
  status_->setStyleSheet(error ? QStringLiteral("color: #b00000;") : QString());
}

}  // namespace rokan
