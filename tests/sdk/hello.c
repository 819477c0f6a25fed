/* A C program against the installed C interface, built with pkg-config by
 * tests/sdk/install_test.cmake: parse an address, process a record, show a refusal. */
#include <stdio.h>
#include <zeb/zebparse.h>

static int show(zebparse_result* result) {
  size_t count = 0;
  const zebparse_element* items = zebparse_result_elements(result, &count);
  for (size_t i = 0; i < count; ++i) printf("%s=%s\n", items[i].name, items[i].value);
  zebparse_result_free(result);
  return 0;
}

int main(void) {
  zebparse_parser* parser = NULL;
  zebparse_result* result = NULL;
  zebparse_error error;
  if (zebparse_open(NULL, &parser, &error) != ZEBPARSE_OK) {
    fprintf(stderr, "open: %s\n", error.message);
    return 1;
  }
  printf("support=%s\n", zebparse_default_support_dir());
  const char* lines[] = {"123 Main St Apt 4, Springfield IL 62704"};
  if (zebparse_parse(parser, "US", lines, 1, &result, &error) != ZEBPARSE_OK) return 1;
  show(result);
  const zebparse_element record[] = {{"ADDR1", "PO Box 55"}, {"COUNTRY", "US"}};
  if (zebparse_process(parser, record, 2, &result, &error) != ZEBPARSE_OK) return 1;
  show(result);
  const char* bad[] = {"1 Main\x01 St"};
  zebparse_status status = zebparse_parse(parser, "US", bad, 1, &result, &error);
  printf("refused %d: %s\n", (int)status, error.message);
  zebparse_close(parser);
  return 0;
}
