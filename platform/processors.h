#pragma once

namespace platform {

// The processors this process may run on: those of its affinity mask where
// the system tells (a run under `taskset -c 0` gets 1), otherwise every
// processor of the machine (std::thread::hardware_concurrency). At least 1.
unsigned UsableProcessors();

}  // namespace platform
