// The single-line serialiser: libxml2's own output rules for elements, attributes,
// namespace declarations, text, CDATA, comments, processing instructions and entity
// references, written straight into a std::string with line feeds left out.
// Tested by tests/xml/xml_doc_test.cc, which compares it with libxml2.
#include "xml/single_line_writer.h"

#include <cstring>

#include <libxml/parserInternals.h>
#include <libxml/xmlsave.h>

namespace xml {
namespace {

// Appends `text` without its line feeds: the single-line form has none anywhere,
// text content included.
void AppendRaw(std::string& out, const char* text, size_t length) {
  const char* end = text + length;
  while (text < end) {
    const void* lineFeed = std::memchr(text, '\n', static_cast<size_t>(end - text));
    const char* stop = lineFeed != nullptr ? static_cast<const char*>(lineFeed) : end;
    out.append(text, static_cast<size_t>(stop - text));
    text = stop + (lineFeed != nullptr ? 1 : 0);
  }
}

void AppendRaw(std::string& out, const xmlChar* text) {
  if (text != nullptr) {
    const char* chars = reinterpret_cast<const char*>(text);
    AppendRaw(out, chars, std::strlen(chars));
  }
}

// Bytes that text or attribute values cannot carry as they are: the terminator, the
// line feed (dropped) and the characters that become references.
struct EscapeTable {
  constexpr EscapeTable(bool attribute) : special() {
    for (const char c : {'\0', '\n', '\r', '<', '>', '&'}) special[static_cast<unsigned char>(c)] = true;
    if (attribute) {
      special[static_cast<unsigned char>('"')] = true;
      special[static_cast<unsigned char>('\t')] = true;
    }
  }
  bool special[256];
};

constexpr EscapeTable kTextEscapes(false);
constexpr EscapeTable kAttributeEscapes(true);

// Text content as libxml2 escapes it when it writes to an encoder: only <, >, & and
// the carriage return become references. Attribute values additionally escape the
// double quote and the white-space controls, so a line feed inside a value survives
// as &#10;.
void AppendEscaped(std::string& out, const xmlChar* text, const EscapeTable& table,
                   bool attribute) {
  const char* run = reinterpret_cast<const char*>(text);
  const char* cur = run;
  for (;;) {
    while (!table.special[static_cast<unsigned char>(*cur)]) ++cur;
    out.append(run, static_cast<size_t>(cur - run));
    switch (*cur) {
      case '\0': return;
      case '<': out.append("&lt;", 4); break;
      case '>': out.append("&gt;", 4); break;
      case '&': out.append("&amp;", 5); break;
      case '\r': out.append("&#13;", 5); break;
      case '"': out.append("&quot;", 6); break;
      case '\t': out.append("&#9;", 4); break;
      case '\n':
        if (attribute) out.append("&#10;", 5);
        break;
      default: break;
    }
    run = ++cur;
  }
}

void AppendEscapedText(std::string& out, const xmlChar* text) {
  AppendEscaped(out, text, kTextEscapes, false);
}

void AppendEscapedAttribute(std::string& out, const xmlChar* text) {
  AppendEscaped(out, text, kAttributeEscapes, true);
}

// libxml2's quoting of namespace URIs: double quotes, or single quotes when the text
// holds a double quote, or double quotes with &quot; when it holds both.
void AppendQuoted(std::string& out, const xmlChar* text) {
  const char* chars = reinterpret_cast<const char*>(text);
  bool hasDouble = std::strchr(chars, '"') != nullptr;
  if (!hasDouble) {
    out += '"';
    AppendRaw(out, text);
    out += '"';
  } else if (std::strchr(chars, '\'') == nullptr) {
    out += '\'';
    AppendRaw(out, text);
    out += '\'';
  } else {
    out += '"';
    for (const char* cur = chars; *cur != '\0'; ++cur) {
      if (*cur == '"') {
        out += "&quot;";
      } else if (*cur != '\n') {
        out += *cur;
      }
    }
    out += '"';
  }
}

// Names cannot hold a line feed (the parser rejects one and our own names have
// none), so they are copied without looking for one.
void AppendName(std::string& out, const xmlChar* name) {
  out.append(reinterpret_cast<const char*>(name));
}

void AppendQualifiedName(std::string& out, xmlNsPtr ns, const xmlChar* name) {
  if (ns != nullptr && ns->prefix != nullptr) {
    AppendName(out, ns->prefix);
    out += ':';
  }
  AppendName(out, name);
}

void AppendNamespaceDeclarations(std::string& out, xmlNsPtr ns) {
  for (; ns != nullptr; ns = ns->next) {
    if (ns->type != XML_LOCAL_NAMESPACE || ns->href == nullptr ||
        xmlStrEqual(ns->prefix, BAD_CAST "xml")) {
      continue;
    }
    if (ns->prefix != nullptr) {
      out += " xmlns:";
      AppendRaw(out, ns->prefix);
    } else {
      out += " xmlns";
    }
    out += '=';
    AppendQuoted(out, ns->href);
  }
}

void AppendAttributes(std::string& out, xmlAttrPtr attr) {
  for (; attr != nullptr; attr = attr->next) {
    out += ' ';
    AppendQualifiedName(out, attr->ns, attr->name);
    out += "=\"";
    for (xmlNodePtr part = attr->children; part != nullptr; part = part->next) {
      if (part->type == XML_TEXT_NODE && part->content != nullptr) {
        AppendEscapedAttribute(out, part->content);
      } else if (part->type == XML_ENTITY_REF_NODE) {
        out += '&';
        AppendRaw(out, part->name);
        out += ';';
      }
    }
    out += '"';
  }
}

void AppendCData(std::string& out, const xmlChar* content) {
  if (content == nullptr || *content == '\0') {
    out += "<![CDATA[]]>";
    return;
  }
  // A "]]>" inside the content closes one section after its "]]" and opens the next.
  const char* start = reinterpret_cast<const char*>(content);
  const char* end = start;
  for (; *end != '\0'; ++end) {
    if (end[0] == ']' && end[1] == ']' && end[2] == '>') {
      end += 2;
      out += "<![CDATA[";
      AppendRaw(out, start, static_cast<size_t>(end - start));
      out += "]]>";
      start = end;
    }
  }
  if (start != end) {
    out += "<![CDATA[";
    AppendRaw(out, start, static_cast<size_t>(end - start));
    out += "]]>";
  }
}

// Writes one node that has no children of its own to write; false for a node kind
// the writer does not reproduce.
bool AppendLeaf(std::string& out, xmlNodePtr node) {
  switch (node->type) {
    case XML_TEXT_NODE:
      if (node->content != nullptr) {
        if (node->name == xmlStringTextNoenc) {
          AppendRaw(out, node->content);
        } else {
          AppendEscapedText(out, node->content);
        }
      }
      return true;
    case XML_CDATA_SECTION_NODE:
      AppendCData(out, node->content);
      return true;
    case XML_COMMENT_NODE:
      if (node->content != nullptr) {
        out += "<!--";
        AppendRaw(out, node->content);
        out += "-->";
      }
      return true;
    case XML_PI_NODE:
      out += "<?";
      AppendRaw(out, node->name);
      if (node->content != nullptr) {
        out += ' ';
        AppendRaw(out, node->content);
      }
      out += "?>";
      return true;
    case XML_ENTITY_REF_NODE:
      out += '&';
      AppendRaw(out, node->name);
      out += ';';
      return true;
    default:
      return false;
  }
}

// Walks the subtree of `top` iteratively (record documents come from outside, and
// deep nesting must not exhaust the stack).
bool AppendSubtree(std::string& out, xmlNodePtr top, const TrailingMarkup& trailing) {
  xmlNodePtr cur = top;
  for (;;) {
    if (cur->type == XML_ELEMENT_NODE) {
      out += '<';
      AppendQualifiedName(out, cur->ns, cur->name);
      AppendNamespaceDeclarations(out, cur->nsDef);
      AppendAttributes(out, cur->properties);
      if (cur->children != nullptr) {
        out += '>';
        cur = cur->children;
        continue;
      }
      if (cur == trailing.parent && !trailing.markup.empty()) {
        out += '>';
        out.append(trailing.markup);
        out += "</";
        AppendQualifiedName(out, cur->ns, cur->name);
        out += '>';
      } else {
        out += "/>";
      }
    } else if (!AppendLeaf(out, cur)) {
      return false;
    }
    while (cur != top && cur->next == nullptr) {
      cur = cur->parent;
      if (cur == trailing.parent) {
        out.append(trailing.markup);
      }
      out += "</";
      AppendQualifiedName(out, cur->ns, cur->name);
      out += '>';
    }
    if (cur == top) {
      return true;
    }
    cur = cur->next;
  }
}

}  // namespace

void AppendEscapedText(std::string& out, const char* text) {
  AppendEscaped(out, reinterpret_cast<const xmlChar*>(text), kTextEscapes, false);
}

bool WriteSingleLine(xmlDocPtr doc, std::string& out) {
  return WriteSingleLine(doc, out, TrailingMarkup{});
}

bool WriteSingleLine(xmlDocPtr doc, std::string& out, const TrailingMarkup& trailing) {
  if (doc == nullptr || doc->type != XML_DOCUMENT_NODE) {
    return false;
  }
  size_t start = out.size();
  for (xmlNodePtr child = doc->children; child != nullptr; child = child->next) {
    if (!AppendSubtree(out, child, trailing)) {
      out.resize(start);
      return false;
    }
  }
  return true;
}

void DumpThroughLibxml(xmlDocPtr doc, std::string& out) {
  out.clear();
  xmlChar* buffer = nullptr;
  int length = 0;
  xmlDocDumpMemoryEnc(doc, &buffer, &length, "UTF-8");
  if (buffer == nullptr || length <= 0) {
    xmlFree(buffer);
    return;
  }
  std::string_view text(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
  // The declaration ends at the first ">"; the document proper starts at the next "<".
  size_t start = 0;
  size_t declarationEnd = text.find('>');
  if (declarationEnd != std::string_view::npos) {
    size_t next = text.find('<', declarationEnd);
    if (next != std::string_view::npos) {
      start = next;
    }
  }
  AppendRaw(out, text.data() + start, text.size() - start);
  xmlFree(buffer);
}

}  // namespace xml
