#pragma once

namespace sys {

// The environment variable that sends message boxes to stderr only. Tests and
// CI always set it: a real message box blocks forever without a user.
constexpr const char* MESSAGE_BOX_SWITCH = "TARVELIN_NO_MESSAGEBOX";

enum class MessageIcon { Information, Warning, Error };

// Shows a modal message box (or, with the switch set or no display, writes
// "caption: text" to stderr). Always writes the text to stderr as well, so
// headless runs keep the message.
void messageBox(const char* text, const char* caption, MessageIcon icon = MessageIcon::Error);

// True when message boxes go to stderr only.
bool messageBoxesSuppressed();

} // namespace sys
