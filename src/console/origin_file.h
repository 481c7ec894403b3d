// The origin file rkn_org.ini: the potentiometer origin voltages of the twelve joints, one line
// per leg, in the user's settings directory.
#pragma once

#include <string>

namespace rokan {

struct Controller;
struct Params;

// user directory + settings directory + "rkn_org.ini"
std::string origin_file_path(const Params& p);
// All four lines must hold three values within +-10 V; otherwise the origins stay unchanged.
bool read_origin_file(Controller& c);
// Replaces the file whole; false, with errno set, when it could not be written (the old file is
// then as it was).
bool write_origin_file(const Controller& c);

}  // namespace rokan
