// The program's three kinds of message box, captioned with S_APP_NAME.
#pragma once

#include "platform/platform_types.h"

enum MessageKind {
    kMessageError,        // MB_ICONHAND
    kMessageInformation,  // MB_ICONINFORMATION
    kMessageQuestion,     // MB_YESNO | MB_ICONQUESTION
};

// Looks up the caption, then the text of textKey, and shows the box modally.
// Returns the button pressed (kIdYes counts as the only yes).
int32_t ShowMessage(WindowHandle owner, MessageKind kind, const char16_t* textKey);
