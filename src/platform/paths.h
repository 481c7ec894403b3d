// File paths. The controller builds paths as the operator sees them: CP932 directory names that
// end in a backslash, concatenated ("DEFAULT\" + "init\" + "rokan.ini"), and those strings are
// what it stores and writes into its files. Only where a file is opened, tested or listed is
// the string mapped to the local file system: backslashes become '/', CP932 becomes UTF-8.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace rokan {

// The local (UTF-8, '/'-separated) name of a controller path. A 0x5C byte that is the second
// byte of a double-byte character is part of that character, not a separator.
std::string local_path(std::string_view cp932_path);

// The controller form of a local path: UTF-8 to CP932, '/' to backslash. A character CP932
// does not have (or a byte that is no UTF-8) is kept as its raw bytes, each written as 0xFD and
// two hex digits, which local_path turns back into that byte: a file named on the command line
// opens by the bytes it was given, and only the name shown to the operator is approximated.
std::string controller_path(std::string_view local);

// fopen() on the mapped name.
std::FILE* open_file(std::string_view cp932_path, const char* mode);

bool path_exists(std::string_view cp932_path);
bool is_directory(std::string_view cp932_path);

// File names (CP932, without directory) in dir whose extension equals ext without regard to
// case (ext without the dot), sorted by name. dir is a controller directory ending in '\'. Names
// that CP932 cannot hold, or that contain a backslash, are left out.
std::vector<std::string> list_files_with_extension(std::string_view cp932_dir,
                                                   std::string_view ext);

}  // namespace rokan
