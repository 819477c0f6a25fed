// Writes a document as libxml2's serialiser would (UTF-8, no formatting), minus the
// XML declaration and every line feed, in one pass and without an intermediate
// buffer. Tested against libxml2 itself by tests/xml/single_line_writer_test.cc.
#pragma once

#include <string>

#include <libxml/tree.h>

namespace xml {

// Appends the single-line form of `doc` to `out` and returns true, or returns false
// (with `out` unchanged) when the tree holds a node kind this writer does not
// reproduce byte for byte (a document type declaration, an entity declaration and
// the like); the caller then falls back to libxml2's own serialiser.
bool WriteSingleLine(xmlDocPtr doc, std::string& out);

// libxml2's serialisation with the declaration cut off and line feeds removed: the
// reference the writer above must match, and its fallback.
void DumpThroughLibxml(xmlDocPtr doc, std::string& out);

}  // namespace xml
