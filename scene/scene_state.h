#pragma once

#include "scenario/translator.h"
#include "scene/message_state.h"

namespace scene {

// What the scene handlers keep for one translator; the translator carries
// it as `Translator::scene`.
struct SceneState {
  MessageState message;
};

// The dispatch table's hooks: makes the state once per translator, and
// resets it at the start of every scenario.
scenario::SceneStatePtr MakeSceneState();
void StartScenario(scenario::Translator& t);

}  // namespace scene
