#pragma once

#include <optional>
#include <string>

// The system clipboard, text only, UTF-8 both ways.
class OClipboard {
public:
    virtual ~OClipboard() = default;
    virtual bool PutText(const std::string& utf8) = 0;
    // Empty when the clipboard holds no text or cannot be read.
    virtual std::optional<std::string> GetText() = 0;
};
