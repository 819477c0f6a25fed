// Initialises libxml2 once when the library is loaded and cleans it up once when it
// is unloaded; holds the blank-text switch. Tested by tests/xml/xml_doc_test.cc.
#include "xml/xml_library.h"

#include <atomic>
#include <mutex>

#include <libxml/parser.h>
#include <libxml/xpath.h>

#include "xml/xml_doc.h"

namespace {

// Both are constant-initialised and trivially destructible, so they are usable before
// any constructor of this library has run and still usable by the clean-up at unload.
constinit std::atomic<bool> xmlLibraryInitialised{false};
constinit std::mutex xmlLibraryMutex;

constinit std::atomic<bool> blankTextDropped{false};

// Construction at load initialises libxml2; destruction at unload cleans it up.
struct XmlLibraryLifetime {
  XmlLibraryLifetime() { InitializeXmlLibrary(); }
  ~XmlLibraryLifetime() { CleanupXmlLibrary(); }
  XmlLibraryLifetime(const XmlLibraryLifetime&) = delete;
  XmlLibraryLifetime& operator=(const XmlLibraryLifetime&) = delete;
};

XmlLibraryLifetime xmlLibraryLifetime;

}  // namespace

void InitializeXmlLibrary() {
  if (xmlLibraryInitialised.load(std::memory_order_acquire)) {
    return;
  }
  std::lock_guard<std::mutex> lock(xmlLibraryMutex);
  if (!xmlLibraryInitialised.load(std::memory_order_relaxed)) {
    xmlInitParser();
#if LIBXML_VERSION < 21000
    xmlXPathInit();
#endif
    xmlLibraryInitialised.store(true, std::memory_order_release);
  }
}

void CleanupXmlLibrary() {
  if (!xmlLibraryInitialised.load(std::memory_order_acquire)) {
    return;
  }
  std::lock_guard<std::mutex> lock(xmlLibraryMutex);
  if (xmlLibraryInitialised.load(std::memory_order_relaxed)) {
    xmlCleanupParser();
    xmlLibraryInitialised.store(false, std::memory_order_release);
  }
}

namespace xml {

void DropBlankTextFromNowOn() {
  // Read first: after the first Dump every call only reads the shared cache line.
  if (!blankTextDropped.load(std::memory_order_relaxed)) {
    blankTextDropped.store(true, std::memory_order_relaxed);
  }
}

bool BlankTextDropped() { return blankTextDropped.load(std::memory_order_relaxed); }

}  // namespace xml
