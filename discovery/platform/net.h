// The socket calls the transport needs, as one small platform interface.
// Each call consults the fault-injection seam first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kovr::platform {

using Socket = int;
constexpr Socket kInvalidSocket = -1;

} // namespace kovr::platform
