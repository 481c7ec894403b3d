#include "dap/framing.h"

#include <cctype>

#include "platform/text.h"

namespace rokan {
namespace {

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// The body size the header block names; an empty string on success, else the reason.
std::string parse_header(std::string_view block, std::size_t& size) {
  bool found = false;
  for (std::string_view line; next_line(block, line);) {
    line = trim(line);
    if (line.empty()) continue;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return "a header line without a colon";
    if (!same_name(trim(line.substr(0, colon)), "Content-Length")) continue;
    std::string_view value = trim(line.substr(colon + 1));
    if (value.empty() || value.size() > 10) return "Content-Length is not a byte count";
    std::size_t n = 0;
    for (char ch : value) {
      if (ch < '0' || ch > '9') return "Content-Length is not a byte count";
      n = n * 10 + static_cast<std::size_t>(ch - '0');
    }
    if (n > kDapMaxBody) return "Content-Length is larger than a message may be";
    size = n;
    found = true;
  }
  return found ? "" : "a header without Content-Length";
}

}  // namespace

DapFrame DapReader::next() {
  DapFrame f;
  if (!in_body_) {
    std::size_t end = buffer_.find("\r\n\r\n");
    if (end == std::string::npos) {
      if (buffer_.size() > kDapMaxHeader) {
        buffer_.clear();
        f.kind = DapFrame::kBadHeader;
        f.text = "a header that does not end";
      }
      return f;
    }
    std::string reason = parse_header(std::string_view(buffer_).substr(0, end), body_size_);
    buffer_.erase(0, end + 4);
    if (!reason.empty()) {
      f.kind = DapFrame::kBadHeader;
      f.text = std::move(reason);
      return f;
    }
    in_body_ = true;
  }
  if (buffer_.size() < body_size_) return f;
  f.kind = DapFrame::kBody;
  f.text = buffer_.substr(0, body_size_);
  buffer_.erase(0, body_size_);
  in_body_ = false;
  return f;
}

std::string dap_frame(std::string_view body) {
  std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  out.append(body);
  return out;
}

}  // namespace rokan
