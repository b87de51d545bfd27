#include "platform/common/error_line.h"

#include <iostream>

#include "platform/system.h"

namespace velk0::platform {

void report_error_line(std::string_view line) {
  std::cerr << error_output_bytes(line) << std::endl;
}

}  // namespace velk0::platform
