#include "platform/windows/utf8.h"

#include <windows.h>

namespace quorvane::platform {

std::string toUtf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int wideLength = static_cast<int>(wide.size());
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, bytes.data(), length, nullptr,
                          nullptr);
  }
  return bytes;
}

std::wstring fromUtf8(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int byteLength = static_cast<int>(bytes.size());
  const int length =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), byteLength, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) {
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), byteLength, wide.data(),
                          length);
  }
  return wide;
}

}  // namespace quorvane::platform
