// Initialises libxml2 once when the library is loaded and cleans it up once when it
// is unloaded. Tested by tests/xml/xml_doc_test.cc.
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <atomic>

#include "common/mutex.h"
#include "xml/xml_doc.h"

namespace {

// Constant-initialised and trivially destructible: usable before any constructor of
// this library has run and still usable by the clean-up at unload.
constinit std::atomic<bool> xmlLibraryInitialised{false};

// Made by the first initialisation, which runs inside xmlLibraryLifetime's
// constructor, so it is destroyed after xmlLibraryLifetime's clean-up.
cmn::Mutex& xmlLibraryMutex() {
  static cmn::Mutex mutex;
  return mutex;
}

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
  cmn::MutexLock lock(xmlLibraryMutex());
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
  cmn::MutexLock lock(xmlLibraryMutex());
  if (xmlLibraryInitialised.load(std::memory_order_relaxed)) {
    xmlCleanupParser();
    xmlLibraryInitialised.store(false, std::memory_order_release);
  }
}
