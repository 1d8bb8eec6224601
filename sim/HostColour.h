#pragma once
// How a host that colours its text dresses its lines: ANSI escape sequences around the
// prompts, the headings and the login prompts, and a cleared screen (with the window title
// set) after the login. What a terminal shows once it takes the sequences out is exactly
// the uncoloured host's text. Each function returns its text unchanged when `on` is false.
#include <string>

namespace sim::colour {

// A prompt that waits for input: bold green, its ")>" end in white.
std::string prompt(const std::string& text, bool on);
// "User ID  = " and "Password = ": bold cyan.
std::string loginPrompt(const std::string& text, bool on);
// A heading line: bold yellow on blue, reset before the CR LF.
std::string heading(const std::string& text, bool on);
// The message and mail header lines ("Message  #..."): cyan from the "#" or ":" on.
std::string header(const std::string& text, bool on);
// After a login: the window title (OSC), the screen cleared and the cursor at home.
std::string clearScreen(bool on);

} // namespace sim::colour
