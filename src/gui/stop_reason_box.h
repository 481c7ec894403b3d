// The reason the controller ended itself, shown to the operator after its windows have closed:
// a broken user.ini or a log area that cannot be allocated would otherwise close the program
// with the reason only on a terminal the operator may not have.
#pragma once

class QWidget;

namespace rokan {

struct Controller;

// Shows a modal message with the stop reason (and the absolute name of the file that failed,
// when one did) when the controller ended itself; true when it did (the program then ends with
// a failure status).
bool show_stop_reason(const Controller& c, QWidget* parent = nullptr);

}  // namespace rokan
