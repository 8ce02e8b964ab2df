// Records the boxes a test provokes instead of opening them modally.
#pragma once

#include "MessageBox.h"

#include <string>
#include <utility>
#include <vector>

class MessageCapture {
public:
    MessageCapture() {
        setMessageSinkForTesting(
            [this](TMessageKind Kind, const std::string& Gbk) { shown.emplace_back(Kind, Gbk); });
    }
    ~MessageCapture() { setMessageSinkForTesting(nullptr); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::vector<std::pair<TMessageKind, std::string>> shown;
};
