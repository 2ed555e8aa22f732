// The standard routines of the script language that run as built-in calls.
#include "script_engine/stdlib.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace script {

namespace {

// ---- helpers shared by the routines

void SetStr(TExecImpl& vm, Slot* dst, std::string_view text) {
  if (static_cast<int64_t>(text.size()) > kMaxAllocation) {
    vm.Fail(erOutOfMemory, "Out of memory");
    return;
  }
  Str* s = NewStr(text.data(), static_cast<int64_t>(text.size()));
  Release(dst->o);
  dst->s = s;
}

void SetStrOwned(TExecImpl& vm, Slot* dst, const std::string& text) { SetStr(vm, dst, text); }

bool CheckLength(TExecImpl& vm, int64_t len) {
  if (len > kMaxAllocation) {
    vm.Fail(erOutOfMemory, "Out of memory");
    return false;
  }
  return true;
}

std::string_view TrimView(std::string_view v) {
  size_t b = 0, e = v.size();
  while (b < e && static_cast<unsigned char>(v[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(v[e - 1]) <= ' ') --e;
  return v.substr(b, e - b);
}

// Integer text: spaces, optional sign, decimal digits or "$"/"0x" hex digits, nothing after.
bool ParseInt(std::string_view text, int64_t& out) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  uint64_t value = 0;
  const uint64_t limit = negative ? static_cast<uint64_t>(INT64_MAX) + 1 : static_cast<uint64_t>(INT64_MAX);
  for (; i < text.size(); ++i) {
    char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    if (value > (limit - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base)) return false;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  out = negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
  return true;
}

bool ParseFloat(std::string_view text, double& out) {
  std::string_view t = TrimView(text);
  if (t.empty() || t.size() > 400) return false;
  for (char c : t) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-')) return false;
  }
  std::string copy(t);
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size()) return false;
  if (!std::isfinite(v)) return false;
  out = v;
  return true;
}

std::string Quote(std::string_view text) { return "'" + std::string(text) + "'"; }

// Round and Trunc give Int64; values outside it (and NaN) are errors.
bool FloatToInt64(TExecImpl& vm, double v, int64_t& out) {
  if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0)) {
    vm.Fail(erMathError, "Invalid floating point operation");
    return false;
  }
  out = static_cast<int64_t>(v);
  return true;
}

void CheckFloat(TExecImpl& vm, double v) {
  if (std::isnan(v)) vm.Fail(erMathError, "Invalid floating point operation");
}

std::string Pad(std::string_view s, int64_t width, char fill, bool left) {
  std::string out(s);
  if (width > static_cast<int64_t>(s.size()) && width <= kMaxAllocation) {
    std::string padding(static_cast<size_t>(width) - s.size(), fill);
    out = left ? padding + out : out + padding;
  }
  return out;
}

// ---- the routines (arguments in `a`, result to `d`)

void BiIntToStr(TExecImpl& vm, Slot* a, Slot* d) { SetStrOwned(vm, d, std::to_string(a[0].i)); }

void BiStrToInt(TExecImpl& vm, Slot* a, Slot* d) {
  int64_t v;
  if (!ParseInt(View(a[0].s), v) || v < INT32_MIN || v > INT32_MAX) {
    vm.Fail(erException, Quote(View(a[0].s)) + " is not a valid integer value");
    return;
  }
  d->i = v;
}

void BiStrToIntDef(TExecImpl&, Slot* a, Slot* d) {
  int64_t v;
  d->i = (ParseInt(View(a[0].s), v) && v >= INT32_MIN && v <= INT32_MAX) ? v : static_cast<int32_t>(a[1].i);
}

void BiStrToInt64(TExecImpl& vm, Slot* a, Slot* d) {
  int64_t v;
  if (!ParseInt(View(a[0].s), v)) {
    vm.Fail(erException, Quote(View(a[0].s)) + " is not a valid integer value");
    return;
  }
  d->i = v;
}

void BiStrToFloat(TExecImpl& vm, Slot* a, Slot* d) {
  double v;
  if (!ParseFloat(View(a[0].s), v)) {
    vm.Fail(erException, Quote(View(a[0].s)) + " is not a valid floating point value");
    return;
  }
  d->f = v;
}

void BiFloatToStr(TExecImpl& vm, Slot* a, Slot* d) { SetStrOwned(vm, d, FormatFloat(a[0].f)); }

void BiCopy(TExecImpl& vm, Slot* a, Slot* d) {
  std::string_view s = View(a[0].s);
  int64_t index = a[1].i, count = a[2].i;
  if (index < 1) index = 1;
  int64_t len = static_cast<int64_t>(s.size());
  if (index > len || count <= 0) {
    SetStr(vm, d, {});
    return;
  }
  if (count > len - index + 1) count = len - index + 1;
  SetStr(vm, d, s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count)));
}

void BiPos(TExecImpl&, Slot* a, Slot* d) {
  std::string_view sub = View(a[0].s), s = View(a[1].s);
  if (sub.empty()) {
    d->i = 0;
    return;
  }
  size_t at = s.find(sub);
  d->i = at == std::string_view::npos ? 0 : static_cast<int64_t>(at) + 1;
}

void BiDelete(TExecImpl& vm, Slot* a, Slot*) {
  Slot* target = a[0].r;
  int64_t len = StrLen(target->s), index = a[1].i, count = a[2].i;
  if (index < 1 || index > len || count <= 0) return;
  if (count > len - index + 1) count = len - index + 1;
  std::string s(View(target->s));
  s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
  SetStr(vm, target, s);
}

void BiInsert(TExecImpl& vm, Slot* a, Slot*) {
  std::string_view src = View(a[0].s);
  Slot* target = a[1].r;
  int64_t len = StrLen(target->s), index = a[2].i;
  if (src.empty()) return;
  if (index < 1) index = 1;
  if (index > len + 1) index = len + 1;
  if (!CheckLength(vm, len + static_cast<int64_t>(src.size()))) return;
  std::string s(View(target->s));
  s.insert(static_cast<size_t>(index - 1), src);
  SetStr(vm, target, s);
}

void BiStrGet(TExecImpl& vm, Slot* a, Slot* d) {
  std::string_view s = View(a[0].s);
  int64_t i = a[1].i;
  if (i < 1 || i > static_cast<int64_t>(s.size())) {
    vm.Fail(erOutOfRange, "Out of range");
    return;
  }
  d->i = static_cast<unsigned char>(s[static_cast<size_t>(i - 1)]);
}

void BiStrSet(TExecImpl& vm, Slot* a, Slot*) {
  Slot* target = a[2].r;
  int64_t i = a[1].i;
  int32_t len = StrLen(target->s);
  if (i < 1 || i > len) {
    vm.Fail(erOutOfRange, "Out of range");
    return;
  }
  StrResize(target, len);
  target->s->data[i - 1] = static_cast<char>(a[0].i);
}

void BiUpper(TExecImpl& vm, Slot* a, Slot* d) {
  std::string s(View(a[0].s));
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  SetStr(vm, d, s);
}

void BiLower(TExecImpl& vm, Slot* a, Slot* d) {
  std::string s(View(a[0].s));
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  SetStr(vm, d, s);
}

void BiAnsiUpper(TExecImpl& vm, Slot* a, Slot* d) { SetStr(vm, d, AnsiUpper(View(a[0].s))); }
void BiAnsiLower(TExecImpl& vm, Slot* a, Slot* d) { SetStr(vm, d, AnsiLower(View(a[0].s))); }
void BiTrim(TExecImpl& vm, Slot* a, Slot* d) { SetStr(vm, d, TrimView(View(a[0].s))); }

void BiTrimLeft(TExecImpl& vm, Slot* a, Slot* d) {
  std::string_view v = View(a[0].s);
  size_t b = 0;
  while (b < v.size() && static_cast<unsigned char>(v[b]) <= ' ') ++b;
  SetStr(vm, d, v.substr(b));
}

void BiTrimRight(TExecImpl& vm, Slot* a, Slot* d) {
  std::string_view v = View(a[0].s);
  size_t e = v.size();
  while (e > 0 && static_cast<unsigned char>(v[e - 1]) <= ' ') --e;
  SetStr(vm, d, v.substr(0, e));
}

void BiPadl(TExecImpl& vm, Slot* a, Slot* d) {
  if (!CheckLength(vm, a[1].i)) return;
  SetStr(vm, d, Pad(View(a[0].s), a[1].i, ' ', true));
}
void BiPadr(TExecImpl& vm, Slot* a, Slot* d) {
  if (!CheckLength(vm, a[1].i)) return;
  SetStr(vm, d, Pad(View(a[0].s), a[1].i, ' ', false));
}
void BiPadz(TExecImpl& vm, Slot* a, Slot* d) {
  if (!CheckLength(vm, a[1].i)) return;
  SetStr(vm, d, Pad(View(a[0].s), a[1].i, '0', true));
}

void BiReplicate(TExecImpl& vm, Slot* a, Slot* d) {
  int64_t n = a[1].i;
  if (n <= 0) {
    SetStr(vm, d, {});
    return;
  }
  if (!CheckLength(vm, n)) return;
  SetStr(vm, d, std::string(static_cast<size_t>(n), static_cast<char>(a[0].i)));
}

void BiSin(TExecImpl& vm, Slot* a, Slot* d) { d->f = std::sin(a[0].f); CheckFloat(vm, d->f); }
void BiCos(TExecImpl& vm, Slot* a, Slot* d) { d->f = std::cos(a[0].f); CheckFloat(vm, d->f); }
void BiSqrt(TExecImpl& vm, Slot* a, Slot* d) { d->f = std::sqrt(a[0].f); CheckFloat(vm, d->f); }
void BiExp(TExecImpl& vm, Slot* a, Slot* d) { d->f = std::exp(a[0].f); CheckFloat(vm, d->f); }
void BiLn(TExecImpl& vm, Slot* a, Slot* d) {
  if (a[0].f <= 0) {
    vm.Fail(erMathError, "Invalid floating point operation");
    return;
  }
  d->f = std::log(a[0].f);
}
void BiArcTan(TExecImpl& vm, Slot* a, Slot* d) { d->f = std::atan(a[0].f); CheckFloat(vm, d->f); }
void BiPower(TExecImpl& vm, Slot* a, Slot* d) { d->f = std::pow(a[0].f, a[1].f); CheckFloat(vm, d->f); }

void BiRound(TExecImpl& vm, Slot* a, Slot* d) {
  // Halves go to the even neighbour (the default rounding mode).
  int64_t v;
  if (FloatToInt64(vm, std::nearbyint(a[0].f), v)) d->i = v;
}
void BiTrunc(TExecImpl& vm, Slot* a, Slot* d) {
  int64_t v;
  if (FloatToInt64(vm, std::trunc(a[0].f), v)) d->i = v;
}
void BiInt(TExecImpl&, Slot* a, Slot* d) { d->f = std::trunc(a[0].f); }
void BiFrac(TExecImpl&, Slot* a, Slot* d) { d->f = a[0].f - std::trunc(a[0].f); }

uint64_t NextRandom(TExecImpl& vm) {
  // xorshift64*: a small generator per executor, so runs are repeatable.
  uint64_t x = vm.randomState;
  x ^= x >> 12;
  x ^= x << 25;
  x ^= x >> 27;
  vm.randomState = x;
  return x * 2685821657736338717ULL;
}
void BiRandomInt(TExecImpl& vm, Slot* a, Slot* d) {
  int64_t n = a[0].i;
  d->i = n <= 0 ? 0 : static_cast<int64_t>(NextRandom(vm) % static_cast<uint64_t>(n));
}
void BiRandomFloat(TExecImpl& vm, Slot*, Slot* d) {
  d->f = static_cast<double>(NextRandom(vm) >> 11) * (1.0 / 9007199254740992.0);
}
void BiRandomize(TExecImpl&, Slot*, Slot*) {}

void BiUnassigned(TExecImpl&, Slot*, Slot* d) {
  Release(d->o);
  d->v = nullptr;
}
void BiNull(TExecImpl&, Slot*, Slot* d) {
  Release(d->o);
  d->v = NewVar(varNull);
}
void BiVarIsEmpty(TExecImpl&, Slot* a, Slot* d) { d->i = (!a[0].v || a[0].v->vtype == varEmpty) ? 1 : 0; }
void BiVarIsNull(TExecImpl&, Slot* a, Slot* d) { d->i = (a[0].v && a[0].v->vtype == varNull) ? 1 : 0; }
void BiVarType(TExecImpl&, Slot* a, Slot* d) { d->i = a[0].v ? a[0].v->vtype : varEmpty; }

void BiRaiseLast(TExecImpl& vm, Slot*, Slot*) {
  if (vm.exKind != erNoError) vm.Fail(vm.exKind, vm.exParam);
}
void BiRaiseException(TExecImpl& vm, Slot* a, Slot*) {
  int32_t kind = (a[0].i > erNoError && a[0].i < erKindCount) ? static_cast<int32_t>(a[0].i) : erCustomError;
  vm.Fail(kind, std::string(View(a[1].s)));
}
void BiExceptionType(TExecImpl& vm, Slot*, Slot* d) { d->i = vm.exKind; }
void BiExceptionParam(TExecImpl& vm, Slot*, Slot* d) { SetStr(vm, d, vm.exParam); }
void BiExceptionProc(TExecImpl& vm, Slot*, Slot* d) { d->i = vm.exProc; }
void BiExceptionPos(TExecImpl& vm, Slot*, Slot* d) { d->i = vm.exPos; }
void BiExceptionToString(TExecImpl& vm, Slot* a, Slot* d) {
  SetStr(vm, d, ExceptionText(static_cast<int32_t>(a[0].i), View(a[1].s)));
}

void BiSetLengthStr(TExecImpl& vm, Slot* a, Slot*) {
  int64_t n = a[1].i < 0 ? 0 : a[1].i;
  if (!CheckLength(vm, n)) return;
  Slot* target = a[0].r;
  int32_t old = StrLen(target->s);
  if (n == 0) {
    Release(target->o);
    target->s = nullptr;
    return;
  }
  StrResize(target, n);
  // New characters are zero, so the string's contents are always defined.
  if (n > old) std::memset(target->s->data + old, 0, static_cast<size_t>(n - old));
}

void BiSetLengthArr(TExecImpl& vm, Slot* a, Slot*) {
  Slot* target = a[0].r;
  int64_t n = a[1].i < 0 ? 0 : a[1].i;
  int64_t layoutIndex = a[2].i;
  if (layoutIndex < 0 || layoutIndex >= static_cast<int64_t>(vm.program.layouts.size())) {
    vm.Fail(erInternalError, "Internal error");
    return;
  }
  const TLayout* layout = &vm.program.layouts[static_cast<size_t>(layoutIndex)];
  if (n * layout->slots * static_cast<int64_t>(sizeof(Slot)) > kMaxAllocation) {
    vm.Fail(erOutOfMemory, "Out of memory");
    return;
  }
  Arr* old = target->a;
  int64_t oldLen = old ? old->len : 0;
  if (n == oldLen && (!old || old->rc == 1)) return;
  Arr* fresh = NewArr(layout, n);
  if (old && fresh) {
    // A resized array is always a new, unshared array with the old elements copied.
    int64_t keep = (n < oldLen ? n : oldLen) * layout->slots;
    std::memcpy(fresh->data, old->data, static_cast<size_t>(keep) * sizeof(Slot));
    for (int64_t e = 0; e < (n < oldLen ? n : oldLen); ++e) {
      for (int32_t m : layout->managed) Retain(fresh->data[e * layout->slots + m].o);
    }
  }
  Release(old);
  target->a = fresh;
}

}  // namespace

const Builtin kBuiltins[] = {
    {"INTTOSTR", "I", 'S', BiIntToStr},
    {"INT64TOSTR", "I", 'S', BiIntToStr},
    {"STRTOINT", "S", 'I', BiStrToInt},
    {"STRTOINTDEF", "SI", 'I', BiStrToIntDef},
    {"STRTOINT64", "S", 'L', BiStrToInt64},
    {"STRTOFLOAT", "S", 'F', BiStrToFloat},
    {"FLOATTOSTR", "F", 'S', BiFloatToStr},
    {"COPY", "SII", 'S', BiCopy},
    {"POS", "SS", 'I', BiPos},
    {"DELETE", "sII", 'v', BiDelete},
    {"INSERT", "SsI", 'v', BiInsert},
    {"STRGET", "SI", 'C', BiStrGet},
    {"STRGET2", "SI", 'C', BiStrGet},
    {"STRSET", "CIs", 'v', BiStrSet},
    {"WSTRGET", "SI", 'C', BiStrGet},
    {"WSTRSET", "CIs", 'v', BiStrSet},
    {"UPPERCASE", "S", 'S', BiUpper},
    {"LOWERCASE", "S", 'S', BiLower},
    {"ANSIUPPERCASE", "S", 'S', BiAnsiUpper},
    {"ANSILOWERCASE", "S", 'S', BiAnsiLower},
    {"TRIM", "S", 'S', BiTrim},
    {"TRIMLEFT", "S", 'S', BiTrimLeft},
    {"TRIMRIGHT", "S", 'S', BiTrimRight},
    {"PADL", "SI", 'S', BiPadl},
    {"PADR", "SI", 'S', BiPadr},
    {"PADZ", "SI", 'S', BiPadz},
    {"REPLICATE", "CI", 'S', BiReplicate},
    {"STRINGOFCHAR", "CI", 'S', BiReplicate},
    {"SIN", "F", 'F', BiSin},
    {"COS", "F", 'F', BiCos},
    {"SQRT", "F", 'F', BiSqrt},
    {"EXP", "F", 'F', BiExp},
    {"LN", "F", 'F', BiLn},
    {"ARCTAN", "F", 'F', BiArcTan},
    {"POWER", "FF", 'F', BiPower},
    {"ROUND", "F", 'L', BiRound},
    {"TRUNC", "F", 'L', BiTrunc},
    {"INT", "F", 'F', BiInt},
    {"FRAC", "F", 'F', BiFrac},
    {"RANDOM", "I", 'I', BiRandomInt},
    {"RANDOM", "", 'F', BiRandomFloat},
    {"RANDOMIZE", "", 'v', BiRandomize},
    {"UNASSIGNED", "", 'V', BiUnassigned},
    {"NULL", "", 'V', BiNull},
    {"VARISEMPTY", "V", 'B', BiVarIsEmpty},
    {"VARISNULL", "V", 'B', BiVarIsNull},
    {"VARTYPE", "V", 'I', BiVarType},
    {"RAISELASTEXCEPTION", "", 'v', BiRaiseLast},
    {"RAISEEXCEPTION", "IS", 'v', BiRaiseException},
    {"EXCEPTIONTYPE", "", 'I', BiExceptionType},
    {"EXCEPTIONPARAM", "", 'S', BiExceptionParam},
    {"EXCEPTIONPROC", "", 'U', BiExceptionProc},
    {"EXCEPTIONPOS", "", 'U', BiExceptionPos},
    {"EXCEPTIONTOSTRING", "IS", 'S', BiExceptionToString},
    // Called by the code generator for SetLength; the names are not identifiers.
    {"$SETLENGTH_STR", "sI", 'v', BiSetLengthStr},
    {"$SETLENGTH_ARR", "aIL", 'v', BiSetLengthArr},
};

const int kBuiltinCount = static_cast<int>(sizeof(kBuiltins) / sizeof(kBuiltins[0]));

int FindBuiltin(const std::string& upper) {
  if (upper.empty()) return -1;
  for (int i = 0; i < kBuiltinCount; ++i) {
    if (kBuiltins[i].name[0] == upper[0] && upper == kBuiltins[i].name) return i;
  }
  return -1;
}

int BuiltinIndex(const char* upper) { return FindBuiltin(upper); }

std::string FormatFloat(double value) {
  if (std::isnan(value)) return "Nan";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  if (value == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", value);
  // buf: [-]d.ddddddddddddddde[+-]XX
  std::string text(buf);
  size_t epos = text.find('e');
  int exponent = std::atoi(text.c_str() + epos + 1);
  bool negative = text[0] == '-';
  std::string digits;
  for (size_t i = negative ? 1 : 0; i < epos; ++i) {
    if (text[i] != '.') digits.push_back(text[i]);
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = negative ? "-" : "";
  if (exponent < -5 || exponent >= 15) {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E";
    if (exponent < 0) out += "-";
    out += std::to_string(exponent < 0 ? -exponent : exponent);
    return out;
  }
  if (exponent < 0) {
    out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    return out;
  }
  size_t intDigits = static_cast<size_t>(exponent) + 1;
  if (digits.size() <= intDigits) {
    out += digits + std::string(intDigits - digits.size(), '0');
  } else {
    out += digits.substr(0, intDigits) + "." + digits.substr(intDigits);
  }
  return out;
}

namespace {

// Windows-1251 letters outside ASCII: lower-case byte and its upper-case partner.
constexpr unsigned char kCyrillicPairs[][2] = {
    {0x90, 0x80}, {0x83, 0x81}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E},
    {0x9F, 0x8F}, {0xA2, 0xA1}, {0xBC, 0xA3}, {0xB4, 0xA5}, {0xB8, 0xA8}, {0xBA, 0xAA},
    {0xBF, 0xAF}, {0xB3, 0xB2}, {0xBE, 0xBD},
};

unsigned char Upper1251(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0) return static_cast<unsigned char>(c - 32);
  for (const auto& p : kCyrillicPairs) {
    if (p[0] == c) return p[1];
  }
  return c;
}

unsigned char Lower1251(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 32);
  for (const auto& p : kCyrillicPairs) {
    if (p[1] == c) return p[0];
  }
  return c;
}

}  // namespace

std::string AnsiUpper(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(Upper1251(static_cast<unsigned char>(c)));
  return s;
}

std::string AnsiLower(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(Lower1251(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace script
