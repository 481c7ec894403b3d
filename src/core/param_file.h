// Parameter defaults and the rokan.ini reader and writer.
#pragma once

#include <string>

namespace rokan {

struct Controller;
struct Params;
struct Sensor;

// The built-in parameter set and plant gains, before rokan.ini is read.
void set_default_params(Params& p, Sensor& sensor);
// user directory + initialisation directory + "rokan.ini"
std::string param_file_path(const Params& p);
// Reads rokan.ini into the file copy of the parameters. A missing file, a wrong version or a
// malformed line is shown on the text screen and waits for a key; the values read before it
// stay, the rest keep their defaults.
void read_param_file(Controller& c);
// Replaces rokan.ini whole with the file copy; false, after showing why and waiting for a key,
// when it could not be written (the old file is then as it was).
bool write_param_file(Controller& c);
// The limits in use become the file's (leaving AUTO, entering MANUAL).
void copy_file_to_active(Params& p);
// The reference of the percentage limit commands becomes the file's (entering AUTO).
void copy_file_to_auto_ref(Params& p);

}  // namespace rokan
