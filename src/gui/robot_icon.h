// The program's icon: the robot seen from the side, drawn once.
#pragma once

#include <QPixmap>

namespace rokan {

QPixmap robot_icon(int size);

}  // namespace rokan
