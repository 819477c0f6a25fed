// Symbol visibility: everything is hidden except the four entry points. A host still
// catches the system's exceptions by type (the C++ runtime matches type information by
// name) and always as std::exception, whose what() carries the message.
#pragma once

#if defined(_WIN32)
#define ZEB_EXPORT __declspec(dllexport)
#else
#define ZEB_EXPORT __attribute__((visibility("default")))
#endif
