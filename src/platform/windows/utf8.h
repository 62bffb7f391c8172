#pragma once
// UTF-8 and UTF-16 on Windows, for paths and arguments.

#include <string>
#include <string_view>

namespace quorvane::platform {

std::string toUtf8(std::wstring_view wide);
// Empty when the bytes are not valid UTF-8.
std::wstring fromUtf8(std::string_view bytes);

}  // namespace quorvane::platform
