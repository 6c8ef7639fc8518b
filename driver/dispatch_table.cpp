#include "driver/dispatch_table.h"

#include "scenario/control_flow.h"
#include "scene/handlers.h"

namespace driver {
namespace {

constexpr scenario::DispatchTable MakeTable() {
  scenario::DispatchTable table;
  table.Add(scenario::kControlFlowHandlers);
  table.Add(scene::kSceneHandlers);
  table.makeSceneState = scene::MakeSceneState;
  table.startScenario = scene::StartScenario;
  return table;
}

constexpr scenario::DispatchTable kTable = MakeTable();

}  // namespace

const scenario::DispatchTable& TranslatorDispatchTable() { return kTable; }

}  // namespace driver
