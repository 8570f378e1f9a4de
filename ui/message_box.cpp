#include "ui/message_box.h"

#include "platform/dialogs.h"
#include "text/string_table.h"

int32_t ShowMessage(WindowHandle owner, MessageKind kind, const char16_t* textKey) {
    uint32_t style = kMbOk | kMbIconHand;
    if (kind == kMessageInformation) style = kMbOk | kMbIconInformation;
    if (kind == kMessageQuestion) style = kMbYesNo | kMbIconQuestion;
    // Both texts come from the lookup ring and stay valid together.
    const char16_t* caption = LookupText(u"S_APP_NAME");
    const char16_t* text = LookupText(textKey);
    return OsMessageBox(owner, text, caption, style);
}
