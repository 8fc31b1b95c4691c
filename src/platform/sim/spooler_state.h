// The simulated print spooler.
#pragma once

namespace sim {

struct SpoolerState {};

}  // namespace sim
