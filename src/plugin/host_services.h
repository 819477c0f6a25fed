// What crosses the boundary between a host and the plug-in: the exported entry
// points, the lookup callback and the five host services. A host includes this
// header; it is plain C so that any host can. Tested by tests/plugin/.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Filled by the host's GetTokenInfo. The first two fields are the host's own.
typedef struct TokenInfo {
  void* reserved1;
  void* reserved2;
  const char* standardForm;  // owned by the host; may be null
  int32_t score;
} TokenInfo;

typedef void* (*LookupFunction)(const char* serviceName);

typedef void* (*GetLoggerFunction)(void);  // returns the host's Logger
typedef const char* (*QueryParameterFunction)(const char* section, const char* key);
typedef unsigned char (*GetTokenInfoFunction)(const char* category, const char* token,
                                              TokenInfo* info);
typedef void (*TransliterateTextFunction)(const char* text, char* out, int32_t outSize,
                                          int32_t reserved, int32_t scriptCode);
typedef void (*MetaphoneEncodeFunction)(const char* word, char* out, int32_t outSize);

// Entry points of the plug-in, as a host resolves them with dlsym/GetProcAddress.
//
// What runDQM accepts. A record outside these bounds raises Tarn_Exception, as a
// malformed record document does, and nothing is written to the result buffer:
// - the record document is at most 1 MiB (1,048,576 bytes) and nests elements at
//   most 256 deep, the root counting as one;
// - it carries no DOCTYPE: entities are never expanded;
// - it holds no U+0000, no other control character but tab, LF and CR, and no
//   U+FFFE or U+FFFF, raw or as a character reference;
// - its ADDR1 to ADDR3 hold at most 4,096 bytes together, unless the record already
//   carries its street parts (then it is not parsed).
// The result needs a buffer of the result document's length plus one; runDQM
// answers -5 with a short error document when resultBufferSize is smaller.
typedef int32_t (*InitPluginFunction)(void* reserved1, void* reserved2, char* errorBuffer,
                                      uint32_t errorBufferSize, LookupFunction lookup);
typedef int32_t (*RunDQMFunction)(const char* inputDocument, void* reserved,
                                  char* resultBuffer, uint32_t resultBufferSize);
typedef const char* (*GetVersionFunction)(void);
typedef int32_t (*ClosePluginFunction)(void);

#ifdef __cplusplus
}
#endif
