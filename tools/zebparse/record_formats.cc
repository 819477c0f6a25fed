// Tested by tests/tools/record_formats_test.cc.
#include "tools/zebparse/record_formats.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include <libxml/parser.h>
#include <libxml/tree.h>

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
  if (codePoint < minimum || codePoint > 0x10FFFF ||
      (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
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
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;   // keeps "]]>" harmless
      case '\r': out += "&#13;"; break;  // a bare CR would be read as a line end
      default: out.append(text.substr(pos, length));
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

bool jsonRecord(std::string_view line, Json& object, std::vector<Element>& elements,
                std::string& error) {
  elements.clear();
  try {
    object = Json::parse(line);
  } catch (const Json::exception& e) {
    error = std::string("invalid JSON: ") + e.what();
    return false;
  }
  if (!object.is_object()) {
    error = "not a JSON object";
    return false;
  }
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

std::string jsonOutput(const Json* input, const ResultDocument* result, const std::string* error) {
  Json out = input != nullptr && input->is_object() ? *input : Json::object();
  if (result != nullptr) {
    // Codes in the order of their first occurrence, each with all its values.
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::string>> values;
    for (const Element& element : result->elements) {
      auto& list = values[element.code];
      if (list.empty()) order.push_back(element.code);
      list.push_back(element.value);
    }
    for (const std::string& code : order) {
      // Input fields stay as given: the result document cannot carry every byte of
      // them (its serialisation has no line feeds). Only the codes the plug-in
      // writes, and codes the input lacks, come from the result.
      if (!isResultColumn(code) && out.contains(code)) continue;
      const auto& list = values[code];
      if (list.size() == 1) {
        out[code] = list.front();
      } else {
        out[code] = list;
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
