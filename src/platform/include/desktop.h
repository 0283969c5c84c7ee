// What the desktop offers beyond panels: a modal question, and the notice that the desktop
// session ends (logout, shutdown).
#pragma once

#include <string>
#include <vector>

#include "engine.h"

namespace platform {

// Asks in a modal message box over the window of `panel`: `buttons` from left to right, the
// first the default, the last also the answer to Escape and the close box. Returns the index of
// the button chosen. Events are processed while it is open.
int AskQuestion(Engine& engine, int panel, const std::string& title, const std::string& text,
                const std::vector<std::string>& buttons);
// For tests and scripted runs: questions are not shown but answered at once with the button of
// this text (the last button when the question has none of that text). Empty: shown again.
void AnswerQuestionsWith(const std::string& button);
// The text of the question asked last ("" before the first).
std::string LastQuestion();

// Calls `call(data)` when the desktop session is about to end: it cannot wait for the user, the
// sensor or anything slow. One callback; null removes it.
void WhenSessionEnds(void (*call)(void* data), void* data);
// Runs that callback as the desktop's notice would: for tests and scripted runs.
void EndSessionNow();

}  // namespace platform
