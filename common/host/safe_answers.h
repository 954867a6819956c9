#pragma once

#include <span>
#include <string_view>

#include "common/host/host.h"

namespace velqo {

// The answer a question takes when nobody is there to give one: standard
// input has ended, or an interrupt came while it was asked. It is the
// answer that changes the least on disk and loses nothing.
struct SafeAnswerRule {
  std::string_view caption;   // the box's caption, a fixed text
  std::string_view question;  // what is asked, for the manual and the tests
  Buttons buttons;            // the buttons the box offers
  Answer answer;
  std::string_view effect;    // what that answer does
};

// Every question the engine and the configuration code put in a message
// box, by caption. Keep the manual's section on questions in step.
std::span<const SafeAnswerRule> SafeAnswerRules();

// The safe answer of a box: its rule's where one has its caption and
// buttons, else Cancel where offered, else No, else OK.
Answer SafeAnswer(std::string_view caption, Buttons buttons);

// Whether Cancel in a box of this caption stops the update. It does
// everywhere but where Cancel only declines one thing: the purge of an old
// file ("Cancel To Prevent Deletion") and the template questions.
bool CancelStopsTheRun(std::string_view caption);

// The three confirmation dialogs (copy, older copy, delete) stop the
// update: nothing more is copied or deleted.
inline constexpr int kSafeConfirmAnswer = mrCancelUpdate;

}  // namespace velqo
