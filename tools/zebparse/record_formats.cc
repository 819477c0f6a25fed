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

// A strict JSON reader over one line (RFC 8259, UTF-8 checked), which keeps the
// raw text of the record object's members instead of building a tree: the output
// repeats them byte for byte, and a line costs no allocation beyond its elements.
class JsonScanner {
 public:
  JsonScanner(std::string_view text, std::string& error) : s_(text), error_(error) {}

  size_t pos = 0;

  bool fail(const char* what) {
    error_ = "invalid JSON at byte " + std::to_string(pos + 1) + ": " + what;
    return false;
  }
  void space() {
    while (pos < s_.size() &&
           (s_[pos] == ' ' || s_[pos] == '\t' || s_[pos] == '\n' || s_[pos] == '\r')) {
      ++pos;
    }
  }
  bool at(char c) const { return pos < s_.size() && s_[pos] == c; }
  bool atEnd() const { return pos >= s_.size(); }
  char peek() const { return pos < s_.size() ? s_[pos] : '\0'; }

  // A string at `pos`; its decoded text goes to `out` when given.
  bool string(std::string* out) {
    if (!at('"')) return fail("expected a string");
    ++pos;
    if (out != nullptr) out->clear();
    for (;;) {
      size_t start = pos;
      while (pos < s_.size()) {
        auto c = static_cast<unsigned char>(s_[pos]);
        if (c == '"' || c == '\\' || c < 0x20 || c >= 0x80) break;
        ++pos;
      }
      if (out != nullptr) out->append(s_.substr(start, pos - start));
      if (atEnd()) return fail("string not closed");
      auto c = static_cast<unsigned char>(s_[pos]);
      if (c == '"') {
        ++pos;
        return true;
      }
      if (c < 0x20) return fail("control character in a string");
      if (c >= 0x80) {
        char32_t ignored = 0;
        size_t length = decodeUtf8(s_, pos, ignored);
        if (length == 0) return fail("invalid UTF-8");
        if (out != nullptr) out->append(s_.substr(pos, length));
        pos += length;
        continue;
      }
      if (!escape(out)) return false;
    }
  }

  // Any value, checked; nothing kept.
  bool skipValue(size_t depth) {
    switch (peek()) {
      case '"':
        return string(nullptr);
      case '{':
      case '[': {
        if (depth >= kMaxJsonDepth) {
          error_ = "JSON nested deeper than " + std::to_string(kMaxJsonDepth) + " levels";
          return false;
        }
        bool object = peek() == '{';
        char close = object ? '}' : ']';
        ++pos;
        space();
        if (at(close)) {
          ++pos;
          return true;
        }
        for (;;) {
          if (object) {
            if (!string(nullptr)) return false;
            space();
            if (!at(':')) return fail("expected ':'");
            ++pos;
            space();
          }
          if (!skipValue(depth + 1)) return false;
          space();
          if (at(',')) {
            ++pos;
            space();
            continue;
          }
          if (at(close)) {
            ++pos;
            return true;
          }
          return fail(object ? "expected ',' or '}'" : "expected ',' or ']'");
        }
      }
      default:
        return scalar();
    }
  }

  // A number, true, false or null.
  bool scalar() {
    for (const char* word : {"true", "false", "null"}) {
      std::string_view literal(word);
      if (s_.substr(pos, literal.size()) == literal) {
        pos += literal.size();
        return true;
      }
    }
    size_t start = pos;
    if (at('-')) ++pos;
    if (at('0')) {
      ++pos;
    } else if (!digits()) {
      pos = start;
      return fail(atEnd() ? "unexpected end of the line" : "expected a value");
    }
    if (at('.')) {
      ++pos;
      if (!digits()) return fail("expected a digit");
    }
    if (at('e') || at('E')) {
      ++pos;
      if (at('+') || at('-')) ++pos;
      if (!digits()) return fail("expected a digit");
    }
    return true;
  }

 private:
  bool digits() {
    size_t start = pos;
    while (pos < s_.size() && s_[pos] >= '0' && s_[pos] <= '9') ++pos;
    return pos > start;
  }
  bool hex4(char32_t& value) {
    if (pos + 4 > s_.size()) return fail("short \\u escape");
    value = 0;
    for (size_t i = 0; i < 4; ++i, ++pos) {
      char c = s_[pos];
      value <<= 4;
      if (c >= '0' && c <= '9') {
        value |= static_cast<char32_t>(c - '0');
      } else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
        value |= static_cast<char32_t>((c | 0x20) - 'a' + 10);
      } else {
        return fail("bad \\u escape");
      }
    }
    return true;
  }
  bool escape(std::string* out) {
    ++pos;  // the backslash
    if (atEnd()) return fail("string not closed");
    char c = s_[pos++];
    char plain = 0;
    switch (c) {
      case '"':
        plain = '"';
        break;
      case '\\':
        plain = '\\';
        break;
      case '/':
        plain = '/';
        break;
      case 'b':
        plain = '\b';
        break;
      case 'f':
        plain = '\f';
        break;
      case 'n':
        plain = '\n';
        break;
      case 'r':
        plain = '\r';
        break;
      case 't':
        plain = '\t';
        break;
      case 'u':
        break;
      default:
        --pos;
        return fail("bad escape");
    }
    if (plain != 0) {
      if (out != nullptr) *out += plain;
      return true;
    }
    char32_t code = 0;
    if (!hex4(code)) return false;
    if (code >= 0xDC00 && code <= 0xDFFF) return fail("lone surrogate in a \\u escape");
    if (code >= 0xD800 && code <= 0xDBFF) {
      char32_t low = 0;
      if (s_.substr(pos, 2) != "\\u") return fail("lone surrogate in a \\u escape");
      pos += 2;
      if (!hex4(low)) return false;
      if (low < 0xDC00 || low > 0xDFFF) return fail("lone surrogate in a \\u escape");
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
    if (out != nullptr) appendUtf8(*out, code);
    return true;
  }
  static void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }

  std::string_view s_;
  std::string& error_;
};

}  // namespace

bool scanJsonRecord(std::string_view line, const ColumnMap& map, JsonRecord& record,
                    std::string& error) {
  record.memberCount = 0;
  record.elements.clear();
  record.localityCodes = 0;
  // A NUL byte would end the text for the plug-in: refused before anything else.
  if (!refuseNul(line, error)) return false;
  JsonScanner in(line, error);
  in.space();
  if (!in.at('{')) {
    size_t start = in.pos;
    if (in.atEnd() || !in.skipValue(0)) return false;
    in.space();
    if (!in.atEnd()) return in.fail("text after the value");
    in.pos = start;
    error = "not a JSON object";
    return false;
  }
  ++in.pos;
  in.space();
  if (in.at('}')) {
    ++in.pos;
  } else {
    for (;;) {
      if (record.memberCount >= kMaxJsonKeys) {
        error = "JSON object with more than " + std::to_string(kMaxJsonKeys) + " keys";
        return false;
      }
      if (record.memberCount == record.members.size()) record.members.emplace_back();
      JsonRecord::Member& member = record.members[record.memberCount];
      size_t start = in.pos;
      if (!in.string(&member.key)) return false;
      in.space();
      if (!in.at(':')) return in.fail("expected ':'");
      ++in.pos;
      in.space();
      std::string_view code = map.codeOf(member.key);
      record.localityCodes |= localityBit(code);
      if (code.empty()) {
        if (!in.skipValue(1)) return false;
      } else {
        // Only the last occurrence of a code counts.
        std::erase_if(record.elements, [&](const Element& e) { return e.code == code; });
        auto take = [&]() {
          char first = in.peek();
          if (first == '"') {
            record.elements.push_back({std::string(code), {}});
            return in.string(&record.elements.back().value);
          }
          size_t from = in.pos;
          if (!in.scalar()) return false;
          std::string_view text = line.substr(from, in.pos - from);
          if (text != "null") record.elements.push_back({std::string(code), std::string(text)});
          return true;
        };
        char first = in.peek();
        if (first == '{') {
          error = "value of " + member.key + " is an object";
          return false;
        }
        if (first == '[') {
          ++in.pos;
          in.space();
          if (in.at(']')) {
            ++in.pos;
          } else {
            for (;;) {
              if (in.at('[') || in.at('{')) {
                error = "value of " + member.key + " holds a list or object";
                return false;
              }
              if (!take()) return false;
              in.space();
              if (in.at(',')) {
                ++in.pos;
                in.space();
                continue;
              }
              if (!in.at(']')) return in.fail("expected ',' or ']'");
              ++in.pos;
              break;
            }
          }
        } else if (!take()) {
          return false;
        }
      }
      member.text = line.substr(start, in.pos - start);
      ++record.memberCount;
      in.space();
      if (in.at(',')) {
        ++in.pos;
        in.space();
        continue;
      }
      if (in.at('}')) {
        ++in.pos;
        break;
      }
      return in.fail("expected ',' or '}'");
    }
  }
  in.space();
  if (!in.atEnd()) return in.fail("text after the object");
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
