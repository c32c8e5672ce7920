// The JSON the game hands the page: strings escaped, objects built field by field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pellaris::web {

// The text as a JSON string: quoted, with quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view text);
std::string JsonArray(const std::vector<std::string>& items);

class JsonObject {
 public:
  JsonObject& Text(std::string_view name, std::string_view value);
  JsonObject& Number(std::string_view name, std::int64_t value);
  JsonObject& Flag(std::string_view name, bool value);
  JsonObject& Null(std::string_view name);
  // A value already in JSON (an object, an array).
  JsonObject& Raw(std::string_view name, std::string_view json);
  std::string Done() const { return text_ + "}"; }

 private:
  std::string text_ = "{";
};

}  // namespace pellaris::web
