#pragma once

#include "scenario/translator.h"

namespace scene {

// op::kMessage: one message of scenario text. Rewrites the text's
// punctuation (lenticular brackets, arrow, dropped ▼), recognises speaker
// names and quotes, and emits it as 255, text, and the ending 1 or 2 1 --
// or nothing, for blank texts and for a speaker name held back until the
// quote that follows it. Keeps what it needs across messages in the scene
// state (t.scene->message).
void TranslateTextMessage(scenario::Translator& t);

}  // namespace scene
