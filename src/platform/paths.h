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

// The local name under which a controller path is opened: local_path() placed in `root`, the
// local directory the controller's relative paths start from (its workspace). An absolute path,
// or an empty root, leaves the name as local_path() gives it (relative to the directory the
// process was started in, which nothing changes).
std::string rooted_path(std::string_view root, std::string_view cp932_path);

// fopen() on the mapped name; the first form opens the path in `root` (see rooted_path).
std::FILE* open_file(std::string_view root, std::string_view cp932_path, const char* mode);
std::FILE* open_file(std::string_view cp932_path, const char* mode);

// A local directory whose files can be reached (it exists and may be searched): what a
// workspace must be.
bool is_searchable_directory(const std::string& local_dir);

bool path_exists(std::string_view root, std::string_view cp932_path);
bool is_directory(std::string_view root, std::string_view cp932_path);
bool path_exists(std::string_view cp932_path);
bool is_directory(std::string_view cp932_path);

// File names (CP932, without directory) in dir whose extension equals ext without regard to
// case (ext without the dot), sorted by name. dir is a controller directory ending in '\' (in
// `root`, see rooted_path). Names that CP932 cannot hold, or that contain a backslash, are left
// out.
std::vector<std::string> list_files_with_extension(std::string_view root,
                                                   std::string_view cp932_dir,
                                                   std::string_view ext);
std::vector<std::string> list_files_with_extension(std::string_view cp932_dir,
                                                   std::string_view ext);

}  // namespace rokan
