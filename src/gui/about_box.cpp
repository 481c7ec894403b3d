#include "gui/about_box.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/params.h"
#include "gui/qt_text.h"
#include "gui/robot_icon.h"
#include "platform/text.h"

namespace rokan {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TAboutBox"));
  setWindowTitle(QStringLiteral("Rokan_winについて"));

  auto* icon = new QLabel(this);
  icon->setPixmap(robot_icon(48));
  auto* product = new QLabel(QStringLiteral("Rokan for Windows"), this);
  QFont bold = product->font();
  bold.setBold(true);
  product->setFont(bold);
  auto* comment = new QLabel(QStringLiteral("(Offline Debugger)"), this);
  ardo_version_ = new QLabel(this);
  ardo_version_->setObjectName(QStringLiteral("ArdoVersionLabel"));
  rix_version_ = new QLabel(this);
  rix_version_->setObjectName(QStringLiteral("RixVersionLabel"));

  auto* versions = new QGridLayout;
  versions->addWidget(new QLabel(QStringLiteral("Ardo :"), this), 0, 0);
  versions->addWidget(ardo_version_, 0, 1);
  versions->addWidget(new QLabel(QStringLiteral("RIX:"), this), 1, 0);
  versions->addWidget(rix_version_, 1, 1);

  auto* text = new QVBoxLayout;
  text->addWidget(product);
  text->addWidget(comment);
  text->addLayout(versions);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addSpacing(12);
  top->addLayout(text);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  prepare();
}

void TAboutBox::prepare() {
  ardo_version_->setText(qt_text(format("Version %.2lf", static_cast<double>(kArdoVersion))));
  rix_version_->setText(qt_text(format("Version %.2lf", kRixVersion)));
}

}  // namespace rokan
