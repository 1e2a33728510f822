#include "platform/hid_backend.h"
#include "sim/sim_bus.h"

namespace talmi {

void RegisterSimBus(CSimBus& bus) { RegisterHidBackend(CSimBus::kPrefix, &bus); }

void UnregisterSimBus() { RegisterHidBackend(CSimBus::kPrefix, nullptr); }

}  // namespace talmi
