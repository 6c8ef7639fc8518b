#include "scenario/scenario_translator.h"

namespace scenario {

ScenarioTranslator::ScenarioTranslator(const DispatchTable& table, const ScenarioSet& scenarios,
                                       base::Diagnostics& diag)
    : table_(table),
      t_(std::make_unique<Translator>(diag)),
      scene_(table.makeSceneState ? table.makeSceneState() : SceneStatePtr(nullptr, nullptr)) {
  t_->scenarios = &scenarios;
  t_->scene = scene_.get();
}

ScenarioTranslator::~ScenarioTranslator() = default;

std::span<const uint8_t> ScenarioTranslator::Translate(std::span<const uint8_t> source,
                                                       const std::string& sourceName) {
  t_->src.Load(source.data(), source.size());
  t_->sourceName = sourceName;
  TranslateScenario(*t_, table_);
  return {t_->out.Data(), static_cast<size_t>(t_->out.Len())};
}

}  // namespace scenario
