#include "web/page_json.h"

#include <cstdio>

namespace pellaris::web {

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + '"';
}

std::string JsonArray(const std::vector<std::string>& items) {
  std::string json = "[";
  for (const std::string& item : items) json.append(json.size() > 1 ? "," : "").append(item);
  return json + "]";
}

JsonObject& JsonObject::Raw(std::string_view name, std::string_view json) {
  text_.append(text_.size() > 1 ? "," : "").append(JsonString(name)).append(":").append(json);
  return *this;
}

JsonObject& JsonObject::Text(std::string_view name, std::string_view value) {
  return Raw(name, JsonString(value));
}

JsonObject& JsonObject::Number(std::string_view name, std::int64_t value) {
  return Raw(name, std::to_string(value));
}

JsonObject& JsonObject::Flag(std::string_view name, bool value) {
  return Raw(name, value ? "true" : "false");
}

JsonObject& JsonObject::Null(std::string_view name) {
  return Raw(name, "null");
}

}  // namespace pellaris::web
