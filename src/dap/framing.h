// Content-Length framing of the Debug Adapter Protocol: a header block of "Name: value" lines
// ended by an empty line ("\r\n\r\n"), then exactly Content-Length bytes of JSON.
//
// DapReader takes the bytes as they arrive, in any pieces, and hands out whole message bodies.
// A header block that cannot be used (no Content-Length, a value that is not a number, a body
// larger than kDapMaxBody) is dropped with a reason, and reading goes on after it, so one bad
// message never wedges the stream.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rokan {

inline constexpr std::size_t kDapMaxBody = 16 * 1024 * 1024;
// A header block that has not ended after this many bytes is garbage, not a header.
inline constexpr std::size_t kDapMaxHeader = 8 * 1024;

struct DapFrame {
  enum Kind { kNone, kBody, kBadHeader };
  Kind kind = kNone;
  std::string text;  // kBody: the message body; kBadHeader: why the header was dropped
};

class DapReader {
 public:
  void feed(std::string_view bytes) { buffer_.append(bytes); }
  // The next whole frame, or kind kNone when more bytes are needed.
  DapFrame next();
  // Bytes received but not yet handed out.
  std::size_t pending() const { return buffer_.size(); }

 private:
  std::string buffer_;
  std::size_t body_size_ = 0;
  bool in_body_ = false;
};

// One message with its header, ready to write.
std::string dap_frame(std::string_view body);

}  // namespace rokan
