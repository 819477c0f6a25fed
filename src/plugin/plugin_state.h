// The plug-in's process-wide state and its start-up and shut-down: the host's
// services, looked up once by initPlugin and read by every record, and the parser
// configuration. Tested through the shared library by
// tests/plugin/plugin_library_test.cc (suite InitPlugin).
#pragma once

#include <cstdint>
#include <string>

#include "addressparser/address_parser.h"
#include "plugin/host_services.h"
#include "plugin/record_processing.h"

namespace plugin {

inline constexpr const char* kPluginVersion = "1.0";
inline constexpr const char* kParserConfigurationFile = "addressParserMetaData.xml";

inline constexpr int32_t kInitOk = 0;
inline constexpr int32_t kInitFailed = -1;

// initPlugin's start-up: installs the host's logger, looks up and keeps the four
// services, reads the support directory and loads the parser configuration from it.
// Returns kInitOk, or kInitFailed with the reason in `message`; what was installed
// before a failure stays installed. Exceptions of the configuration loader (a
// malformed file, a bad rule) pass through.
int32_t InitializePlugin(LookupFunction lookup, std::string& message);

// closePlugin: releases the parser's rules (the configuration held from then on is
// the loaded one without rules and default country, into which a later
// InitializePlugin merges); the services stay installed.
void ClosePlugin();

// The services of the last InitializePlugin; incomplete until one has looked them up.
// Written only by InitializePlugin, which the host never runs while records are
// processed, so records read them without a lock.
const RecordServices& InstalledServices();
// The parser configuration the plug-in holds: an empty one until a load succeeds.
// Replaced only by InitializePlugin and ClosePlugin, under the same rule.
const addr::AddressParser& InstalledParser();

}  // namespace plugin
