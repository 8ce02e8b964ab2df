// The plain message box and the standard error box, both captioned with the application's title.
#pragma once

#include <functional>
#include <string>

enum class TMessageKind { Message, Error };

// The message, an OK button.
void ShowMessage(const std::string& Gbk);
// An error icon and the message with the full stop rule applied.
void ShowErrorBox(const std::string& Gbk);

// The platform's rule: a full stop is appended when the last byte's code is above '.'.
std::string withFullStop(const std::string& Gbk);

// While set, boxes go to the sink (as shown, GBK) instead of opening modally.
using TMessageSink = std::function<void(TMessageKind Kind, const std::string& Gbk)>;
void setMessageSinkForTesting(TMessageSink Sink);
