// AnsweringHost: a window layer that answers every box at once, for runs without a person (fuzz
// targets, generated test cases, benchmarks): a Yes/No question as set, any other box with OK,
// an input box with nothing; forms close as shown.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/host.h"

namespace vellumo::ui {

class AnsweringHost final : public Host {
 public:
  explicit AnsweringHost(bool refuse_questions = false) : refuse_(refuse_questions) {}
  int MsgBox(std::string_view, int style, std::string_view) override {
    if ((style & 7) == kYesNo) return refuse_ ? kNo : kYes;
    return kOk;
  }
  std::string InputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  void ShowForm(Form&) override {}

 private:
  bool refuse_;
};

}  // namespace vellumo::ui
