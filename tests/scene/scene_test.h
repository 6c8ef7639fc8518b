#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "scenario/translator.h"
#include "scene/handlers.h"
#include "scene/scene_state.h"
#include "support/test_support.h"

// Runs source bytes through the scene handlers as the translation loop does:
// each opcode byte is stepped over and its handler called; bytes without a
// scene handler are skipped. Lines reported go to diag_.
class SceneTest : public ::testing::Test {
 protected:
  SceneTest() : t_(std::make_unique<scenario::Translator>(diag_)) { t_->scene = &scene_; }

  void Load(const std::string& hex) {
    source_ = test_support::Hex(hex);
    t_->src.Load(source_.data(), source_.size());
    t_->out.Reset();
    scene_.message.Reset();
  }

  // Loads `hex` and translates all of it; returns the code emitted.
  std::vector<uint8_t> Run(const std::string& hex) {
    Load(hex);
    while (!t_->src.AtEnd()) {
      const uint8_t op = t_->src.ReadU8();
      for (const scenario::OpcodeHandler& h : scene::kSceneHandlers) {
        if (h.opcode == op) h.handler(*t_);
      }
    }
    return Code();
  }

  std::vector<uint8_t> Code() const {
    return std::vector<uint8_t>(t_->out.Data() + scenario::Output::kHeaderSize,
                                t_->out.Data() + t_->out.Len());
  }

  static std::vector<uint8_t> Hex(const std::string& hex) { return test_support::Hex(hex); }

  base::CollectedDiagnostics diag_;
  scene::SceneState scene_;
  scene::MessageState& message_ = scene_.message;
  std::unique_ptr<scenario::Translator> t_;

 private:
  std::vector<uint8_t> source_;
};
