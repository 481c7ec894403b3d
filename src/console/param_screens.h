// The screens below the parameter menu (internal to the console).
#pragma once

namespace rokan {

struct Controller;

void param_error_group(Controller& c);
void param_gain_group(Controller& c);
void param_limit_group(Controller& c);
void param_angle_limit_screen(Controller& c);
void param_sampling_screen(Controller& c);
void param_directory_screen(Controller& c);

// Prints "Value -> " and asks for a number; false on an empty entry, text that is not a number,
// or a value that is not finite (nan and inf would otherwise reach the control and the file).
bool ask_value(Controller& c, double& v);

}  // namespace rokan
