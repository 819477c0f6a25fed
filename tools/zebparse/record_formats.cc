// Tested by tests/tools/record_formats_test.cc.
#include "tools/zebparse/record_formats.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
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

// The codes a record run adds to a CSV row when the header lacks them.
const char* const kResultColumns[] = {"STR_NUM",      "STR_NAME", "UNIT_TYPE", "UNIT_NUM",
                                      "STR_NAME_STD", "CITY_STD", "POSTAL_5"};

bool isResultColumn(const std::string& code) {
  for (const char* column : kResultColumns) {
    if (code == column) return true;
  }
  return false;
}

const std::string* lastValue(const ResultDocument& result, const std::string& code) {
  const std::string* found = nullptr;
  for (const Element& element : result.elements) {
    if (element.code == code) found = &element.value;
  }
  return found;
}

std::string scalarText(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
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

bool readResultDocument(std::string_view text, ResultDocument& result, std::string& error) {
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

namespace {

// The entries of an object, in order, without the ordered map's own insertion,
// which searches every earlier key: the callers know whether a key is new.
Json::object_t::Container& entriesOf(Json& object) { return object.get_ref<Json::object_t&>(); }

// Builds the record object from parser events. Objects are filled in one pass with
// an index of their keys: inserting into the ordered object one key at a time
// searches all earlier keys, and a line of many keys would take quadratic time.
class RecordBuilder : public nlohmann::json_sax<Json> {
 public:
  Json root;
  std::string error;

  bool null() override { return add(Json()); }
  bool boolean(bool value) override { return add(Json(value)); }
  bool number_integer(number_integer_t value) override { return add(Json(value)); }
  bool number_unsigned(number_unsigned_t value) override { return add(Json(value)); }
  bool number_float(number_float_t value, const string_t&) override { return add(Json(value)); }
  bool string(string_t& value) override { return add(Json(std::move(value))); }
  bool binary(binary_t& value) override { return add(Json(std::move(value))); }
  bool start_object(std::size_t) override { return open(Json::object()); }
  bool start_array(std::size_t) override { return open(Json::array()); }
  bool key(string_t& key) override {
    open_.back().key = std::move(key);
    return true;
  }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
    error = std::string("invalid JSON: ") + e.what();
    return false;
  }

 private:
  struct Open {
    Json value;
    std::string key;                                  // of the member being read
    std::unordered_map<std::string, size_t> members;  // key -> place
  };

  bool open(Json value) {
    if (open_.size() >= kMaxJsonDepth) {
      error = "JSON nested deeper than " + std::to_string(kMaxJsonDepth) + " levels";
      return false;
    }
    open_.push_back({std::move(value), {}, {}});
    return true;
  }
  bool close() {
    Json value = std::move(open_.back().value);
    open_.pop_back();
    return add(std::move(value));
  }
  bool add(Json value) {
    if (open_.empty()) {
      root = std::move(value);
      return true;
    }
    Open& into = open_.back();
    if (into.value.is_array()) {
      into.value.get_ref<Json::array_t&>().push_back(std::move(value));
      return true;
    }
    auto& object = entriesOf(into.value);
    auto [place, added] = into.members.try_emplace(into.key, object.size());
    if (!added) {
      object[place->second].second = std::move(value);
      return true;
    }
    if (object.size() >= kMaxJsonKeys) {
      error = "JSON object with more than " + std::to_string(kMaxJsonKeys) + " keys";
      return false;
    }
    object.emplace_back(std::move(into.key), std::move(value));
    return true;
  }

  std::vector<Open> open_;
};

}  // namespace

bool refuseNul(std::string_view record, std::string& error) {
  const void* nul = std::memchr(record.data(), '\0', record.size());
  if (nul == nullptr) return true;
  error = "NUL byte in the record at byte " +
          std::to_string(static_cast<const char*>(nul) - record.data() + 1);
  return false;
}

bool jsonRecord(std::string_view line, Json& object, std::vector<Element>& elements,
                std::string& error) {
  elements.clear();
  object = Json();
  // The parser takes a NUL byte for the end of the input and would ignore the rest.
  if (!refuseNul(line, error)) return false;
  RecordBuilder builder;
  if (!Json::sax_parse(line.begin(), line.end(), &builder)) {
    error = builder.error;
    return false;
  }
  if (!builder.root.is_object()) {
    error = "not a JSON object";
    return false;
  }
  object = std::move(builder.root);
  for (const auto& [key, value] : object.items()) {
    if (!isElementCode(key) || value.is_null()) continue;
    if (value.is_object()) {
      error = "value of " + key + " is an object";
      return false;
    }
    if (value.is_array()) {
      for (const Json& item : value) {
        if (item.is_structured()) {
          error = "value of " + key + " holds a list or object";
          return false;
        }
        if (!item.is_null()) elements.push_back({key, scalarText(item)});
      }
      continue;
    }
    elements.push_back({key, scalarText(value)});
  }
  return true;
}

std::string jsonOutput(Json input, const ResultDocument* result, const std::string* error) {
  // The input is taken over, not copied: a copy of a deep value would recurse.
  Json out = input.is_object() ? std::move(input) : Json::object();
  if (result != nullptr) {
    // Codes in the order of their first occurrence, each with all its values.
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::string>> values;
    for (const Element& element : result->elements) {
      auto& list = values[element.code];
      if (list.empty()) order.push_back(element.code);
      list.push_back(element.value);
    }
    // The object's keys are looked up through an index: a record may have many.
    auto& members = entriesOf(out);
    members.reserve(members.size() + order.size());  // the index points into the keys
    std::unordered_map<std::string_view, size_t> places;
    for (size_t i = 0; i < members.size(); ++i) places.emplace(members[i].first, i);
    for (const std::string& code : order) {
      // Input fields stay as given: the result document cannot carry every byte of
      // them (its serialisation has no line feeds). Only the codes the plug-in
      // writes, and codes the input lacks, come from the result.
      auto place = places.find(code);
      if (place != places.end() && !isResultColumn(code)) continue;
      const auto& list = values[code];
      Json value = list.size() == 1 ? Json(list.front()) : Json(list);
      if (place != places.end()) {
        members[place->second].second = std::move(value);
      } else {
        members.emplace_back(code, std::move(value));  // no code comes twice
      }
    }
  }
  if (error != nullptr) out["ERROR"] = *error;
  return out.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string csvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    const std::string& field = fields[i];
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
      line += field;
      continue;
    }
    line += '"';
    for (char c : field) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  return line;
}

std::vector<std::string> csvOutputHeader(const std::vector<std::string>& inputHeader) {
  std::vector<std::string> header = inputHeader;
  for (const char* code : kResultColumns) {
    if (std::find(header.begin(), header.end(), code) == header.end()) header.push_back(code);
  }
  if (std::find(header.begin(), header.end(), "ERROR") == header.end()) header.push_back("ERROR");
  return header;
}

std::vector<std::string> csvOutputRow(const std::vector<std::string>& inputHeader,
                                      const std::vector<std::string>& outputHeader,
                                      const std::vector<std::string>& cells,
                                      const ResultDocument* result, const std::string* error) {
  std::vector<std::string> row;
  row.reserve(outputHeader.size());
  for (size_t column = 0; column < outputHeader.size(); ++column) {
    const std::string& name = outputHeader[column];
    if (name == "ERROR" && error != nullptr) {
      row.push_back(*error);
      continue;
    }
    // Input columns stay as given, except the codes the plug-in writes.
    const std::string* value =
        result != nullptr && isResultColumn(name) ? lastValue(*result, name) : nullptr;
    if (value != nullptr) {
      row.push_back(*value);
    } else if (column < inputHeader.size() && column < cells.size()) {
      row.push_back(cells[column]);
    } else {
      row.emplace_back();
    }
  }
  return row;
}

bool csvRecord(const std::vector<std::string>& header, const std::vector<std::string>& cells,
               std::vector<Element>& elements, std::string& error) {
  elements.clear();
  if (cells.size() != header.size()) {
    error = "record has " + std::to_string(cells.size()) + " fields, the header has " +
            std::to_string(header.size());
    return false;
  }
  for (size_t column = 0; column < header.size(); ++column) {
    if (isElementCode(header[column]) && !cells[column].empty()) {
      elements.push_back({header[column], cells[column]});
    }
  }
  return true;
}

}  // namespace zebparse
