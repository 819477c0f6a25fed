// Writes a document as libxml2's serialiser would (UTF-8, no formatting), minus the
// XML declaration and every line feed, in one pass and without an intermediate
// buffer. Tested against libxml2 itself by tests/xml/xml_doc_test.cc.
#pragma once

#include <string>
#include <string_view>

#include <libxml/tree.h>

namespace xml {

// Markup written as the last children of `parent`, as if its nodes had been appended
// to the tree: a record's new elements cost far less written straight into the
// output than built as some forty libxml2 nodes and freed again. The markup must be
// single-line and well-formed (see AppendEscapedText).
struct TrailingMarkup {
  xmlNodePtr parent = nullptr;
  std::string_view markup;
};

// Appends `text` up to its first NUL as a text node holding it would be written:
// <, > and & and the carriage return as references, line feeds dropped.
void AppendEscapedText(std::string& out, const char* text);

// Appends the single-line form of `doc` to `out` and returns true, or returns false
// (with `out` unchanged) when the tree holds a node kind this writer does not
// reproduce byte for byte (a document type declaration, an entity declaration and
// the like); the caller then falls back to libxml2's own serialiser.
bool WriteSingleLine(xmlDocPtr doc, std::string& out);
// The same, with `trailing.markup` written before the end tag of `trailing.parent`
// (which then is never written as an empty-element tag).
bool WriteSingleLine(xmlDocPtr doc, std::string& out, const TrailingMarkup& trailing);

// libxml2's serialisation with the declaration cut off and line feeds removed: the
// reference the writer above must match, and its fallback.
void DumpThroughLibxml(xmlDocPtr doc, std::string& out);

}  // namespace xml
