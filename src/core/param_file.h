// Parameter defaults and the rokan.ini reader and writer.
#pragma once

#include <string>

namespace rokan {

struct Controller;
struct Params;
struct Sensor;

void set_default_params(Params& p, Sensor& sensor);
// user directory + initialisation directory + "rokan.ini"
std::string param_file_path(const Params& p);
void read_param_file(Controller& c);
bool write_param_file(Controller& c);
void copy_file_to_active(Params& p);
void copy_file_to_auto_ref(Params& p);

}  // namespace rokan
