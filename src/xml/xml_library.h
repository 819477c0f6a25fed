// Process-wide libxml2 state: the once-per-process initialisation and clean-up, and
// the blank-text switch that the first Dump of the process throws.
// Tested by tests/xml/xml_doc_test.cc.
#pragma once

namespace xml {

// Documents parsed after the first Dump of the process drop whitespace-only text
// between elements. libxml2 keeps this as a process-wide default that is not safe to
// write while other threads parse, so the switch is an atomic flag of our own that
// each parse turns into its per-call parser option.
void DropBlankTextFromNowOn();
bool BlankTextDropped();

}  // namespace xml
