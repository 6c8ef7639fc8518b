#include "scene/scene_state.h"

namespace scene {
namespace {

void DeleteSceneState(SceneState* state) { delete state; }

}  // namespace

scenario::SceneStatePtr MakeSceneState() { return {new SceneState(), DeleteSceneState}; }

void StartScenario(scenario::Translator& t) { t.scene->message.Reset(); }

}  // namespace scene
