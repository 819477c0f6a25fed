/* zebparse: the address parser embedded in any program through a plain C interface.
 * Tested by tests/capi/capi_test.cc, and compiled as C by tests/sdk/hello.c.
 *
 * Conventions:
 *  1. Opaque handles only: zebparse_parser, zebparse_result. Every handle a function
 *     gives out is freed by its own function (zebparse_close, zebparse_result_free).
 *  2. Every function that can fail returns a zebparse_status and fills the caller's
 *     zebparse_error (which may be NULL); the message names the input that failed.
 *     No C++ exception ever leaves this interface.
 *  3. Text is UTF-8, NUL-terminated.
 *  4. One parser may be used from any number of threads at the same time; a result
 *     belongs to the thread that asked for it until it is freed.
 *
 * The parse is the plug-in's own: zebparse_open starts the plug-in (initPlugin) in this
 * process with the host kit's services, and zebparse_process runs a record exactly as
 * runDQM does. The host services and the plug-in's configuration exist once per
 * process, so every parser of a process uses the same support directory; opening one
 * on a different directory fails with ZEBPARSE_ERROR_SUPPORT.
 */
#ifndef ZEB_ZEBPARSE_H_
#define ZEB_ZEBPARSE_H_

#include <stddef.h>

#if defined(_WIN32)
#define ZEBPARSE_API __declspec(dllimport)
#else
#define ZEBPARSE_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef enum zebparse_status {
  ZEBPARSE_OK = 0,
  ZEBPARSE_ERROR_ARGUMENT = 1, /* a null handle or pointer, a count out of range */
  ZEBPARSE_ERROR_SUPPORT = 2,  /* the support directory or its configuration did not load */
  ZEBPARSE_ERROR_INPUT = 3,    /* the address or record was refused (see the limits below) */
  ZEBPARSE_ERROR_MEMORY = 4,   /* out of memory */
  ZEBPARSE_ERROR_INTERNAL = 5  /* anything else the parse raised */
} zebparse_status;

#define ZEBPARSE_MESSAGE_SIZE 1024

typedef struct zebparse_error {
  zebparse_status code;
  char message[ZEBPARSE_MESSAGE_SIZE]; /* NUL-terminated, cut at a UTF-8 boundary */
} zebparse_error;

typedef struct zebparse_parser zebparse_parser;
typedef struct zebparse_result zebparse_result;

/* A name and its value: a parsed field ("street_number") or a record element
 * ("STR_NUM"). Both point into the result that holds them. */
typedef struct zebparse_element {
  const char* name;
  const char* value;
} zebparse_element;

/* Limits on what is parsed:
 *  - the address lines of one address hold at most 4,096 bytes together;
 *  - text is UTF-8 without NUL and without control characters other than tab, LF
 *    and CR (U+0000 to U+001F otherwise, and U+FFFE/U+FFFF, are refused);
 *  - a record is at most 1 MiB as a record document. */
#define ZEBPARSE_MAX_ADDRESS_BYTES 4096
#define ZEBPARSE_MAX_LINES 3

/* The fields of a parsed address, in the order zebparse_parse_batch writes them. */
#define ZEBPARSE_FIELD_COUNT 18
/* "street_number", "pre_directional", "prefix", "street_name", "suffix",
 * "post_directional", "building_side", "unit_type", "unit_number", "unit_side",
 * "po_box_type", "po_box_number", "rural_route_type", "rural_route_number",
 * "rural_route_box", "city", "state", "postal_code"; NULL for an index past the end.
 * city, state and postal_code are the locality found at the end of a one-line
 * address. */
ZEBPARSE_API const char* zebparse_field_name(size_t index);

/* The plug-in's version. */
ZEBPARSE_API const char* zebparse_version(void);

/* The support directory installed with this library (<prefix>/share/zebparse/support),
 * or the source tree's when the library runs from its build tree. */
ZEBPARSE_API const char* zebparse_default_support_dir(void);

/* Opens a parser on `support_dir` (NULL or "": the default one). On success *parser is
 * set and must be given to zebparse_close. */
ZEBPARSE_API zebparse_status zebparse_open(const char* support_dir, zebparse_parser** parser,
                                           zebparse_error* error);

/* Frees the handle (NULL is fine). The process keeps the plug-in started, so a later
 * zebparse_open is quick. */
ZEBPARSE_API void zebparse_close(zebparse_parser* parser);

/* Parses one address of `line_count` lines (1 to 3) for `country` (a code or name as
 * records write it; NULL or "": the configuration's default country). The result
 * holds the fields found, in the order of zebparse_field_name, empty ones left out. */
ZEBPARSE_API zebparse_status zebparse_parse(zebparse_parser* parser, const char* country,
                                            const char* const* lines, size_t line_count,
                                            zebparse_result** result, zebparse_error* error);

/* Runs one record through the plug-in as runDQM would: `elements` are the record's
 * element codes ("ADDR1", "CITY", "COUNTRY", ...) and values, in order. The result holds
 * every element of the result record, in order: the input's, the parsed parts and the
 * derived elements (a code may occur more than once). */
ZEBPARSE_API zebparse_status zebparse_process(zebparse_parser* parser,
                                              const zebparse_element* elements, size_t count,
                                              zebparse_result** result, zebparse_error* error);

/* How zebparse_parse_batch lays out its packed text. */
typedef enum zebparse_batch_layout {
  /* A JSON array with one object per address, in order: its non-empty fields by name
   * ({"street_number":"12","street_name":"MAIN"}), or {"error":"message"} when the
   * address was refused. */
  ZEBPARSE_BATCH_JSON = 0,
  /* Column by column: for each field in the order of zebparse_field_name, its value for
   * every address (empty when not found), then every address's message (empty when it
   * was parsed). Every value ends with 0x1E: (ZEBPARSE_FIELD_COUNT + 1) * count. */
  ZEBPARSE_BATCH_COLUMNS = 1
} zebparse_batch_layout;

/* Parses `count` one-line addresses in one call, for language bindings: `addresses` is
 * `count` NUL-terminated texts back to back ("12 Elm St\0PO Box 5\0"), `countries` the
 * same for each address's country (NULL: `country` for all). The result has no
 * elements, only the packed text (zebparse_result_packed) in `layout`. A refused
 * address does not fail the call. */
ZEBPARSE_API zebparse_status zebparse_parse_batch(zebparse_parser* parser, const char* country,
                                                  const char* countries, const char* addresses,
                                                  size_t count, zebparse_batch_layout layout,
                                                  zebparse_result** result,
                                                  zebparse_error* error);

/* The elements of a result: `*count` of them (count may be NULL when not wanted). */
ZEBPARSE_API const zebparse_element* zebparse_result_elements(const zebparse_result* result,
                                                              size_t* count);

/* The same elements as one text, name 0x1F value 0x1E for each (or a batch's text), and
 * its length in bytes. Valid until the result is freed. */
ZEBPARSE_API const char* zebparse_result_packed(const zebparse_result* result, size_t* length);

ZEBPARSE_API void zebparse_result_free(zebparse_result* result);

#ifdef __cplusplus
}
#endif

#endif /* ZEB_ZEBPARSE_H_ */
