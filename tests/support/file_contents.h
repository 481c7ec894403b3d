// The whole of a file as bytes, for tests that compare what a run wrote ("" when it cannot be
// read: the comparison then fails and shows what was expected).
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace rokan::test {

inline std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace rokan::test
