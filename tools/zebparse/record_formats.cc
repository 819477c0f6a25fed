// Tested by tests/tools/record_formats_test.cc.
#include "tools/zebparse/record_formats.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <simdjson.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <regex>
#include <unordered_map>

namespace zebparse {
namespace {

// Decodes one UTF-8 sequence at `pos`; returns its length, or 0 when it is not
// well-formed (overlong forms, surrogates and values past U+10FFFF included).
size_t decodeUtf8(std::string_view text, size_t pos, char32_t& codePoint) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(pos);
  size_t length;
  char32_t minimum;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, codePoint = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, codePoint = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, codePoint = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(pos + i) & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return 0;
  }
  return length;
}

bool isXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Appends escaped text; with `lenient`, a byte or character XML cannot carry
// becomes U+FFFD instead of failing.
bool appendEscaped(std::string& out, std::string_view text, bool lenient, std::string& error) {
  for (size_t pos = 0; pos < text.size();) {
    char32_t c = 0;
    size_t length = decodeUtf8(text, pos, c);
    if (length == 0 || !isXmlChar(c)) {
      if (!lenient) {
        char detail[96];
        if (length == 0) {
          std::snprintf(detail, sizeof detail, "invalid UTF-8 at byte %zu", pos + 1);
        } else {
          std::snprintf(detail, sizeof detail, "character U+%04X not allowed in XML at byte %zu",
                        static_cast<unsigned>(c), pos + 1);
        }
        error = detail;
        return false;
      }
      out += "\xEF\xBF\xBD";
      pos += length == 0 ? 1 : length;
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;  // keeps "]]>" harmless
      case '\r':
        out += "&#13;";
        break;  // a bare CR would be read as a line end
      default:
        out.append(text.substr(pos, length));
    }
    pos += length;
  }
  return true;
}

std::string nodeText(xmlNodePtr node) {
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = content != nullptr ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return text;
}

bool named(xmlNodePtr node, const char* name) {
  return node->type == XML_ELEMENT_NODE &&
         xmlStrEqual(node->name, reinterpret_cast<const xmlChar*>(name));
}

xmlNodePtr firstChild(xmlNodePtr parent, const char* name) {
  for (xmlNodePtr child = parent->children; child != nullptr; child = child->next) {
    if (named(child, name)) return child;
  }
  return nullptr;
}

}  // namespace

bool isElementCode(std::string_view key) {
  if (key.empty() || key.front() < 'A' || key.front() > 'Z') return false;
  return std::all_of(key.begin(), key.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
}

bool appendXmlText(std::string& out, std::string_view text, std::string& error) {
  return appendEscaped(out, text, false, error);
}

bool buildRecordDocument(const std::vector<Element>& elements, std::string& document,
                         std::string& error) {
  document = "<STD_BOM><OBS_FEAT>";
  for (const Element& element : elements) {
    document += "<OBS_FELEM><FELEM_CODE>";
    document += element.code;  // element codes need no escaping
    document += "</FELEM_CODE><FELEM_VALUE>";
    std::string problem;
    if (!appendXmlText(document, element.value, problem)) {
      error = "value of " + element.code + ": " + problem;
      return false;
    }
    document += "</FELEM_VALUE></OBS_FELEM>";
  }
  document += "</OBS_FEAT></STD_BOM>";
  return true;
}

std::string errorDocument(std::string_view message) {
  std::string out = "<STD_RESULT><ERROR>";
  std::string ignored;
  appendEscaped(out, message, true, ignored);
  out += "</ERROR></STD_RESULT>";
  return out;
}

namespace {

// The result documents of the plug-in are one line of a fixed shape; reading them
// with a tree parser costs more than the parse of the address. This reader takes
// that shape only and declines anything else, which the tree parser then reads.
class ShapeReader {
 public:
  explicit ShapeReader(std::string_view text) : s_(text) {}
  bool take(std::string_view literal) {
    if (s_.substr(pos_, literal.size()) != literal) return false;
    pos_ += literal.size();
    return true;
  }
  // Character data up to the next '<', entities decoded.
  bool text(std::string& out) {
    out.clear();
    while (pos_ < s_.size() && s_[pos_] != '<') {
      // A plain loop: find_first_of searches its set once per character.
      size_t amp = pos_;
      while (amp < s_.size() && s_[amp] != '&' && s_[amp] != '<') ++amp;
      if (amp == s_.size()) return false;
      out.append(s_.substr(pos_, amp - pos_));
      pos_ = amp;
      if (s_[pos_] == '<') break;
      if (!entity(out)) return false;
    }
    return pos_ < s_.size();
  }
  bool done() const { return pos_ == s_.size(); }

 private:
  bool entity(std::string& out) {
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto& [name, c] : kNamed) {
      if (take(name)) {
        out += c;
        return true;
      }
    }
    // Numeric references: only the ones the serialiser writes for control bytes.
    for (const auto& [name, c] : {std::pair<std::string_view, char>{"&#13;", '\r'},
                                  {"&#10;", '\n'},
                                  {"&#9;", '\t'},
                                  {"&#xD;", '\r'},
                                  {"&#xA;", '\n'},
                                  {"&#x9;", '\t'}}) {
      if (take(name)) {
        out += c;
        return true;
      }
    }
    return false;
  }

  std::string_view s_;
  size_t pos_ = 0;
};

bool readResultShape(std::string_view text, ResultDocument& result) {
  ShapeReader in(text);
  if (!in.take("<STD_RESULT><OBS_FEAT>")) return false;
  size_t count = 0;
  while (in.take("<OBS_FELEM><FELEM_CODE>")) {
    if (count == result.elements.size()) result.elements.emplace_back();
    Element& element = result.elements[count];
    if (!in.text(element.code) || !in.take("</FELEM_CODE>")) return false;
    if (in.take("<FELEM_VALUE/>")) {
      element.value.clear();
    } else if (!in.take("<FELEM_VALUE>") || !in.text(element.value) || !in.take("</FELEM_VALUE>")) {
      return false;
    }
    if (!in.take("</OBS_FELEM>")) return false;
    ++count;
  }
  if (!in.take("</OBS_FEAT></STD_RESULT>") || !in.done()) return false;
  result.elements.resize(count);
  result.hasError = false;
  result.error.clear();
  return true;
}

}  // namespace

bool readResultDocument(std::string_view text, ResultDocument& result, std::string& error) {
  if (readResultShape(text, result)) return true;
  result = ResultDocument();
  xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) {
    const xmlError* last = xmlGetLastError();
    error = "result is not a well-formed document";
    if (last != nullptr && last->message != nullptr) {
      std::string reason = last->message;
      while (!reason.empty() && reason.back() == '\n') reason.pop_back();
      error += " (" + reason + ")";
    }
    return false;
  }
  xmlNodePtr root = xmlDocGetRootElement(doc);
  if (root != nullptr) {
    if (xmlNodePtr errorNode = firstChild(root, "ERROR")) {
      result.hasError = true;
      result.error = nodeText(errorNode);
    }
    if (xmlNodePtr feature = firstChild(root, "OBS_FEAT")) {
      for (xmlNodePtr item = feature->children; item != nullptr; item = item->next) {
        if (!named(item, "OBS_FELEM")) continue;
        xmlNodePtr code = firstChild(item, "FELEM_CODE");
        if (code == nullptr) continue;
        xmlNodePtr value = firstChild(item, "FELEM_VALUE");
        result.elements.push_back({nodeText(code), value != nullptr ? nodeText(value) : ""});
      }
    }
  }
  xmlFreeDoc(doc);
  return true;
}

bool refuseNul(std::string_view record, std::string& error) {
  const void* nul = std::memchr(record.data(), '\0', record.size());
  if (nul == nullptr) return true;
  error = "NUL byte in the record at byte " +
          std::to_string(static_cast<const char*>(nul) - record.data() + 1);
  return false;
}

bool isResultCode(std::string_view code) {
  for (const char* result : kResultCodes) {
    if (code == result) return true;
  }
  return false;
}

namespace {

// Bit i stands for kLocalityCodes[i]; 0 for any other code.
unsigned localityBit(std::string_view code) {
  for (unsigned i = 0; i < std::size(kLocalityCodes); ++i) {
    if (code == kLocalityCodes[i]) return 1u << i;
  }
  return 0;
}

// A record with CITY or POSTAL_CODE has its locality already: none is looked for.
constexpr unsigned kCityOrPostalCode = 1u | 4u;

}  // namespace

bool isAddressCode(std::string_view code) {
  return code == "ADDR1" || code == "ADDR2" || code == "ADDR3" || code == "STR_NUM" ||
         code == "STR_NAME";
}

std::string_view ColumnMap::codeOf(std::string_view name) const {
  for (const auto& [from, code] : map_) {
    if (from == name) return code;
  }
  return isElementCode(name) ? name : std::string_view();
}

const std::string* lastValue(const ResultDocument& result, std::string_view code) {
  const std::string* found = nullptr;
  for (const Element& element : result.elements) {
    if (element.code == code) found = &element.value;
  }
  return found;
}

namespace {

namespace ondemand = simdjson::ondemand;
using simdjson::error_code;

// simdjson reads from a buffer with SIMDJSON_PADDING readable bytes past the text;
// one parser and one buffer per thread serve every line that thread scans.
struct JsonReader {
  ondemand::parser parser;
  std::string buffer;
};

JsonReader& threadReader() {
  thread_local JsonReader reader;
  return reader;
}

const char* describe(error_code code) {
  switch (code) {
    case simdjson::UTF8_ERROR:
      return "invalid UTF-8";
    case simdjson::UNESCAPED_CHARS:
      return "control character in a string";
    case simdjson::UNCLOSED_STRING:
      return "string not closed";
    case simdjson::STRING_ERROR:
      return "bad string escape or lone surrogate";
    case simdjson::NUMBER_ERROR:
      return "bad number";
    case simdjson::T_ATOM_ERROR:
    case simdjson::F_ATOM_ERROR:
    case simdjson::N_ATOM_ERROR:
    case simdjson::INCORRECT_TYPE:
      return "expected a value";
    case simdjson::TRAILING_CONTENT:
      return "text after the value";
    case simdjson::EMPTY:
    case simdjson::INSUFFICIENT_PADDING:
      return "unexpected end of the line";
    case simdjson::INCOMPLETE_ARRAY_OR_OBJECT:
      return "list or object not closed";
    default:
      return "unexpected text";
  }
}

bool isJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimEnd(std::string_view text) {
  while (!text.empty() && isJsonSpace(text.back())) text.remove_suffix(1);
  return text;
}

// simdjson refuses numbers it cannot hold (past a double's range, integers past 64
// bits). JSON sets no such bound and the record only repeats such a number as
// written, so one written by the JSON grammar passes.
bool isJsonNumber(std::string_view text) {
  static const std::regex kNumber(R"(-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?)");
  return std::regex_match(text.begin(), text.end(), kNumber);
}

// A value the record does not take is still checked through, not only skipped:
// simdjson reads lazily and would pass over a bad number or escape inside it.
error_code checkValue(ondemand::value value, size_t depth) {
  ondemand::json_type type;
  if (error_code e = value.type().get(type)) return e;
  switch (type) {
    case ondemand::json_type::object:
    case ondemand::json_type::array: {
      if (depth >= kMaxJsonDepth) return simdjson::DEPTH_ERROR;
      if (type == ondemand::json_type::array) {
        ondemand::array array;
        if (error_code e = value.get_array().get(array)) return e;
        for (auto item : array) {
          ondemand::value inner;
          if (error_code e = item.get(inner)) return e;
          if (error_code e = checkValue(inner, depth + 1)) return e;
        }
        return simdjson::SUCCESS;
      }
      ondemand::object object;
      if (error_code e = value.get_object().get(object)) return e;
      for (auto member : object) {
        ondemand::field field;
        std::string_view key;
        if (error_code e = std::move(member).get(field)) return e;
        if (error_code e = field.unescaped_key().get(key)) return e;
        if (error_code e = checkValue(field.value(), depth + 1)) return e;
      }
      return simdjson::SUCCESS;
    }
    case ondemand::json_type::string:
      return value.get_string().error();
    case ondemand::json_type::number: {
      error_code e = value.get_number().error();
      if (e == simdjson::NUMBER_ERROR && isJsonNumber(trimEnd(value.raw_json_token()))) {
        return simdjson::SUCCESS;
      }
      return e;
    }
    case ondemand::json_type::boolean:
      return value.get_bool().error();
    case ondemand::json_type::null: {
      bool null = false;
      if (error_code e = value.is_null().get(null)) return e;
      return null ? simdjson::SUCCESS : simdjson::N_ATOM_ERROR;
    }
  }
  return simdjson::TAPE_ERROR;
}

// Whether the document is read to its end: a location is only known before it.
bool atEnd(ondemand::document& doc) {
  const char* location = nullptr;
  return doc.current_location().get(location) != simdjson::SUCCESS;
}

// A whole line that is no object: checked all the same, so that broken JSON is
// told apart from JSON that is not a record.
error_code checkDocument(ondemand::document& doc, ondemand::json_type type) {
  switch (type) {
    case ondemand::json_type::array: {
      ondemand::array array;
      if (error_code e = doc.get_array().get(array)) return e;
      for (auto item : array) {
        ondemand::value inner;
        if (error_code e = item.get(inner)) return e;
        if (error_code e = checkValue(inner, 1)) return e;
      }
      break;
    }
    case ondemand::json_type::string:
      if (error_code e = doc.get_string().error()) return e;
      break;
    case ondemand::json_type::number:
      if (error_code e = doc.get_number().error()) return e;
      break;
    case ondemand::json_type::boolean:
      if (error_code e = doc.get_bool().error()) return e;
      break;
    case ondemand::json_type::null: {
      bool null = false;
      if (error_code e = doc.is_null().get(null)) return e;
      if (!null) return simdjson::N_ATOM_ERROR;
      break;
    }
    default:
      return simdjson::TAPE_ERROR;
  }
  return atEnd(doc) ? simdjson::SUCCESS : simdjson::TRAILING_CONTENT;
}

}  // namespace

bool scanJsonRecord(std::string_view line, const ColumnMap& map, JsonRecord& record,
                    std::string& error) {
  record.memberCount = 0;
  record.elements.clear();
  record.localityCodes = 0;
  // A NUL byte would end the text for the plug-in: refused before anything else.
  if (!refuseNul(line, error)) return false;
  JsonReader& reader = threadReader();
  std::string& buffer = reader.buffer;
  if (buffer.size() < line.size() + simdjson::SIMDJSON_PADDING) {
    buffer.resize(line.size() + simdjson::SIMDJSON_PADDING);
  }
  std::memcpy(buffer.data(), line.data(), line.size());
  std::memset(buffer.data() + line.size(), ' ', simdjson::SIMDJSON_PADDING);
  const char* base = buffer.data();
  // Offsets into the copy are offsets into the line, where the members point.
  auto offsetOf = [&](const char* at) { return static_cast<size_t>(at - base); };

  ondemand::document doc;
  bool iterated = false;
  auto fail = [&](error_code code) {
    if (code == simdjson::DEPTH_ERROR) {
      error = "JSON nested deeper than " + std::to_string(kMaxJsonDepth) + " levels";
      return false;
    }
    // Whole-line checks come before any position is known; the first bad UTF-8
    // sequence is found again here.
    size_t at = line.size();
    if (code == simdjson::UTF8_ERROR) {
      char32_t ignored = 0;
      for (size_t pos = 0; pos < line.size();) {
        size_t length = decodeUtf8(line, pos, ignored);
        if (length == 0) {
          at = pos;
          break;
        }
        pos += length;
      }
    } else if (const char* location = nullptr;
               iterated && doc.current_location().get(location) == simdjson::SUCCESS) {
      at = std::min(offsetOf(location), line.size());
    }
    error = "invalid JSON";
    if (at < line.size()) error += " at byte " + std::to_string(at + 1);
    error += ": ";
    error += describe(code);
    return false;
  };

  if (error_code e = reader.parser.iterate(buffer.data(), line.size(), buffer.size()).get(doc)) {
    // A line can hold several faults that the whole-line pass finds at once: bad
    // UTF-8 is the one named, as it is the one that has a position.
    return fail(simdjson::validate_utf8(line.data(), line.size()) ? e : simdjson::UTF8_ERROR);
  }
  iterated = true;
  ondemand::json_type type;
  if (error_code e = doc.type().get(type)) return fail(e);
  if (type != ondemand::json_type::object) {
    if (error_code e = checkDocument(doc, type)) return fail(e);
    error = "not a JSON object";
    return false;
  }
  ondemand::object object;
  if (error_code e = doc.get_object().get(object)) {
    // The parser matches the opening '{' with the line's last token up front.
    if (e != simdjson::TAPE_ERROR && e != simdjson::INCOMPLETE_ARRAY_OR_OBJECT) return fail(e);
    error = "invalid JSON: the object does not close at the end of the line";
    return false;
  }
  for (auto next : object) {
    ondemand::field field;
    if (error_code e = std::move(next).get(field)) return fail(e);
    if (record.memberCount >= kMaxJsonKeys) {
      error = "JSON object with more than " + std::to_string(kMaxJsonKeys) + " keys";
      return false;
    }
    if (record.memberCount == record.members.size()) record.members.emplace_back();
    JsonRecord::Member& member = record.members[record.memberCount];
    // The raw key first: unescaping it gives it up.
    size_t start = offsetOf(field.key().raw()) - 1;  // the opening quote
    std::string_view key;
    if (error_code e = field.unescaped_key().get(key)) return fail(e);
    member.key.assign(key);
    ondemand::value value = field.value();
    std::string_view code = map.codeOf(member.key);
    record.localityCodes |= localityBit(code);
    ondemand::json_type valueType;
    if (error_code e = value.type().get(valueType)) return fail(e);
    // Where the member ends: a scalar's token shows it, a list or object is read
    // through first and the parser then stands at the ',' or '}' after it.
    const char* valueEnd = nullptr;
    if (valueType != ondemand::json_type::object && valueType != ondemand::json_type::array) {
      std::string_view token = trimEnd(value.raw_json_token());
      valueEnd = token.data() + token.size();
    }
    if (code.empty()) {
      if (error_code e = checkValue(value, 1)) return fail(e);
    } else {
      // Only the last occurrence of a code counts.
      std::erase_if(record.elements, [&](const Element& e) { return e.code == code; });
      // Strings as they are, numbers and booleans as written, null left out.
      auto take = [&](ondemand::value item, ondemand::json_type itemType) -> error_code {
        std::string_view text;
        if (itemType == ondemand::json_type::string) {
          if (error_code e = item.get_string().get(text)) return e;
          record.elements.push_back({std::string(code), std::string(text)});
          return simdjson::SUCCESS;
        }
        text = item.raw_json_token();
        if (error_code e = checkValue(item, 1)) return e;
        if (itemType != ondemand::json_type::null) {
          record.elements.push_back({std::string(code), std::string(trimEnd(text))});
        }
        return simdjson::SUCCESS;
      };
      if (valueType == ondemand::json_type::object) {
        error = "value of " + member.key + " is an object";
        return false;
      }
      if (valueType == ondemand::json_type::array) {
        ondemand::array array;
        if (error_code e = value.get_array().get(array)) return fail(e);
        for (auto entry : array) {
          ondemand::value item;
          ondemand::json_type itemType;
          if (error_code e = entry.get(item)) return fail(e);
          if (error_code e = item.type().get(itemType)) return fail(e);
          if (itemType == ondemand::json_type::array || itemType == ondemand::json_type::object) {
            error = "value of " + member.key + " holds a list or object";
            return false;
          }
          if (error_code e = take(item, itemType)) return fail(e);
        }
      } else if (error_code e = take(value, valueType)) {
        return fail(e);
      }
    }
    if (valueEnd == nullptr && doc.current_location().get(valueEnd) != simdjson::SUCCESS) {
      valueEnd = base + line.size();
    }
    member.text = trimEnd(line.substr(start, std::min(offsetOf(valueEnd), line.size()) - start));
    ++record.memberCount;
  }
  if (const char* location = nullptr; doc.current_location().get(location) == simdjson::SUCCESS) {
    error = "invalid JSON at byte " + std::to_string(offsetOf(location) + 1) +
            ": text after the object";
    return false;
  }
  return true;
}

void appendJsonString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (size_t pos = 0; pos < text.size();) {
    size_t start = pos;
    while (pos < text.size()) {
      auto c = static_cast<unsigned char>(text[pos]);
      if (c == '"' || c == '\\' || c < 0x20 || c >= 0x80) break;
      ++pos;
    }
    out.append(text.substr(start, pos - start));
    if (pos == text.size()) break;
    auto c = static_cast<unsigned char>(text[pos]);
    if (c >= 0x80) {
      char32_t ignored = 0;
      size_t length = decodeUtf8(text, pos, ignored);
      if (length == 0) {
        out += "\xEF\xBF\xBD";
        ++pos;
      } else {
        out.append(text.substr(pos, length));
        pos += length;
      }
      continue;
    }
    ++pos;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
  }
  out += '"';
}

void jsonOutput(const JsonRecord& input, const ResultDocument* result, const std::string* error,
                bool allElements, std::string& out) {
  out.clear();
  out += '{';
  bool first = true;
  auto next = [&] {
    if (!first) out += ',';
    first = false;
  };
  auto inResult = [&](const std::string& key) {
    return result != nullptr && lastValue(*result, key) != nullptr;
  };
  for (size_t i = 0; i < input.memberCount; ++i) {
    const JsonRecord::Member& member = input.members[i];
    // A failed record keeps its members: no result stands in for them.
    if (result != nullptr && (allElements ? inResult(member.key) : isResultCode(member.key))) {
      continue;
    }
    next();
    out.append(member.text);
  }
  if (allElements) {
    if (result != nullptr) {
      const std::vector<Element>& elements = result->elements;
      for (size_t i = 0; i < elements.size(); ++i) {
        const std::string& code = elements[i].code;
        bool seen = false;
        for (size_t j = 0; j < i && !seen; ++j) seen = elements[j].code == code;
        if (seen) continue;
        next();
        appendJsonString(out, code);
        out += ":[";
        bool firstValue = true;
        for (size_t j = i; j < elements.size(); ++j) {
          if (elements[j].code != code) continue;
          if (!firstValue) out += ',';
          firstValue = false;
          appendJsonString(out, elements[j].value);
        }
        out += ']';
      }
    }
  } else if (result != nullptr) {
    for (const char* code : kResultCodes) {
      next();
      out += '"';
      out += code;
      out += "\":";
      const std::string* value = lastValue(*result, code);
      appendJsonString(out, value != nullptr ? std::string_view(*value) : std::string_view());
    }
    if ((input.localityCodes & kCityOrPostalCode) == 0) {
      for (const char* code : kLocalityCodes) {
        if ((input.localityCodes & localityBit(code)) != 0) continue;
        next();
        out += '"';
        out += code;
        out += "\":";
        const std::string* value = lastValue(*result, code);
        appendJsonString(out, value != nullptr ? std::string_view(*value) : std::string_view());
      }
    }
  }
  if (error != nullptr) {
    next();
    out += "\"ERROR\":";
    appendJsonString(out, *error);
  }
  out += '}';
}

void appendCsvLine(std::string& out, const std::vector<std::string>& fields, char delimiter) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += delimiter;
    const std::string& field = fields[i];
    bool quote = false;
    for (char c : field) {
      if (c == delimiter || c == '"' || c == '\r' || c == '\n') {
        quote = true;
        break;
      }
    }
    if (!quote) {
      out += field;
      continue;
    }
    out += '"';
    for (char c : field) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
}

std::string csvLine(const std::vector<std::string>& fields, char delimiter) {
  std::string line;
  appendCsvLine(line, fields, delimiter);
  return line;
}

CsvLayout::CsvLayout(std::vector<std::string> header, const ColumnMap& map, char delimiter)
    : header_(std::move(header)), delimiter_(delimiter) {
  for (const std::string& name : header_) {
    codes_.emplace_back(map.codeOf(name));
    if (isAddressCode(codes_.back())) hasAddress_ = true;
  }
  outputHeader_ = header_;
  for (const char* code : kResultCodes) {
    if (std::find(header_.begin(), header_.end(), code) == header_.end()) {
      outputHeader_.emplace_back(code);
    }
  }
  unsigned locality = 0;
  for (const std::string& code : codes_) locality |= localityBit(code);
  if ((locality & kCityOrPostalCode) == 0) {
    for (const char* code : kLocalityCodes) {
      if ((locality & localityBit(code)) == 0 &&
          std::find(header_.begin(), header_.end(), code) == header_.end()) {
        outputHeader_.emplace_back(code);
      }
    }
  }
  if (std::find(header_.begin(), header_.end(), "ERROR") == header_.end()) {
    outputHeader_.emplace_back("ERROR");
  }
}

bool CsvLayout::record(const std::vector<std::string>& cells, std::vector<Element>& elements,
                       std::string& error) const {
  elements.clear();
  if (cells.size() != header_.size()) {
    error = "record has " + std::to_string(cells.size()) + " fields, the header has " +
            std::to_string(header_.size());
    return false;
  }
  for (size_t column = 0; column < header_.size(); ++column) {
    if (codes_[column].empty() || cells[column].empty()) continue;
    // Only the last column of a code counts, as for a JSON key given twice.
    std::erase_if(elements, [&](const Element& e) { return e.code == codes_[column]; });
    elements.push_back({codes_[column], cells[column]});
  }
  return true;
}

void CsvLayout::outputLine(const std::vector<std::string>& cells, const ResultDocument* result,
                           const std::string* error, std::string& out) const {
  out.clear();
  static const std::string kEmpty;
  for (size_t column = 0; column < outputHeader_.size(); ++column) {
    const std::string& name = outputHeader_[column];
    const std::string* value = &kEmpty;
    if (name == "ERROR" && error != nullptr) {
      value = error;
    } else if (const std::string* found =
                   result != nullptr && (isResultCode(name) || column >= header_.size())
                       ? lastValue(*result, name)
                       : nullptr) {
      value = found;
    } else if (column < header_.size() && column < cells.size()) {
      value = &cells[column];
    }
    if (column > 0) out += delimiter_;
    bool quote = false;
    for (char c : *value) quote = quote || c == delimiter_ || c == '"' || c == '\r' || c == '\n';
    if (!quote) {
      out += *value;
      continue;
    }
    out += '"';
    for (char c : *value) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
}

}  // namespace zebparse
