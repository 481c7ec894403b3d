#include "rix/compiler/image.h"

#include "rix/compiler/lex.h"

namespace rokan {

void rix_reset_image(RixImage& image) {
  // swap with empty vectors so that the memory is given back, not only the sizes.
  std::vector<RixInstruction>().swap(image.instructions);
  std::vector<int32_t>().swap(image.source_lines);
  std::vector<RixVar>().swap(image.vars);
  std::vector<RixVectorVar>().swap(image.pos);
  std::vector<RixVectorVar>().swap(image.jnt);
  std::vector<RixLabel>().swap(image.labels);
  std::vector<RixMessage>().swap(image.messages);
  image.message_count = 0;
  image.next_message = 0;
  image.phase = rix::RIX_NONE;
  image.loaded_name.clear();
}

bool rix_store(RixImage& image, const RixInstruction& record) {
  if (image.pc < 0 || static_cast<std::size_t>(image.pc) >= image.instructions.size()) {
    return false;
  }
  image.instructions[static_cast<std::size_t>(image.pc)] = record;
  return true;
}

int rix_find_var(const std::vector<RixVar>& table, std::string_view name) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

int rix_find_var(const std::vector<RixVectorVar>& table, std::string_view name) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

int rix_find_label(const RixImage& image, std::string_view name, int32_t from) {
  const bool loop = label_names_equal(name, "LOOP:");
  int found = -1;
  for (std::size_t i = 0; i < image.labels.size(); ++i) {
    const RixLabel& l = image.labels[i];
    if (!label_names_equal(l.name, name)) continue;
    if (!loop) return static_cast<int>(i);
    if (l.index < from) found = static_cast<int>(i);
  }
  return found;
}

}  // namespace rokan
