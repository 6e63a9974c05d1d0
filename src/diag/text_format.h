// printf-style formatting into a string of any length.
#pragma once

#include <cstdarg>
#include <initializer_list>
#include <string>

namespace tarn {

std::string FormatV(const char* format, va_list args);
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One value for a message template.
struct TemplateArg {
  enum Kind { Text, Number, Letter } kind;
  std::string text;
  long long number = 0;
  TemplateArg(const std::string& value) : kind(Text), text(value) {}
  TemplateArg(const char* value) : kind(Text), text(value ? value : "") {}
  TemplateArg(long long value) : kind(Number), number(value) {}
  TemplateArg(int value) : kind(Number), number(value) {}
  TemplateArg(char value) : kind(Letter), number(static_cast<unsigned char>(value)) {}
};

// Fills a message template that may come from a game's string table, so it
// is never handed to printf: %s, %S, %d, %i, %u and %c take the next value in
// order (a text, a number or a letter; a letter 0 shows as a blank), %% is a
// percent sign, and anything else, including a placeholder with no value
// left, stays as written.
std::string FillTemplate(const std::string& format, std::initializer_list<TemplateArg> args);

}  // namespace tarn
