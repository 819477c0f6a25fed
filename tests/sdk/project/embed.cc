// The C interface from C++: the parse of a one-line address, field by field.
#include <zeb/zebparse.h>

#include <iostream>

int main() {
  zebparse_parser* parser = nullptr;
  zebparse_error error;
  if (zebparse_open(nullptr, &parser, &error) != ZEBPARSE_OK) {
    std::cerr << error.message << "\n";
    return 1;
  }
  const char* lines[] = {"41 rue des Carmes, 45000 Orléans"};
  zebparse_result* result = nullptr;
  if (zebparse_parse(parser, "FR", lines, 1, &result, &error) != ZEBPARSE_OK) return 1;
  size_t count = 0;
  const zebparse_element* items = zebparse_result_elements(result, &count);
  for (size_t i = 0; i < count; ++i) std::cout << items[i].name << "=" << items[i].value << "\n";
  zebparse_result_free(result);
  zebparse_close(parser);
}
