// The compile step of an AUTO start of the RIX program (key S in AUTO mode).
#include "console/console.h"
#include "core/controller.h"
#include "core/modes.h"
#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/diagnostics.h"
#include "rix/runtime/runtime.h"

namespace rokan {

RixBuild rix_build_for_start(Controller& c, std::string_view rix_dir) {
  RixImage& image = c.rix;
  const bool ok = rix_compile(image, rix_dir, image.source_name);
  if (!ok || image.error_code != 0) {
    if (image.error_code == 0) rix_report_error(image, RixError::kSevere);
    emergency_stop(c, image.error_text);
    return RixBuild::kFailed;
  }
  if (image.warning_code != 0) {
    c.mode.auto_step = kRixWarningsAcknowledged;
    msg_set_prompt_line(c, SJ("警告が発生しています．[S]:継続 [CR]:非常停止"));
    return RixBuild::kWarnings;
  }
  return RixBuild::kReady;
}

}  // namespace rokan
