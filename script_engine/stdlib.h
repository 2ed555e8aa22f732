// The language's standard routines that run as built-in calls (CALLB): conversions, string,
// maths, variant and exception routines. Routines the code generator expands inline (Length,
// Inc, Ord, High, ...) are not in this table.
#pragma once

#include <string>

#include "script_engine/vm.h"

namespace script {

using BuiltinFn = void (*)(TExecImpl& vm, Slot* args, Slot* dst);

// Parameter codes: I integer (passed as 64 bits), F float, B boolean, C char, S string,
// V variant, s var string (a reference), a var dynamic array (a reference), L layout index.
// Result codes: v none, I Integer, L Int64, U Cardinal, F Double, B Boolean, C Char, S String,
// V Variant.
struct Builtin {
  const char* name;    // upper case
  const char* params;
  char result;
  BuiltinFn fn;
};

extern const Builtin kBuiltins[];
extern const int kBuiltinCount;

// Index of the first built-in with this upper-case name, or -1 (overloads follow it).
int FindBuiltin(const std::string& upper);
// Index of a built-in that the code generator calls by name (SETLENGTH_STR, ...); -1 if absent.
int BuiltinIndex(const char* upper);

// Floating-point text as FloatToStr gives it: 15 significant digits, shortest form.
std::string FormatFloat(double value);
// Upper/lower case of Windows-1251 text (ASCII and Cyrillic letters).
std::string AnsiUpper(std::string_view text);
std::string AnsiLower(std::string_view text);

}  // namespace script
